#!/usr/bin/env python3
"""Update server for the update walk-through (run-demo.sh).

Usage: server.py ROOT PORT

Serves the files below ROOT over HTTP/1.0 on 127.0.0.1:PORT. While the file
ROOT/drip exists, archives below /Updates/ are sent in 16 KiB pieces with a
pause of 0.2 s before each, so that a download can be watched and cancelled.
Every request is appended to ROOT/requests.log.
"""

import os
import sys
import time
from http.server import SimpleHTTPRequestHandler, ThreadingHTTPServer

ROOT = os.path.abspath(sys.argv[1])
PORT = int(sys.argv[2])


class Handler(SimpleHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def __init__(self, *args, **kwargs):
        super().__init__(*args, directory=ROOT, **kwargs)

    def log_message(self, fmt, *args):
        with open(os.path.join(ROOT, "requests.log"), "a", encoding="utf-8") as log:
            log.write("%s %s\n" % (time.strftime("%H:%M:%S"), fmt % args))

    def copyfile(self, source, outputfile):
        if not (self.path.startswith("/Updates/") and os.path.exists(os.path.join(ROOT, "drip"))):
            return super().copyfile(source, outputfile)
        try:
            while True:
                piece = source.read(16 * 1024)
                if not piece:
                    return
                time.sleep(0.2)
                outputfile.write(piece)
                outputfile.flush()
        except (BrokenPipeError, ConnectionResetError):
            pass


ThreadingHTTPServer.daemon_threads = True
ThreadingHTTPServer(("127.0.0.1", PORT), Handler).serve_forever()
