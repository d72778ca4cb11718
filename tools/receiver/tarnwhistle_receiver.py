#!/usr/bin/env python3
"""A small webhook receiver for Tarnwhistle batches, for tests and for receivers' developers.

Listens on loopback (over TLS with --cert and --key), checks each request's signature with
the shared secret, stores every body byte for byte, readable by its owner only, and answers as
told: a status code and body, after a delay, with a truncated reply, a huge reply (--size
bytes) sent at once or trickled one byte per --delay seconds, or by dropping the connection.
With --fail-rate it misbehaves at random (seeded) for the first --fail-first requests and
answers normally afterwards. A request announcing more than 10 MB is refused with 413 unread.

Prints "listening on PORT" once it accepts connections. For each request N (from 1) it
writes OUT/N.body (the raw body) and OUT/N.json (headers, signature check, what it did).
A POST to /_control with a JSON object of "status", "reply", "action", "delay", "size" and
"headers" (extra reply headers) changes how later requests are answered.
"""
import argparse
import base64
import hashlib
import hmac
import json
import os
import random
import socket
import ssl
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

ACTIONS = ("status", "delay", "truncate", "drop", "trickle", "huge")
CONTROL_KEYS = ("status", "reply", "action", "delay", "size", "headers")
MAX_BODY = 10 * 1024 * 1024


def signature(secret: bytes, timestamp: bytes, body: bytes) -> str:
    """The value a sender puts in X-Tarnwhistle-Signature."""
    mac = hmac.new(secret, timestamp + b"." + body, hashlib.sha256).digest()
    return "v1=" + base64.b64encode(mac).decode("ascii")


class Behaviour:
    def __init__(self, args):
        self.args = args
        self.random = random.Random(args.seed)
        self.lock = threading.Lock()
        self.count = 0

    def next(self):
        """The request number and what to do with it."""
        with self.lock:
            self.count += 1
            n = self.count
            if n <= self.args.fail_first and self.random.random() < self.args.fail_rate:
                kind = self.random.choice(self.args.fail_modes)
                if kind == "status":
                    return n, {"action": "status", "status": self.random.choice([500, 503, 404, 429, 302])}
                return n, {"action": kind, "status": self.args.status}
            return n, {"action": self.args.action, "status": self.args.status}


def make_handler(args, behaviour):
    secret = args.secret.encode("utf-8") if args.secret is not None else None

    class Handler(BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def log_message(self, *_):
            pass

        def do_POST(self):
            try:
                length = int(self.headers.get("Content-Length") or 0)
            except ValueError:
                length = -1
            if length < 0 or length > MAX_BODY:
                # Not read at all: a sender cannot make the receiver hold more than 10 MB.
                self.close_connection = True
                self.send_response(413 if length > 0 else 400)
                self.send_header("Content-Length", "0")
                self.send_header("Connection", "close")
                self.end_headers()
                return
            body = self.rfile.read(length)
            if self.path == "/_control":
                self.control(body)
                return
            n, plan = behaviour.next()
            timestamp = self.headers.get("X-Tarnwhistle-Timestamp")
            given = self.headers.get("X-Tarnwhistle-Signature")
            if secret is None:
                valid = None
            elif timestamp is None or given is None:
                valid = False
            else:
                expected = signature(secret, timestamp.encode("utf-8"), body)
                valid = hmac.compare_digest(expected, given)
            record = {
                "n": n,
                "path": self.path,
                "headers": {k: v for k, v in self.headers.items()},
                "signature_valid": valid,
                "length": len(body),
                **plan,
            }
            with private_file(os.path.join(args.out, f"{n}.body"), "wb") as f:
                f.write(body)
            with private_file(os.path.join(args.out, f"{n}.json.tmp"), "w") as f:
                json.dump(record, f)
            os.replace(os.path.join(args.out, f"{n}.json.tmp"), os.path.join(args.out, f"{n}.json"))
            self.answer(plan)

        def control(self, body):
            """Changes how later requests are answered: a JSON object with any of "status",
            "reply", "action" and "delay"."""
            with behaviour.lock:
                for key, value in json.loads(body or b"{}").items():
                    if key in CONTROL_KEYS:
                        setattr(args, key, value)
            self.send_response(204)
            self.send_header("Content-Length", "0")
            self.end_headers()

        def answer(self, plan):
            action = plan["action"]
            reply = args.reply.encode("utf-8")
            if action == "drop":
                self.hang_up()
                return
            if action == "delay":
                time.sleep(args.delay)
            self.send_response(plan["status"])
            self.send_header("Content-Type", "text/plain; charset=utf-8")
            for name, value in (args.headers or {}).items():
                self.send_header(name, str(value))
            if action == "huge":
                self.huge()
                return
            if action == "trickle":
                self.trickle()
                return
            if action == "truncate":
                self.send_header("Content-Length", str(len(reply) + 100))
                self.end_headers()
                self.wfile.write(reply[: len(reply) // 2])
                self.wfile.flush()
                self.hang_up()
                return
            self.send_header("Content-Length", str(len(reply)))
            self.end_headers()
            self.wfile.write(reply)

        def hang_up(self):
            self.close_connection = True
            try:
                self.connection.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass  # the sender hung up first

        def trickle(self):
            """A body of --size bytes, one byte per --delay seconds."""
            self.send_header("Content-Length", str(args.size))
            self.end_headers()
            for _ in range(args.size):
                self.wfile.write(b"x")
                self.wfile.flush()
                time.sleep(args.delay)

        def huge(self):
            """A body of --size bytes, made up as it is sent."""
            self.send_header("Content-Length", str(args.size))
            self.end_headers()
            chunk = b"x" * 65536
            left = args.size
            while left > 0:
                self.wfile.write(chunk[: min(left, len(chunk))])
                left -= len(chunk)

    return Handler


def private_file(path, mode):
    """Received bodies are the sender's data: readable by this user only."""
    return os.fdopen(os.open(path, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o600), mode)


class Server(ThreadingHTTPServer):
    daemon_threads = True

    def handle_error(self, request, client_address):
        # Senders that hang up (after a timeout, say) are part of the job, not errors.
        if not isinstance(sys.exc_info()[1], (ConnectionError, TimeoutError)):
            super().handle_error(request, client_address)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port", type=int, default=0, help="0 picks a free port")
    parser.add_argument("--secret", help="the webhook secret; unset means signatures are not checked")
    parser.add_argument("--out", required=True, help="folder for the received bodies")
    parser.add_argument("--status", type=int, default=200, help="status code to answer with")
    parser.add_argument("--reply", default="ok", help="reply body")
    parser.add_argument("--action", choices=ACTIONS, default="status",
                        help="status: answer; delay: answer after --delay; truncate: cut the "
                             "reply short; drop: close without answering")
    parser.add_argument("--delay", type=float, default=0.0,
                        help="seconds, for --action delay (once) and trickle (per byte)")
    parser.add_argument("--size", type=int, default=400 * 1024 * 1024,
                        help="bytes of reply for --action huge and trickle")
    parser.add_argument("--header", action="append", default=[], metavar="NAME:VALUE",
                        help="an extra reply header (repeatable)")
    parser.add_argument("--cert", help="PEM certificate chain: serve HTTPS")
    parser.add_argument("--key", help="PEM private key for --cert")
    parser.add_argument("--fail-rate", type=float, default=0.0)
    parser.add_argument("--fail-first", type=int, default=0)
    parser.add_argument("--fail-modes", default="status,drop,truncate",
                        type=lambda s: [m for m in s.split(",") if m in ACTIONS])
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    args.headers = dict(h.split(":", 1) for h in args.header)
    os.makedirs(args.out, mode=0o700, exist_ok=True)
    os.chmod(args.out, 0o700)

    server = Server(("127.0.0.1", args.port), make_handler(args, Behaviour(args)))
    if args.cert:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.cert, args.key)
        server.socket = context.wrap_socket(server.socket, server_side=True)
    print(f"listening on {server.server_address[1]}", flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    sys.exit(main())
