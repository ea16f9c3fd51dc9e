#!/usr/bin/env python3
# update_server.py ROOT [CERT KEY]: prints a free port on 127.0.0.1 and serves ROOT (https with CERT, KEY)
# until its standard input closes. ROOT/routes.json maps a path to {"status", "location" ("{port}" replaced),
# "chunk" and "delay" (drip the body), "length": false or the length to announce, "endless": the
# body repeated for ever}. ROOT/requests.log gets "<path> <Host>".
import json, os, ssl, sys, threading, time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import unquote

ROOT = os.path.abspath(sys.argv[1])


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    log_message = lambda self, *args: None

    def do_GET(self):
        path = self.path.split("?", 1)[0]
        with open(os.path.join(ROOT, "requests.log"), "a") as log:
            log.write("%s %s\n" % (path, self.headers.get("Host")))
        try:
            with open(os.path.join(ROOT, "routes.json")) as f:
                route = json.load(f).get(path, {})
        except (OSError, ValueError):
            route = {}
        status = route.get("status", 200)
        full = os.path.abspath(os.path.join(ROOT, unquote(path).lstrip("/")))
        if status == 200 and not (full.startswith(ROOT + os.sep) and os.path.isfile(full)):
            status = 404
        body = open(full, "rb").read() if status == 200 else b"<html>Fehler</html>"
        self.send_response(status)
        if "location" in route:
            port = str(self.server.server_address[1])
            self.send_header("Location", route["location"].replace("{port}", port))
        length = route.get("length", True)
        if length is not False:
            self.send_header("Content-Length", str(len(body) if length is True else length))
        self.end_headers()
        chunk = route.get("chunk") or len(body) or 1
        try:
            while True:
                for start in range(0, len(body), chunk):
                    time.sleep(route.get("delay", 0))
                    self.wfile.write(body[start:start + chunk])
                    self.wfile.flush()
                if not route.get("endless"):
                    break
        except OSError:
            pass


server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.daemon_threads = True
if len(sys.argv) > 3:
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(sys.argv[2], sys.argv[3])
    server.socket = context.wrap_socket(server.socket, server_side=True)
print(server.server_address[1], flush=True)
threading.Thread(target=server.serve_forever, daemon=True).start()
sys.stdin.buffer.read()
