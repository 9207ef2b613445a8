"""The save of config.dat reaches the disk as a whole: the new text is flushed before the
rename that puts it in place, and the folder after it, so that a power cut after a save can
bring back neither a short file nor the old one. Read from the system calls the real save
makes (strace), through the High Score save driver.

Usage: save_sync_test.py STRACE DRIVER"""

import os
import re
import subprocess
import sys
import tempfile
import unittest

STRACE, DRIVER = sys.argv[1:3]


class Save_Reaches_The_Disk(unittest.TestCase):
    def test_file_then_rename_then_folder_are_synced(self):
        with tempfile.TemporaryDirectory() as folder:
            config = os.path.join(folder, "config.dat")
            trace = os.path.join(folder, "trace.txt")
            # The leak checker of a sanitized build cannot work under ptrace.
            env = dict(os.environ, ASAN_OPTIONS="detect_leaks=0")
            subprocess.run([STRACE, "-f", "-qq", "-o", trace, "-e",
                            "trace=openat,fsync,fdatasync,rename,renameat,renameat2",
                            DRIVER, config], check=True, env=env)
            with open(trace) as f:
                calls = [line.split(None, 1)[1].strip() for line in f if " " in line]

        opened = {}   # fd -> path, for the fds still meant
        events = []
        for call in calls:
            m = re.match(r'openat\(AT_FDCWD, "([^"]*)", [^)]*\)\s+= (\d+)', call)
            if m:
                opened[m.group(2)] = m.group(1).rstrip("/")
                continue
            m = re.match(r'f(?:data)?sync\((\d+)\)\s+= 0', call)
            if m:
                events.append(("sync", opened.get(m.group(1))))
                continue
            m = re.match(r'rename(?:at2?)?\(.*"([^"]*)", .*"([^"]*)"[^)]*\)\s+= 0', call)
            if m:
                events.append(("rename", m.group(1), m.group(2)))

        renames = [i for i, e in enumerate(events) if e[0] == "rename" and e[2] == config]
        self.assertEqual(len(renames), 1, events)
        at = renames[0]
        temp = events[at][1]
        self.assertIn(("sync", temp), events[:at], "the new text is on disk before the rename")
        self.assertIn(("sync", folder), events[at + 1:], "the folder is synced after the rename")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
