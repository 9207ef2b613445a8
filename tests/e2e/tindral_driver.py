"""Drives the real tindral program in an X session: start it, find its windows,
screenshot, close it the way a user does. Used by the end-to-end tests, which run inside
tests/e2e/xvfb_run.sh (an Xvfb screen of 1600 x 1200 with the openbox window manager).

The test copy of the program (build/tests/bin/tindral-test) differs from the player's in two
things only: its web host comes from TINDRAL_TEST_WEB_HOST, and its frame clock moves a fixed
1/30 s each frame, so a whole run plays through as fast as the machine draws it. With
TINDRAL_TEST_CLOCK_FILE set it writes that clock's reading to the file each frame:
Test_Copy.game_seconds() reads it."""

import math
import os
import re
import shutil
import struct
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


def windows_named(pattern, pid=None):
    """Managed top-level windows whose title matches `pattern`, of process `pid` if given
    (wmctrl sees the UTF-8 titles that xdotool misses on SDL's message boxes)."""
    out = subprocess.run(["wmctrl", "-lp"], capture_output=True, text=True).stdout
    found = []
    for line in out.splitlines():
        parts = line.split(None, 4)
        title = parts[4] if len(parts) > 4 else ""
        if re.search(pattern, title) and (pid is None or int(parts[2]) == pid):
            found.append(int(parts[0], 16))
    return found


def activate(window):
    """Gives WINDOW the focus as a user's click on it would, and waits until it has it."""
    run("wmctrl", "-i", "-a", hex(window), check=False)
    wait_for(lambda: run("xdotool", "getactivewindow", check=False).strip() == str(window), 5,
             what="the window to take the focus")


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


class Frame:
    """The whole screen at one moment, grabbed with xwd (much faster than a PNG
    screenshot, so fades can be sampled several times a second). Pixels take
    bits_per_pixel / 8 bytes each (Xvfb may dump 3-byte pixels); lines may be padded."""

    def __init__(self):
        data = subprocess.run(["xwd", "-root", "-silent"], check=True,
                              capture_output=True).stdout
        fields = struct.unpack(">25I", data[:100])
        header_size, ncolors = fields[0], fields[19]
        self.width, self.height = fields[4], fields[5]
        self.bytes_per_line = fields[12]
        self.lsb_first = fields[7] == 0
        self.step = fields[11] // 8
        if self.step not in (3, 4) or self.step * self.width > self.bytes_per_line:
            raise AssertionError(f"unexpected screen format: {fields}")
        self.pixels = data[header_size + 12 * ncolors:]

    def pixel(self, x, y):
        """(r, g, b), 0..255."""
        i = y * self.bytes_per_line + self.step * x
        b0, b1, b2 = self.pixels[i:i + 3]
        return (b2, b1, b0) if self.lsb_first else (b0, b1, b2)

    def mean_brightness(self, x, y, w, h):
        """Mean grey level (0..1) of a rectangle."""
        total = 0
        for yy in range(y, y + h):
            for xx in range(x, x + w):
                total += sum(self.pixel(xx, yy))
        return total / (3 * 255 * w * h)


def pixels(frame, box):
    """The rows of pixels of a root rectangle (x, y, w, h)."""
    x, y, w, h = box
    return [[frame.pixel(xx, yy) for xx in range(x, x + w)] for yy in range(y, y + h)]


def count(frame, box, test):
    """How many pixels of a root rectangle pass `test`."""
    return sum(1 for row in pixels(frame, box) for p in row if test(p))


def is_white(p):
    return min(p) > 225


def is_grey(p):
    """The menu's flat grey."""
    return all(abs(c - 128) <= 8 for c in p)


def is_green(p):
    """A new high score's row."""
    return p[1] > 90 and p[0] < 60 and p[2] < 60


def config_values(path):
    """The "key = value" lines of a config.dat."""
    values = {}
    for line in read_text(path).splitlines():
        m = re.match(r"^(\w+) = (.*)$", line)
        if m:
            values[m.group(1)] = m.group(2)
    return values


def read_text(path):
    with open(path, encoding="latin-1") as f:
        return f.read()


def screenshot(path):
    run("import", "-window", "root", path)
    return path


class Test_Copy:
    """A program folder of its own for the test copy of the program: the copy next to the
    build's archives, and the file its frame clock writes to."""

    def __init__(self, folder):
        self.folder = folder
        self.program = os.path.join(folder, "tindral")
        self.clock_file = os.path.join(folder, "clock.txt")

    @classmethod
    def make(cls, program, data, folder):
        """Copies PROGRAM and the archives of DATA into FOLDER."""
        os.makedirs(folder, exist_ok=True)
        shutil.copy2(program, os.path.join(folder, "tindral"))
        shutil.copytree(data, os.path.join(folder, "data"))
        return cls(folder)

    def env(self, web_host=None):
        """The variables the copy reads: its clock file and, if given, its web host."""
        env = {"TINDRAL_TEST_CLOCK_FILE": self.clock_file}
        if web_host is not None:
            env["TINDRAL_TEST_WEB_HOST"] = web_host
        return env

    def game_seconds(self):
        """The game time of the copy's last frame (0 before its first)."""
        # The clock rewrites 21 bytes in place: read until two reads agree.
        previous = None
        while True:
            try:
                text = read_text(self.clock_file).strip()
            except FileNotFoundError:
                text = ""
            if text == previous:
                return int(text or 0) / 1000.0
            previous = text


class Game:
    """One run of the program with its own per-user folder."""

    def __init__(self, program, data_home=None, env_changes=None, stderr_path=None, user=None):
        """`env_changes` sets (or, with None, removes) variables after the defaults;
        `user` runs the program as that (uid, gid)."""
        self.program = program
        self.own_home = data_home is None
        self.data_home = data_home or tempfile.mkdtemp(prefix="tindral-e2e-")
        self.env_changes = env_changes or {}
        self.user = user
        self.process = None
        self.stderr_path = stderr_path or os.path.join(self.data_home, "stderr.txt")

    def env(self):
        env = dict(os.environ)
        env["XDG_DATA_HOME"] = self.data_home
        env["SDL_VIDEODRIVER"] = "x11"
        if "ALSOFT_CONF" not in env:
            # No sound card here: OpenAL's null output keeps the device and its sources.
            conf = os.path.join(self.data_home, "alsoft.conf")
            with open(conf, "w") as f:
                f.write("[general]\ndrivers = null\n")
            env["ALSOFT_CONF"] = conf
        for name, value in self.env_changes.items():
            if value is None:
                env.pop(name, None)
            else:
                env[name] = value
        return env

    def start(self, cwd=None):
        self.stderr = open(self.stderr_path, "w")
        as_user = None
        if self.user is not None:
            uid, gid = self.user

            def as_user():
                os.setgroups([])
                os.setgid(gid)
                os.setuid(uid)

        self.process = subprocess.Popen([self.program], env=self.env(), stderr=self.stderr,
                                        stdout=subprocess.DEVNULL, cwd=cwd, preexec_fn=as_user)
        return self

    def main_window(self, title_pattern="^Tindral - ", timeout=20):
        return wait_for(lambda: windows_named(title_pattern, self.process.pid), timeout,
                        what="the game window")[0]

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


# ---- The menu's 2-D space and the mouse ------------------------------------------------
# The 2-D mode views the plane 120 units away through a 45 degree lens, stretched over the
# whole client area, so 0..100 spans slightly less than the window (about 0.3..99.7).
_MENU_SPAN = 2.0 * 120.0 * math.tan(math.radians(22.5))


def menu_point(client, x, y):
    """Root pixel of the 2-D point (x, y), y up, on the client area (cx, cy, w, h)."""
    cx, cy, w, h = client
    return (cx + round(w * (0.5 + (x - 50.0) / _MENU_SPAN)),
            cy + round(h * (0.5 - (y - 50.0) / _MENU_SPAN)))


def menu_box(client, x0, y0, x1, y1):
    """Root rectangle (x, y, w, h) of the 2-D rectangle (x0, y0)-(x1, y1)."""
    left, bottom = menu_point(client, x0, y0)
    right, top = menu_point(client, x1, y1)
    return left, top, right - left, bottom - top


def move_to(point):
    """Moves the pointer to a root pixel."""
    run("xdotool", "mousemove", str(point[0]), str(point[1]))


def click_at(point, hold=0.0):
    """A player's click at a root pixel: by default a quick tap (press and release within
    one frame), which the game must not lose; `hold` keeps the button down longer."""
    if hold <= 0.0:
        run("xdotool", "mousemove", str(point[0]), str(point[1]), "click", "1")
    else:
        run("xdotool", "mousemove", str(point[0]), str(point[1]), "mousedown", "1",
            "sleep", str(hold), "mouseup", "1")


# ---- The screens' layout --------------------------------------------------------------
# Where a player aims, in the 2-D space (0..100, y up).
LEFT_ARROWS = (16.7, 83.3)
RIGHT_ARROWS = (39.85, 83.3)
SOUND_ROW, CAMERA_ROW, UPLOAD_ROW = (65.0, 83.3), (65.0, 79.9), (65.0, 76.5)
BOTTOM_ROW = (70.0, 62.5)
NEW_GAME, CONTINUE, WEBSITE, EXIT = (25.8, 16.85), (45.45, 16.85), (63.75, 16.85), (79.15, 16.85)
EMPTY_SPACE = (50.0, 60.0)

# What is looked at, as 2-D rectangles.
LEVEL_BLOCK_CORNER = (43.0, 82.0)          # grey once the menu shows
LEVEL_NAME = (19.6, 81.8, 36.9, 84.8)      # between the arrows
SOUND_ROW_BOX = (56.6, 81.8, 80.2, 84.8)
BOTTOM_VALUE = (68.4, 61.0, 86.7, 64.0)    # the controller name, right-aligned
NEW_GAME_LABEL = (19.7, 15.2, 39.0, 18.1)
CONTINUE_LABEL = (40.4, 15.2, 55.0, 18.1)
NEW_GAME_FILL = (20.0, 18.3, 32.2, 18.6)   # inside the button, above its label
CLOCK = (2.5, 92.8, 22.0, 97.2)
TABLE_A_SPHERES = (19.0, 36.7, 25.0, 38.3)  # first row, right-aligned at 25
TABLE_B_TIME = (54.0, 36.7, 60.75, 38.3)    # first row, right-aligned at 60.75
MENU_TABLES = (10.0, 25.0, 95.0, 46.0)
END_TABLE_ROW = (10.0, 53.6, 95.0, 56.4)    # the end screen's first table row
END_PROMPT = (35.0, 34.0, 65.0, 37.0)       # "Press <enter> to continue" under the tables


def open_menu(game, timeout=40):
    """Waits for a started game's menu with the pointer parked on empty space; returns
    the client area (x, y, w, h)."""
    window = game.main_window()
    activate(window)
    client = geometry(window)
    move_to(menu_point(client, *EMPTY_SPACE))
    wait_for(lambda: is_grey(Frame().pixel(*menu_point(client, *LEVEL_BLOCK_CORNER))),
             timeout, 0.25, "the menu")
    time.sleep(0.3)
    return client
