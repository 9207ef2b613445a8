"""The include directions of the tree: every #include of a folder must name a folder or a
library that the README's layout table allows it, and each folder's CMakeLists.txt must
repeat its row. Run as `layers.py SOURCE_DIR`; the tests below also run the check on a
small tree of their own with one upward include, which it must report."""

import os
import re
import sys
import tempfile
import unittest

# What each library's headers look like.
LIBRARY_HEADERS = {
    "SDL2": [r"SDL"],
    "libpng": [r"png\.h"],
    "libcurl": [r"curl/"],
    "Xlib": [r"X11/"],
    "OpenGL": [r"GL/gl\.h", r"GL/glext\.h"],
    "GLU": [r"GL/glu\.h"],
    "OpenAL": [r"AL/"],
    "Ogg Vorbis": [r"vorbis/", r"ogg/"],
    "FreeType": [r"ft2build\.h", r"freetype/"],
    "NSIS plug-in API": [r"nsis/"],
    "Windows": [r"windows\.h", r"wininet\.h", r"shlobj\.h", r"shellapi\.h"],
    "cpp-httplib": [r"httplib\.h"],
    "SQLite": [r"sqlite3\.h"],
    "libpqxx": [r"pqxx/"],
}

ROW = re.compile(r"^\| `([a-z]+)/` \| .*? \| (.*?) \|$")
QUOTED = re.compile(r'^\s*#\s*include\s+"([a-z_]+)/')
ANGLED = re.compile(r"^\s*#\s*include\s+<([^>]+)>")


def read_table(readme):
    """{folder: (text of its row, allowed folders, allowed libraries)} from the README."""
    table = {}
    with open(readme, encoding="utf-8") as f:
        for line in f:
            m = ROW.match(line.rstrip("\n"))
            if not m:
                continue
            folder, text = m.group(1), m.group(2)
            folders_part, _, libraries_part = text.partition(";")
            folders = set(re.findall(r"`([a-z]+)/`", folders_part))
            libraries = {name.strip() for name in libraries_part.split(",") if name.strip()}
            unknown = libraries - LIBRARY_HEADERS.keys()
            if unknown:
                raise ValueError(f"{folder}/: unknown libraries {sorted(unknown)} in the table")
            table[folder] = (text, folders, libraries)
    if not table:
        raise ValueError(f"no layout table in {readme}")
    return table


def library_of(header):
    for name, patterns in LIBRARY_HEADERS.items():
        if any(re.match(p, header) for p in patterns):
            return name
    return None


def violations(source_dir):
    """Every include that its folder's row does not allow, and every folder whose
    CMakeLists.txt does not repeat its row, as readable lines."""
    table = read_table(os.path.join(source_dir, "README.md"))
    found = []
    for folder, (text, folders, libraries) in sorted(table.items()):
        if "everything" in text:
            continue
        root = os.path.join(source_dir, folder)
        cmake = os.path.join(root, "CMakeLists.txt")
        if os.path.exists(cmake):
            with open(cmake, encoding="utf-8") as f:
                head = f.read().split("\n\n", 1)[0]
            if f"# May include: {text}" not in head.splitlines():
                found.append(f"{folder}/CMakeLists.txt: its first comment does not say "
                             f"'May include: {text}'")
        for dirpath, _, files in os.walk(root):
            for name in sorted(files):
                if not name.endswith((".h", ".cpp")):
                    continue
                path = os.path.join(dirpath, name)
                relative = os.path.relpath(path, source_dir)
                with open(path, encoding="utf-8", errors="replace") as f:
                    for number, line in enumerate(f, 1):
                        m = QUOTED.match(line)
                        if m and m.group(1) != folder and m.group(1) not in folders:
                            found.append(f"{relative}:{number}: includes {m.group(1)}/")
                        m = ANGLED.match(line)
                        library = library_of(m.group(1)) if m else None
                        if library and library not in libraries:
                            found.append(f"{relative}:{number}: includes {library} "
                                         f"(<{m.group(1)}>)")
    return found


class Layers(unittest.TestCase):
    source_dir = None

    def test_the_tree_keeps_its_layers(self):
        found = violations(self.source_dir)
        self.assertEqual(found, [], "\n" + "\n".join(found))

    def test_an_upward_include_or_a_stray_library_is_reported(self):
        with tempfile.TemporaryDirectory() as tree:
            def write(path, text):
                os.makedirs(os.path.dirname(os.path.join(tree, path)), exist_ok=True)
                with open(os.path.join(tree, path), "w") as f:
                    f.write(text)

            write("README.md", "| Folder | What | May include |\n|---|---|---|\n"
                  "| `engine/` | e | `base/`; OpenGL |\n"
                  "| `game/` | g | `engine/` |\n"
                  "| `frontend/` | f | `game/`, `engine/` |\n")
            write("engine/CMakeLists.txt", "# Layer.\n# May include: `base/`; OpenGL\n")
            write("game/CMakeLists.txt", "# Layer.\n# May include: `frontend/`\n")
            write("engine/window.cpp", '#include <GL/gl.h>\n#include "base/log.h"\n')
            write("game/match.h", '#pragma once\n#include "engine/pak.h"\n'
                  '#include "frontend/menu.h"\n#include <AL/al.h>\n#include <vector>\n')
            write("frontend/menu.cpp", '#include "game/match.h"\n')
            self.assertEqual(violations(tree), [
                "game/CMakeLists.txt: its first comment does not say 'May include: `engine/`'",
                "game/match.h:3: includes frontend/",
                "game/match.h:4: includes OpenAL (<AL/al.h>)",
            ])


if __name__ == "__main__":
    Layers.source_dir = sys.argv[1]
    unittest.main(argv=[sys.argv[0], "-v"])
