#!/usr/bin/env python3
"""The maker's usage-report endpoint, as far as the plug-in's tests need it.

Usage: report_server.py RECORD_FILE

Listens on 127.0.0.1 on a free port, prints the port on its first line of output and
serves until killed. Each GET appends one block to RECORD_FILE before it is answered:
    PATH <TAB> request target as received
    AGENT <TAB> User-Agent
    HEADER <TAB> name <TAB> value    one line per request header, in order, name in lower case
    PARAM <TAB> key <TAB> value      one line per query parameter, in order, decoded
    END
A query that is not strictly well-formed percent-encoded UTF-8 records "BAD <TAB> reason"
instead of its parameters.
"""

import http.server
import sys
import urllib.parse

RECORD = sys.argv[1]


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_GET(self):
        lines = ["PATH\t" + self.path, "AGENT\t" + self.headers.get("User-Agent", "")]
        lines += ["HEADER\t%s\t%s" % (name.lower(), value)
                  for name, value in self.headers.items()]
        query = urllib.parse.urlsplit(self.path).query
        try:
            for key, value in urllib.parse.parse_qsl(query, keep_blank_values=True,
                                                     strict_parsing=True, errors="strict"):
                lines.append("PARAM\t%s\t%s" % (key, value))
        except (ValueError, UnicodeDecodeError) as error:
            lines.append("BAD\t%s" % error)
        lines.append("END")
        with open(RECORD, "a", encoding="utf-8") as out:
            out.write("\n".join(lines) + "\n")
        body = b"noted"
        self.send_response(200)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)


def main():
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
