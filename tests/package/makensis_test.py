"""Installer authors' view of the plug-in package: Debian's makensis, pointed at the staged
installation's NSIS folder (NSISDIR), finds Corvane_NSIS by name without !addplugindir
and builds an installer that calls each of its exports; without the staged plug-in the
same script does not build.
Usage: makensis_test.py CMAKE BUILD_FOLDER MAKENSIS"""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from staging import Staged  # noqa: E402

CMAKE, BUILD, MAKENSIS = sys.argv[1:4]
SYSTEM_NSIS = "/usr/share/nsis"
EXPORTS = ("Uninstall_Tindral", "Uninstall_Haskett", "Uninstall_Mirelle", "Uninstall_Dunstow",
           "Update_File_Locations_Haskett", "Upload_Info")

SCRIPT = r"""Unicode true
Target amd64-unicode
OutFile "corvane-check.exe"
RequestExecutionLevel user
SilentInstall silent
Section
  Corvane_NSIS::Uninstall_Tindral
  Corvane_NSIS::Uninstall_Haskett
  Corvane_NSIS::Uninstall_Mirelle
  Corvane_NSIS::Uninstall_Dunstow
  Corvane_NSIS::Update_File_Locations_Haskett "$TEMP\Haskett"
  Corvane_NSIS::Upload_Info "install" "Tindral" "1.65" "$WINDIR"
SectionEnd
"""


class Makensis(unittest.TestCase):
    def setUp(self):
        self.staged = Staged(CMAKE, BUILD)
        self.addCleanup(self.staged.remove)
        self.work = tempfile.mkdtemp(prefix="tindral-makensis-")
        self.addCleanup(shutil.rmtree, self.work, True)
        with open(os.path.join(self.work, "setup.nsi"), "w") as f:
            f.write(SCRIPT)

    def nsis_folder(self, plugins):
        """An NSIS folder of the system's stubs and headers with PLUGINS as its Plugins."""
        folder = tempfile.mkdtemp(dir=self.work)
        for name in ("Stubs", "Include", "Contrib"):
            os.symlink(os.path.join(SYSTEM_NSIS, name), os.path.join(folder, name))
        os.symlink(plugins, os.path.join(folder, "Plugins"))
        return folder

    def makensis(self, nsis_folder):
        return subprocess.run([MAKENSIS, "-V4", "setup.nsi"], cwd=self.work,
                              env=dict(os.environ, NSISDIR=nsis_folder), capture_output=True,
                              text=True)

    def test_the_staged_plugin_is_found_by_name_and_called(self):
        plugins = self.staged.path("share/nsis/Plugins")
        dll = os.path.join(plugins, "amd64-unicode", "Corvane_NSIS.dll")
        result = self.makensis(self.nsis_folder(plugins))
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        for export in EXPORTS:
            self.assertIn(f" + Corvane_NSIS::{export}\n", result.stdout, "an export found")
            self.assertIn(f"Plugin command: {export}", result.stdout, "a call")
        # The DLL goes into the installer (compressed; the second figure is its size).
        self.assertRegex(result.stdout, r'File: "Corvane_NSIS.dll"->"\$PLUGINSDIR\\'
                         rf'Corvane_NSIS.dll" \[compress\] \d+/{os.path.getsize(dll)} bytes')
        with open(os.path.join(self.work, "corvane-check.exe"), "rb") as f:
            self.assertEqual(f.read(2), b"MZ")

    def test_without_the_staged_plugin_the_script_does_not_build(self):
        empty = os.path.join(self.work, "empty-plugins")
        os.makedirs(os.path.join(empty, "amd64-unicode"))
        result = self.makensis(self.nsis_folder(empty))
        self.assertNotEqual(result.returncode, 0)
        self.assertIn("Corvane_NSIS::Uninstall_Tindral", result.stdout + result.stderr)
        self.assertFalse(os.path.exists(os.path.join(self.work, "corvane-check.exe")))


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "-v"])
