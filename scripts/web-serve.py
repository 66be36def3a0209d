#!/usr/bin/env python3
"""Serves the browser build on 127.0.0.1 and prints the address.

    web-serve.py FOLDER [--port N]   (N 0: any free port; default 8700, or the next free)
"""
import argparse
import functools
import http.server
import sys


class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = dict(http.server.SimpleHTTPRequestHandler.extensions_map)
    extensions_map.update({".wasm": "application/wasm", ".js": "text/javascript",
                           ".stk": "application/corvida"})

    def log_message(self, *args):
        if not self.server.quiet:
            super().log_message(*args)


def serve(folder, port, quiet=False, announce=print):
    handler = functools.partial(Handler, directory=folder)
    for candidate in [port] if port == 0 else range(port, port + 50):
        try:
            server = http.server.ThreadingHTTPServer(("127.0.0.1", candidate), handler)
            break
        except OSError:
            continue
    else:
        sys.exit(f"web-serve: no free port from {port}")
    server.quiet = quiet
    announce(f"Serving {folder} at http://127.0.0.1:{server.server_address[1]}/")
    sys.stdout.flush()
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("folder")
    parser.add_argument("--port", type=int, default=8700)
    parser.add_argument("--quiet", action="store_true")
    args = parser.parse_args()
    serve(args.folder, args.port, args.quiet)
