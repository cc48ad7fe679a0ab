#!/usr/bin/env python3
"""Checks that every source, test and fuzz harness in the tree is named in a CMake list.

The lists are written out by hand, so a file that is added but not listed would silently not be
built, or a test would silently not run.
"""
import pathlib
import sys

root = pathlib.Path(__file__).resolve().parent.parent
lists = {
    "src": (root / "CMakeLists.txt").read_text(),
    "tests": (root / "tests" / "CMakeLists.txt").read_text(),
    "fuzz": (root / "fuzz" / "CMakeLists.txt").read_text(),
}


def unlisted():
    for path in sorted((root / "src").rglob("*")):
        if path.suffix in (".cpp", ".h") and "src/app/" not in path.as_posix():
            if path.relative_to(root).as_posix() not in lists["src"]:
                yield path
    for path in sorted((root / "tests").glob("*/*_test.cpp")):
        if path.name not in lists["tests"]:
            yield path
    for path in sorted((root / "fuzz").glob("*_fuzzer.cpp")):
        if path.name not in lists["fuzz"]:
            yield path
    # Platform code is listed per system; both must be named.
    for path in sorted((root / "src" / "platform").rglob("*.cpp")):
        if path.relative_to(root).as_posix() not in lists["src"]:
            yield path


missing = sorted(set(unlisted()))
for path in missing:
    print(f"{path.relative_to(root)}: not named in any CMake source list", file=sys.stderr)
sys.exit(1 if missing else 0)
