#!/usr/bin/env python3
"""The batch receiver over https: its own options plus --cert and --key (PEM files)."""
import argparse
import os
import ssl
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..",
                                "tools", "receiver"))
import tarnwhistle_receiver as receiver  # noqa: E402

tls = argparse.ArgumentParser(add_help=False)
tls.add_argument("--cert", required=True)
tls.add_argument("--key", required=True)
files, sys.argv[1:] = tls.parse_known_args()
context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
context.load_cert_chain(files.cert, files.key)


class TlsServer(receiver.Server):
    def get_request(self):
        sock, address = super().get_request()
        return context.wrap_socket(sock, server_side=True), address


receiver.Server = TlsServer
sys.exit(receiver.main())
