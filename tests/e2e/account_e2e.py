"""The real program on accounts that no test tidied first: a home without ~/.local, a data
folder that cannot be made, no home at all, no display, and the leftovers of a game that
was killed. Run inside tests/e2e/xvfb_run.sh.
Usage: account_e2e.py PROGRAM"""

import os
import pwd
import shutil
import stat
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from tindral_driver import Game, activate, open_menu, press, read_text, wait_for, windows_named  # noqa: E402

PROGRAM = sys.argv[1]
INSTANCE_MESSAGE = "An instance is already running."
NO_DATA_FOLDER = "cannot create the data folder"


def mode(path):
    return stat.S_IMODE(os.stat(path).st_mode)


def private_folders(tmp):
    return sorted(name for name in os.listdir(tmp) if name.startswith("tindral-"))


class Accounts(unittest.TestCase):
    def setUp(self):
        self.games = []
        self.scratch = tempfile.mkdtemp(prefix="tindral-account-")
        self.tmp = os.path.join(self.scratch, "tmp")
        os.mkdir(self.tmp)
        os.chmod(self.tmp, 0o1777)

    def tearDown(self):
        for game in self.games:
            game.cleanup()
        shutil.rmtree(self.scratch, ignore_errors=True)

    def game(self, env_changes, data_home=None, user=None, cwd=None):
        env = {"TMPDIR": self.tmp}
        env.update(env_changes)
        game = Game(PROGRAM, data_home, env, user=user,
                    stderr_path=tempfile.mktemp(prefix="stderr-", dir=self.scratch))
        self.games.append(game)
        return game.start(cwd)

    def refused(self, env_changes):
        """Starts a second game that must be refused: the message box, status 1."""
        second = self.game(env_changes)
        box = wait_for(lambda: windows_named("^Tindral$"), 20, what="the instance message box")[0]
        self.assertIn(INSTANCE_MESSAGE, second.stderr_text())
        activate(box)
        press("Return")
        self.assertEqual(second.wait(), 1)

    def test_a_home_without_local_gets_its_folders_and_keeps_one_game(self):
        home = os.path.join(self.scratch, "home")
        os.mkdir(home)
        env = {"HOME": home, "XDG_DATA_HOME": None}
        first = self.game(env)
        open_menu(first)
        self.refused(env)
        self.assertIsNone(first.process.poll(), "the first game keeps running")
        first.close()
        self.assertEqual(first.wait(), 0)
        data = os.path.join(home, ".local", "share", "Tindral")
        for name in ("config.dat", "log.dat"):
            self.assertTrue(os.path.isfile(os.path.join(data, name)), name)
        self.assertIn("Game resources initialized", read_text(os.path.join(data, "log.dat")))
        for folder in (".local", ".local/share", ".local/share/Tindral"):
            self.assertEqual(mode(os.path.join(home, folder)), 0o700, folder)
        self.assertNotIn(NO_DATA_FOLDER, first.stderr_text())

    def test_a_data_folder_that_cannot_be_made_is_said_once_and_the_game_plays(self):
        env = {"XDG_DATA_HOME": "/dev/null/x"}
        first = self.game(env)
        open_menu(first)
        self.assertEqual(first.stderr_text().count(NO_DATA_FOLDER), 1, first.stderr_text())
        self.refused(env)
        self.assertIsNone(first.process.poll(), "the first game keeps running")
        first.close()
        self.assertEqual(first.wait(), 0)
        self.assertEqual(first.stderr_text().count(NO_DATA_FOLDER), 1, first.stderr_text())

    def test_no_home_and_no_password_entry_writes_nothing_into_the_root_folder(self):
        uid = next(u for u in range(54321, 60000) if not _has_entry(u))
        # The stranger needs the display's cookie and its sound configuration.
        cookie = os.path.join(self.scratch, "xauthority")
        shutil.copy(os.environ["XAUTHORITY"], cookie)
        os.chmod(cookie, 0o644)
        os.chmod(self.scratch, 0o755)
        data_home = tempfile.mkdtemp(dir=self.scratch)
        os.chmod(data_home, 0o755)
        before = sorted(os.listdir("/"))
        game = self.game({"HOME": None, "XDG_DATA_HOME": None, "XAUTHORITY": cookie},
                         data_home=data_home, user=(uid, uid), cwd="/")
        open_menu(game)
        game.close()
        self.assertEqual(game.wait(), 0)
        self.assertEqual(sorted(os.listdir("/")), before)
        self.assertEqual(game.stderr_text().count(NO_DATA_FOLDER + " (no home folder is known)"), 1,
                         game.stderr_text())
        self.assertEqual(private_folders(self.tmp), [], "the private folder goes at exit")

    def test_without_a_display_the_game_ends_at_once_with_a_message(self):
        gone = {"DISPLAY": None, "WAYLAND_DISPLAY": None, "SDL_VIDEODRIVER": None}
        game = self.game(gone)
        self.assertEqual(game.wait(timeout=15), 1)
        self.assertIn("cannot open a display", game.stderr_text())
        # A driver asked for by name is the user's choice: the game then runs unseen.
        named = self.game(dict(gone, SDL_VIDEODRIVER="offscreen"))
        time.sleep(3.0)
        self.assertIsNone(named.process.poll(), named.stderr_text())

    def test_the_next_start_removes_what_a_killed_game_left(self):
        # A running game's private folder must stay whoever starts next.
        running = self.game({})
        running.main_window()
        running_folder = wait_for(lambda: private_folders(self.tmp), 10, what="a private folder")

        data_home = tempfile.mkdtemp(dir=self.scratch)
        data = os.path.join(data_home, "Tindral")
        killed = self.game({}, data_home=data_home)
        killed.main_window()
        wait_for(lambda: len(private_folders(self.tmp)) == 2, 10, what="a second private folder")
        killed.kill()
        self.assertEqual(len(private_folders(self.tmp)), 2,
                         "a killed game cannot remove its private folder")

        # Anything else of a similar name stays too, and so does a live process's save.
        os.mkdir(os.path.join(self.tmp, "tindral-notes"))
        with open(os.path.join(self.tmp, "tindral-AbC123"), "w") as f:
            f.write("a file, not a folder")
        gone_pid = _finished_pid()
        planted = {f"config.dat.tmp-{gone_pid}": False,       # a save cut by a kill
                   f"config.dat.tmp-{os.getpid()}": True,     # a live process's save
                   "config.dat.tmp-abc": True, "config.dat.old": True}
        for name in planted:
            with open(os.path.join(data, name), "w") as f:
                f.write("Level = 1\n")

        again = self.game({}, data_home=data_home)
        open_menu(again)
        again.close()
        self.assertEqual(again.wait(), 0)
        self.assertEqual(private_folders(self.tmp),
                         sorted(running_folder + ["tindral-AbC123", "tindral-notes"]))
        for name, stays in planted.items():
            self.assertEqual(os.path.exists(os.path.join(data, name)), stays, name)
        self.assertIsNone(running.process.poll())
        running.close()
        self.assertEqual(running.wait(), 0)
        self.assertEqual(private_folders(self.tmp), ["tindral-AbC123", "tindral-notes"])


def _has_entry(uid):
    try:
        pwd.getpwuid(uid)
        return True
    except KeyError:
        return False


def _finished_pid():
    process = subprocess.Popen(["true"])
    process.wait()
    return process.pid


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "-v"])
