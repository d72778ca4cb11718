# The batch envelope names its subject by a coded identifier of the user its creator gives it.
if(TARGET tarnwhistle_delivery)
    target_link_libraries(tarnwhistle_delivery PUBLIC tarnwhistle_privacy)
endif()
