#!/usr/bin/env python3
"""A small HTTP server for the URL retrieval and score upload tests.

Usage: io_http_server.py RECORD_FILE [PORT]

Listens on 127.0.0.1 on PORT (default: a free port), prints the port on its first line of
output and serves until killed. Every request appends one line to RECORD_FILE:
    <request target> TAB <User-Agent> TAB <Cache-Control> TAB <Pragma>

Routes:
    /size/N             N bytes of printable text, written in one piece
    /bytes/HEX          the bytes given in hexadecimal
    /status/N           status N with the body "status N page"
    /redirect/TARGET    302 to /TARGET
    /cut                announces 3000 bytes, sends 1500 and closes
    /headers-then-close announces 100 bytes, sends none and closes
    /hang               accepts and never answers
    /endless            a body without end, until the client goes away
    /drip               headers at once, then the announced 100 bytes one a second
    /loop               302 to itself, without end
    /stream/N           N bytes announced and written in pieces: never held whole, so N
                        may be far larger than the memory
    /accessTindral.php  "score noted"; for some player names (username=) the upload meets
                        a server that misbehaves instead:
                            Blank     an empty body
                            Hang      /hang        Drip      /drip
                            Cut       /cut         Loop      /loop
                            Gigabyte  /stream/1073741824
    anything else, including a proxy's absolute target: "proxied"
"""

import http.server
import sys
import threading
import time
import urllib.parse

RECORD = sys.argv[1]
RECORD_LOCK = threading.Lock()

# Player names whose score upload meets a misbehaving server: the route that answers it.
HOSTILE_NAMES = {"Hang": "/hang", "Drip": "/drip", "Cut": "/cut", "Loop": "/loop",
                 "Gigabyte": "/stream/1073741824"}


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def record(self):
        fields = [self.path] + [self.headers.get(k, "") for k in
                                ("User-Agent", "Cache-Control", "Pragma")]
        with RECORD_LOCK, open(RECORD, "a", encoding="utf-8") as out:
            out.write("\t".join(fields) + "\n")

    def send_body(self, body, status=200):
        self.send_response(status)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
        self.wfile.flush()

    def do_GET(self):
        self.record()
        url = urllib.parse.urlsplit(self.path)
        path = url.path
        if path == "/accessTindral.php" and not url.netloc:
            name = urllib.parse.parse_qs(url.query).get("username", [""])[0]
            path = HOSTILE_NAMES.get(name, path)
        if path.startswith("/size/"):
            n = int(path[len("/size/"):])
            pattern = b"0123456789abcdefghijklmnopqrstuvwxyz\n"
            self.send_body((pattern * (n // len(pattern) + 1))[:n])
        elif path.startswith("/bytes/"):
            self.send_body(bytes.fromhex(path[len("/bytes/"):]))
        elif path.startswith("/status/"):
            code = int(path[len("/status/"):])
            self.send_body(b"status %d page" % code, code)
        elif path.startswith("/redirect/"):
            self.send_response(302)
            self.send_header("Location", "/" + path[len("/redirect/"):])
            self.send_header("Content-Length", "0")
            self.end_headers()
        elif path == "/cut":
            self.send_response(200)
            self.send_header("Content-Length", "3000")
            self.end_headers()
            self.wfile.write(b"x" * 1500)
            self.wfile.flush()
            self.close_connection = True
        elif path == "/headers-then-close":
            self.send_response(200)
            self.send_header("Content-Length", "100")
            self.end_headers()
            self.wfile.flush()
            self.close_connection = True
        elif path == "/endless":
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.end_headers()
            block = b"y" * 65536
            self.close_connection = True
            while True:
                self.wfile.write(block)
        elif path == "/hang":
            time.sleep(60)
            self.close_connection = True
        elif path == "/drip":
            self.send_response(200)
            self.send_header("Content-Length", "100")
            self.end_headers()
            self.close_connection = True
            for _ in range(100):
                self.wfile.write(b"d")
                self.wfile.flush()
                time.sleep(1.0)
        elif path == "/loop":
            self.send_response(302)
            self.send_header("Location", self.path)
            self.send_header("Content-Length", "0")
            self.end_headers()
        elif path.startswith("/stream/"):
            left = int(path[len("/stream/"):])
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Content-Length", str(left))
            self.end_headers()
            self.close_connection = True
            block = b"z" * 65536
            while left > 0:
                piece = min(left, len(block))
                self.wfile.write(block[:piece])
                left -= piece
        elif path == "/accessTindral.php" and not url.netloc:
            query = urllib.parse.parse_qs(url.query)
            blank = query.get("username") == ["Blank"]
            self.send_body(b"" if blank else b"score noted")
        else:
            self.send_body(b"proxied")


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def handle_error(self, request, client_address):
        # Clients that give up early (refused data, time-outs) are part of the tests.
        if not issubclass(sys.exc_info()[0], ConnectionError):
            super().handle_error(request, client_address)


def main():
    port = int(sys.argv[2]) if len(sys.argv) > 2 else 0
    server = Server(("127.0.0.1", port), Handler)
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
