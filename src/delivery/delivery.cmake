# The batch envelope names its subject by the engine's user principal, coded like every other
# identifier.
if(TARGET tarnwhistle_delivery)
    target_link_libraries(tarnwhistle_delivery PUBLIC tarnwhistle_engine tarnwhistle_privacy)
endif()
