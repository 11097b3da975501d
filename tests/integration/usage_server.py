"""Loopback stand-in for the usage endpoint: answers with the status (first line) and body of the file argv[2],
logs each request's path and headers to argv[3], and writes its port to argv[1]."""
import http.server, os, sys


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        with open(sys.argv[3], "a") as log:
            log.write(self.path + "\n" + str(self.headers))
        status, _, body = open(sys.argv[2], "rb").read().partition(b"\n")
        self.send_response(int(status))
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
open(sys.argv[1] + ".tmp", "w").write(str(server.server_address[1]))
os.rename(sys.argv[1] + ".tmp", sys.argv[1])
server.serve_forever()
