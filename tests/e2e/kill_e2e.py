"""The game killed while it saves config.dat at exit: the file is afterwards always the
whole old file or the whole new one, and the next start removes what a killed save left.

The test copy of the program starts in a small screen with a config.dat the game reads and
writes back in its own form; once its window shows it is asked to quit (SIGTERM, a quit
request to the game) and saves. The save is stretched by the save_stretch library
(tests/support/kill_during_save.py) and the game is killed at 120 moments spread over it,
two games at a time, each with its own per-user folder. Run inside tests/e2e/xvfb_run.sh.

The save after a "High Score" run is the same save reached through the match screen's
Enter; the real game reaches it only at the end of a 150-second run, so its kills are made
in tests/frontend/high_score_kill_test.py, on the match screen's code without a window.

Usage: kill_e2e.py PRELOAD TEST_PROGRAM DATA_FOLDER"""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "support"))
from kill_during_save import Subject, run_kills  # noqa: E402
from tindral_driver import Game, Test_Copy, wait_for, windows_named  # noqa: E402

PRELOAD, TEST_PROGRAM, DATA = sys.argv[1:4]
KILLS = 120

# Read by the game and written back in its own form: another version line, blank lines
# where it puts them, and no line it does not know.
OLD = (b"1.00\n"
       b"CameraView = 0\nLevel = 4\nMusic = 0\nSound = 0\nUploadHighScores = 0\n"
       b"Top = 7\nBottom = 2\nLeft = 7\nRight = 7\n"
       b"High_Score_1A = Old = 3 = 40.500000\nHigh_Score_1B = Old = 3 = 40.500000\n"
       b"Note = this line is not the game's and goes at its next save\n")


class Game_Exit_Save(Subject):
    def __init__(self, program, scratch):
        self.program = program
        self.home = tempfile.mkdtemp(dir=scratch)
        self.folder = os.path.join(self.home, "Tindral")
        os.makedirs(self.folder)
        self.file = os.path.join(self.folder, "config.dat")
        self.old = OLD
        self.stderr = open(os.path.join(self.home, "stderr.txt"), "w")

    def start(self, env, marks_fd):
        game = Game(self.program, self.home, env)
        return subprocess.Popen([self.program], env=game.env(), pass_fds=(marks_fd,),
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=self.stderr)

    def trigger(self, process):
        # SDL turns SIGTERM into a quit request once its window is up.
        wait_for(lambda: windows_named("^Tindral - ", process.pid) or process.poll() is not None,
                 30, 0.05, "the game window")
        process.send_signal(signal.SIGTERM)

    def strays(self, pid):
        own = f"config.dat.tmp-{pid}"
        return [name for name in os.listdir(self.folder)
                if name.startswith("config.dat.tmp") and name != own]

    def leftovers(self):
        return sorted(set(os.listdir(self.folder)) - {"config.dat", "log.dat"})


class Kill_During_Exit_Save(unittest.TestCase):
    def test_config_dat_is_always_whole_old_or_whole_new(self):
        scratch = tempfile.mkdtemp(prefix="tindral-kill-")
        self.addCleanup(shutil.rmtree, scratch, True)
        copy = Test_Copy.make(TEST_PROGRAM, DATA, os.path.join(scratch, "program"))
        subjects = [Game_Exit_Save(copy.program, scratch) for _ in range(2)]
        for subject in subjects:
            self.addCleanup(subject.stderr.close)

        report = run_kills(subjects, PRELOAD, "config.dat", KILLS)

        self.assertEqual(report["damaged"], 0, report["damaged_examples"])
        self.assertGreaterEqual(report["kills"], 100, report)
        # Kills fell on both sides of the rename that completes the save.
        self.assertGreater(report["old"], 0, report)
        self.assertGreater(report["new"], 0, report)
        self.assertEqual(report["strays_at_save"], [],
                         "a start left an earlier killed save's temporary file")
        self.assertEqual(report["left_after"], [])
        with open(subjects[0].file, "rb") as f:
            saved = f.read()
        self.assertTrue(saved.startswith(b"1.65\n"), saved)
        self.assertIn(b"Level = 4\n", saved)
        self.assertIn(b"High_Score_1A = Old = 3 = 40.500000\n", saved)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "-v"])
