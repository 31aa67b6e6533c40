#!/usr/bin/env python3
"""Serve the web build on localhost with the two cross-origin isolation
headers: without them a page gets no SharedArrayBuffer, so no threads.

    serve_web.py [DIR] [PORT]    DIR defaults to build-web/site, PORT to 8000
                                 (0: any free port)

Prints the page's address once it listens."""
import functools
import http.server
import os
import sys


class IsolatedHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".wasm": "application/wasm", ".js": "text/javascript",
                      ".data": "application/octet-stream"}

    def end_headers(self):
        self.send_header("Cross-Origin-Opener-Policy", "same-origin")
        self.send_header("Cross-Origin-Embedder-Policy", "require-corp")
        self.send_header("Cache-Control", "no-cache")
        super().end_headers()

    def log_message(self, fmt, *args):
        pass   # one line per file fetched would drown the address


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    site = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "build-web", "site")
    try:
        port = int(sys.argv[2]) if len(sys.argv) > 2 else 8000
    except ValueError:
        sys.exit("serve_web.py: the port must be a number, not %r" % sys.argv[2])
    if not os.path.isfile(os.path.join(site, "index.html")):
        sys.exit("serve_web.py: no web build in %s (scripts/web_build.sh makes it)" % site)
    handler = functools.partial(IsolatedHandler, directory=site)
    try:
        server = http.server.ThreadingHTTPServer(("127.0.0.1", port), handler)
    except OSError as err:
        sys.exit("serve_web.py: cannot listen on port %d: %s" % (port, err.strerror))
    print("varnek in a web page: http://localhost:%d/" % server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
