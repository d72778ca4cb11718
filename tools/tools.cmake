# The loopback webhook receiver for receivers' developers and the tests (Python standard library
# only): installed beside the tool as `tarnwhistle-receiver`.
install(PROGRAMS ${CMAKE_CURRENT_SOURCE_DIR}/receiver/tarnwhistle_receiver.py
        DESTINATION bin RENAME tarnwhistle-receiver)
