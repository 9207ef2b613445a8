"""Write_Key killed with SIGKILL at 120 moments spread over one rewrite of a settings file:
the file is afterwards always the whole old or the whole new one, and the next rewrite
leaves no temporary file. The rewrite runs in write_key_driver, on the Linux system layer
(tests/support/kill_during_save.py).

Usage: write_key_kill_test.py PRELOAD DRIVER"""

import os
import shutil
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from kill_during_save import Driver, run_kills  # noqa: E402

PRELOAD, DRIVER = sys.argv[1:3]
KILLS = 120

OLD = b"LogFolder /var/log/Old\nLanguage English  Volume 7\nName Old*Player\n"
NEW = b"LogFolder\t/home/new/Logs\nLanguage English Volume 7\nName Old*Player\n"


class Key_Rewrite(Driver):
    def __init__(self, scratch):
        folder = tempfile.mkdtemp(dir=scratch)
        file = os.path.join(folder, "settings.dat")
        super().__init__([DRIVER, file, "LogFolder", "/home/new/Logs"], file, OLD)


class Kill_During_Write_Key(unittest.TestCase):
    def test_settings_file_is_always_whole_old_or_whole_new(self):
        scratch = tempfile.mkdtemp(prefix="corvane-kill-")
        self.addCleanup(shutil.rmtree, scratch, True)
        subjects = [Key_Rewrite(scratch) for _ in range(2)]

        report = run_kills(subjects, PRELOAD, "settings.", KILLS)

        self.assertEqual(report["damaged"], 0, report["damaged_examples"])
        self.assertGreaterEqual(report["kills"], 100, report)
        self.assertGreater(report["old"], 0, report)
        self.assertGreater(report["new"], 0, report)
        self.assertEqual(report["left_after"], [])
        with open(subjects[0].file, "rb") as f:
            self.assertEqual(f.read(), NEW)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "-v"])
