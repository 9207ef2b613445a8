"""The high-score upload through the real game. The test copy of the program, its web host
on this machine, plays whole "High Score" runs (the computer on Bottom, 150 seconds of game
time each), all at once, each in a small Xvfb screen of its own: a game without the focus
stands still, so they cannot share one screen.

    uploads on       a qualifying run, a name typed: the test's server gets one request
    uploads off      a qualifying run: nothing is sent, the tables are still saved
    not top five     the tables hold runs no game can beat: nothing is sent
    never answered   uploads on, and the server takes the request and never answers (it
                     does so for the player "Hang"): the frame that uploads waits out the
                     game's time-out, logs it, and the game goes on to its menu

The test's server listens on a free port.

Usage:
    upload_e2e.py TEST_PROGRAM DATA_FOLDER SERVER_SCRIPT XVFB_RUN
The test runs itself once per game inside XVFB_RUN with --play PROGRAM_FOLDER NAME.
With TINDRAL_SHOTS_DIR set, each game's end screen is kept there."""

import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.parse

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from tindral_driver import (  # noqa: E402
    CLOCK, END_PROMPT, END_TABLE_ROW, EXIT, LEVEL_BLOCK_CORNER, NEW_GAME, Frame, Game,
    Test_Copy, click_at, config_values, count, is_green, is_grey, is_white, menu_box,
    menu_point, open_menu, press, read_text, screenshot, wait_for)

RUN_SECONDS = 150.0
# How long a run may take in wall time: four of them share two processors.
RUN_WALL_SECONDS = 420.0
SCREEN = "480x360x24"

# Five places in each table that no 150-second run can reach: no sphere let in, and a
# best time longer than the run.
UNBEATABLE = "".join(f"High_Score_{place}{table} = Best{place} = 0 = 999.000000\n"
                     for table in "AB" for place in range(1, 6))


def settings(upload, extra=""):
    return (f"CameraView = 1\nLevel = 6\nSound = 0\nUploadHighScores = {upload}\n"
            "Top = 7\nBottom = 7\nLeft = 7\nRight = 7\n" + extra)


# ---- one game, inside its own Xvfb screen ------------------------------------------------

def name_keys(name):
    return ["shift+" + c.lower() if c.isupper() else c for c in name]


def play(folder, name):
    """Plays one run of the test copy in FOLDER (see Uploads.start_game) with the mouse and
    keys and writes what happened to result.json in its per-user folder. NAME is typed at
    the end screen; empty when the run must not qualify."""
    copy = Test_Copy(folder)
    data_home = os.path.join(folder, "home")
    game = Game(copy.program, data_home).start()
    try:
        try:
            client = open_menu(game)
        except AssertionError:
            # A start that shows no window fails the run: four games starting at once on
            # two processors is where a window once never got mapped.
            describe_stuck_start(game)
            raise

        def box(rect):
            return menu_box(client, *rect)

        def menu_showing():
            return is_grey(Frame().pixel(*menu_point(client, *LEVEL_BLOCK_CORNER)))

        click_at(menu_point(client, *NEW_GAME))
        wait_for(lambda: not menu_showing(), 15, 0.1, "the menu to fade out")
        started = copy.game_seconds()

        def run_over():
            # The clock is gone and "Press <enter> to continue" shows (white paddles and
            # spheres can cross the prompt's place while the run goes on).
            frame = Frame()
            return (count(frame, box(CLOCK), lambda p: max(p) > 128) == 0
                    and count(frame, box(END_PROMPT), is_white) > 20)
        wait_for(run_over, RUN_WALL_SECONDS, 1.0, "the end screen")
        seconds = copy.game_seconds() - started
        if os.environ.get("TINDRAL_SHOTS_DIR"):
            os.makedirs(os.environ["TINDRAL_SHOTS_DIR"], exist_ok=True)
            screenshot(os.path.join(os.environ["TINDRAL_SHOTS_DIR"],
                                    f"upload_end_{name or 'outside'}.png"))
        qualified = count(Frame(), box(END_TABLE_ROW), is_green) > 20
        for key in name_keys(name):
            press(key)
            time.sleep(0.15)
        time.sleep(0.3)
        press("Return")
        wait_for(menu_showing, 30, 0.2, "the menu after the run")
        time.sleep(0.5)
        click_at(menu_point(client, *EXIT))
        status = game.wait(30)
        with open(os.path.join(data_home, "result.json"), "w") as f:
            json.dump({"seconds": seconds, "qualified": qualified, "status": status}, f)
    finally:
        game.cleanup()


def describe_stuck_start(game):
    """What a start that showed no menu left behind, for the test's output."""
    print("game running:", game.process.poll() is None)
    print("game stderr:", game.stderr_text())
    print("windows:", subprocess.run(["wmctrl", "-l"], capture_output=True, text=True).stdout)
    if game.process.poll() is None:
        with open(f"/proc/{game.process.pid}/wchan") as f:
            print("waiting in:", f.read())
        if shutil.which("gdb"):
            print(subprocess.run(["gdb", "-p", str(game.process.pid), "-batch", "-ex", "bt"],
                                 capture_output=True, text=True).stdout[-3000:])
    sys.stdout.flush()


# ---- all games at once, against the test's server ----------------------------------------

class Uploads(unittest.TestCase):
    """Each test reads back one game of the runs played together in setUpClass."""

    @classmethod
    def setUpClass(cls):
        program, cls.data, server_script, cls.xvfb_run = sys.argv[1:5]
        cls.folder = tempfile.mkdtemp(prefix="tindral-upload-")
        cls.addClassCleanup(shutil.rmtree, cls.folder, True)
        cls.record = os.path.join(cls.folder, "requests.txt")
        open(cls.record, "w").close()
        cls.server = subprocess.Popen([sys.executable, server_script, cls.record],
                                      stdout=subprocess.PIPE, text=True)
        try:
            port = cls.server.stdout.readline().strip()
            if not port.isdigit():
                raise AssertionError("the test server did not start")
            served = f"127.0.0.1:{port}"
            cls.games = {
                "on": cls.start_game(program, served, "UpOn", settings(1)),
                "off": cls.start_game(program, served, "UpOff", settings(0)),
                "outside": cls.start_game(program, served, "", settings(1, UNBEATABLE)),
                "never answered": cls.start_game(program, served, "Hang", settings(1)),
            }
            end = time.monotonic() + RUN_WALL_SECONDS + 60
            for game in cls.games.values():
                try:
                    game["process"].wait(max(1.0, end - time.monotonic()))
                except subprocess.TimeoutExpired:
                    # The whole session: the Xvfb wrapper, its Xvfb, the window manager,
                    # the game.
                    os.killpg(game["process"].pid, signal.SIGKILL)
                    game["process"].wait()
        finally:
            cls.server.terminate()
            cls.server.wait()
            cls.server.stdout.close()

    @classmethod
    def start_game(cls, program, web_host, name, config):
        """A program folder of its own (the build's archives next to a copy of the
        program) and a per-user folder holding CONFIG; the run starts at once, its web
        host WEB_HOST."""
        folder = tempfile.mkdtemp(prefix=(name or "none") + "-", dir=cls.folder)
        copy = Test_Copy.make(program, cls.data, folder)
        home = os.path.join(folder, "home")
        os.makedirs(os.path.join(home, "Tindral"))
        with open(os.path.join(home, "Tindral", "config.dat"), "w") as f:
            f.write(config)
        output = os.path.join(folder, "output.txt")
        with open(output, "w") as out:
            process = subprocess.Popen(
                [cls.xvfb_run, sys.executable, os.path.abspath(__file__), "--play", folder,
                 name],
                env={**os.environ, **copy.env(web_host), "TINDRAL_XVFB_SCREEN": SCREEN},
                stdout=out, stderr=subprocess.STDOUT, start_new_session=True)
        return {"process": process, "home": home, "output": output, "name": name}

    # ---- reading a game back -------------------------------------------------------------

    def result(self, key):
        """What the player saw: the run's length, whether it was offered a name, the exit
        status. Fails with the game's own output when the run could not be played."""
        game = self.games[key]
        path = os.path.join(game["home"], "result.json")
        if not os.path.exists(path):
            self.fail(f"the {key!r} run was not played through:\n" + read_text(game["output"]))
        with open(path) as f:
            result = json.load(f)
        self.assertGreater(result["seconds"], RUN_SECONDS - 5.0)
        self.assertEqual(result["status"], 0, "the game ends normally from its menu")
        return result

    def log(self, key):
        return read_text(os.path.join(self.games[key]["home"], "Tindral", "log.dat"))

    def saved(self, key):
        return config_values(os.path.join(self.games[key]["home"], "Tindral", "config.dat"))

    def requests(self):
        with open(self.record, encoding="utf-8") as f:
            return [line.split("\t")[0] for line in f.read().splitlines()]

    def saved_run(self, key):
        """(spheres, time as written) of the run saved as the first place of both tables."""
        saved = self.saved(key)
        a = saved["High_Score_1A"].split(" = ")
        self.assertEqual(a, saved["High_Score_1B"].split(" = "))
        self.assertEqual(a[0], self.games[key]["name"])
        return int(a[1]), a[2]

    # ---- the four runs -------------------------------------------------------------------

    def test_qualifying_run_with_uploads_on_is_sent_once_and_logged(self):
        self.assertTrue(self.result("on")["qualified"])
        spheres, best_time = self.saved_run("on")
        os_name = re.search(r"Game resources initialized \[([^\]]*)\]", self.log("on")).group(1)
        index = (int(float(best_time)) * spheres * len("UpOn") - 2) * 3
        self.assertEqual([r for r in self.requests() if "&username=UpOn&" in r], [
            "/accessTindral.php?access=score_upload_information&level=1"
            f"&score_time={best_time}&score_spheres={spheres}&username=UpOn&index={index}"
            f"&os={urllib.parse.quote(os_name, safe='')}&version=1.65"])
        self.assertEqual(self.log("on").count("High score upload completed"), 1)
        self.assertIn(f"High score upload completed [UpOn][{best_time}][{spheres}]",
                      self.log("on"))

    def test_uploads_off_sends_nothing_and_keeps_the_run(self):
        self.assertTrue(self.result("off")["qualified"])
        self.saved_run("off")
        self.assertFalse([r for r in self.requests() if "&username=UpOff&" in r])
        self.assertNotIn("High score upload completed", self.log("off"))

    def test_run_outside_the_top_five_sends_nothing(self):
        self.assertFalse(self.result("outside")["qualified"])
        # No name is asked for, so a run sent by mistake would carry an empty one.
        self.assertFalse([r for r in self.requests() if "&username=&" in r])
        self.assertNotIn("High score upload completed", self.log("outside"))
        saved = self.saved("outside")
        self.assertEqual([saved[f"High_Score_{p}{t}"] for t in "AB" for p in range(1, 6)],
                         [f"Best{p} = 0 = 999.000000" for t in "AB" for p in range(1, 6)])

    def test_server_that_never_answers_the_game_goes_on_to_the_menu(self):
        # result() holds the game to its menu after the run and to a normal end from there.
        self.assertTrue(self.result("never answered")["qualified"])
        self.saved_run("never answered")
        self.assertEqual(len([r for r in self.requests() if "&username=Hang&" in r]), 1,
                         "sent once, not retried")
        log = self.log("never answered")
        self.assertNotIn("High score upload completed", log)
        # No answer within the time-out, then the read on the handle never opened.
        self.assertIn("CTarvelIO::Retrieve_Data_URL() :: failed (InternetOpenURL [12002])", log)
        self.assertIn("CTarvelIO::Retrieve_Data_URL() :: failed (InternetReadFile [6])", log)


if __name__ == "__main__":
    if len(sys.argv) > 1 and sys.argv[1] == "--play":
        play(*sys.argv[2:4])
    else:
        unittest.main(argv=[sys.argv[0], "-v"] + sys.argv[5:])
