#!/usr/bin/env python3
"""An HTTP server on 127.0.0.1 for the external link check: fixed answers per path, a port
that accepts connections and never answers, and how many requests each host had at once.

Prints "PORT <port> SILENT <port>" when ready; stops when its standard input closes.

  /ok            200               /moved   301 to /ok        /missing  404
  /error         500               /nohead  405 to HEAD, 200 to GET
  /stats         JSON: the most requests one host had at once, and requests per path
  anything else  200 after the delay given as ?delay=<ms>
"""
import json
import socket
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, urlsplit

lock = threading.Lock()
active = {}
most = {}
counts = {}


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def answer(self, status, body=b"", headers=()):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def handle_one(self):
        parts = urlsplit(self.path)
        if parts.path == "/stats":
            with lock:
                body = json.dumps({"most": max(most.values(), default=0),
                                   "requests": counts}).encode()
            return self.answer(200, body, [("Content-Type", "application/json")])
        host = self.headers.get("Host", "").split(":")[0]
        with lock:
            counts[parts.path] = counts.get(parts.path, 0) + 1
            active[host] = active.get(host, 0) + 1
            most[host] = max(most.get(host, 0), active[host])
        try:
            delay = int(parse_qs(parts.query).get("delay", ["0"])[0])
            time.sleep(delay / 1000)
            if parts.path == "/moved":
                self.answer(301, headers=[("Location", "/ok")])
            elif parts.path == "/missing":
                self.answer(404, b"missing")
            elif parts.path == "/error":
                self.answer(500, b"error")
            elif parts.path == "/nohead" and self.command == "HEAD":
                self.answer(405, headers=[("Allow", "GET")])
            else:
                self.answer(200, b"<!DOCTYPE html><title>ok</title>" * 64,
                            [("Content-Type", "text/html")])
        finally:
            with lock:
                active[host] -= 1

    do_GET = handle_one
    do_HEAD = handle_one


def main():
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    silent = socket.socket()
    silent.bind(("127.0.0.1", 0))
    silent.listen(64)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    print(f"PORT {server.server_address[1]} SILENT {silent.getsockname()[1]}", flush=True)
    sys.stdin.read()
    server.shutdown()


if __name__ == "__main__":
    main()
