# Phone numbers are validated with libphonenumber (Debian ships no CMake package for it).
find_library(PHONENUMBER_LIBRARY phonenumber REQUIRED)
find_path(PHONENUMBER_INCLUDE_DIR phonenumbers/phonenumberutil.h REQUIRED)
find_package(Protobuf REQUIRED)
if(TARGET tarnwhistle_privacy)
    target_include_directories(tarnwhistle_privacy PRIVATE ${PHONENUMBER_INCLUDE_DIR})
    target_link_libraries(tarnwhistle_privacy PUBLIC ${PHONENUMBER_LIBRARY} protobuf::libprotobuf)
endif()

# The name list built by scripts/setup.d/20-names; dataFilePath() finds it under the prefix.
install(FILES ${TARNWHISTLE_BUILD_DATA_DIR}/person-names.txt DESTINATION share/tarnwhistle OPTIONAL)
