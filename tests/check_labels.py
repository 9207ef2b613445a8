"""Holds the suite to its labels: every test of a build folder carries exactly one label,
and it is one of the groups (unit, gl, e2e, ...), so that `ctest -L GROUP` runs all of a
kind and a new test cannot slip into no group, or into the quick loop by default.

Usage: check_labels.py CTEST BUILD_FOLDER LABEL...
Exits 1 and names each test that breaks the rule."""

import json
import subprocess
import sys


def main():
    ctest, build, allowed = sys.argv[1], sys.argv[2], set(sys.argv[3:])
    listing = subprocess.run([ctest, "--test-dir", build, "--show-only=json-v1"],
                             capture_output=True, text=True, check=True).stdout
    wrong = []
    for test in json.loads(listing)["tests"]:
        labels = next((p["value"] for p in test.get("properties", []) if p["name"] == "LABELS"),
                      [])
        if len(labels) != 1 or labels[0] not in allowed:
            wrong.append(f"  {test['name']}: {', '.join(labels) or 'no label'}")
    if wrong:
        print(f"Tests without exactly one label of {', '.join(sorted(allowed))}:")
        print("\n".join(wrong))
        return 1
    print(f"Every test carries one label of {', '.join(sorted(allowed))}.")
    return 0


if __name__ == "__main__":
    sys.exit(main())
