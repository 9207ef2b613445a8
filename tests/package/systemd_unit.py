"""A systemd unit read as systemd reads it, for the tests of the web service's unit: its
settings, its options file, the command line and environment of the process it starts,
and systemd-analyze's verdict on it. Only what the service's unit uses is understood; any
other specifier or quoting raises, so that a changed unit cannot be misread quietly."""

import os
import re
import shlex
import shutil
import subprocess


def read_unit(path):
    """{(section, key): [values in order]} of a unit file. Lines go on after a
    backslash, as in systemd; an empty value empties the list, as it resets most
    list settings."""
    settings, section, pending = {}, None, ""
    with open(path, encoding="utf-8") as f:
        for raw in f:
            line = pending + raw.strip()
            pending = ""
            if line.endswith("\\"):
                pending = line[:-1] + " "
                continue
            if not line or line[0] in "#;":
                continue
            if line.startswith("[") and line.endswith("]"):
                section = line[1:-1]
                continue
            key, sep, value = line.partition("=")
            if not sep or section is None:
                raise AssertionError(f"{path}: not a setting: {line!r}")
            values = settings.setdefault((section, key.strip()), [])
            if value.strip():
                values.append(value.strip())
            else:
                values.clear()
    return settings


def one(settings, section, key):
    """The value of a setting given once."""
    values = settings.get((section, key), [])
    if len(values) != 1:
        raise AssertionError(f"[{section}] {key} is set {len(values)} times: {values}")
    return values[0]


def expand_specifiers(text, specifiers):
    """TEXT with %X replaced by SPECIFIERS["X"] and %% by %."""
    def replace(match):
        letter = match[1]
        if letter == "%":
            return "%"
        if letter not in specifiers:
            raise AssertionError(f"the test does not know the specifier %{letter}")
        return specifiers[letter]
    return re.sub(r"%(.)", replace, text)


def assignments(text, specifiers):
    """{name: value} of an Environment= value: NAME=VALUE words, quotes removed."""
    result = {}
    for word in shlex.split(expand_specifiers(text, specifiers)):
        name, sep, value = word.partition("=")
        if not sep:
            raise AssertionError(f"not an assignment: {word!r}")
        result[name] = value
    return result


def environment_file(path):
    """{name: value} of an EnvironmentFile: NAME=VALUE lines, comments and quotes
    removed."""
    result = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            words = shlex.split(line, comments=True)
            if not words:
                continue
            if len(words) != 1 or "=" not in words[0]:
                raise AssertionError(f"{path}: not one assignment: {line!r}")
            name, _, value = words[0].partition("=")
            result[name] = value
    return result


def command_line(exec_start, environment, specifiers):
    """The argument list of an ExecStart= value: a word that is `$NAME` alone becomes the
    variable's value split at white space (none when it is empty), `${NAME}` within a word
    is replaced by the value as it is."""
    if exec_start[:1] in "-@:+!":
        raise AssertionError(f"the test does not know the prefix of {exec_start!r}")
    argv = []
    for word in shlex.split(expand_specifiers(exec_start, specifiers)):
        whole = re.fullmatch(r"\$(\w+)", word)
        if whole:
            argv += environment.get(whole[1], "").split()
        else:
            argv.append(re.sub(r"\$\{(\w+)\}", lambda m: environment.get(m[1], ""), word))
    return argv


SYSTEMD_ANALYZE = shutil.which("systemd-analyze")


def verify(root, unit_path, man_folder):
    """systemd-analyze verify of the unit at UNIT_PATH inside ROOT, which holds the
    programs it names; its folder is searched for units before systemd's own (as after
    `systemctl link`, for a folder systemd does not search), and its Documentation= pages
    are looked up in MAN_FOLDER. Units the unit only refers to are not looked for.
    (exit status, output)."""
    environment = dict(os.environ, MANPATH=man_folder,
                       SYSTEMD_UNIT_PATH=os.path.dirname(unit_path) + ":")
    result = subprocess.run(
        [SYSTEMD_ANALYZE, "verify", "--recursive-errors=no", f"--root={root}", unit_path],
        capture_output=True, text=True, env=environment)
    return result.returncode, result.stdout + result.stderr


def exposure(root, unit_name):
    """systemd-analyze security's overall exposure of a unit inside ROOT, read offline
    (0.0 for a service that can do nothing, 10.0 for one that can do everything), and
    its report."""
    result = subprocess.run(
        [SYSTEMD_ANALYZE, "security", "--offline=true", f"--root={root}", "--no-pager",
         unit_name], capture_output=True, text=True)
    found = re.search(r"Overall exposure level for \S+: (\d+\.\d+)", result.stdout)
    if result.returncode != 0 or not found:
        raise AssertionError(f"systemd-analyze security failed:\n{result.stdout}{result.stderr}")
    return float(found[1]), result.stdout
