#!/usr/bin/env python3
"""The batch receiver over https, for the agent's end-to-end test.

Takes the receiver's options plus --cert and --key (PEM files); every accepted connection is
wrapped in TLS before the receiver reads it.
"""
import os
import ssl
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..",
                                "tools", "receiver"))
import tarnwhistle_receiver as receiver  # noqa: E402


def take(option):
    index = sys.argv.index(option)
    value = sys.argv[index + 1]
    del sys.argv[index:index + 2]
    return value


context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
context.load_cert_chain(take("--cert"), take("--key"))


class TlsServer(receiver.Server):
    def get_request(self):
        sock, address = super().get_request()
        return context.wrap_socket(sock, server_side=True), address


receiver.Server = TlsServer
sys.exit(receiver.main())
