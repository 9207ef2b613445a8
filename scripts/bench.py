"""The game's figures on this machine, measured from outside the game: start-up to the
first drawn frame, frame times and processor time per frame in the menu and in a running
"High Score" match, resident memory, and the simulation's steps per second.
Frames are timed by a preloaded library (libtindral-frame-times.so) that notes every
buffer swap; the game itself is the player's program, unchanged.
Run inside tests/e2e/xvfb_run.sh (scripts/bench.sh does). Usage: bench.py BUILD_FOLDER"""

import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "e2e"))
from tindral_driver import NEW_GAME, Game, click_at, menu_point, open_menu  # noqa: E402

BUILD = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build")
SECONDS = float(os.environ.get("TINDRAL_BENCH_SECONDS", "6"))
CONFIG = ("CameraView = 1\nLevel = 6\nSound = 1\nUploadHighScores = 0\n"
          "Top = 8\nBottom = 7\nLeft = 8\nRight = 8\n")


def swaps(path):
    """(monotonic ns, process cpu ns) of every buffer swap so far."""
    with open(path) as f:
        return [tuple(int(v) for v in line.split()) for line in f if line.count(" ") == 1]


def frames_during(path, seconds):
    """The swaps of the next `seconds`: (frame ms list, cpu ms per frame)."""
    time.sleep(0.2)
    first = len(swaps(path))
    time.sleep(seconds)
    taken = swaps(path)[first:]
    if len(taken) < 3:
        return [], 0.0
    intervals = [(b[0] - a[0]) / 1e6 for a, b in zip(taken, taken[1:])]
    cpu = (taken[-1][1] - taken[0][1]) / 1e6 / (len(taken) - 1)
    return intervals, cpu


def percentile(values, p):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(round(p / 100.0 * (len(ordered) - 1))))]


def memory(pid):
    """Resident memory of a process in MB: (private anonymous, total)."""
    fields = {}
    with open(f"/proc/{pid}/smaps_rollup") as f:
        for line in f:
            parts = line.split()
            if len(parts) >= 3 and parts[2] == "kB":
                fields[parts[0].rstrip(":")] = int(parts[1])
    return fields.get("Anonymous", 0) / 1024.0, fields.get("Rss", 0) / 1024.0


def report(name, intervals, cpu):
    if not intervals:
        print(f"{name}: no frames")
        return
    print(f"{name}: {len(intervals)} frames, median {statistics.median(intervals):.2f} ms, "
          f"99th percentile {percentile(intervals, 99):.2f} ms, cpu {cpu:.2f} ms per frame")


def main():
    home = tempfile.mkdtemp(prefix="tindral-bench-")
    os.makedirs(os.path.join(home, "Tindral"))
    with open(os.path.join(home, "Tindral", "config.dat"), "w") as f:
        f.write(CONFIG)
    times = os.path.join(home, "frames.txt")
    game = Game(os.path.join(BUILD, "tindral"), home, {
        "LD_PRELOAD": os.path.join(BUILD, "libtindral-frame-times.so"),
        "TINDRAL_FRAME_TIMES": times})
    started = time.monotonic_ns()
    game.start()
    try:
        measure(game, times, started)
    finally:
        if game.process.poll() is None:
            game.process.kill()
            game.process.wait()
        shutil.rmtree(home, ignore_errors=True)
    bench = subprocess.run([os.path.join(BUILD, "tindral-sim"), "--bench"], capture_output=True,
                           text=True, check=True).stdout
    print("simulation: " + next((line for line in bench.splitlines()
                                 if line.startswith("steps per second")), bench.strip()))


def measure(game, times, started):
    client = open_menu(game)
    first = swaps(times)[0][0]
    print(f"start to first frame: {(first - started) / 1e6:.0f} ms")

    menu = frames_during(times, SECONDS)
    menu_memory = memory(game.process.pid)
    click_at(menu_point(client, *NEW_GAME))
    time.sleep(2.5)  # the fade into the match
    match = frames_during(times, SECONDS)
    match_memory = memory(game.process.pid)
    game.close()
    game.wait()

    report("menu", *menu)
    report("match", *match)
    print("memory in the menu: private %.1f MB, resident %.1f MB" % menu_memory)
    print("memory in a match: private %.1f MB, resident %.1f MB" % match_memory)


if __name__ == "__main__":
    main()
