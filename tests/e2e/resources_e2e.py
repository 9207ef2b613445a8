"""Start-up with content missing from the archives: the real program copied into a
program folder of the test's own, whose archives are rebuilt without one member.
Run inside tests/e2e/xvfb_run.sh.
Usage: resources_e2e.py PROGRAM TINDRAL_PAK DATA_FOLDER"""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from tindral_driver import Game, activate, press, read_text, wait_for, windows_named  # noqa: E402

PROGRAM, TINDRAL_PAK, DATA = sys.argv[1:4]


class Missing_Content(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="tindral-resources-")
        self.program = os.path.join(self.folder, "tindral")
        shutil.copy2(PROGRAM, self.program)
        os.mkdir(os.path.join(self.folder, "data"))
        for archive in ("textures.pak", "models.pak", "audio.pak"):
            shutil.copy2(os.path.join(DATA, archive), os.path.join(self.folder, "data", archive))
        self.games = []

    def tearDown(self):
        for game in self.games:
            game.cleanup()
        shutil.rmtree(self.folder, ignore_errors=True)

    def without(self, archive, member):
        """Rebuilds data/ARCHIVE without MEMBER; returns the member's bytes."""
        unpacked = os.path.join(self.folder, "unpacked-" + archive)
        os.mkdir(unpacked)
        path = os.path.join(self.folder, "data", archive)
        subprocess.run([TINDRAL_PAK, "extract", path, "-C", unpacked], check=True)
        with open(os.path.join(unpacked, member), "rb") as f:
            content = f.read()
        os.remove(os.path.join(unpacked, member))
        os.remove(path)
        files = sorted(os.path.join(unpacked, name) for name in os.listdir(unpacked))
        subprocess.run([TINDRAL_PAK, "create", path] + files, check=True)
        listing = subprocess.run([TINDRAL_PAK, "list", path], check=True, capture_output=True,
                                 text=True).stdout
        self.assertNotIn(member, listing)
        return content

    def start(self):
        game = Game(self.program)
        self.games.append(game)
        return game.start()

    def expect_refused_start(self, failure_line):
        game = self.start()
        box = wait_for(lambda: windows_named("^Tindral$"), 30, what="the error box")[0]
        self.assertIn("Could not initialize game resources.", game.stderr_text())
        log = read_text(game.data_file("log.dat"))
        self.assertIn(failure_line, log)
        self.assertNotIn("Game resources initialized", log)
        activate(box)
        press("Return")
        self.assertEqual(game.wait(), 1)

    def expect_normal_start(self, loaded_line):
        game = self.start()
        game.main_window()
        log_file = game.data_file("log.dat")
        wait_for(lambda: os.path.exists(log_file) and
                 "Game resources initialized" in read_text(log_file),
                 20, what="the start-up to load every resource")
        game.close()
        self.assertEqual(game.wait(), 0)
        log = read_text(game.data_file("log.dat"))
        self.assertIn(loaded_line, log)
        self.assertIn("Game resources initialized", log)

    def test_missing_texture_stops_start_up_and_a_loose_copy_is_used(self):
        content = self.without("textures.pak", "arrow.png")
        self.expect_refused_start(
            "CTarvelWindow::Texture_Load() :: failed (could not find file [2][arrow.png])")
        loose = os.path.join(self.folder, "arrow.png")
        with open(loose, "wb") as f:
            f.write(content)
        self.expect_normal_start("][arrow.png]")
        with open(loose, "rb") as f:
            self.assertEqual(f.read(), content, "the loose file is kept as it was")

    def test_missing_sound_stops_start_up_and_a_loose_copy_is_used(self):
        content = self.without("audio.pak", "game_goal.ogg")
        self.expect_refused_start(
            "CTarvelAudio::Load() :: failed (could not find file [game_goal.ogg])")
        loose = os.path.join(self.folder, "game_goal.ogg")
        with open(loose, "wb") as f:
            f.write(content)
        self.expect_normal_start("CTarvelAudio::Load() :: [game_goal.ogg]")
        self.assertTrue(os.path.exists(loose), "the loose file is kept")

    def test_sounds_without_an_openal_source_do_not_stop_start_up(self):
        """OpenAL with 4 sources for the game's 6 channels: the last two stay silent."""
        conf = os.path.join(self.folder, "four-sources.conf")
        with open(conf, "w") as f:
            f.write("[general]\ndrivers = null\nsources = 4\n")
        saved = os.environ.get("ALSOFT_CONF")
        os.environ["ALSOFT_CONF"] = conf
        try:
            self.expect_normal_start("CTarvelAudio::Load() :: [game_sphere_paddle.ogg]")
        finally:
            if saved is None:
                del os.environ["ALSOFT_CONF"]
            else:
                os.environ["ALSOFT_CONF"] = saved
        log = read_text(self.games[-1].data_file("log.dat"))
        for sound in ("game_sphere_sphere.ogg", "game_sphere_wall.ogg"):
            self.assertIn("CTarvelAudio::Load() :: failed (could not create OpenAL source [%s])"
                          % sound, log)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "-v"])
