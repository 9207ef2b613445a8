"""What an installation holds, and a scratch one to look at: `cmake --install` of a build
folder into a DESTDIR of its own. Shared by the installation and package tests."""

import os
import shutil
import subprocess
import tempfile

APP_ID = "example.tindral.Tindral"
ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
ARCHIVES = ("textures.pak", "models.pak", "audio.pak")
PROGRAM_FOLDER = "lib/games/tindral"
DATA_FOLDER = "share/games/tindral"

# Below the prefix: each file, or each link with the path it holds.
GAME_FILES = {
    "games/tindral": "-> ../lib/games/tindral/tindral",
    f"{PROGRAM_FOLDER}/tindral": "program",
    f"{PROGRAM_FOLDER}/data": "-> ../../../share/games/tindral",
    **{f"{DATA_FOLDER}/{name}": "file" for name in ARCHIVES},
    f"share/applications/{APP_ID}.desktop": "file",
    f"share/metainfo/{APP_ID}.metainfo.xml": "file",
    **{f"share/icons/hicolor/{n}x{n}/apps/{APP_ID}.png": "file" for n in ICON_SIZES},
    f"share/icons/hicolor/scalable/apps/{APP_ID}.svg": "file",
    "share/man/man6/tindral.6.gz": "file",
    "share/doc/tindral/copyright": "file",
    "share/doc/tindral/changelog.Debian.gz": "file",
}
PLUGIN_FILES = {
    "share/nsis/Plugins/amd64-unicode/Corvane_NSIS.dll": "file",
    "share/doc/corvane-nsis/README": "file",
    "share/doc/corvane-nsis/copyright": "file",
    "share/doc/corvane-nsis/changelog.Debian.gz": "file",
}

# The web service's files below the prefix, where it is built.
WEB_FILES = {
    "sbin/tindral-web": "program",
    "share/man/man8/tindral-web.8.gz": "file",
    "share/doc/tindral-web/copyright": "file",
    "share/doc/tindral-web/changelog.Debian.gz": "file",
}


def web_system_paths(prefix):
    """(systemd unit, options file) of the web service installed with PREFIX, as full
    paths: Debian's folders for /usr, folders below the prefix for any other."""
    base = "" if prefix == "/usr" else prefix.rstrip("/")
    return (f"{base}/lib/systemd/system/tindral-web.service", f"{base}/etc/default/tindral-web")


def web_tree(prefix):
    """{path below the root: kind} of every file the web service installs with PREFIX."""
    files = {os.path.join(prefix, path).lstrip("/"): kind for path, kind in WEB_FILES.items()}
    files.update({path.lstrip("/"): "file" for path in web_system_paths(prefix)})
    return files


def kind(path):
    """What GAME_FILES says of PATH: "-> TARGET" for a link, "program" for an
    executable file, "file" for another file."""
    if os.path.islink(path):
        return "-> " + os.readlink(path)
    if os.path.isfile(path):
        return "program" if os.access(path, os.X_OK) else "file"
    return "folder" if os.path.isdir(path) else "other"


def listing(root):
    """{path below ROOT: kind} of every file and link below ROOT (links not followed)."""
    found = {}
    for folder, folders, files in os.walk(root):
        for name in files + [f for f in folders if os.path.islink(os.path.join(folder, f))]:
            path = os.path.join(folder, name)
            found[os.path.relpath(path, root)] = kind(path)
    return found


def snapshot(root):
    """Every file, folder and link below ROOT with its mode and content (or link target),
    to tell whether anything there changed."""
    state = {}
    for folder, folders, files in os.walk(root):
        for name in folders + files:
            path = os.path.join(folder, name)
            info = os.lstat(path)
            if os.path.islink(path):
                value = os.readlink(path)
            elif os.path.isfile(path):
                with open(path, "rb") as f:
                    value = f.read()
            else:
                value = None
            state[os.path.relpath(path, root)] = (info.st_mode, value)
    return state


class Staged:
    """A `cmake --install` of BUILD with PREFIX into a scratch DESTDIR."""

    def __init__(self, cmake, build, prefix="/usr"):
        self.destdir = tempfile.mkdtemp(prefix="tindral-stage-")
        self.prefix = prefix
        env = dict(os.environ, DESTDIR=self.destdir)
        result = subprocess.run([cmake, "--install", build, "--prefix", prefix], env=env,
                                capture_output=True, text=True)
        if result.returncode != 0:
            self.remove()
            raise AssertionError(f"cmake --install failed:\n{result.stdout}{result.stderr}")

    @property
    def root(self):
        """The prefix inside DESTDIR."""
        return os.path.join(self.destdir, self.prefix.lstrip("/"))

    def path(self, relative):
        return os.path.join(self.root, relative)

    def remove(self):
        shutil.rmtree(self.destdir, ignore_errors=True)
