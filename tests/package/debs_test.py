"""The Debian packages that `cpack -G DEB` makes from the build folder: their names, what
they hold (dpkg-deb -c), their control fields, lintian's verdict, and whether the game's
dependencies bring every library it loads when it runs. cpack first brings the build up
to date, as it does for a user. Run inside tests/e2e/xvfb_run.sh.
Usage: debs_test.py CPACK BUILD_FOLDER VERSION WITH_PLUGIN(0|1)"""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "e2e"))
from staging import GAME_FILES, PLUGIN_FILES  # noqa: E402
from tindral_driver import Game, open_menu  # noqa: E402

CPACK, BUILD, VERSION, WITH_PLUGIN = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4] == "1"
ARCH = subprocess.run(["dpkg", "--print-architecture"], check=True, capture_output=True,
                      text=True).stdout.strip()

def contents(deb):
    """{path: kind} of a package's files and links, as in staging.GAME_FILES, and the set
    of owners seen."""
    out = subprocess.run(["dpkg-deb", "-c", deb], check=True, capture_output=True,
                         text=True).stdout
    found, owners = {}, set()
    for line in out.splitlines():
        mode, owner, _size, _date, _time, rest = line.split(None, 5)
        owners.add(owner)
        path, _, target = rest.partition(" -> ")
        path = path.removeprefix("./")
        if mode.startswith("d"):
            continue
        if mode.startswith("l"):
            found[path] = "-> " + target
        else:
            found[path] = "program" if mode[3] == "x" else "file"
    return found, owners


def installed_on_a_fresh_system(deb):
    """The packages of a fresh Debian system after `apt install DEB` (without
    recommendations): apt's simulation, from an empty package database, of installing
    DEB with the essential packages and those of priority "required" (the smallest
    system debootstrap makes)."""
    listing = subprocess.run(["dpkg-query", "-W", "-f", "${Package}\t${Essential}\t${Priority}\n"],
                             check=True, capture_output=True, text=True).stdout
    base = sorted({name for name, essential, priority in
                   (line.split("\t") for line in listing.splitlines())
                   if essential == "yes" or priority == "required"})
    with tempfile.NamedTemporaryFile() as status:
        out = subprocess.run(["apt-get", "-s", "-o", f"Dir::State::status={status.name}",
                              "-o", "Debug::NoLocking=1", "install", "--no-install-recommends",
                              os.path.abspath(deb)] + base, check=True, capture_output=True,
                             text=True).stdout
    return {line.split()[1] for line in out.splitlines() if line.startswith("Inst ")}


def mapped_libraries(pid):
    """The shared libraries a process has mapped."""
    with open(f"/proc/{pid}/maps") as f:
        paths = {line.split(None, 5)[5].strip() for line in f if len(line.split(None, 5)) == 6}
    return sorted(p for p in paths if p.startswith("/") and re.search(r"\.so(\.|$)", p))


def owners(paths):
    """{path: Debian package that holds it, or None} (architecture qualifiers dropped). With
    merged /usr a package may name the /lib spelling of a /usr/lib path: both are asked."""
    spellings = {}
    for path in paths:
        real = os.path.realpath(path)
        spellings[path] = (real, re.sub(r"^/usr/lib/", "/lib/", real))
    asked = sorted({name for pair in spellings.values() for name in pair})
    out = subprocess.run(["dpkg", "-S"] + asked, capture_output=True, text=True).stdout
    holder = {}
    for line in out.splitlines():
        packages, _, path = line.partition(": ")
        holder[path] = packages.split(",")[0].split(":")[0].strip()
    return {path: holder.get(real, holder.get(lib)) for path, (real, lib) in spellings.items()}


def field(deb, name):
    return subprocess.run(["dpkg-deb", "-f", deb, name], check=True, capture_output=True,
                          text=True).stdout.strip()


class Packages(unittest.TestCase):
    maxDiff = None

    @classmethod
    def setUpClass(cls):
        cls.out = tempfile.mkdtemp(prefix="tindral-debs-")
        result = subprocess.run([CPACK, "--config", os.path.join(BUILD, "CPackConfig.cmake"),
                                 "-G", "DEB", "-B", cls.out], cwd=cls.out, capture_output=True,
                                text=True)
        if result.returncode != 0:
            shutil.rmtree(cls.out, ignore_errors=True)
            raise AssertionError(f"cpack failed:\n{result.stdout}{result.stderr}")
        cls.debs = sorted(name for name in os.listdir(cls.out) if name.endswith(".deb"))

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.out, ignore_errors=True)

    def deb(self, name):
        return os.path.join(self.out, name)

    def expected(self):
        """{package file name: (files below /usr, architecture)}."""
        packages = {f"tindral_{VERSION}-1_{ARCH}.deb": (GAME_FILES, ARCH)}
        if WITH_PLUGIN:
            packages[f"corvane-nsis_{VERSION}-1_all.deb"] = (PLUGIN_FILES, "all")
        return packages

    def test_each_package_holds_its_files_owned_by_root(self):
        expected = self.expected()
        self.assertEqual(self.debs, sorted(expected))
        for name, (files, arch) in expected.items():
            with self.subTest(package=name):
                found, owners = contents(self.deb(name))
                self.assertEqual(found, {"usr/" + path: kind for path, kind in files.items()})
                self.assertEqual(owners, {"root/root"})
                self.assertEqual(field(self.deb(name), "Architecture"), arch)
                self.assertEqual(field(self.deb(name), "Version"), f"{VERSION}-1")

    def test_what_the_dependencies_install_holds_every_library_the_game_loads(self):
        # The game from the package itself, shown up to its menu; libraries opened while it
        # runs (SDL opens the OpenGL library, Mesa its drivers) count as much as linked ones.
        deb = self.deb(f"tindral_{VERSION}-1_{ARCH}.deb")
        root = tempfile.mkdtemp(prefix="tindral-unpacked-")
        self.addCleanup(shutil.rmtree, root, True)
        subprocess.run(["dpkg-deb", "-x", deb, root], check=True)
        game = Game(os.path.join(root, "usr/games/tindral"))
        self.addCleanup(game.cleanup)
        game.start(cwd=root)
        open_menu(game)
        libraries = mapped_libraries(game.process.pid)
        game.close()
        self.assertEqual(game.wait(), 0, game.stderr_text())

        brought = installed_on_a_fresh_system(deb)
        missing = {path: package for path, package in owners(libraries).items()
                   if package not in brought}
        self.assertEqual(missing, {}, "libraries whose packages the dependencies do not bring")

    def test_lintian_finds_no_error(self):
        result = subprocess.run(["lintian", "--fail-on", "error"] +
                                [self.deb(name) for name in self.debs],
                                capture_output=True, text=True)
        errors = [line for line in result.stdout.splitlines() if line.startswith("E:")]
        self.assertEqual((result.returncode, errors), (0, []), result.stdout + result.stderr)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "-v"])
