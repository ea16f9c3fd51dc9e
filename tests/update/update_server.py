#!/usr/bin/env python3
"""A small update server for the update tests.

Usage: update_server.py ROOT [CERT KEY]

Listens on 127.0.0.1 on a free port and prints that port on the first line of
standard output. Serves the files below ROOT. ROOT/routes.json, read again for
every request, may change what a path returns:

  {"/Updates.ini": {"status": 302, "location": "http://localhost:{port}/x/Updates.ini"},
   "/Updates/big.zip": {"file": "big.zip", "chunk": 4096, "delay": 0.05, "length": false},
   "/gone": {"status": 404}}

"file" names the file below ROOT to send (default: the path itself), "chunk" and
"delay" drip the body in pieces with a pause before each, "length": false
leaves out Content-Length. Every request is appended to ROOT/requests.log as
"<path> <Host header>". With CERT and KEY it speaks https.
"""

import json
import os
import ssl
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

ROOT = os.path.abspath(sys.argv[1])


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, fmt, *args):
        pass

    def routes(self):
        try:
            with open(os.path.join(ROOT, "routes.json"), encoding="utf-8") as f:
                return json.load(f)
        except (OSError, ValueError):
            return {}

    def do_GET(self):
        path = self.path.split("?", 1)[0]
        with open(os.path.join(ROOT, "requests.log"), "a", encoding="utf-8") as log:
            log.write("%s %s\n" % (path, self.headers.get("Host", "")))
        route = self.routes().get(path, {})
        port = self.server.server_address[1]

        status = route.get("status", 200)
        if "location" in route:
            self.send_response(status)
            self.send_header("Location", route["location"].replace("{port}", str(port)))
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        if status != 200:
            body = b"<html>error</html>"
            self.send_response(status)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
            return

        name = route.get("file", urllib.parse.unquote(path).lstrip("/"))
        full = os.path.abspath(os.path.join(ROOT, name))
        if not full.startswith(ROOT + os.sep) or not os.path.isfile(full):
            self.send_response(404)
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        with open(full, "rb") as f:
            body = f.read()
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        if route.get("length", True):
            self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        chunk = int(route.get("chunk", 0)) or len(body) or 1
        delay = float(route.get("delay", 0))
        try:
            for start in range(0, len(body), chunk):
                if delay:
                    time.sleep(delay)
                self.wfile.write(body[start:start + chunk])
                self.wfile.flush()
        except (BrokenPipeError, ConnectionResetError):
            pass


def exit_with_parent():
    # The test keeps our standard input open; when it ends, however it ends,
    # the server ends too.
    sys.stdin.buffer.read()
    os._exit(0)


def main():
    threading.Thread(target=exit_with_parent, daemon=True).start()
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    if len(sys.argv) > 3:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(sys.argv[2], sys.argv[3])
        server.socket = context.wrap_socket(server.socket, server_side=True)
    print(server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
