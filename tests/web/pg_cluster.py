"""A private PostgreSQL cluster for a test: made with initdb in a temporary folder, listening
only on a unix socket in that folder, and removed again at the end, also when the test
fails. PostgreSQL refuses to run as root, so under root the server runs as the `postgres`
system user, which then owns the folder.

As a module: `with Cluster() as pg: ... pg.conninfo ...`.
As a program: `pg_cluster.py COMMAND ARG...` runs COMMAND with TINDRAL_TEST_POSTGRES set to
the cluster's connection string and exits with its status."""

import os
import pwd
import shutil
import signal
import subprocess
import sys
import tempfile

BIN = "/usr/lib/postgresql/15/bin"


class Cluster:
    def __init__(self):
        self.folder = None
        self.started = False

    def _as_server_user(self, argv):
        if os.geteuid() == 0:
            return ["runuser", "-u", "postgres", "--"] + argv
        return argv

    def __enter__(self):
        if not os.path.exists(os.path.join(BIN, "initdb")):
            raise RuntimeError(f"no PostgreSQL server in {BIN} (scripts/setup.sh installs it)")
        self.folder = tempfile.mkdtemp(prefix="tindral-pg-")
        try:
            if os.geteuid() == 0:
                user = pwd.getpwnam("postgres")
                os.chown(self.folder, user.pw_uid, user.pw_gid)
            data = os.path.join(self.folder, "data")
            # No fsync and no waiting for the disk: a cluster that lives for one test.
            subprocess.run(self._as_server_user([
                os.path.join(BIN, "initdb"), "-D", data, "-U", "tindral", "-A", "trust",
                "-E", "UTF8", "--locale=C", "--no-sync"]),
                check=True, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
            options = (f"-c listen_addresses='' -k {self.folder} -c fsync=off "
                       "-c full_page_writes=off -c max_connections=40")
            subprocess.run(self._as_server_user([
                os.path.join(BIN, "pg_ctl"), "-D", data, "-o", options, "-l",
                os.path.join(self.folder, "server.log"), "-w", "-t", "60", "start"]),
                check=True, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
            self.started = True
        except BaseException:
            self.__exit__(None, None, None)
            raise
        self.conninfo = f"host={self.folder} dbname=postgres user=tindral"
        return self

    def __exit__(self, *exc):
        if self.started:
            subprocess.run(self._as_server_user([
                os.path.join(BIN, "pg_ctl"), "-D", os.path.join(self.folder, "data"),
                "-m", "immediate", "-w", "stop"]),
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.started = False
        if self.folder:
            shutil.rmtree(self.folder, ignore_errors=True)
            self.folder = None
        return False


def main():
    # A test runner's time-out sends SIGTERM: stop the cluster on the way out.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    with Cluster() as pg:
        env = dict(os.environ, TINDRAL_TEST_POSTGRES=pg.conninfo)
        return subprocess.run(sys.argv[1:], env=env).returncode


if __name__ == "__main__":
    sys.exit(main())
