"""Small servers on 127.0.0.1 for the Internet check tests.

Usage: check_servers.py http | https CERT KEY | ftp ROOT | gopher | silent

"silent" accepts connections and never says a word (a server that hangs before its greeting).

Each server listens on an ephemeral port, prints that port on the first line of stdout and
serves until it is killed, until stdin is closed (the test program went away) or until its
lifetime of a few minutes is over.
"""

import os
import socket
import socketserver
import struct
import ssl
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

LIFETIME_SECONDS = 180
HANG_SECONDS = 60


def announce(port):
    sys.stdout.write("%d\n" % port)
    sys.stdout.flush()


def guard_lifetime():
    def watch_stdin():
        try:
            while sys.stdin.buffer.read(1):
                pass
        except Exception:
            pass
        os._exit(0)

    def watch_clock():
        time.sleep(LIFETIME_SECONDS)
        os._exit(0)

    threading.Thread(target=watch_stdin, daemon=True).start()
    threading.Thread(target=watch_clock, daemon=True).start()


class CheckHandler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    # path -> (status for HEAD, status for GET, extra headers)
    ROUTES = {
        "/ok": (200, 200, {}),
        "/moved": (301, 301, {"Location": "/ok"}),
        "/moved-to-missing": (302, 302, {"Location": "/missing"}),
        "/auth": (401, 401, {"WWW-Authenticate": 'Basic realm="test"'}),
        "/forbidden": (403, 403, {}),
        "/missing": (404, 404, {}),
        "/no-head": (405, 200, {"Allow": "GET"}),
        "/no-head-501": (501, 200, {}),
        "/no-head-missing": (405, 404, {"Allow": "GET"}),
        "/no-head-moved": (405, 301, {"Location": "/ok"}),
        "/error": (500, 500, {}),
        # Moves: permanent chains, temporary ones, and a permanent one that ends nowhere.
        "/perm": (301, 301, {"Location": "/perm2"}),
        "/perm2": (308, 308, {"Location": "/ok?moved"}),
        "/temp": (302, 302, {"Location": "/ok"}),
        "/see-other": (303, 303, {"Location": "/ok"}),
        "/temp307": (307, 307, {"Location": "/ok"}),
        "/perm-then-temp": (301, 301, {"Location": "/temp"}),
        "/perm-missing": (308, 308, {"Location": "/missing"}),
    }

    # Answers in progress, and the most there ever were at once ("/slow" only).
    lock = threading.Lock()
    active = 0
    peak = 0
    # How often each "/busy" path (query included) was asked.
    asked = {}

    def log_message(self, *args):
        pass

    def answer(self, with_body):
        path = self.path.split("?", 1)[0]
        if path == "/hang":
            time.sleep(HANG_SECONDS)
            return
        if path == "/reset":
            # The connection is torn down (RST) before any answer.
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.connection.close()
            self.close_connection = True
            return
        query = self.path.split("?", 1)[1] if "?" in self.path else ""
        if path == "/slow":
            # Answers after 200 ms, counting how many it serves at once.
            cls = CheckHandler
            with cls.lock:
                cls.active += 1
                cls.peak = max(cls.peak, cls.active)
            time.sleep(0.2)
            with cls.lock:
                cls.active -= 1
            return self.reply(200, {}, with_body)
        if path == "/peak":
            # 200 when the most answers "/slow" ever gave at once is the number asked ("is=N").
            wanted = int(query.split("=", 1)[1]) if query.startswith("is=") else -1
            return self.reply(200 if CheckHandler.peak == wanted else 409, {}, with_body)
        if path in ("/busy", "/busy503"):
            # "/busy?n=K...": 429 with Retry-After: 1 for the first K requests, then 200.
            # "/busy503": 503 with Retry-After: 1 for ever.
            with CheckHandler.lock:
                count = CheckHandler.asked.get(self.path, 0)
                CheckHandler.asked[self.path] = count + 1
            if path == "/busy503":
                return self.reply(503, {"Retry-After": "1"}, with_body)
            limit = int(query.split("=", 1)[1].split("&", 1)[0]) if query.startswith("n=") else 0
            if count < limit:
                return self.reply(429, {"Retry-After": "1"}, with_body)
            return self.reply(200, {}, with_body)
        head_status, get_status, headers = self.ROUTES.get(path, (404, 404, {}))
        self.reply(get_status if with_body else head_status, headers, with_body)

    def reply(self, status, headers, with_body):
        body = b"<html><body>" + (b"x" * 4000) + b"</body></html>"
        self.send_response(status)
        for name, value in headers.items():
            self.send_header(name, value)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if with_body:
            self.wfile.write(body)

    def do_HEAD(self):
        self.answer(False)

    def do_GET(self):
        self.answer(True)


class QuietHTTPServer(ThreadingHTTPServer):
    daemon_threads = True
    tls_context = None

    def finish_request(self, request, client_address):
        # The TLS handshake runs on the connection's own thread, so a client that connects and
        # says nothing holds up no one else.
        if self.tls_context is not None:
            request = self.tls_context.wrap_socket(request, server_side=True)
        super().finish_request(request, client_address)

    def handle_error(self, request, client_address):
        pass


def serve_http(context=None):
    server = QuietHTTPServer(("127.0.0.1", 0), CheckHandler)
    server.tls_context = context
    announce(server.server_address[1])
    server.serve_forever()


def serve_https(cert, key):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    serve_http(context)


def serve_ftp(root):
    import logging

    from pyftpdlib.authorizers import DummyAuthorizer
    from pyftpdlib.handlers import FTPHandler
    from pyftpdlib.servers import FTPServer

    quiet = logging.getLogger("pyftpdlib")
    quiet.addHandler(logging.NullHandler())
    quiet.propagate = False
    quiet.setLevel(logging.CRITICAL)
    authorizer = DummyAuthorizer()
    authorizer.add_anonymous(root)
    handler = FTPHandler
    handler.authorizer = authorizer
    handler.masquerade_address = None
    handler.passive_ports = None
    server = FTPServer(("127.0.0.1", 0), handler)
    announce(server.address[1])
    server.serve_forever(handle_exit=False)


GOPHER_MENU = b"0hello\t/hello.txt\t127.0.0.1\t70\r\n1docs\t/docs\t127.0.0.1\t70\r\n.\r\n"
GOPHER_ITEMS = {
    "": GOPHER_MENU,
    "/": GOPHER_MENU,
    "/hello.txt": b"Hello from gopher\r\n",
    "/docs": b"0readme\t/docs/readme\t127.0.0.1\t70\r\n.\r\n",
}


class GopherHandler(socketserver.StreamRequestHandler):
    def handle(self):
        selector = self.rfile.readline(4096).decode("latin-1").rstrip("\r\n")
        reply = GOPHER_ITEMS.get(selector)
        if reply is None:
            reply = b"3'" + selector.encode("latin-1") + b"' does not exist\t\terror.host\t1\r\n.\r\n"
        self.wfile.write(reply)


class QuietTCPServer(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True

    def handle_error(self, request, client_address):
        pass


def serve_gopher():
    server = QuietTCPServer(("127.0.0.1", 0), GopherHandler)
    announce(server.server_address[1])
    server.serve_forever()


class SilentHandler(socketserver.BaseRequestHandler):
    def handle(self):
        time.sleep(HANG_SECONDS)


def serve_silent():
    server = QuietTCPServer(("127.0.0.1", 0), SilentHandler)
    announce(server.server_address[1])
    server.serve_forever()


def main():
    guard_lifetime()
    kind = sys.argv[1]
    if kind == "http":
        serve_http()
    elif kind == "https":
        serve_https(sys.argv[2], sys.argv[3])
    elif kind == "ftp":
        serve_ftp(sys.argv[2])
    elif kind == "gopher":
        serve_gopher()
    elif kind == "silent":
        serve_silent()
    else:
        sys.exit("unknown server kind: " + kind)


if __name__ == "__main__":
    main()
