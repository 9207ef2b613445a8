"""The real tindral-web for a test: started on a free port of 127.0.0.1, talked to with
http.client, and stopped by its process id."""

import html.parser
import http.client
import json
import os
import signal
import subprocess


class Service:
    def __init__(self, binary, *args, env=None, user=None):
        argv = [binary, "--listen", "127.0.0.1:0", *args]
        if user:
            argv = ["runuser", "-u", user, "--"] + argv
        self.process = subprocess.Popen(argv, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                        text=True, env=env)
        line = self.process.stdout.readline()
        if "listening on 127.0.0.1:" not in line:
            self.process.wait(10)
            raise AssertionError("tindral-web did not start: " + line +
                                 self.process.stderr.read())
        self.port = int(line.split("127.0.0.1:")[1].split(",")[0])

    def get(self, target, method="GET", headers=None):
        """(status, headers as a dict of lower-case names, body bytes)."""
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=10)
        try:
            connection.request(method, target, headers=headers or {})
            response = connection.getresponse()
            body = response.read()
            return (response.status, {k.lower(): v for k, v in response.getheaders()}, body)
        finally:
            connection.close()

    def scores(self):
        status, _, body = self.get("/tindral/scores.json")
        assert status == 200, status
        return json.loads(body)

    def page(self):
        """/tindral/ read as a Page."""
        status, _, body = self.get("/tindral/")
        assert status == 200, status
        page = Page()
        page.feed(body.decode("utf-8"))
        page.close()
        return page

    def stop(self, sig=signal.SIGTERM, timeout=20):
        """Sends `sig` and returns (exit status, standard output, standard error)."""
        if self.process.poll() is None:
            os.kill(self.process.pid, sig)
        out, err = self.process.communicate(timeout=timeout)
        return self.process.returncode, out, err

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        if self.process.poll() is None:
            self.process.kill()
        self.process.communicate()
        return False


def score_query(name, spheres, time_text, os_name="XP", index=None):
    """The query the game sends for a run; `index` defaults to the right check value."""
    if index is None:
        seconds = int(time_text.split(".")[0])
        index = (seconds * spheres * len(name) - 2) * 3
        index = (index + 2**31) % 2**32 - 2**31
    return ("/accessTindral.php?access=score_upload_information&level=1"
            f"&score_time={time_text}&score_spheres={spheres}&username={name}&index={index}"
            f"&os={os_name}&version=1.65")


class Page(html.parser.HTMLParser):
    """What /tindral/ shows as text: `rows[SECTION_ID]`, the cells of each body row of a
    section, and `counts[ID]`, the text of the other elements that carry an id (the numbers
    of runs and of reports)."""

    def __init__(self):
        super().__init__()
        self.rows = {}
        self.counts = {}
        self._section = self._row = self._cell = self._count = None

    def handle_starttag(self, tag, attrs):
        element_id = dict(attrs).get("id")
        if tag == "section":
            self._section = element_id
            self.rows[element_id] = []
        elif tag == "tr" and self._section is not None:
            self._row = []
        elif tag == "td" and self._row is not None:
            self._cell = ""
        elif element_id is not None:
            self._count = element_id
            self.counts[element_id] = ""

    def handle_endtag(self, tag):
        if tag == "section":
            self._section = None
        elif tag == "tr" and self._row is not None:
            if self._row:  # the header row holds no td
                self.rows[self._section].append(self._row)
            self._row = None
        elif tag == "td" and self._cell is not None:
            self._row.append(self._cell)
            self._cell = None
        elif self._count is not None:
            self._count = None

    def handle_data(self, data):
        if self._cell is not None:
            self._cell += data
        if self._count is not None:
            self.counts[self._count] += data
