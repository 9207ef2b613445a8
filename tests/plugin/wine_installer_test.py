#!/usr/bin/env python3
"""The Windows plug-in inside a real NSIS installer, run under Wine.

Usage: wine_installer_test.py PLUGIN_DLL TEST_PLUGIN_DLL WEB_SERVICE

Builds an amd64-unicode installer with makensis that calls the exports of PLUGIN_DLL
(Corvane_NSIS.dll) and, for the usage report, of TEST_PLUGIN_DLL (the test copy whose
report host comes from CORVANE_TEST_WEB_HOST). Runs it silently in a fresh 64-bit Wine
prefix, first as Windows 7 (Wine's default) and then as Windows XP x64 ("Server_2003"),
and checks the files on disk and the update log. The usage reports go to the real
tindral-web (WEB_SERVICE, started here on 127.0.0.1 with a database of its own) through a
relay that passes the bytes both ways unchanged and keeps them: the requests are checked
as sent, their answers as given, and the install on the service's page and in its JSON.
The Wine user's name and the old installation folder hold characters outside the ANSI
code page. Exits with status 0 when every check passes.
"""

import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "web"))
from web_service import Service  # noqa: E402

USER = "Тестер"  # Cyrillic: outside code page 1252
OLD_FOLDER = "C:\\Program Files\\Haskett Ünïcödé 测试"
PROGRAM = "Haskett Pro & Ünïcödé 测试"
INSTALLER = "plugin_test_installer.exe"

FAILURES = []


def check(condition, what):
    if not condition:
        FAILURES.append(what)
        print("FAILED: " + what, flush=True)


# ---------------------------------------------------------------------------------------
# The installer script


def installer_script(plugin_folder):
    return f"""Unicode true
Target amd64-unicode
!addplugindir /amd64-unicode "{plugin_folder}"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
Name "Corvane plug-in test"
OutFile "{INSTALLER}"
RequestExecutionLevel user
SilentInstall silent

; /ACTION= chooses the exports to call. A value pushed before the call must still be on
; the stack afterwards: the exports pop exactly their own arguments. The outcome is
; written to result.txt beside the installer.
Section
  ${{GetParameters}} $R0
  ${{GetOptions}} $R0 "/ACTION=" $R1
  ${{If}} $R1 == "upload_empty"
    Corvane_NSIS_Test::Upload_Info
    StrCpy $0 "sentinel"
  ${{Else}}
    Push "sentinel"
    ${{If}} $R1 == "uninstall"
      Corvane_NSIS::Uninstall_Haskett
      Corvane_NSIS::Uninstall_Mirelle
      Corvane_NSIS::Uninstall_Dunstow
      Corvane_NSIS::Uninstall_Tindral
    ${{ElseIf}} $R1 == "update"
      Corvane_NSIS::Update_File_Locations_Haskett "{OLD_FOLDER}"
    ${{ElseIf}} $R1 == "upload"
      Corvane_NSIS_Test::Upload_Info "install" "{PROGRAM}" "2.65 beta" "$WINDIR"
    ${{EndIf}}
    Pop $0
  ${{EndIf}}
  FileOpen $1 "$EXEDIR\\result.txt" w
  FileWrite $1 "$R1 $0"
  FileClose $1
SectionEnd
"""


# ---------------------------------------------------------------------------------------
# Files in the prefix


def write(path, content="x", mtime=None):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8", newline="") as out:
        out.write(content)
    if mtime is not None:
        os.utime(path, (mtime, mtime))


def tree(root):
    """Relative paths of every file and folder below root ("/" separated)."""
    found = set()
    for folder, subfolders, files in os.walk(root):
        for name in subfolders + files:
            found.add(os.path.relpath(os.path.join(folder, name), root))
    return found


def read(path):
    with open(path, encoding="utf-8", newline="") as text:
        return text.read()


# ---------------------------------------------------------------------------------------
# The RTF log

HEADER = (
    r"{\rtf1\ansi\ansicpg1252\deff0\deflang1033{\fonttbl{\f0\fmodern\fprq1\fcharset0 Courier New;}"
    r"{\f1\fnil\fcharset0 Courier New;}}"
    r"{\colortbl ;\red0\green0\blue0;\red255\green0\blue0;\red0\green128\blue0;\red0\green0\blue255;}"
    r"{\*\generator Msftedit 5.41.15.1503;}\viewkind4\uc1\pard\fs20"
)
STARTED = re.compile(r"-{38}\\par Logging started: \d\d/\d\d/\d{4} - \d\d:\d\d:\d\d \\par-{39}\\par \\par")
LINE = re.compile(r" \d\d:\d\d:\d\d :: \\cf1\\f0 (.*?)\\cf0\\f1\\par")


def rtf_decode(text):
    """Turns the log's \\uN? escapes back into text (UTF-16 units, signed)."""
    units = []
    plain = []
    pos = 0
    for match in re.finditer(r"\\u(-?\d+)\?", text):
        plain.append((text[pos:match.start()], None))
        plain.append(("", int(match.group(1)) & 0xFFFF))
        pos = match.end()
    plain.append((text[pos:], None))
    out = ""
    for literal, unit in plain:
        if unit is None:
            if units:
                out += b"".join(u.to_bytes(2, "little") for u in units).decode("utf-16-le")
                units = []
            out += literal
        else:
            units.append(unit)
    if units:
        out += b"".join(u.to_bytes(2, "little") for u in units).decode("utf-16-le")
    return out


def log_messages(path):
    """The decoded messages of a fresh log, or None when its form is wrong."""
    raw = open(path, "rb").read()
    if b"\n" in raw or b"\r" in raw:
        print("the log holds a line break")
        return None
    text = raw.decode("ascii")
    if not text.startswith(HEADER):
        print("the log does not start with the header")
        return None
    started = STARTED.match(text, len(HEADER))
    if not started:
        print("no 'Logging started' piece")
        return None
    pos = started.end()
    messages = []
    while pos < len(text):
        line = LINE.match(text, pos)
        if not line:
            print("unexpected log text: " + text[pos:pos + 80])
            return None
        messages.append(rtf_decode(line.group(1)))
        pos = line.end()
    return messages


def shown(path):
    """A Windows path as log lines show it."""
    return path.replace("\\", "/")


# ---------------------------------------------------------------------------------------
# The usage reports: tindral-web behind a relay that keeps what passes


class Relay:
    """Listens on a free port of 127.0.0.1 and joins each connection to the service's port,
    copying bytes both ways unchanged (an end closed on one side is closed on the other),
    and keeps the bytes of each connection in both directions."""

    def __init__(self, service_port):
        self.service_port = service_port
        self.listener = socket.create_server(("127.0.0.1", 0))
        self.port = self.listener.getsockname()[1]
        self.connections = []  # [(bytes from the plug-in, bytes from the service)]
        self.lock = threading.Lock()
        self.threads = []
        threading.Thread(target=self.accept, daemon=True).start()

    def accept(self):
        while True:
            try:
                client, _ = self.listener.accept()
            except OSError:
                return  # closed
            thread = threading.Thread(target=self.serve, args=(client,), daemon=True)
            with self.lock:
                self.threads.append(thread)
            thread.start()

    def serve(self, client):
        sent, answered = bytearray(), bytearray()
        with self.lock:
            self.connections.append((sent, answered))
        with client, socket.create_connection(("127.0.0.1", self.service_port)) as service:
            back = threading.Thread(target=self.copy, args=(service, client, answered))
            back.start()
            self.copy(client, service, sent)
            back.join()

    @staticmethod
    def copy(source, target, kept):
        try:
            while True:
                data = source.recv(65536)
                if not data:
                    target.shutdown(socket.SHUT_WR)
                    return
                kept += data
                target.sendall(data)
        except OSError:
            # A reset on one side resets the other: both ends stop.
            for end in (source, target):
                try:
                    end.shutdown(socket.SHUT_RDWR)
                except OSError:
                    pass

    def close(self):
        self.listener.close()

    def exchanges(self, timeout=20):
        """Every request that passed, in order, as {"path", "agent", "params", "status"}:
        the request target and User-Agent as the plug-in sent them, the query's parameters
        decoded, and the status line's code the service answered with (0 for none). Waits
        for the connections to end first."""
        with self.lock:
            threads = list(self.threads)
        for thread in threads:
            thread.join(timeout)
        found = []
        with self.lock:
            connections = [(bytes(s), bytes(a)) for s, a in self.connections]
        for sent, answered in connections:
            statuses = [int(code) for code in
                        re.findall(rb"(?:^|\r\n)HTTP/1\.[01] (\d{3}) ", answered)]
            # GET requests carry no body: each ends with its blank line.
            for number, head in enumerate(sent.split(b"\r\n\r\n")[:-1]):
                lines = head.decode("latin-1").split("\r\n")
                method, target, _ = (lines[0].split(" ") + ["", ""])[:3]
                headers = {k.strip().lower(): v.strip() for k, _, v in
                           (line.partition(":") for line in lines[1:])}
                query = urllib.parse.urlsplit(target).query
                try:
                    params = urllib.parse.parse_qsl(query, keep_blank_values=True,
                                                    strict_parsing=True, errors="strict")
                except (ValueError, UnicodeDecodeError) as error:
                    params = [("BAD", str(error))]
                found.append({"method": method, "path": target,
                              "agent": headers.get("user-agent", ""), "params": params,
                              "status": statuses[number] if number < len(statuses) else 0})
        return found


# ---------------------------------------------------------------------------------------
# The run


class Wine:
    def __init__(self, root):
        self.root = root
        self.prefix = os.path.join(root, "prefix")
        env = {k: v for k, v in os.environ.items()
               if not k.startswith(("XDG_", "WINE")) and k.lower() not in
               ("http_proxy", "https_proxy", "all_proxy", "no_proxy", "display")}
        os.makedirs(os.path.join(root, "home"))
        env.update({
            "WINEPREFIX": self.prefix,
            "WINEARCH": "win64",
            "WINEDEBUG": "-all",
            "WINEDLLOVERRIDES": "mscoree,mshtml=",
            "HOME": os.path.join(root, "home"),
            "USER": USER,
            "LOGNAME": USER,
            "LANG": "C.UTF-8",
            "LC_ALL": "C.UTF-8",
        })
        self.env = env
        self.drive = os.path.join(self.prefix, "drive_c")
        self.roaming = os.path.join(self.drive, "users", USER, "AppData", "Roaming")
        self.local = os.path.join(self.drive, "users", USER, "AppData", "Local")
        self.common = os.path.join(self.drive, "ProgramData")

    def run(self, *command, timeout=120):
        # Output goes to a file, not a pipe: the server and the system processes that a
        # command starts inherit it, and reading a pipe to its end would wait for them.
        output_path = os.path.join(self.root, "output.txt")
        with open(output_path, "wb") as output:
            result = subprocess.run(command, env=self.env, cwd=self.root, timeout=timeout,
                                    stdin=subprocess.DEVNULL, stdout=output,
                                    stderr=subprocess.STDOUT)
        with open(output_path, "rb") as output:
            return result.returncode, output.read().decode("utf-8", "replace")

    def install(self, action):
        result_file = os.path.join(self.root, "result.txt")
        if os.path.exists(result_file):
            os.remove(result_file)
        started = time.monotonic()
        status, output = self.run("wine", os.path.join(self.root, INSTALLER), "/S",
                                  "/ACTION=" + action)
        print("installer /ACTION=%s: status %d, %.1f s" % (action, status,
                                                          time.monotonic() - started), flush=True)
        check(status == 0, "the installer (%s) exits with 0, not %d: %s" % (action, status, output))
        outcome = open(result_file, "rb").read().decode("latin-1") if os.path.exists(result_file) else ""
        check(outcome == action + " sentinel",
              "the installer ran to its end with its own stack value kept (%s): %r" % (action, outcome))

    def host(self, windows_path):
        """The prefix path of a C: path."""
        assert windows_path.startswith("C:\\")
        return os.path.join(self.drive, *windows_path[3:].split("\\"))


def windows(*parts):
    return "\\".join(parts)


def prepare_uninstall(wine):
    layouts = {
        "Haskett": ["Data", "IP Stats", "Logs/CSV", "Logs"],
        "Mirelle": ["Data", "Scores"],
        "Dunstow": ["Data", "Images"],
        "Tindral": ["Data"],
    }
    store = os.path.join(wine.local, "VirtualStore", "Program Files")
    for product, subfolders in layouts.items():
        for base in (wine.roaming, store):
            write(os.path.join(base, product, "config.dat"))
            for subfolder in subfolders:
                write(os.path.join(base, product, subfolder, "file.dat"))
    for subfolder in layouts["Haskett"]:
        write(os.path.join(wine.common, "Haskett", subfolder, "file.dat"))
    write(os.path.join(wine.common, "Haskett", "config.dat"))
    # Mirelle keeps nothing under all users' data: such a folder is not its to remove.
    write(os.path.join(wine.common, "Mirelle", "Data", "file.dat"))
    return store


def check_uninstall(wine, store, vista):
    products = ["Haskett", "Mirelle", "Dunstow", "Tindral"]
    for product in products:
        check(not os.path.exists(os.path.join(wine.roaming, product)),
              "%s's folder under the user's application data is removed" % product)
        in_store = os.path.exists(os.path.join(store, product))
        check(in_store != vista, "%s's VirtualStore copy is %s" %
              (product, "removed on Windows 7" if vista else "kept on XP"))
    in_common = os.path.exists(os.path.join(wine.common, "Haskett"))
    check(in_common != vista, "Haskett's all-users folder is %s" %
          ("removed on Windows 7" if vista else "kept on XP"))
    if not vista:
        check(len(tree(os.path.join(wine.common, "Haskett"))) == 9,
              "the kept all-users folder is complete")
    check(os.path.exists(os.path.join(wine.common, "Mirelle", "Data", "file.dat")),
          "Mirelle's all-users folder is never touched")
    shutil.rmtree(store, ignore_errors=True)
    shutil.rmtree(os.path.join(wine.common, "Haskett"), ignore_errors=True)
    shutil.rmtree(os.path.join(wine.common, "Mirelle"), ignore_errors=True)


T1 = 1300000000
T2 = 1400000000


def prepare_update(wine):
    """Old folder O, its VirtualStore copy V and the all-users folder C, each with files."""
    o = wine.host(OLD_FOLDER)
    write(os.path.join(o, "config.dat"),
          "Name Bob\nLogFolder %s\\Logs\nVolume 5\n" % OLD_FOLDER.replace(" ", "*"), T1)
    write(os.path.join(o, "config.bin"), "bin", T1)
    write(os.path.join(o, "Data", "stats.dat"), "old folder stats", T1)
    write(os.path.join(o, "IP Stats", "a.dat"), "ip", T1)
    write(os.path.join(o, "Logs", "CSV", "b.csv"), "csv", T1)
    write(os.path.join(o, "Logs", "c.log"), "log", T1)
    v = os.path.join(wine.local, "VirtualStore", *OLD_FOLDER[3:].split("\\"))
    write(os.path.join(v, "profile.dat"), "profile", T1)
    write(os.path.join(v, "Data", "stats.dat"), "virtual store stats", T2)
    c = os.path.join(wine.common, "Haskett")
    write(os.path.join(c, "config.bin"), "bin", T1)
    write(os.path.join(c, "Logs", "old.log"), "old", T1)


def expected_update_log(user_folder, vista):
    o = OLD_FOLDER
    p = windows(user_folder, "Haskett")
    pd = windows(p, "Data")
    v = windows(user_folder.rsplit("\\", 1)[0], "Local", "VirtualStore", OLD_FOLDER[3:])
    c = "C:\\ProgramData\\Haskett"
    opening = lambda s: ["Updating file locations for v2.65 installation...",
                         "... from [%s]" % s, "... to [%s]" % p]
    lines = opening(o) + [
        "Moved [%s][config.dat] to [%s]" % (o, p),
        "Updated log folder location [%s]" % windows(p, "Logs").replace(" ", "*"),
        "Moved [%s][config.bin] to [%s]" % (o, p),
        "Moved [%s][stats.dat] to [%s]" % (windows(o, "Data"), pd),
        "Looking in [%s\\IP Stats]" % o,
        "Moved [%s\\IP Stats][a.dat] to [%s\\IP Stats]" % (o, p),
        "Removed empty folder [%s\\IP Stats]" % o,
        "Looking in [%s\\Logs\\CSV]" % o,
        "Moved [%s\\Logs\\CSV][b.csv] to [%s\\Logs\\CSV]" % (o, p),
        "Removed empty folder [%s\\Logs\\CSV]" % o,
        "Looking in [%s\\Logs]" % o,
        "Moved [%s\\Logs][c.log] to [%s\\Logs]" % (o, p),
        "Removed empty folder [%s\\Logs]" % o,
    ]
    if vista:
        kept = "Kept log folder location [%s\\Logs]" % p
        lines += opening(v) + [
            kept,
            "Moved [%s][profile.dat] to [%s]" % (v, p),
            "Renamed older file to [stats.dat.%d.bak]" % T1,
            "Moved [%s\\Data][stats.dat] to [%s]" % (v, pd),
            "Looking in [%s\\IP Stats]" % v,
            "Looking in [%s\\Logs\\CSV]" % v,
            "Looking in [%s\\Logs]" % v,
        ]
        lines += opening(c) + [
            kept,
            "Removed [%s][config.bin] - already exists in [%s]" % (c, p),
            "Looking in [%s\\IP Stats]" % c,
            "Looking in [%s\\Logs\\CSV]" % c,
            "Looking in [%s\\Logs]" % c,
            "Moved [%s\\Logs][old.log] to [%s\\Logs]" % (c, p),
            "Removed empty folder [%s\\Logs]" % c,
        ]
    return [shown(line) for line in lines]


def check_update(wine, vista):
    user_folder = windows("C:\\users", USER, "AppData", "Roaming")
    p = os.path.join(wine.roaming, "Haskett")
    messages = log_messages(os.path.join(p, "Data", "v2.65 update log.dat"))
    expected = expected_update_log(user_folder, vista)
    check(messages == expected, "the update log reads:\n  %s\nexpected:\n  %s" % (
        "\n  ".join(messages or []), "\n  ".join(expected)))
    settings = read(os.path.join(p, "config.dat"))
    check(settings == "Name Bob\nLogFolder\t%s\\Haskett\\Logs\nVolume 5\n" %
          user_folder.replace(" ", "*") or
          settings == "Name Bob\r\nLogFolder\t%s\\Haskett\\Logs\r\nVolume 5\r\n" %
          user_folder.replace(" ", "*"),
          "LogFolder points into the new folder: %r" % settings)
    check(read(os.path.join(p, "config.bin")) == "bin", "config.bin moved")
    check(read(os.path.join(p, "Logs", "CSV", "b.csv")) == "csv", "Logs\\CSV moved")
    v = os.path.join(wine.local, "VirtualStore", *OLD_FOLDER[3:].split("\\"))
    if vista:
        check(read(os.path.join(p, "Data", "stats.dat")) == "virtual store stats",
              "the newer VirtualStore copy wins")
        check(read(os.path.join(p, "Data", "stats.dat.%d.bak" % T1)) == "old folder stats",
              "the older copy is kept as its backup")
        check(read(os.path.join(p, "Logs", "old.log")) == "old", "the all-users files moved")
    else:
        check(read(os.path.join(p, "Data", "stats.dat")) == "old folder stats",
              "the old folder's copy moved")
        check(os.path.exists(os.path.join(v, "Data", "stats.dat")),
              "XP leaves the VirtualStore copy alone")
        check(os.path.exists(os.path.join(wine.common, "Haskett", "Logs", "old.log")),
              "XP leaves the all-users folder alone")
    shutil.rmtree(p)
    shutil.rmtree(os.path.join(wine.local, "VirtualStore"), ignore_errors=True)
    shutil.rmtree(os.path.join(wine.common, "Haskett"), ignore_errors=True)
    shutil.rmtree(wine.host(OLD_FOLDER))


def check_reports(requests, started):
    now = int(time.time())
    check(len(requests) == 2, "two usage reports arrived, not %d" % len(requests))
    if len(requests) != 2:
        return
    for request in requests:
        check(request["method"] == "GET", "method: " + request["method"])
        check(request["path"].startswith("/accessInfo.php?"), "path: " + request["path"])
        check(request["agent"] == "InetURL/1.0", "user agent: " + request["agent"])
        check(request["status"] == 200, "tindral-web took the report: status %d for %s" %
              (request["status"], request["path"]))
    given, empty = requests
    keys = [k for k, _ in given["params"]]
    check(keys == ["access", "action", "program", "version", "major", "minor", "os",
                   "os_timestamp"], "report parameters: %r" % given["params"])
    values = dict(given["params"])
    check(values.get("access") == "app_info", "access=app_info")
    check(values.get("action") == "install", "action: %r" % values.get("action"))
    check(values.get("program") == PROGRAM, "program arrives as given: %r" % values.get("program"))
    check(values.get("version") == "2.65 beta", "version: %r" % values.get("version"))
    check((values.get("major"), values.get("minor"), values.get("os")) == ("6", "1", "Windows_7"),
          "Windows 7 reported: %r" % given["params"])
    # The prefix, and with it C:\windows, was made by this test.
    stamp = int(values.get("os_timestamp", "0"))
    check(started - 5 <= stamp <= now + 5, "the Windows folder's creation time: %d" % stamp)
    values = dict(empty["params"])
    check([values.get(k) for k in ("action", "program", "version")] == ["", "", ""],
          "an empty stack sends empty values: %r" % empty["params"])
    stamp = int(values.get("os_timestamp", "0"))
    check(started <= stamp <= now + 5, "an empty stack sends the current time: %d" % stamp)


def check_service(service):
    """The install reported under Windows 7 on the service's page and in its JSON: both
    reports counted, the one with an action counted as an install of its program and
    version, the empty one as no install."""
    scores = service.scores()
    check(scores["reports"] == 2, "tindral-web counts two reports: %r" % scores["reports"])
    check(scores["installs"] == [{"program": PROGRAM, "version": "2.65 beta", "os": "Windows_7",
                                  "installs": 1, "uninstalls": 0}],
          "scores.json shows one install by version and OS: %r" % scores["installs"])
    page = service.page()
    check(page.rows.get("installs") == [[PROGRAM, "2.65 beta", "Windows_7", "1", "0"]],
          "the page's installations: %r" % page.rows.get("installs"))
    check(page.counts.get("reports") == "2", "the page's reports: %r" % page.counts.get("reports"))


def start_service(binary, folder):
    """tindral-web on a free port of 127.0.0.1 with a database in FOLDER, or None (said
    why) when it is not built or does not start."""
    if not os.access(binary, os.X_OK):
        print("tindral-web is not built (%r): it needs libcpp-httplib-dev, libsqlite3-dev and "
              "libpqxx-dev, which scripts/setup.sh installs" % binary)
        return None
    try:
        return Service(binary, "--db", os.path.join(folder, "scores.db"))
    except AssertionError as error:
        print(error)
        return None


def main():
    plugin_dll, test_plugin_dll, web_service = sys.argv[1:4]
    root = tempfile.mkdtemp(prefix="corvane-wine-")
    service = start_service(web_service, root)
    if service is None:
        shutil.rmtree(root, ignore_errors=True)
        return 1
    wine = Wine(root)
    started = int(time.time())
    relay = Relay(service.port)
    wine.env["CORVANE_TEST_WEB_HOST"] = "127.0.0.1:%d" % relay.port
    try:
        plugins = os.path.join(root, "plugins")
        os.makedirs(plugins)
        shutil.copy(plugin_dll, os.path.join(plugins, "Corvane_NSIS.dll"))
        shutil.copy(test_plugin_dll, os.path.join(plugins, "Corvane_NSIS_Test.dll"))
        with open(os.path.join(root, "installer.nsi"), "w", encoding="utf-8-sig") as script:
            script.write(installer_script(plugins))
        status, output = wine.run("makensis", "-V2", "installer.nsi")
        if status != 0:
            print(output)
            return 1

        begun = time.monotonic()
        status, output = wine.run("wineboot", "-i", timeout=150)
        print("wineboot: %.1f s" % (time.monotonic() - begun), flush=True)
        # One server for the whole test: every later start of Wine would otherwise bring up
        # a new server and the system processes again, seconds each.
        wine.run("wineserver", "-p")
        wine.run("wine", "reg", "add", "HKCU\\Software\\Wine\\Drivers", "/v", "Graphics",
                 "/d", "null", "/f")
        if not os.path.isdir(wine.roaming):
            print("Wine made no profile for %s: %s" % (USER, output))
            return 1

        # Windows 7, Wine's default version.
        store = prepare_uninstall(wine)
        wine.install("uninstall")
        check_uninstall(wine, store, vista=True)
        prepare_update(wine)
        wine.install("update")
        check_update(wine, vista=True)
        wine.install("upload")
        wine.install("upload_empty")
        check_reports(relay.exchanges(), started)
        check_service(service)

        # Windows XP x64, which names itself "Server_2003": no Vista branch.
        wine.run("wine", "winecfg", "-v", "winxp64")
        store = prepare_uninstall(wine)
        wine.install("uninstall")
        check_uninstall(wine, store, vista=False)
        prepare_update(wine)
        wine.install("update")
        check_update(wine, vista=False)
    finally:
        wine.run("wineserver", "-k")
        relay.close()
        status, _, errors = service.stop()
        if status != 0 or errors:
            print("tindral-web ended with status %d: %s" % (status, errors))
        shutil.rmtree(root, ignore_errors=True)

    if FAILURES:
        print("%d check(s) failed" % len(FAILURES))
        return 1
    print("all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
