"""`cmake --install` into a DESTDIR: the tree holds every file the game loads, the desktop
entry, the metainfo, the icons and the manual page, for any prefix, and the desktop's
tools accept what is there; where the web service is built, its systemd unit names that
prefix's program and options file and systemd accepts it.
Usage: install_tree_test.py CMAKE BUILD_FOLDER VERSION WITH_PLUGIN(0|1) WITH_WEB(0|1)"""

import gzip
import os
import re
import struct
import subprocess
import sys
import unittest
import xml.etree.ElementTree as ElementTree

sys.path.insert(0, os.path.dirname(__file__))
from staging import (APP_ID, ARCHIVES, DATA_FOLDER, GAME_FILES, ICON_SIZES,  # noqa: E402
                     PLUGIN_FILES, PROGRAM_FOLDER, Staged, listing, web_system_paths,
                     web_tree)
import systemd_unit  # noqa: E402

CMAKE, BUILD, VERSION = sys.argv[1], sys.argv[2], sys.argv[3]
WITH_PLUGIN, WITH_WEB = sys.argv[4] == "1", sys.argv[5] == "1"
PREFIXES = ("/usr", "/usr/local", "/opt/tindral")


def run(*args):
    return subprocess.run(args, capture_output=True, text=True)


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        raise AssertionError(f"{path} is not a PNG")
    return struct.unpack(">II", head[16:24])


def rgba(path, size):
    """The pixels of an image (PNG or SVG) at SIZE x SIZE, as RGBA bytes."""
    if path.endswith(".svg"):
        png = subprocess.run(["rsvg-convert", "-w", str(size), "-h", str(size), path],
                             check=True, capture_output=True).stdout
        path = "png:-"
    else:
        png = None
    return subprocess.run(["convert", path, "-depth", "8", "rgba:-"], input=png, check=True,
                          capture_output=True).stdout


def desktop_entry(path):
    values = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            key, sep, value = line.rstrip("\n").partition("=")
            if sep:
                values[key] = value
    return values


class Install_Tree(unittest.TestCase):
    def stage(self, prefix="/usr"):
        staged = Staged(CMAKE, BUILD, prefix)
        self.addCleanup(staged.remove)
        return staged

    def test_every_prefix_gets_the_whole_tree_with_links_that_resolve_inside_it(self):
        expected = dict(GAME_FILES, **(PLUGIN_FILES if WITH_PLUGIN else {}))
        for prefix in PREFIXES:
            with self.subTest(prefix=prefix):
                staged = self.stage(prefix)
                self.assertEqual(listing(staged.destdir),
                                 {**{os.path.join(prefix.lstrip("/"), path): kind
                                     for path, kind in expected.items()},
                                  **(web_tree(prefix) if WITH_WEB else {})})
                program = staged.path(f"{PROGRAM_FOLDER}/tindral")
                self.assertEqual(os.path.realpath(staged.path("games/tindral")), program)
                self.assertEqual(os.path.realpath(staged.path(f"{PROGRAM_FOLDER}/data")),
                                 staged.path(DATA_FOLDER))

    def test_the_program_folder_holds_the_builds_program_and_archives(self):
        staged = self.stage()
        built = sorted(name for name in os.listdir(os.path.join(BUILD, "data"))
                       if name.endswith(".pak"))
        self.assertEqual(built, sorted(ARCHIVES), "the archives the build makes")
        data = staged.path(f"{PROGRAM_FOLDER}/data")
        self.assertEqual(sorted(os.listdir(data)), built)
        for name in built:
            with open(os.path.join(data, name), "rb") as a, \
                    open(os.path.join(BUILD, "data", name), "rb") as b:
                self.assertTrue(a.read() == b.read(), name)
        with open(staged.path(f"{PROGRAM_FOLDER}/tindral"), "rb") as f:
            self.assertEqual(f.read(4), b"\x7fELF")

    def test_the_desktop_entry_starts_the_installed_command_with_the_installed_icon(self):
        staged = self.stage()
        path = staged.path(f"share/applications/{APP_ID}.desktop")
        result = run("desktop-file-validate", path)
        self.assertEqual((result.returncode, result.stdout + result.stderr), (0, ""))
        entry = desktop_entry(path)
        command = entry["Exec"].split()[0]
        self.assertEqual(os.path.realpath(staged.path(f"games/{command}")),
                         staged.path(f"{PROGRAM_FOLDER}/tindral"))
        self.assertEqual(entry["Icon"], APP_ID)
        self.assertLessEqual({"Game", "ArcadeGame"}, set(entry["Categories"].split(";")))

    def test_the_icons_are_one_design_at_their_folders_sizes(self):
        staged = self.stage()
        icons = staged.path("share/icons/hicolor")
        for size in ICON_SIZES:
            with self.subTest(size=size):
                self.assertEqual(png_size(f"{icons}/{size}x{size}/apps/{APP_ID}.png"),
                                 (size, size))
        # The scalable icon drawn large matches the largest picture.
        svg = rgba(f"{icons}/scalable/apps/{APP_ID}.svg", 256)
        png = rgba(f"{icons}/256x256/apps/{APP_ID}.png", 256)
        self.assertEqual(len(svg), len(png))
        mean = sum(abs(a - b) for a, b in zip(svg, png)) / len(png)
        self.assertLess(mean, 2.0, "mean difference per channel (0..255)")

    def test_the_metainfo_is_valid_and_names_the_desktop_entry_and_this_release(self):
        staged = self.stage()
        path = staged.path(f"share/metainfo/{APP_ID}.metainfo.xml")
        result = run("appstreamcli", "validate", "--no-net", path)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        component = ElementTree.parse(path).getroot()
        self.assertEqual(component.findtext("id"), APP_ID)
        launchable = component.find("launchable[@type='desktop-id']").text
        self.assertTrue(os.path.isfile(staged.path(f"share/applications/{launchable}")))
        self.assertIn(VERSION, [r.get("version") for r in component.iter("release")])
        self.assertEqual(component.findtext("project_license"), "LicenseRef-proprietary")
        self.assertIsNotNone(component.find("content_rating[@type='oars-1.1']"))

    def test_the_manual_page_reads_without_warnings_and_tells_controls_and_files(self):
        staged = self.stage()
        path = staged.path("share/man/man6/tindral.6.gz")
        with gzip.open(path, "rt", encoding="utf-8") as f:
            self.assertRegex(f.readline(), r'^\.TH TINDRAL 6 ')
        result = subprocess.run(["man", "--warnings", "-l", path], capture_output=True,
                                text=True, env=dict(os.environ, MANWIDTH="80", LC_ALL="C.UTF-8"))
        self.assertEqual((result.returncode, result.stderr), (0, ""))
        text = re.sub(r".\x08", "", result.stdout)
        for section in ("NAME", "DESCRIPTION", "CONTROLS", "FILES", "ENVIRONMENT"):
            self.assertRegex(text, rf"(?m)^{section}$")
        for words in ("Arrow keys", "W, A, S, D", "Joysticks", "F1", "F2", "Escape",
                      "config.dat", "log.dat", "/usr/lib/games/tindral"):
            self.assertIn(words, text)


@unittest.skipUnless(WITH_WEB, "tindral-web is not built")
class Service_Unit(unittest.TestCase):
    """The web service's systemd unit and manual page as installed."""

    def stage(self, prefix):
        staged = Staged(CMAKE, BUILD, prefix)
        self.addCleanup(staged.remove)
        return staged

    def setUp(self):
        if systemd_unit.SYSTEMD_ANALYZE is None:
            self.fail("systemd-analyze is missing (scripts/setup.sh installs systemd)")

    def test_every_prefixs_unit_runs_its_program_with_its_options_and_systemd_accepts_it(self):
        for prefix in PREFIXES:
            with self.subTest(prefix=prefix):
                staged = self.stage(prefix)
                unit_path, options_path = web_system_paths(prefix)
                unit = systemd_unit.read_unit(staged.destdir + unit_path)
                program = systemd_unit.one(unit, "Service", "ExecStart").split()[0]
                self.assertEqual(program, os.path.join(prefix, "sbin/tindral-web"))
                self.assertEqual(systemd_unit.one(unit, "Service", "EnvironmentFile"),
                                 "-" + options_path)
                self.assertTrue(os.path.isfile(staged.destdir + options_path))
                # Unknown or misspelt settings, values systemd cannot read, a program that
                # is not there and a manual page that is not installed all count.
                self.assertEqual(systemd_unit.verify(staged.destdir, unit_path,
                                                     staged.path("share/man")), (0, ""))

    def test_the_service_is_confined_as_far_as_it_can_be(self):
        staged = self.stage("/usr")
        level, report = systemd_unit.exposure(staged.destdir, "tindral-web.service")
        # The level the unit reaches with Debian 12's systemd (252). What remains is what
        # serving needs: the network, and local sockets for PostgreSQL. Each restriction
        # that counts on its own raises it: run as root instead of a dynamic user 1.6,
        # without the system call filter 1.5, with capabilities 2.8. (Those that a
        # dynamic user implies, such as ProtectSystem=strict, do not.)
        self.assertLessEqual(level, 1.1, report)

    def test_the_manual_page_reads_without_warnings_and_tells_the_service_files(self):
        staged = self.stage("/usr")
        path = staged.path("share/man/man8/tindral-web.8.gz")
        with gzip.open(path, "rt", encoding="utf-8") as f:
            self.assertRegex(f.readline(), r'^\.TH TINDRAL-WEB 8 ')
        result = subprocess.run(["man", "--warnings", "-l", path], capture_output=True,
                                text=True, env=dict(os.environ, MANWIDTH="80", LC_ALL="C.UTF-8"))
        self.assertEqual((result.returncode, result.stderr), (0, ""))
        text = re.sub(r".\x08", "", result.stdout)
        for section in ("NAME", "SYNOPSIS", "OPTIONS", "SERVICE", "FILES", "EXIT STATUS"):
            self.assertRegex(text, rf"(?m)^{section}$")
        for words in ("--listen", "--db", "--postgres", "--rate", "TINDRAL_WEB_OPTIONS",
                      "/etc/default/tindral-web", "/var/lib/tindral-web/scores.db",
                      "systemctl enable --now tindral-web", "journalctl -u tindral-web"):
            self.assertIn(words, text)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "-v"])
