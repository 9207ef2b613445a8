"""The Debian packages that `cpack -G DEB` makes from the build folder: their names, what
they hold (dpkg-deb -c), their control fields, lintian's verdict, whether the game's and
the web service's dependencies bring every library they load when they run, and the web
service started from its package as its systemd unit starts it. cpack first brings the
build up to date, as it does for a user. Run inside tests/e2e/xvfb_run.sh, as root for
the service's test (it runs the service as `nobody`).
Usage: debs_test.py CPACK BUILD_FOLDER VERSION WITH_PLUGIN(0|1) WITH_WEB(0|1)"""

import http.client
import json
import os
import pwd
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "e2e"))
sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "web"))
from staging import GAME_FILES, PLUGIN_FILES, web_system_paths, web_tree  # noqa: E402
import systemd_unit  # noqa: E402
from tindral_driver import Game, open_menu  # noqa: E402
from web_service import Page, score_query  # noqa: E402

CPACK, BUILD, VERSION = sys.argv[1], sys.argv[2], sys.argv[3]
WITH_PLUGIN, WITH_WEB = sys.argv[4] == "1", sys.argv[5] == "1"
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


def conffiles(deb):
    """The package's configuration files, which dpkg keeps when they were changed."""
    result = subprocess.run(["dpkg-deb", "-I", deb, "conffiles"], capture_output=True,
                            text=True)
    return result.stdout.split() if result.returncode == 0 else []


def unpacked(test, deb):
    """DEB's files in a scratch folder, removed after TEST; the folder can be entered by
    every user, as / can."""
    root = tempfile.mkdtemp(prefix="tindral-unpacked-")
    test.addCleanup(shutil.rmtree, root, True)
    os.chmod(root, 0o755)
    subprocess.run(["dpkg-deb", "-x", deb, root], check=True)
    return root


def http_get(port, target):
    """(status, body) of a GET on 127.0.0.1:PORT."""
    connection = http.client.HTTPConnection("127.0.0.1", port, timeout=10)
    try:
        connection.request("GET", target)
        response = connection.getresponse()
        return response.status, response.read()
    finally:
        connection.close()


def listening_port(process):
    """The port the service names in its first line of output, once it listens."""
    line = process.stdout.readline()
    found = re.search(r"listening on 127\.0\.0\.1:(\d+), store (.*)$", line)
    if not found:
        process.kill()
        raise AssertionError("tindral-web did not start: " + line + process.stderr.read())
    return int(found[1]), found[2]


def stop(process):
    """SIGTERM, as systemd stops a service; (exit status, standard error)."""
    process.send_signal(signal.SIGTERM)
    _, err = process.communicate(timeout=30)
    return process.returncode, err


def start_as_the_unit_does(root, state_root, listen):
    """Starts the web service of the package unpacked in ROOT as its systemd unit does on
    a system whose /var/lib is STATE_ROOT: the unit's command line, its environment and
    options file, its state folder made for it with the unit's mode, its umask, and its
    dynamic user played by `nobody`, without groups or capabilities. The options file is
    changed only as an administrator would, to listen on LISTEN. The process, with its
    output as text."""
    unit_path, _ = web_system_paths("/usr")
    unit = systemd_unit.read_unit(root + unit_path)

    def service(key, default=None):
        """A setting of [Service]; DEFAULT, systemd's own, when the unit leaves it out."""
        if default is not None and ("Service", key) not in unit:
            return default
        return systemd_unit.one(unit, "Service", key)

    # Only a unit that asks for an unprivileged user of its own may be played by nobody.
    if service("DynamicUser") != "yes" or ("Service", "User") in unit:
        raise AssertionError("the unit does not run the service as a dynamic user")
    nobody = pwd.getpwnam("nobody")
    specifiers = {"S": state_root}
    # What systemd gives a service of a dynamic user (whose home is /), then what the unit
    # sets, then its options file, which overrides the unit.
    environment = {"PATH": "/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin",
                   "HOME": "/", "USER": "nobody", "LOGNAME": "nobody", "LANG": "C.UTF-8"}
    for value in unit.get(("Service", "Environment"), []):
        environment.update(systemd_unit.assignments(value, specifiers))
    options = systemd_unit.environment_file(root + service("EnvironmentFile").lstrip("-"))
    shipped = options["TINDRAL_WEB_OPTIONS"]
    if "--listen 127.0.0.1:8080" not in shipped:
        raise AssertionError(f"the options file does not listen on 127.0.0.1:8080: {shipped}")
    options["TINDRAL_WEB_OPTIONS"] = shipped.replace("127.0.0.1:8080", listen)
    environment.update(options)

    state = os.path.join(state_root, service("StateDirectory"))
    os.makedirs(state, exist_ok=True)
    os.chmod(state, int(service("StateDirectoryMode", "0755"), 8))
    os.chown(state, nobody.pw_uid, nobody.pw_gid)
    environment["STATE_DIRECTORY"] = state

    argv = systemd_unit.command_line(service("ExecStart"), environment, specifiers)
    argv[0] = os.path.join(root, argv[0].lstrip("/"))
    umask = int(service("UMask", "0022"), 8)
    return subprocess.Popen(
        ["setpriv", f"--reuid={nobody.pw_uid}", f"--regid={nobody.pw_gid}", "--clear-groups",
         "--no-new-privs", "--inh-caps=-all", "--bounding-set=-all", "--"] + argv,
        env=environment, cwd="/", stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
        preexec_fn=lambda: os.umask(umask))


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
        """{package file name: (files below the root, architecture, configuration files)}."""
        def below_usr(files):
            return {"usr/" + path: kind for path, kind in files.items()}

        packages = {f"tindral_{VERSION}-1_{ARCH}.deb": (below_usr(GAME_FILES), ARCH, [])}
        if WITH_PLUGIN:
            packages[f"corvane-nsis_{VERSION}-1_all.deb"] = (below_usr(PLUGIN_FILES), "all", [])
        if WITH_WEB:
            packages[f"tindral-web_{VERSION}-1_{ARCH}.deb"] = (
                web_tree("/usr"), ARCH, [web_system_paths("/usr")[1]])
        return packages

    def test_each_package_holds_its_files_owned_by_root(self):
        expected = self.expected()
        self.assertEqual(self.debs, sorted(expected))
        for name, (files, arch, configuration) in expected.items():
            with self.subTest(package=name):
                found, owners = contents(self.deb(name))
                self.assertEqual(found, files)
                self.assertEqual(owners, {"root/root"})
                self.assertEqual(field(self.deb(name), "Architecture"), arch)
                self.assertEqual(field(self.deb(name), "Version"), f"{VERSION}-1")
                self.assertEqual(conffiles(self.deb(name)), configuration)

    def test_what_the_dependencies_install_holds_every_library_the_game_loads(self):
        # The game from the package itself, shown up to its menu; libraries opened while it
        # runs (SDL opens the OpenGL library, Mesa its drivers) count as much as linked ones.
        deb = self.deb(f"tindral_{VERSION}-1_{ARCH}.deb")
        root = unpacked(self, deb)
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

    def web_deb(self):
        if not WITH_WEB:
            self.skipTest("tindral-web is not built")
        return self.deb(f"tindral-web_{VERSION}-1_{ARCH}.deb")

    def test_what_the_dependencies_install_holds_every_library_the_service_loads(self):
        deb = self.web_deb()
        root = unpacked(self, deb)
        process = subprocess.Popen(
            [os.path.join(root, "usr/sbin/tindral-web"), "--listen", "127.0.0.1:0", "--db",
             os.path.join(root, "scores.db")],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.addCleanup(process.kill)
        listening_port(process)
        libraries = mapped_libraries(process.pid)
        self.assertEqual(stop(process)[0], 0)

        brought = installed_on_a_fresh_system(deb)
        missing = {path: package for path, package in owners(libraries).items()
                   if package not in brought}
        self.assertEqual(missing, {}, "libraries whose packages the dependencies do not bring")

    def test_the_service_runs_as_its_unit_starts_it_and_keeps_runs_in_its_state_folder(self):
        deb = self.web_deb()
        if os.geteuid() != 0:
            self.skipTest("plays the unit's dynamic user with nobody, which needs root")
        root = unpacked(self, deb)
        state_root = tempfile.mkdtemp(prefix="tindral-var-lib-")
        self.addCleanup(shutil.rmtree, state_root, True)
        os.chmod(state_root, 0o755)
        database = os.path.join(state_root, "tindral-web", "scores.db")

        # The first start stores an upload and shows it; the second, as after a restart
        # or a reboot, finds it in the state folder.
        for start in ("first", "second"):
            with self.subTest(start=start):
                process = start_as_the_unit_does(root, state_root, "127.0.0.1:0")
                self.addCleanup(process.kill)
                port, store = listening_port(process)
                self.assertEqual(store, database)
                if start == "first":
                    status, body = http_get(port, score_query("Ann", 3, "40.500000"))
                    self.assertEqual(status, 200)
                    self.assertNotEqual(body, b"")
                status, body = http_get(port, "/tindral/")
                self.assertEqual(status, 200)
                page = Page()
                page.feed(body.decode("utf-8"))
                for table in ("by-spheres", "by-time"):
                    self.assertEqual([row[:5] for row in page.rows[table]],
                                     [["1", "Ann", "3", "40.50", "XP"]], table)
                status, body = http_get(port, "/tindral/scores.json")
                self.assertEqual(json.loads(body)["runs"], 1)
                self.assertEqual(stop(process), (0, ""))

        # Everything the service wrote is its own and private, as the unit's umask makes
        # it, inside the state folder.
        nobody = pwd.getpwnam("nobody").pw_uid
        state = os.path.dirname(database)
        written = {name: os.stat(os.path.join(state, name)) for name in os.listdir(state)}
        self.assertIn("scores.db", written)
        self.assertEqual({name: (info.st_uid, oct(info.st_mode & 0o077))
                          for name, info in written.items()},
                         {name: (nobody, "0o0") for name in written})
        self.assertEqual(os.listdir(state_root), ["tindral-web"])

    def test_lintian_finds_no_error(self):
        result = subprocess.run(["lintian", "--fail-on", "error"] +
                                [self.deb(name) for name in self.debs],
                                capture_output=True, text=True)
        errors = [line for line in result.stdout.splitlines() if line.startswith("E:")]
        self.assertEqual((result.returncode, errors), (0, []), result.stdout + result.stderr)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "-v"])
