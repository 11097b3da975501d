"""A loopback stand-in for the usage endpoint: answers every request with the status and body in the file named
by argv[2] (first line the status, the rest the body), logs each request's path and headers to argv[3], and
writes its port to argv[1]."""
import http.server
import os
import sys

port_file, answer_file, log_file = sys.argv[1:4]


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        with open(log_file, "a") as log:
            log.write(self.path + "\n" + "".join(f"{k}: {v}\n" for k, v in self.headers.items()) + "\n")
        with open(answer_file, "rb") as answer:
            status, _, body = answer.read().partition(b"\n")
        self.send_response(int(status))
        self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
with open(port_file + ".tmp", "w") as out:
    out.write(str(server.server_address[1]))
os.rename(port_file + ".tmp", port_file)
server.serve_forever()
