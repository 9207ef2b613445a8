"""Drives the real tindral program in an X session: start it, find its windows,
screenshot, close it the way a user does. Used by the end-to-end tests, which run inside
tests/e2e/xvfb_run.sh (an Xvfb screen of 1600 x 1200 with the openbox window manager)."""

import os
import re
import shutil
import subprocess
import tempfile
import time


def run(*args, check=True):
    return subprocess.run(args, check=check, capture_output=True, text=True).stdout


def wait_for(predicate, timeout, step=0.05, what="condition"):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        value = predicate()
        if value:
            return value
        time.sleep(step)
    raise AssertionError(f"timed out after {timeout} s waiting for {what}")


def windows_named(pattern):
    """Managed top-level windows whose title matches `pattern` (wmctrl sees the UTF-8
    titles that xdotool misses on SDL's message boxes)."""
    out = subprocess.run(["wmctrl", "-l"], capture_output=True, text=True).stdout
    found = []
    for line in out.splitlines():
        parts = line.split(None, 3)
        title = parts[3] if len(parts) > 3 else ""
        if re.search(pattern, title):
            found.append(int(parts[0], 16))
    return found


def activate(window):
    run("wmctrl", "-i", "-a", hex(window), check=False)
    time.sleep(0.2)


def press(key):
    """A real key press (XTEST) into the focused window."""
    run("xdotool", "key", key)


def geometry(window):
    """Client area of a window: (x, y, width, height) in root coordinates."""
    out = run("xwininfo", "-id", str(window))
    values = {}
    for key, label in (("x", "Absolute upper-left X"), ("y", "Absolute upper-left Y"),
                       ("w", "Width"), ("h", "Height")):
        values[key] = int(re.search(label + r":\s+(-?\d+)", out).group(1))
    return values["x"], values["y"], values["w"], values["h"]


def pixel(png, x, y):
    """(r, g, b) of one pixel of a screenshot, 0..255."""
    out = run("convert", png, "-format", f"%[fx:int(255*p{{{x},{y}}}.r)],"
              f"%[fx:int(255*p{{{x},{y}}}.g)],%[fx:int(255*p{{{x},{y}}}.b)]", "info:")
    return tuple(int(v) for v in out.split(","))


def mean_brightness(png, x, y, w, h):
    """Mean grey level (0..1) of a rectangle of a screenshot."""
    out = run("convert", png, "-crop", f"{w}x{h}+{x}+{y}", "-colorspace", "Gray",
              "-format", "%[fx:mean]", "info:")
    return float(out)


def read_text(path):
    with open(path, encoding="latin-1") as f:
        return f.read()


def screenshot(path):
    run("import", "-window", "root", path)
    return path


class Game:
    """One run of the program with its own per-user folder."""

    def __init__(self, program, data_home=None):
        self.program = program
        self.own_home = data_home is None
        self.data_home = data_home or tempfile.mkdtemp(prefix="tindral-e2e-")
        self.process = None
        self.stderr_path = os.path.join(self.data_home, "stderr.txt")

    def env(self):
        env = dict(os.environ)
        env["XDG_DATA_HOME"] = self.data_home
        env["SDL_VIDEODRIVER"] = "x11"
        return env

    def start(self):
        self.stderr = open(self.stderr_path, "w")
        self.process = subprocess.Popen([self.program], env=self.env(), stderr=self.stderr,
                                        stdout=subprocess.DEVNULL)
        return self

    def main_window(self, title_pattern="^Tindral - ", timeout=20):
        return wait_for(lambda: windows_named(title_pattern), timeout, what="the game window")[0]

    def close(self):
        """Closes the window as a user does (the window manager's close request)."""
        window = self.main_window()
        run("wmctrl", "-i", "-c", hex(window))

    def wait(self, timeout=20):
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            raise

    def stderr_text(self):
        self.stderr.flush()
        return read_text(self.stderr_path)

    def data_file(self, name):
        return os.path.join(self.data_home, "Tindral", name)

    def cpu_seconds(self):
        with open(f"/proc/{self.process.pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        ticks = int(fields[11]) + int(fields[12])  # utime + stime
        return ticks / os.sysconf("SC_CLK_TCK")

    def kill(self):
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait()

    def cleanup(self):
        self.kill()
        if self.process:
            self.stderr.close()
        if self.own_home:
            shutil.rmtree(self.data_home, ignore_errors=True)
