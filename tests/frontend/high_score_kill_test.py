"""The save of config.dat after a "High Score" run, killed with SIGKILL at 120 moments
spread over it: the file is afterwards always the whole old or the whole new one, and the
next start removes the temporary files of killed saves. The save runs in
high_score_save_driver, on the match screen's code (tests/support/kill_during_save.py).

Usage: high_score_kill_test.py PRELOAD DRIVER"""

import os
import shutil
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from kill_during_save import Driver, run_kills  # noqa: E402

PRELOAD, DRIVER = sys.argv[1:3]
KILLS = 120

# The tables before the run: one place taken, which the run (3 spheres, 40.5 s) beats in
# table B and follows in table A.
OLD = (b"1.65\n\nCameraView = 1\nLevel = 6\nMusic = 0\nSound = 0\nUploadHighScores = 0\n\n"
       b"Top = 7\nBottom = 1\nLeft = 7\nRight = 7\n\n"
       b"High_Score_1A = Old = 2 = 30.000000\n\nHigh_Score_1B = Old = 2 = 30.000000\n")


class High_Score_Save(Driver):
    def __init__(self, scratch):
        folder = tempfile.mkdtemp(dir=scratch)
        file = os.path.join(folder, "config.dat")
        super().__init__([DRIVER, file], file, OLD)

    def strays(self, pid):
        own = f"config.dat.tmp-{pid}"
        return [name for name in os.listdir(os.path.dirname(self.file))
                if name.startswith("config.dat.tmp") and name != own]


class Kill_During_High_Score_Save(unittest.TestCase):
    def test_config_dat_is_always_whole_old_or_whole_new(self):
        scratch = tempfile.mkdtemp(prefix="tindral-kill-")
        self.addCleanup(shutil.rmtree, scratch, True)
        subjects = [High_Score_Save(scratch) for _ in range(2)]

        report = run_kills(subjects, PRELOAD, "config.dat", KILLS)

        self.assertEqual(report["damaged"], 0, report["damaged_examples"])
        self.assertGreaterEqual(report["kills"], 100, report)
        self.assertGreater(report["old"], 0, report)
        self.assertGreater(report["new"], 0, report)
        self.assertEqual(report["strays_at_save"], [])
        self.assertEqual(report["left_after"], [])
        with open(subjects[0].file, "rb") as f:
            saved = f.read()
        self.assertIn(b"High_Score_1A = Old = 2 = 30.000000\nHigh_Score_2A = Ann = 3 = 40.500000\n",
                      saved)
        self.assertIn(b"High_Score_1B = Ann = 3 = 40.500000\nHigh_Score_2B = Old = 2", saved)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "-v"])
