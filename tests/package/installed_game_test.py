"""The game as a player meets it after installing: started by its command from a staged
`cmake --install` (DESTDIR), from another working folder, for a home without ~/.local.
It opens its window with the installed icon's picture, loads its resources, saves its
settings, exits 0 when its window is closed, and leaves the installed tree as it was.
Run inside tests/e2e/xvfb_run.sh.
Usage: installed_game_test.py CMAKE BUILD_FOLDER"""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "e2e"))
from staging import APP_ID, Staged, snapshot  # noqa: E402
from tindral_driver import Game, open_menu, read_text  # noqa: E402

CMAKE, BUILD = sys.argv[1], sys.argv[2]


def window_icon(window):
    """The window's icon as the window manager gets it: (width, height, [0xAARRGGBB...])."""
    out = subprocess.run(["xprop", "-id", str(window), "-notype", "32c", "_NET_WM_ICON"],
                         check=True, capture_output=True, text=True).stdout
    values = [int(v) for v in re.findall(r"\d+", out.partition("=")[2])]
    if len(values) < 2:
        raise AssertionError(f"the window has no icon: {out!r}")
    width, height = values[0], values[1]
    return width, height, values[2:2 + width * height]


def png_argb(path):
    rgba = subprocess.run(["convert", path, "-depth", "8", "rgba:-"], check=True,
                          capture_output=True).stdout
    return [rgba[i + 3] << 24 | rgba[i] << 16 | rgba[i + 1] << 8 | rgba[i + 2]
            for i in range(0, len(rgba), 4)]


class Installed_Game(unittest.TestCase):
    def setUp(self):
        self.staged = Staged(CMAKE, BUILD)
        self.addCleanup(self.staged.remove)
        self.scratch = tempfile.mkdtemp(prefix="tindral-installed-")
        self.addCleanup(shutil.rmtree, self.scratch, True)
        # "driver" holds the test's own files (the game's standard error, its sound
        # configuration); the game is told nothing of it.
        for name in ("home", "work", "tmp", "driver"):
            os.mkdir(os.path.join(self.scratch, name))

    def test_the_installed_command_plays_and_leaves_the_installed_tree_as_it_was(self):
        home, work, tmp = (os.path.join(self.scratch, n) for n in ("home", "work", "tmp"))
        before = snapshot(self.staged.destdir)
        game = Game(self.staged.path("games/tindral"),
                    data_home=os.path.join(self.scratch, "driver"),
                    env_changes={"HOME": home, "XDG_DATA_HOME": None, "TMPDIR": tmp})
        self.addCleanup(game.cleanup)
        game.start(cwd=work)
        open_menu(game)

        width, height, icon = window_icon(game.main_window())
        self.assertEqual((width, height), (32, 32))
        installed = self.staged.path(f"share/icons/hicolor/32x32/apps/{APP_ID}.png")
        self.assertTrue(icon == png_argb(installed),
                        "the window's icon is the installed 32 x 32 icon")

        game.close()
        self.assertEqual(game.wait(), 0, game.stderr_text())
        data = os.path.join(home, ".local", "share", "Tindral")
        self.assertIn("Level = ", read_text(os.path.join(data, "config.dat")))
        self.assertIn("Game resources initialized", read_text(os.path.join(data, "log.dat")))

        after = snapshot(self.staged.destdir)
        self.assertEqual(sorted(set(after) ^ set(before)), [], "files made or removed")
        self.assertEqual([path for path in before if before[path] != after[path]], [],
                         "files changed")
        self.assertEqual(os.listdir(work), [], "nothing in the working folder")
        self.assertEqual(os.listdir(tmp), [], "the private folder goes at exit")


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "-v"])
