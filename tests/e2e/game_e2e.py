"""The game played from start to finish in a real window, with a player's mouse clicks and
key presses only: the menu's rows and buttons, a match suspended and continued, leaving,
and a whole "High Score" run with a name typed into the tables and uploaded to the real
tindral-web, which the test starts on 127.0.0.1. What happened is read back from the
screen, from config.dat and log.dat written by the game, from its exit status and from the
service's page. The player's program walks through the menu; the test copy of the program
plays the whole run (150 seconds of game time, as fast as the machine draws them).
Run inside tests/e2e/xvfb_run.sh.
Usage: game_e2e.py PROGRAM WEB_HOST TEST_PROGRAM DATA_FOLDER WEB_SERVICE [TEST...]
WEB_SERVICE is the tindral-web program (a name that is no program when it was not built).
With TINDRAL_SHOTS_DIR set, the screenshots a person would look at are kept there, and so
is the service's database after the run (web_after_e2e.db), to show its page in a browser:
    tindral-web --listen 127.0.0.1:8090 --db DIR/web_after_e2e.db"""

import os
import re
import shutil
import stat
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from tindral_driver import (  # noqa: E402
    BOTTOM_ROW, BOTTOM_VALUE, CAMERA_ROW, CLOCK, CONTINUE, CONTINUE_LABEL, EMPTY_SPACE,
    END_TABLE_ROW, EXIT, LEFT_ARROWS, LEVEL_BLOCK_CORNER, LEVEL_NAME, MENU_TABLES, NEW_GAME,
    NEW_GAME_FILL, NEW_GAME_LABEL, RIGHT_ARROWS, SOUND_ROW, SOUND_ROW_BOX, TABLE_A_SPHERES,
    TABLE_B_TIME, UPLOAD_ROW, WEBSITE, Frame, Game, Test_Copy, click_at, config_values,
    count, is_green, is_grey, is_white, menu_box, menu_point, move_to, open_menu, pixels,
    press, read_text, run, screenshot, wait_for)

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "web"))
from web_service import Service  # noqa: E402

PROGRAM, WEB_HOST, TEST_PROGRAM, DATA, WEB_SERVICE = (sys.argv[1:6] + [""] * 5)[:5]
SHOTS = os.environ.get("TINDRAL_SHOTS_DIR")
# How long the test copy may take in wall time for a whole run.
RUN_WALL_SECONDS = 300.0
# The rows of the options block (Sound, Camera, Upload), where a click shows its effect.
OPTION_ROWS = (56.6, 75.0, 80.2, 84.8)

def is_orange(p):
    return p[0] > 150 and p[1] < 90 and p[2] < 60


def is_text_on_grey(p):
    return any(abs(c - 128) > 60 for c in p)


def left_edge(frame, box, test):
    """The first column of `box` holding a pixel that passes `test` (None: none)."""
    rows = pixels(frame, box)
    for i in range(box[2]):
        if any(test(row[i]) for row in rows):
            return i
    return None


def glyph(frame, box, index):
    """The bright mask of the index-th glyph of a line of light text on a dark ground,
    glyphs being runs of columns that hold a bright pixel."""
    rows = pixels(frame, box)
    lit = [any(max(row[i]) > 128 for row in rows) for i in range(box[2])]
    runs, start = [], None
    for i, on in enumerate(lit + [False]):
        if on and start is None:
            start = i
        elif not on and start is not None:
            runs.append((start, i))
            start = None
    if len(runs) <= index:
        return None
    a, b = runs[index]
    return tuple(tuple(max(row[i]) > 128 for i in range(a, b)) for row in rows)


class Played(unittest.TestCase):
    def setUp(self):
        self.games = []

    def tearDown(self):
        for game in self.games:
            game.cleanup()

    # ---- helpers ------------------------------------------------------------------------

    def start(self, config=None, env=None, program=PROGRAM):
        game = Game(program)
        self.games.append(game)
        if config is not None:
            os.makedirs(os.path.join(game.data_home, "Tindral"), exist_ok=True)
            with open(game.data_file("config.dat"), "w") as f:
                f.write(config)
        if env:
            base = game.env
            game.env = lambda: {**base(), **env}
        game.start()
        self.client = open_menu(game)
        return game

    def at(self, point):
        return menu_point(self.client, *point)

    def box(self, rect):
        return menu_box(self.client, *rect)

    def frame(self):
        return Frame()

    def click(self, point, settle=0.4):
        click_at(self.at(point))
        time.sleep(settle)

    def click_and_settle(self, point, rect):
        """Clicks at POINT and returns the crop of RECT once the click showed there: once
        it differs from before the click and then holds still for a tenth of a second."""
        before = self.crop(rect)
        click_at(self.at(point))
        return self.settled(rect, before)

    def settled(self, rect, before, timeout=15):
        """The crop of RECT once it differs from BEFORE and holds still for 0.1 s."""
        last = None

        def changed_and_still():
            nonlocal last
            now = self.crop(rect)
            done = now != before and now == last
            last = now
            return now if done else None
        return wait_for(changed_and_still, timeout, 0.1, "the screen to change and settle")

    def shot(self, name):
        if not SHOTS:
            return
        os.makedirs(SHOTS, exist_ok=True)
        whole = os.path.join(SHOTS, name + "-screen.png")
        screenshot(whole)
        x, y, w, h = self.client
        run("convert", whole, "-crop", f"{w}x{h}+{x}+{y}", "+repage",
            os.path.join(SHOTS, name + ".png"))
        os.remove(whole)

    def crop(self, rect, frame=None):
        return tuple(map(tuple, pixels(frame or self.frame(), self.box(rect))))

    def live_view(self, frame):
        cx, cy, w, h = self.client
        x, y = int(0.145 * w), int(0.542 * h)
        size_w, size_h = int(0.276 * w), int(0.276 * h)
        return tuple(map(tuple, pixels(frame, (cx + x, cy + h - y - size_h, size_w, size_h))))

    def web_service(self):
        """The real tindral-web on a free port of 127.0.0.1 with a database of its own
        (self.web_database), stopped when the test ends."""
        if not os.access(WEB_SERVICE, os.X_OK):
            self.fail(f"tindral-web is not built ({WEB_SERVICE!r}): it needs "
                      "libcpp-httplib-dev, libsqlite3-dev and libpqxx-dev, which "
                      "scripts/setup.sh installs")
        folder = tempfile.mkdtemp(prefix="tindral-web-")
        self.addCleanup(shutil.rmtree, folder, True)
        self.web_database = os.path.join(folder, "scores.db")
        service = Service(WEB_SERVICE, "--db", self.web_database)
        self.addCleanup(service.__exit__)
        return service

    def wait_for_menu_gone(self):
        wait_for(lambda: not is_grey(self.frame().pixel(*self.at(LEVEL_BLOCK_CORNER))), 15,
                 0.1, "the menu to fade out")

    # ---- the menu, a suspended match, leaving --------------------------------------------

    def test_menu_walkthrough(self):
        bin_dir = tempfile.mkdtemp(prefix="tindral-browser-")
        self.addCleanup(shutil.rmtree, bin_dir, True)
        opened = os.path.join(bin_dir, "opened.txt")
        browser = os.path.join(bin_dir, "xdg-open")
        with open(browser, "w") as f:
            f.write(f'#!/bin/sh\necho "$@" >> "{opened}"\n')
        os.chmod(browser, stat.S_IRWXU)
        game = self.start(env={"PATH": bin_dir + ":" + os.environ["PATH"]})

        idle = self.frame()
        self.shot("menu_idle")
        self.assertEqual(count(idle, self.box(SOUND_ROW_BOX), is_white), 0)
        # No match to continue: its label is dimmed, New game's is white.
        self.assertGreater(count(idle, self.box(NEW_GAME_LABEL), is_white), 50)
        self.assertEqual(count(idle, self.box(CONTINUE_LABEL), lambda p: max(p) > 100), 0)
        self.assertEqual(count(idle, self.box(NEW_GAME_FILL), is_green), 0)

        # Hovering a row turns its texts white; hovering a button fills it from the left.
        move_to(self.at(SOUND_ROW))
        wait_for(lambda: count(self.frame(), self.box(SOUND_ROW_BOX), is_white) > 30, 10, 0.1,
                 "the hovered row's texts to turn white")
        move_to(self.at(NEW_GAME))
        fill = self.box(NEW_GAME_FILL)

        def filled():
            frame = self.frame()
            return frame if count(frame, fill, is_green) > 0.8 * fill[2] * fill[3] else None
        hovered = wait_for(filled, 10, 0.1, "the hovered button to fill")
        self.shot("menu_hover")
        self.assertEqual(count(hovered, self.box(SOUND_ROW_BOX), is_white), 0)
        move_to(self.at(EMPTY_SPACE))
        wait_for(lambda: count(self.frame(), fill, is_green) == 0, 10, 0.1,
                 "the button to empty")

        # Levels: Countdown (300) -> (600) -> (900) -> High Score -> Timed (3 min), then
        # the left arrows at Timed (3 min) give High Score again.
        names = [self.crop(LEVEL_NAME)]
        for arrows in (RIGHT_ARROWS, RIGHT_ARROWS, RIGHT_ARROWS, RIGHT_ARROWS, LEFT_ARROWS):
            names.append(self.click_and_settle(arrows, LEVEL_NAME))
        self.assertEqual(len(set(names[:5])), 5, "each click shows another level")
        self.assertEqual(names[5], names[3])
        countdown_900 = names[2]

        # The options, each toggled once.
        for row in (SOUND_ROW, CAMERA_ROW, UPLOAD_ROW):
            self.click_and_settle(row, OPTION_ROWS)

        # Bottom, with no joystick: Arrow keys -> W, A, S, D -> Computer -> None -> Arrow
        # keys. The names are right-aligned, so a shorter one starts further right.
        before = self.crop(BOTTOM_VALUE)
        move_to(self.at(BOTTOM_ROW))
        shown = [self.settled(BOTTOM_VALUE, before)]
        edges = [left_edge(self.frame(), self.box(BOTTOM_VALUE), is_text_on_grey)]
        for _ in range(4):
            shown.append(self.click_and_settle(BOTTOM_ROW, BOTTOM_VALUE))
            edges.append(left_edge(self.frame(), self.box(BOTTOM_VALUE), is_text_on_grey))
        self.assertNotIn(None, edges)
        self.assertNotEqual(shown[1], shown[0])                # W, A, S, D
        self.assertGreater(edges[2], edges[1] + 20)            # Computer is shorter
        self.assertGreater(edges[3], edges[2] + 20)            # None shorter still
        self.assertEqual(shown[4], shown[0])                   # Arrow keys again
        self.click_and_settle(BOTTOM_ROW, BOTTOM_VALUE)        # W, A, S, D to keep

        # New game: the menu fades out and a "High Score" run starts with its clock.
        self.click(NEW_GAME, settle=0.0)
        self.wait_for_menu_gone()
        time.sleep(1.5)
        started = self.frame()
        self.shot("match_running")
        time.sleep(1.0)
        self.assertNotEqual(self.crop(CLOCK), self.crop(CLOCK, started), "the clock runs")
        fresh_tens = glyph(started, self.box(CLOCK), 2)  # "2:2x.x": the seconds' tens
        self.assertIsNotNone(fresh_tens)

        # Once the clock is below 2:20, Escape suspends the match ("2:1x.x").
        def below_20():
            tens = glyph(self.frame(), self.box(CLOCK), 2)
            return tens if tens is not None and tens != fresh_tens else None
        before_tens = wait_for(below_20, 40, 0.2, "the clock to pass 2:20")
        press("Escape")
        wait_for(lambda: is_grey(self.frame().pixel(*self.at(LEVEL_BLOCK_CORNER))), 15, 0.1,
                 "the menu after Escape")
        time.sleep(0.8)
        suspended = self.frame()
        self.shot("menu_suspended")
        self.assertGreater(count(suspended, self.box(CONTINUE_LABEL), is_white), 50,
                           "Continue is live")
        time.sleep(1.0)
        self.assertEqual(self.live_view(self.frame()), self.live_view(suspended),
                         "the suspended match stands still in the live view")

        # Continue: the same match goes on, its clock where it stopped.
        self.click(CONTINUE, settle=0.0)
        self.wait_for_menu_gone()
        time.sleep(1.2)
        resumed = self.frame()
        self.assertEqual(glyph(resumed, self.box(CLOCK), 2), before_tens)
        time.sleep(1.0)
        self.assertNotEqual(self.crop(CLOCK), self.crop(CLOCK, resumed), "running again")

        # Back in the menu: one step left from High Score shows Countdown (900) again.
        press("Escape")
        wait_for(lambda: is_grey(self.frame().pixel(*self.at(LEVEL_BLOCK_CORNER))), 15, 0.1,
                 "the menu after the second Escape")
        time.sleep(0.8)
        self.assertEqual(self.click_and_settle(LEFT_ARROWS, LEVEL_NAME), countdown_900)

        # Website opens the maker's page in the browser; the menu stays.
        self.click(WEBSITE, settle=0.0)
        wait_for(lambda: os.path.exists(opened), 10, 0.1, "the browser")
        self.assertEqual(read_text(opened).split(), [f"http://{WEB_HOST}/tindral/"])
        self.assertTrue(is_grey(self.frame().pixel(*self.at(LEVEL_BLOCK_CORNER))))

        # Exit fades out and ends the program normally; the settings are in config.dat.
        self.click(EXIT, settle=0.0)
        self.assertEqual(game.wait(20), 0)
        values = config_values(game.data_file("config.dat"))
        self.assertEqual({k: values.get(k) for k in (
            "Level", "Sound", "CameraView", "UploadHighScores", "Top", "Bottom", "Left",
            "Right")}, {"Level": "5", "Sound": "1", "CameraView": "0",
                        "UploadHighScores": "0", "Top": "7", "Bottom": "2", "Left": "7",
                        "Right": "7"})

    # ---- a whole "High Score" run --------------------------------------------------------

    def test_high_score_run_enters_both_tables(self):
        # The computer plays Bottom. Uploads are on, to the tindral-web this test runs on
        # 127.0.0.1, so the run reaches the world tables and still nothing leaves the machine.
        service = self.web_service()
        first_day = time.strftime("%Y-%m-%d", time.gmtime())
        copy = Test_Copy.make(TEST_PROGRAM, DATA, tempfile.mkdtemp(prefix="tindral-copy-"))
        self.addCleanup(shutil.rmtree, copy.folder, True)
        game = self.start(config="CameraView = 1\nLevel = 6\nSound = 0\n"
                                 "UploadHighScores = 1\nTop = 7\nBottom = 7\nLeft = 7\n"
                                 "Right = 7\n",
                          env=copy.env(web_host=f"127.0.0.1:{service.port}"),
                          program=copy.program)
        menu = self.frame()
        self.assertEqual(count(menu, self.box(TABLE_A_SPHERES), is_orange), 0)
        self.assertEqual(count(menu, self.box(TABLE_B_TIME), is_orange), 0)

        self.click(NEW_GAME, settle=0.0)
        self.wait_for_menu_gone()
        started = copy.game_seconds()
        # 150 seconds of game time later the end screen shows the run in green in both tables.
        wait_for(lambda: count(self.frame(), self.box(END_TABLE_ROW), is_green) > 40,
                 RUN_WALL_SECONDS, 1.0, "the end of the run")
        self.assertGreater(copy.game_seconds() - started, 145.0)
        self.shot("high_score_end")

        for key in ("shift+a", "n", "n", "7"):
            press(key)
            time.sleep(0.15)
        time.sleep(0.3)
        press("Return")
        wait_for(lambda: is_grey(self.frame().pixel(*self.at(LEVEL_BLOCK_CORNER))), 15, 0.2,
                 "the menu after the run")
        time.sleep(0.8)
        tables = self.frame()
        self.shot("menu_high_scores")
        self.assertGreater(count(tables, self.box(TABLE_A_SPHERES), is_orange), 5)
        self.assertGreater(count(tables, self.box(TABLE_B_TIME), is_orange), 5)
        self.assertEqual(count(tables, self.box(MENU_TABLES), is_green), 0,
                         "the menu shows no row as new")

        # Saved when Enter was pressed, before leaving.
        saved = config_values(game.data_file("config.dat"))
        a = saved.get("High_Score_1A", "").split(" = ")
        b = saved.get("High_Score_1B", "").split(" = ")
        self.assertEqual(a[0], "Ann7")
        self.assertEqual(a, b)
        self.assertGreaterEqual(int(a[1]), 0)
        self.assertGreater(float(a[2]), 0.0)
        self.assertLessEqual(float(a[2]), 150.5)
        self.assertNotIn("High_Score_2A", saved)

        self.click(EXIT, settle=0.0)
        self.assertEqual(game.wait(20), 0)
        self.assertEqual(config_values(game.data_file("config.dat")).get("High_Score_1A"),
                         saved["High_Score_1A"])

        # Sent once, acknowledged, and shown to the world as config.dat has it.
        log = read_text(game.data_file("log.dat"))
        scores = service.scores()
        self.assertEqual(log.count("High score upload completed"), 1,
                         f"completed uploads in log.dat; tindral-web holds {scores['runs']} "
                         "run(s)")
        self.assertIn(f"High score upload completed [Ann7][{a[2]}][{a[1]}]", log)
        os_name = re.search(r"Game resources initialized \[([^\]]*)\]", log).group(1)
        days = {first_day, time.strftime("%Y-%m-%d", time.gmtime())}
        self.assertEqual(scores["runs"], 1)
        for table in ("fewest_spheres", "longest_time"):
            self.assertEqual(len(scores[table]), 1, scores)
            entry = dict(scores[table][0])
            self.assertIn(entry.pop("date"), days)
            self.assertEqual(entry, {"rank": 1, "name": "Ann7", "spheres": int(a[1]),
                                     "seconds": float(a[2]), "os": os_name})
        page = service.page()
        self.assertEqual(page.counts.get("runs"), "1")
        for section in ("by-spheres", "by-time"):
            self.assertEqual(len(page.rows.get(section, [])), 1, page.rows)
            row = page.rows[section][0]
            self.assertIn(row[5], days)
            self.assertEqual(row[:5], ["1", "Ann7", a[1], f"{float(a[2]):.2f}", os_name])
        if SHOTS:
            # Stopped first: a clean stop leaves the whole database in its main file.
            self.assertEqual(service.stop()[0], 0)
            shutil.copy(self.web_database, os.path.join(SHOTS, "web_after_e2e.db"))


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "-v"] + sys.argv[6:])
