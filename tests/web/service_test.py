"""The real tindral-web over real HTTP on 127.0.0.1: what the game and the plug-in get back,
what is stored, the page and its JSON, the limits, stopping and crashing under load, and
the one-line errors of a service that cannot start.

Usage: service_test.py TINDRAL_WEB [unittest arguments]"""

import http.client
import json
import os
import pwd
import re
import signal
import socket
import sqlite3
import stat
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import urllib.parse

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pg_cluster import Cluster  # noqa: E402
from web_service import Service, score_query  # noqa: E402

BINARY = None
EXAMPLE = score_query("Ann", 3, "40.500000")  # index 1074


def report_query(action="install", program="Tindral", version="1.65", major=5, minor=1,
                 os_name="XP", stamp=1234567890):
    values = [("access", "app_info"), ("action", action), ("program", program),
              ("version", version), ("major", major), ("minor", minor), ("os", os_name),
              ("os_timestamp", stamp)]
    return "/accessInfo.php?" + urllib.parse.urlencode(values, quote_via=urllib.parse.quote,
                                                       safe="")


def raw_request(port, data, timeout=10):
    """Sends `data` as it is and returns (status, body) of the answer."""
    with socket.create_connection(("127.0.0.1", port), timeout=timeout) as sock:
        try:
            sock.sendall(data)
        except (BrokenPipeError, ConnectionResetError):
            pass  # answered and closed before the rest arrived
        answer = b""
        while b"\r\n\r\n" not in answer:
            chunk = sock.recv(65536)
            if not chunk:
                break
            answer += chunk
    head, _, rest = answer.partition(b"\r\n\r\n")
    status = int(head.split(b" ")[1])
    length = int(re.search(rb"(?i)content-length: *(\d+)", head).group(1))
    return status, rest[:length] if length else b""


class Answers(unittest.TestCase):
    """One service for the cases that do not disturb each other."""

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory(prefix="tindral-web-")
        cls.db = os.path.join(cls.folder.name, "scores.db")
        cls.service = Service(BINARY, "--db", cls.db, "--rate", "0")

    @classmethod
    def tearDownClass(cls):
        cls.service.stop()
        cls.service.__exit__()
        cls.folder.cleanup()

    def test_an_accepted_run_is_answered_and_stored_once(self):
        status, headers, body = self.service.get(EXAMPLE)
        self.assertEqual(status, 200)
        self.assertTrue(body.strip())
        # A retry or a double press: answered the same way, stored once.
        status, _, body = self.service.get(EXAMPLE)
        self.assertEqual(status, 200)
        self.assertTrue(body.strip())
        scores = self.service.scores()
        runs = [r for r in scores["fewest_spheres"] if r["name"] == "Ann"]
        self.assertEqual(len(runs), 1)
        self.assertEqual({k: runs[0][k] for k in ("spheres", "seconds", "os")},
                         {"spheres": 3, "seconds": 40.5, "os": "XP"})
        self.assertRegex(runs[0]["date"], r"^\d{4}-\d\d-\d\d$")
        with sqlite3.connect(self.db) as db:
            self.assertEqual(db.execute("SELECT count(*) FROM score_runs WHERE name = 'Ann'")
                             .fetchone()[0], 1)

    def test_refused_queries_get_a_client_error_with_an_empty_body(self):
        before = self.service.scores()
        cases = {
            "a forged index": score_query("Forged", 3, "40.500000", index=1075),
            "a long name": score_query("A" * 16, 3, "40.500000"),
            "a name beyond ASCII": score_query("Zo%C3%AB", 3, "40.500000", index=1434),
            "an injection": score_query("x%27%3BDROP%20TABLE%20score_runs", 3, "40.500000"),
            "a missing field": EXAMPLE.replace("&os=XP", ""),
            "a broken escape": EXAMPLE.replace("Ann", "An%4"),
            "an unknown OS": EXAMPLE.replace("os=XP", "os=Linux"),
            "a time past the run": score_query("Late", 3, "300.000000"),
            "a report with a line break": report_query(program="Tin\ndral"),
            "a report with an unknown OS": report_query(os_name="Linux"),
            "a report without access": report_query().replace("access=app_info&", ""),
        }
        for what, target in cases.items():
            with self.subTest(what):
                status, _, body = self.service.get(target)
                self.assertEqual(status, 400)
                self.assertEqual(body, b"")
        after = self.service.scores()
        self.assertEqual(after["runs"], before["runs"])
        self.assertEqual(after["reports"], before["reports"])
        status, _, page = self.service.get("/tindral/")
        self.assertNotIn(b"Forged", page)

    def test_a_report_is_stored_and_its_text_escaped_on_the_page(self):
        hostile = '<script>alert("x")</script> & Co'
        for target in (report_query(program=hostile, version="1.65 \u00e9"),
                       report_query(action="uninstall", os_name="Windows_7")):
            status, _, body = self.service.get(target)
            self.assertEqual((status, bool(body.strip())), (200, True))
        installs = self.service.scores()["installs"]
        self.assertIn({"program": hostile, "version": "1.65 \u00e9", "os": "XP", "installs": 1,
                       "uninstalls": 0}, installs)
        self.assertIn({"program": "Tindral", "version": "1.65", "os": "Windows_7", "installs": 0,
                       "uninstalls": 1}, installs)
        status, headers, page = self.service.get("/tindral/")
        self.assertEqual(status, 200)
        self.assertIn("text/html", headers["content-type"])
        self.assertNotIn(b"<script>", page)
        self.assertIn("&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt; &amp; Co".encode(), page)
        self.assertIn("1.65 \u00e9".encode(), page)
        self.assertIn("default-src 'none'", headers["content-security-policy"])

    def test_the_page_and_its_json_show_the_tables(self):
        self.service.get(score_query("PageRun", 1, "99.000000", os_name="Vista"))
        status, headers, page = self.service.get("/tindral/")
        self.assertEqual(status, 200)
        text = page.decode()
        self.assertRegex(text, r'<td class="name">PageRun</td><td class="num key">1</td>'
                               r'<td class="num">99\.00</td><td>Vista</td>')
        scores = self.service.scores()
        self.assertEqual(re.search(r'id="runs">(\d+)<', text).group(1), str(scores["runs"]))
        self.assertIn("PageRun", [r["name"] for r in scores["longest_time"]])
        status, headers, body = self.service.get("/tindral/", method="HEAD")
        self.assertEqual((status, body), (200, b""))
        self.assertEqual(self.service.get("/tindral")[:2][0], 301)
        self.assertEqual(self.service.get("/tindral")[1]["location"], "/tindral/")
        self.assertEqual(self.service.get("/nothing/here")[0::2], (404, b""))

    def test_only_get_and_head_are_served(self):
        for method in ("POST", "PUT", "DELETE", "PATCH", "OPTIONS"):
            for target in ("/tindral/", EXAMPLE):
                with self.subTest(method=method, target=target[:20]):
                    status, headers, body = self.service.get(target, method=method)
                    self.assertEqual((status, body), (405, b""))
                    self.assertEqual(headers["allow"], "GET, HEAD")
        # HEAD must not change anything: the upload refuses it.
        target = score_query("HeadOnly", 2, "20.000000")
        status, headers, _ = self.service.get(target, method="HEAD")
        self.assertEqual(status, 405)
        self.assertNotIn("HeadOnly", json.dumps(self.service.scores()))

    def test_oversized_requests_are_refused_empty(self):
        port = self.service.port
        cases = {
            "a long query": (b"GET /accessTindral.php?" + b"a" * 8100 + b" HTTP/1.1\r\n"
                             b"Host: x\r\n\r\n", 414),
            "a longer request line than the library reads":
                (b"GET /tindral/?" + b"a" * 9000 + b" HTTP/1.1\r\nHost: x\r\n\r\n", 414),
            "many headers": (b"GET /tindral/ HTTP/1.1\r\nHost: x\r\n" +
                             b"".join(b"X-%d: y\r\n" % i for i in range(100)) + b"\r\n", 431),
            "large headers": (b"GET /tindral/ HTTP/1.1\r\nHost: x\r\n" +
                              b"".join(b"X-%d: %s\r\n" % (i, b"y" * 4000) for i in range(3)) +
                              b"\r\n", 431),
        }
        for what, (request, expected) in cases.items():
            with self.subTest(what):
                status, body = raw_request(port, request)
                self.assertEqual((status, body), (expected, b""))
        # The service still answers.
        self.assertEqual(self.service.get("/tindral/")[0], 200)


class Limits(unittest.TestCase):
    def test_one_address_may_upload_its_rate_a_minute(self):
        with tempfile.TemporaryDirectory() as folder:
            with Service(BINARY, "--db", os.path.join(folder, "s.db"), "--rate", "3") as service:
                answers = [service.get(score_query(f"Rate{i}", 1, "10.000000"))
                           for i in range(3)]
                self.assertEqual([a[0] for a in answers], [200, 200, 200])
                # Runs and reports share the bucket.
                for target in (score_query("Rate9", 1, "10.000000"), report_query()):
                    status, _, body = service.get(target)
                    self.assertEqual((status, body), (429, b""))
                # The page is not limited.
                self.assertEqual(service.get("/tindral/")[0], 200)
                self.assertEqual(service.scores()["runs"], 3)
                self.assertEqual(service.stop()[0], 0)


class Load:
    """Clients that upload distinct runs over kept-alive connections until told to stop,
    and remember each run the service acknowledged."""

    def __init__(self, port, clients=8):
        self.port = port
        self.acknowledged = set()
        self.lock = threading.Lock()
        self.stopping = threading.Event()
        self.threads = [threading.Thread(target=self.client, args=(c,)) for c in range(clients)]
        for thread in self.threads:
            thread.start()

    def client(self, number):
        connection = None
        for i in range(100000):
            if self.stopping.is_set():
                break
            name = f"C{number}R{i}"
            try:
                if connection is None:
                    connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=5)
                connection.request("GET", score_query(name, i % 40, f"{i % 150}.000000"))
                response = connection.getresponse()
                body = response.read()
                if response.status == 200 and body:
                    with self.lock:
                        self.acknowledged.add(name)
                if response.will_close:
                    connection.close()
                    connection = None
            except (OSError, http.client.HTTPException):
                # The service went away: nothing more is acknowledged by it.
                if connection is not None:
                    connection.close()
                connection = None
                if self.stopping.is_set():
                    break
                time.sleep(0.01)

    def wait_for(self, count, seconds=30):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            with self.lock:
                if len(self.acknowledged) >= count:
                    return
            time.sleep(0.01)
        raise AssertionError(f"fewer than {count} uploads acknowledged")

    def finish(self):
        self.stopping.set()
        for thread in self.threads:
            thread.join(30)
        return set(self.acknowledged)


def stored_names(db):
    with sqlite3.connect(db) as connection:
        return {row[0] for row in connection.execute("SELECT name FROM score_runs")}


class Stopping(unittest.TestCase):
    def run_until_stopped(self, sig):
        with tempfile.TemporaryDirectory() as folder:
            db = os.path.join(folder, "scores.db")
            with Service(BINARY, "--db", db, "--rate", "0") as service:
                load = Load(service.port)
                load.wait_for(300)
                status, out, err = service.stop(sig)
                acknowledged = load.finish()
            stored = stored_names(db)
            # Every acknowledged upload is there; at most the few under way when the
            # service stopped were stored without their answer arriving.
            self.assertEqual(acknowledged - stored, set())
            self.assertLessEqual(len(stored - acknowledged), 8)
            # And the service starts again on the same file.
            with Service(BINARY, "--db", db) as again:
                self.assertEqual(again.scores()["runs"], len(stored))
                self.assertEqual(again.stop()[0], 0)
            return status, out, err

    def test_sigterm_answers_what_is_under_way_and_exits_0(self):
        status, out, err = self.run_until_stopped(signal.SIGTERM)
        self.assertEqual(status, 0, err)
        self.assertIn("tindral-web: stopped", out)
        self.assertEqual(err, "")

    def test_sigkill_under_load_loses_nothing_acknowledged(self):
        status, _, _ = self.run_until_stopped(signal.SIGKILL)
        self.assertEqual(status, -signal.SIGKILL)


class Start_Failures(unittest.TestCase):
    """A service that cannot start says why in one line and exits 1."""

    def start_fails(self, *args, user=None, says):
        argv = [BINARY, *args]
        if user:
            argv = ["runuser", "-u", user, "--"] + argv
        result = subprocess.run(argv, capture_output=True, text=True, timeout=30)
        self.assertEqual(result.returncode, 1, result.stderr)
        lines = result.stderr.splitlines()
        self.assertEqual(len(lines), 1, result.stderr)
        self.assertTrue(lines[0].startswith("tindral-web: "), lines[0])
        self.assertIn(says, lines[0])
        return lines[0]

    def test_a_port_in_use(self):
        with tempfile.TemporaryDirectory() as folder:
            with Service(BINARY, "--db", os.path.join(folder, "a.db")) as first:
                self.start_fails("--listen", f"127.0.0.1:{first.port}", "--db",
                                 os.path.join(folder, "b.db"),
                                 says=f"cannot listen on 127.0.0.1:{first.port}: "
                                      "Address already in use")
                # The first one still has the port to itself.
                self.assertEqual(first.get("/tindral/")[0], 200)

    def test_a_database_that_cannot_be_opened_or_written(self):
        with tempfile.TemporaryDirectory() as folder:
            os.chmod(folder, 0o755)
            os.mkdir(os.path.join(folder, "a_folder.db"))
            self.start_fails("--listen", "127.0.0.1:0", "--db",
                             os.path.join(folder, "missing", "s.db"),
                             says="cannot open the database")
            self.start_fails("--listen", "127.0.0.1:0", "--db",
                             os.path.join(folder, "a_folder.db"),
                             says="cannot open the database")
            # A database file the service's user may only read (root may write anything,
            # so as root the service runs as nobody).
            readonly = os.path.join(folder, "readonly.db")
            sqlite3.connect(readonly).close()
            os.chmod(readonly, 0o444)
            user = "nobody" if os.geteuid() == 0 else None
            self.start_fails("--listen", "127.0.0.1:0", "--db", readonly, user=user,
                             says="cannot write the database " + readonly)

    def test_an_unreachable_postgres(self):
        with tempfile.TemporaryDirectory() as folder:
            self.start_fails("--listen", "127.0.0.1:0", "--postgres",
                             f"host={folder} dbname=scores user=tindral",
                             says="cannot use PostgreSQL: ")

    def test_a_wrong_command_line_exits_2(self):
        result = subprocess.run([BINARY, "--listen", "nowhere"], capture_output=True, text=True)
        self.assertEqual(result.returncode, 2)
        self.assertIn("--listen wants ADDR:PORT", result.stderr)

    def test_the_default_database_is_private_under_the_state_folder(self):
        with tempfile.TemporaryDirectory() as folder:
            for env, made in (({"XDG_STATE_HOME": os.path.join(folder, "state")},
                               os.path.join(folder, "state", "tindral-web")),
                              ({"HOME": os.path.join(folder, "home")},
                               os.path.join(folder, "home", ".local", "state", "tindral-web"))):
                base = {k: v for k, v in os.environ.items() if k != "XDG_STATE_HOME"}
                with Service(BINARY, env={**base, **env}) as service:
                    service.get(EXAMPLE)
                    self.assertEqual(service.stop()[0], 0)
                self.assertEqual(stat.S_IMODE(os.stat(made).st_mode), 0o700)
                self.assertEqual(stored_names(os.path.join(made, "scores.db")), {"Ann"})


class Shared_Postgres(unittest.TestCase):
    def test_two_services_on_one_database_store_a_run_once(self):
        with Cluster() as pg:
            with Service(BINARY, "--postgres", pg.conninfo) as one, \
                    Service(BINARY, "--postgres", pg.conninfo) as two:
                for service in (one, two, one):
                    status, _, body = service.get(EXAMPLE)
                    self.assertEqual((status, bool(body.strip())), (200, True))
                self.assertEqual(two.get(score_query("Two", 1, "10.000000"))[0], 200)
                for service in (one, two):
                    scores = service.scores()
                    self.assertEqual(scores["runs"], 2)
                    self.assertEqual([r["name"] for r in scores["fewest_spheres"]],
                                     ["Two", "Ann"])
                self.assertEqual(one.stop()[0], 0)
                self.assertEqual(two.stop()[0], 0)


if __name__ == "__main__":
    BINARY = sys.argv[1]
    unittest.main(argv=[sys.argv[0], "-v"] + sys.argv[2:])
