"""Loopback servers for the Internet check tests: http [N] | https CERT KEY | ftp ROOT | gopher | silent.

"http N" listens on 127.0.0.1 to 127.0.0.N on one port; "silent" never says a word. Each prints
its port, then serves until killed, stdin closes or its lifetime is over."""

import os
import socket
import socketserver
import ssl
import struct
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

LIFETIME_SECONDS = 180
HANG_SECONDS = 60


def exit_after(wait):
    try:
        wait()
    finally:
        os._exit(0)


class CheckHandler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    # path -> (status for HEAD, status for GET, extra headers); any other path is missing (404).
    ROUTES = {
        "/ok": (200, 200, {}), "/forbidden": (403, 403, {}), "/error": (500, 500, {}),
        "/auth": (401, 401, {"WWW-Authenticate": 'Basic realm="test"'}),
        "/no-head": (405, 200, {"Allow": "GET"}), "/no-head-501": (501, 200, {}),
        "/no-head-missing": (405, 404, {"Allow": "GET"}),
        "/no-head-moved": (405, 301, {"Location": "/ok"}),
    }
    for path, status, to in (("/moved", 301, "/ok"), ("/moved-to-missing", 302, "/missing"),
                             ("/perm", 301, "/perm2"), ("/perm2", 308, "/ok?moved"),
                             ("/temp", 302, "/ok"), ("/temp307", 307, "/ok"),
                             ("/perm-then-temp", 301, "/temp"), ("/perm-missing", 308, "/missing")):
        ROUTES[path] = (status, status, {"Location": to})

    lock = threading.Lock()
    active = {}  # "/slow" answers in progress, by the address they came to; "" for all of them
    peak = {}  # the most there ever were at once
    asked = {}  # how often each "/busy" path (query included) was asked

    def log_message(self, *args):
        pass

    def do_HEAD(self):
        self.answer(False)

    do_GET = lambda self: self.answer(True)

    def answer(self, with_body):
        path, _, query = self.path.partition("?")
        cls = CheckHandler
        if path == "/hang":
            time.sleep(HANG_SECONDS)
        elif path == "/reset":
            # The connection is torn down (RST) before any answer.
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.connection.close()
            self.close_connection = True
        elif path == "/slow":
            # Answers after 200 ms, counting the answers in progress.
            keys = (self.connection.getsockname()[0], "")
            with cls.lock:
                for key in keys:
                    cls.active[key] = cls.active.get(key, 0) + 1
                    cls.peak[key] = max(cls.peak.get(key, 0), cls.active[key])
            time.sleep(0.2)
            with cls.lock:
                for key in keys:
                    cls.active[key] -= 1
            self.reply(200, {}, with_body)
        elif path == "/peak":
            # 200 when the peaks are those asked: "total=N" over all addresses, "each=N" at
            # every address that served "/slow".
            wanted = dict(part.split("=") for part in query.split("&"))
            peaks = dict(cls.peak)
            total = peaks.pop("", 0)
            ok = int(wanted.get("total", total)) == total and all(
                p == int(wanted.get("each", p)) for p in peaks.values())
            self.reply(200 if ok else 409, {}, with_body)
        elif path in ("/busy", "/busy503"):
            # "/busy?n=K": 429 with Retry-After: 1 for the first K requests, then 200.
            # "/busy503": 503 with Retry-After: 1 for ever.
            with cls.lock:
                count = cls.asked[self.path] = cls.asked.get(self.path, 0) + 1
            if path == "/busy503" or count <= int(query[2:]):
                self.reply(503 if path == "/busy503" else 429, {"Retry-After": "1"}, with_body)
            else:
                self.reply(200, {}, with_body)
        else:
            head_status, get_status, headers = self.ROUTES.get(path, (404, 404, {}))
            self.reply(get_status if with_body else head_status, headers, with_body)

    def reply(self, status, headers, with_body):
        body = b"<html><body>" + (b"x" * 4000) + b"</body></html>"
        self.send_response(status)
        for name, value in {**headers, "Content-Type": "text/html",
                            "Content-Length": str(len(body))}.items():
            self.send_header(name, value)
        self.end_headers()
        if with_body:
            self.wfile.write(body)


class Quiet:
    daemon_threads = True

    def handle_error(self, request, client_address):
        pass


class QuietHTTPServer(Quiet, ThreadingHTTPServer):
    tls_context = None

    def finish_request(self, request, client_address):
        # The TLS handshake runs on the connection's own thread, so a client that connects and
        # says nothing holds up no one else.
        if self.tls_context is not None:
            request = self.tls_context.wrap_socket(request, server_side=True)
        super().finish_request(request, client_address)


class QuietTCPServer(Quiet, socketserver.ThreadingTCPServer):
    allow_reuse_address = True


GOPHER_MENU = b"0hello\t/hello.txt\t127.0.0.1\t70\r\n1docs\t/docs\t127.0.0.1\t70\r\n.\r\n"
GOPHER_ITEMS = {"": GOPHER_MENU, "/": GOPHER_MENU, "/hello.txt": b"Hello from gopher\r\n",
                "/docs": b"0readme\t/docs/readme\t127.0.0.1\t70\r\n.\r\n"}


class GopherHandler(socketserver.StreamRequestHandler):
    def handle(self):
        selector = self.rfile.readline(4096).decode("latin-1").rstrip("\r\n")
        missing = b"3'" + selector.encode("latin-1") + b"' does not exist\t\terror.host\t1\r\n.\r\n"
        self.wfile.write(GOPHER_ITEMS.get(selector, missing))


class SilentHandler(socketserver.BaseRequestHandler):
    def handle(self):
        time.sleep(HANG_SECONDS)


def http_servers(addresses, context=None):
    servers = []
    for n in range(1, addresses + 1):
        port = servers[0].server_address[1] if servers else 0
        servers.append(QuietHTTPServer(("127.0.0.%d" % n, port), CheckHandler))
        servers[-1].tls_context = context
    return servers


def ftp_server(root):
    import logging

    from pyftpdlib.authorizers import DummyAuthorizer
    from pyftpdlib.handlers import FTPHandler
    from pyftpdlib.servers import FTPServer

    quiet = logging.getLogger("pyftpdlib")
    quiet.addHandler(logging.NullHandler())  # keeps pyftpdlib from setting up its own logging
    quiet.disabled = True
    FTPHandler.authorizer = DummyAuthorizer()
    FTPHandler.authorizer.add_anonymous(root)
    server = FTPServer(("127.0.0.1", 0), FTPHandler)
    return server.address[1], lambda: server.serve_forever(handle_exit=False)


def main():
    for wait in (sys.stdin.buffer.read, lambda: time.sleep(LIFETIME_SECONDS)):
        threading.Thread(target=exit_after, args=(wait,), daemon=True).start()
    kind, args = sys.argv[1], sys.argv[2:]
    if kind == "ftp":
        port, serve = ftp_server(args[0])
    else:
        if kind == "http":
            servers = http_servers(int(args[0]) if args else 1)
        elif kind == "https":
            context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            context.load_cert_chain(args[0], args[1])
            servers = http_servers(1, context)
        else:
            handler = {"gopher": GopherHandler, "silent": SilentHandler}[kind]
            servers = [QuietTCPServer(("127.0.0.1", 0), handler)]
        for other in servers[1:]:
            threading.Thread(target=other.serve_forever, daemon=True).start()
        port, serve = servers[0].server_address[1], servers[0].serve_forever
    print(port, flush=True)
    serve()


if __name__ == "__main__":
    main()
