"""The page the menu's Website button opens, rendered by a real browser (headless Chromium):
both tables with the expected rows in the game's orders, the installs, a hostile value
shown as text and never run, and the game's dark navy behind it all.

Usage: page_browser_test.py TINDRAL_WEB [unittest arguments]
With TINDRAL_SHOTS_DIR set, the screenshot is kept there as web_page.png."""

import html.parser
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from web_service import Service, score_query  # noqa: E402

BINARY = None
HOSTILE = '<script>document.title="owned"</script><img src=x onerror=alert(1)>'


def chromium():
    for name in ("chromium", "chromium-browser", "google-chrome"):
        path = shutil.which(name)
        if path:
            return path
    return None


class Tables(html.parser.HTMLParser):
    """The rendered DOM: the text of every cell by section id, and the elements seen."""

    def __init__(self):
        super().__init__()
        self.sections = {}
        self.tags = set()
        self.title = ""
        self._section = None
        self._row = None
        self._cell = None
        self._in_title = False

    def handle_starttag(self, tag, attrs):
        self.tags.add(tag)
        attrs = dict(attrs)
        if tag == "section":
            self._section = attrs.get("id")
            self.sections[self._section] = []
        elif tag == "tr" and self._section:
            self._row = []
        elif tag in ("td", "th") and self._row is not None:
            self._cell = ""
        elif tag == "title":
            self._in_title = True

    def handle_endtag(self, tag):
        if tag in ("td", "th") and self._cell is not None:
            self._row.append(self._cell)
            self._cell = None
        elif tag == "tr" and self._row is not None:
            self.sections[self._section].append(self._row)
            self._row = None
        elif tag == "title":
            self._in_title = False

    def handle_data(self, data):
        if self._cell is not None:
            self._cell += data
        if self._in_title:
            self.title += data


@unittest.skipIf(chromium() is None, "chromium is not installed (scripts/setup.sh installs it)")
class Page_In_A_Browser(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="tindral-page-")
        cls.service = Service(BINARY, "--db", os.path.join(cls.folder, "scores.db"),
                              "--rate", "0")
        # 30 runs: Run0 lets in 0 spheres in 10 s ... Run29 lets in 29 in 39 s.
        for i in range(30):
            status = cls.service.get(score_query(f"Run{i}", i, f"{10 + i}.000000",
                                                 os_name="Windows_7"))[0]
            assert status == 200, status
        from service_test import report_query
        for query in (report_query(), report_query(), report_query(program=HOSTILE)):
            assert cls.service.get(query)[0] == 200
        url = f"http://127.0.0.1:{cls.service.port}/tindral/"
        browser = [chromium(), "--headless", "--no-sandbox", "--disable-gpu",
                   "--hide-scrollbars", f"--user-data-dir={cls.folder}/profile",
                   "--window-size=1400,1500"]
        dom = subprocess.run(browser + ["--dump-dom", url], capture_output=True, text=True,
                             timeout=120)
        cls.dom = dom.stdout
        cls.shot = os.path.join(os.environ.get("TINDRAL_SHOTS_DIR") or cls.folder,
                                "web_page.png")
        os.makedirs(os.path.dirname(cls.shot), exist_ok=True)
        subprocess.run(browser + [f"--screenshot={cls.shot}", url], capture_output=True,
                       timeout=120)

    @classmethod
    def tearDownClass(cls):
        cls.service.stop()
        cls.service.__exit__()
        shutil.rmtree(cls.folder, ignore_errors=True)

    def tables(self):
        parsed = Tables()
        parsed.feed(self.dom)
        return parsed

    def test_both_tables_show_the_top_25_in_the_games_orders(self):
        sections = self.tables().sections
        for section, first, last in (("by-spheres", 0, 24), ("by-time", 29, 5)):
            with self.subTest(section):
                head, *rows = sections[section]
                self.assertEqual(head, ["#", "Name", "Spheres", "Seconds", "OS", "Date"])
                self.assertEqual(len(rows), 25)
                self.assertEqual(rows[0][:5], ["1", f"Run{first}", str(first),
                                               f"{10 + first}.00", "Windows_7"])
                self.assertEqual(rows[-1][:3], ["25", f"Run{last}", str(last)])
                self.assertRegex(rows[0][5], r"^\d{4}-\d\d-\d\d$")

    def test_runs_and_installs_are_shown(self):
        parsed = self.tables()
        self.assertRegex(self.dom, r'Runs received: <strong id="runs">30</strong>')
        installs = parsed.sections["installs"][1:]
        self.assertIn(["Tindral", "1.65", "XP", "2", "0"], installs)
        self.assertIn([HOSTILE, "1.65", "XP", "1", "0"], installs)

    def test_a_hostile_value_is_text_and_never_runs(self):
        parsed = self.tables()
        self.assertNotIn("script", parsed.tags)
        self.assertNotIn("img", parsed.tags)
        self.assertNotEqual(parsed.title, "owned")

    def test_it_looks_like_the_game(self):
        self.assertTrue(os.path.exists(self.shot), "no screenshot")

        def pixels(x, y, width, height=1):
            raw = subprocess.run(["convert", self.shot, "-crop", f"{width}x{height}+{x}+{y}",
                                  "-depth", "8", "rgb:-"], capture_output=True, check=True).stdout
            return [tuple(raw[i:i + 3]) for i in range(0, len(raw), 3)]
        # Dark navy in the corners, blue brighter than red.
        for x, y in ((5, 5), (1390, 5), (5, 1490)):
            (r, g, b), = pixels(x, y, 1)
            self.assertLess(max(r, g, b), 70, (x, y))
            self.assertGreater(b, r, (x, y))
        # The wordmark's light blue across the heading.
        light = [p for p in pixels(450, 40, 500, 60) if p[2] > 200 and p[1] > 150 and p[0] < p[2]]
        self.assertGreater(len(light), 500, "no light blue wordmark in the heading")


if __name__ == "__main__":
    BINARY = sys.argv[1]
    unittest.main(argv=[sys.argv[0], "-v"] + sys.argv[2:])
