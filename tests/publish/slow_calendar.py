#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""slow_calendar.py PORT [CERTIFICATE]: a CalDAV stand-in on 127.0.0.1 that answers every
request after 10 s: an empty calendar at /cal/ that takes every write. With CERTIFICATE (a PEM
file holding the key too), over TLS."""
import ssl
import sys
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

LISTING = (b'<?xml version="1.0"?><d:multistatus xmlns:d="DAV:" '
           b'xmlns:c="urn:ietf:params:xml:ns:caldav"><d:response><d:href>/cal/</d:href>'
           b'<d:propstat><d:prop><d:resourcetype><d:collection/><c:calendar/></d:resourcetype>'
           b'</d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>'
           b'</d:multistatus>')


class Slow(BaseHTTPRequestHandler):
    def answer(self, status, body=b""):
        self.rfile.read(int(self.headers.get("Content-Length", 0)))
        time.sleep(10)
        self.send_response(status)
        self.send_header("ETag", '"1"')
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_PROPFIND(self):
        self.answer(207, LISTING)

    def do_PUT(self):
        self.answer(201)

    def do_DELETE(self):
        self.answer(204)


server = ThreadingHTTPServer(("127.0.0.1", int(sys.argv[1])), Slow)
if len(sys.argv) > 2:
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(sys.argv[2])
    server.socket = context.wrap_socket(server.socket, server_side=True)
server.serve_forever()
