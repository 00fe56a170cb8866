"""A web server for the tests that misbehaves: /hop/N sends on to /hop/N-1
until /hop/0 answers "arrived"; /endless sends a body of no stated length
that goes on (up to 64 MB) until the client hangs up."""

import sys
from http.server import BaseHTTPRequestHandler, HTTPServer


class Redirects(BaseHTTPRequestHandler):
    def do_GET(self):
        if self.path.startswith("/hop/"):
            left = int(self.path[5:])
            if left == 0:
                return self.answer(200, b"arrived")
            return self.send_on("/hop/%d" % (left - 1))
        if self.path == "/endless":
            return self.endless()
        self.answer(404, b"")

    def endless(self):
        self.send_response(200)
        self.end_headers()
        try:
            for _ in range(1024):
                self.wfile.write(b"x" * 65536)
        except OSError:
            pass
        self.close_connection = True

    def send_on(self, location):
        self.send_response(302)
        self.send_header("Location", location)
        self.send_header("Content-Length", "0")
        self.end_headers()

    def answer(self, code, body):
        self.send_response(code)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


HTTPServer(("127.0.0.1", int(sys.argv[1])), Redirects).serve_forever()
