"""Kills a program with SIGKILL at many moments of one file save and checks, after each
kill, that the file holds either the complete old bytes or the complete new ones.

The program runs with the save_stretch library preloaded (tests/support/save_stretch.cpp):
it pauses around each operation on the saved file and its temporary copies, and reports
each operation on a pipe. A save that takes well under a millisecond thus lasts tens of
milliseconds, in the same steps, so that kills can be spread over it evenly.

A test describes its program with a subject (see Subject) and calls run_kills(). First the
subject saves without a kill, three times: that gives the new bytes and the time line of
the stretched save, from its first operation's start to its last operation's end. Then
each trial writes the old bytes, starts the program, makes it save, and kills it at a
moment drawn from its own slice of that time line and a tenth more past its end, so that
the kills cover the whole save. A moment is kept as a step of the save and a time into
it: the kill comes that long after the run reports that step, so a run slowed down by the
rest of the machine is still killed in the step its moment belongs to. A last save
without a kill must leave no temporary file behind."""

import collections
import os
import random
import select
import signal
import subprocess
import threading
import time

STRETCH_US = 2500
# A program that ends right after its save still lives when a kill meant for the save's
# last moment comes: a save can take a little less time than the calibration measured.
LINGER_US = 300000
# The kills reach this share of the measured save's length past its end.
OVERRUN = 0.1
MARK_TIMEOUT = 30.0


class Subject:
    """One program that saves one file. Each parallel worker of run_kills gets its own,
    with its own folder."""

    file = None   # the saved file
    old = b""     # what it holds before each run

    def start(self, env, marks_fd):
        """Starts a run with `env` added to its environment and `marks_fd` kept open in it
        (subprocess's pass_fds). Returns the Popen."""
        raise NotImplementedError

    def trigger(self, process):
        """Makes a started run save (ask the game to quit, ...). Default: it saves by
        itself."""

    def strays(self, pid):
        """Names that must not exist when run `pid` begins to save: what earlier runs left
        and this run's start should have removed. Default: none known."""
        return []

    def leftovers(self):
        """Names beside the saved file after a save that was not killed, other than the
        ones a run normally leaves."""
        return sorted(set(os.listdir(os.path.dirname(self.file))) -
                      {os.path.basename(self.file)})


class Driver(Subject):
    """A small program, `argv`, that saves `file` as soon as it starts and then ends."""

    def __init__(self, argv, file, old):
        self.argv = argv
        self.file = file
        self.old = old

    def start(self, env, marks_fd):
        return subprocess.Popen(self.argv, env={**os.environ, **env}, pass_fds=(marks_fd,),
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)


def _env(preload, watched, marks_fd):
    return {"LD_PRELOAD": preload, "TINDRAL_STRETCH_NAME": watched,
            "TINDRAL_STRETCH_US": str(STRETCH_US), "TINDRAL_STRETCH_LINGER_US": str(LINGER_US),
            "TINDRAL_STRETCH_MARKS": str(marks_fd)}


def _reset(subject):
    with open(subject.file, "wb") as f:
        f.write(subject.old)


def _read_file(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except FileNotFoundError:
        return None


class _Marks:
    """The read end of the pipe a run reports its operations on: (time, "operation phase")
    with the time of the monotonic clock at which the run wrote the line."""

    def __init__(self, fd):
        self.fd = fd
        self.lines = []
        self.pending = b""
        self.closed = False

    def read(self, timeout):
        """Reads what arrives within `timeout` seconds, at most until the pipe closes.
        Returns once at least one new line came, or at the time-out."""
        end = time.monotonic() + timeout
        count = len(self.lines)
        while not self.closed and len(self.lines) == count:
            left = end - time.monotonic()
            if left <= 0 or not select.select([self.fd], [], [], left)[0]:
                return
            chunk = os.read(self.fd, 4096)
            if not chunk:
                self.closed = True
                return
            self.pending += chunk
            while b"\n" in self.pending:
                line, self.pending = self.pending.split(b"\n", 1)
                step, phase, seconds = line.decode().split()
                self.lines.append((float(seconds), f"{step} {phase}"))

    def read_to_end(self, timeout):
        end = time.monotonic() + timeout
        while not self.closed and time.monotonic() < end:
            self.read(end - time.monotonic())

    def close(self):
        os.close(self.fd)


def _run(subject, preload, watched, moment=None):
    """One run: the old bytes, a start, a save, and a kill at `moment`, (mark, seconds):
    that long after the run reports its mark number `mark` (None: no kill). Returns a
    dict: the file's bytes afterwards, the marks, whether a kill ended the process, strays
    seen when the save began."""
    _reset(subject)
    read_fd, write_fd = os.pipe()
    marks = _Marks(read_fd)
    try:
        process = subject.start(_env(preload, watched, write_fd), write_fd)
    finally:
        os.close(write_fd)
    try:
        subject.trigger(process)
        marks.read(MARK_TIMEOUT)
        if not marks.lines:
            raise AssertionError(f"the run did not begin to save within {MARK_TIMEOUT} s")
        began = marks.lines[0][0]
        strays = subject.strays(process.pid)
        if moment is None:
            marks.read_to_end(MARK_TIMEOUT)
        else:
            mark, seconds = moment
            while len(marks.lines) <= mark and not marks.closed:
                marks.read(MARK_TIMEOUT)
            if len(marks.lines) > mark:
                at = marks.lines[mark][0] + seconds
                while not marks.closed and time.monotonic() < at:
                    marks.read(at - time.monotonic())
            process.send_signal(signal.SIGKILL)
        status = process.wait(MARK_TIMEOUT)
        marks.read_to_end(MARK_TIMEOUT)
    finally:
        if process.poll() is None:
            process.kill()
            process.wait()
        marks.close()
    return {"bytes": _read_file(subject.file), "marks": marks.lines, "began": began,
            "killed": status == -signal.SIGKILL, "status": status, "strays": strays}


def _time_line(run):
    """The seconds from the save's start at which each of its marks came, up to the last
    operation's end."""
    ends = [i for i, (_, line) in enumerate(run["marks"]) if line.endswith(" e")]
    if not ends:
        raise AssertionError(f"the save reported no finished operation: {run['marks']}")
    return [t - run["began"] for t, _ in run["marks"][:ends[-1] + 1]]


def _moment(time_line, offset):
    """(mark, seconds) for the moment `offset` seconds into a save with this time line."""
    mark = max(i for i, t in enumerate(time_line) if t <= offset)
    return mark, offset - time_line[mark]


def run_kills(subjects, preload, watched, kills, seed=None):
    """Kills the subjects' runs `kills` times, spread evenly over the save (several
    subjects run in parallel threads, each with its own share of the moments), the files
    they save being those whose names begin with `watched`. `seed` picks the moments (by
    default a new one, printed with the report). Returns a report (a dict) and prints it.
    Raises AssertionError when the runs without a kill do not all save the same new
    bytes."""
    if seed is None:
        seed = random.randrange(1 << 32)
    first = subjects[0]
    calibration = [_run(first, preload, watched) for _ in range(3)]
    new = calibration[0]["bytes"]
    for run in calibration:
        if run["status"] != 0:
            raise AssertionError(f"a run without a kill ended with status {run['status']}")
        if run["bytes"] != new:
            raise AssertionError("two runs without a kill saved different bytes")
    if new == first.old:
        raise AssertionError("the save does not change the file: old and new cannot be told "
                             "apart")
    # The middle one: a run slowed down by the rest of the machine says little.
    time_line = sorted((_time_line(run) for run in calibration), key=lambda t: t[-1])[1]
    seconds = time_line[-1]

    rng = random.Random(seed)
    span = seconds * (1.0 + OVERRUN)
    offsets = [(i + rng.random()) / kills * span for i in range(kills)]
    rng.shuffle(offsets)
    results = []
    lock = threading.Lock()
    errors = []

    def work(subject, share):
        try:
            for offset in share:
                run = _run(subject, preload, watched, _moment(time_line, offset))
                with lock:
                    results.append((offset, run))
        except BaseException as error:  # reported by the caller's thread
            errors.append(error)

    threads = [threading.Thread(target=work, args=(s, offsets[i::len(subjects)]))
               for i, s in enumerate(subjects)]
    started = time.monotonic()
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    wall = time.monotonic() - started
    if errors:
        raise errors[0]

    last_step = collections.Counter()
    outcomes = collections.Counter()
    damaged = []
    strays = []
    for offset, run in results:
        strays.extend(run["strays"])
        if not run["killed"]:
            outcomes["not killed"] += 1
            continue
        data = run["bytes"]
        kind = "old" if data == first.old else "new" if data == new else "damaged"
        outcomes[kind] += 1
        if kind == "damaged":
            damaged.append((offset, run["marks"][-1][1] if run["marks"] else "", data))
        last_step[run["marks"][-1][1] if run["marks"] else "(none)"] += 1

    after = []
    for subject in subjects:
        final = _run(subject, preload, watched)
        if final["status"] != 0 or final["bytes"] != new:
            raise AssertionError("the save after the kills did not complete")
        after.extend(subject.leftovers())

    report = {
        "kills": outcomes["old"] + outcomes["new"] + outcomes["damaged"],
        "old": outcomes["old"], "new": outcomes["new"], "damaged": outcomes["damaged"],
        "not_killed": outcomes["not killed"], "save_ms": seconds * 1000.0,
        "last_step": dict(sorted(last_step.items())), "damaged_examples": damaged[:5],
        "strays_at_save": sorted(set(strays)), "left_after": after, "wall_seconds": wall,
        "seed": seed,
    }
    print(f"save of {os.path.basename(first.file)}: {seconds * 1000.0:.1f} ms stretched; "
          f"{report['kills']} kills in {wall:.1f} s (seed {seed}): {report['old']} old, "
          f"{report['new']} new, {report['damaged']} damaged; {report['not_killed']} runs "
          "ended before their kill")
    print("  last step each killed run began or ended:", report["last_step"])
    for offset, step, data in report["damaged_examples"]:
        print(f"  damaged at {offset * 1000.0:.1f} ms (after {step!r}): {data!r}")
    return report
