#!/usr/bin/env python3
"""Checks the include direction of the sources.

- src/core includes neither gui/, platform/ nor report/;
- src/platform includes no gui/;
- no library folder (core, platform, gui) includes a program's own folder (app/, cli/, updater/);
- the companion (src/cli) includes only core/, platform/, report/ and its own files, never the windows;
- the stand-in updater (src/updater) includes only core/, the shared look (gui/shell/WindowLook.h,
  gui/shell/Pictures.h, its library tessellor_look) and its own files;
- src/report (the report's pages, Qt GUI without widgets) includes only core/;
- no include cycle that crosses folders, counting a header with its source file as one
  component (TFBoot.h and TFBoot.cpp): a window that includes the main window while the main
  window includes it is such a cycle. Within a folder, a class and its private tables may know
  each other.

Prints every breach and exits with 1 when there is one.
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent)
SRC = ROOT / "src"
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)

PROGRAMS = ("app/", "cli/", "updater/")
FORBIDDEN = {
    "core/": ("gui/", "platform/", "report/") + PROGRAMS,
    "platform/": ("gui/", "report/") + PROGRAMS,
    "report/": ("gui/", "platform/") + PROGRAMS,
    "gui/": PROGRAMS,
}

# The programs that link only part of the libraries may include only that part, besides their own
# files: what they include they must also link, and linking the windows would bring Qt Widgets.
ALLOWED = {
    "cli/": ("core/", "platform/", "report/"),
    "updater/": ("core/", "gui/shell/WindowLook.h", "gui/shell/Pictures.h"),
}


def own_file(relative: str, included: str) -> bool:
    """Whether included names a file of the including file's own program folder."""
    folder = relative.split("/", 1)[0] + "/"
    if included.startswith(folder):
        return (SRC / included).is_file()
    return "/" not in included and (SRC / folder / included).is_file()


def component(path: str) -> str:
    return str(pathlib.PurePosixPath(path).with_suffix(""))


def main() -> int:
    problems = []
    edges = {}
    for file in sorted(SRC.rglob("*")):
        if file.suffix not in (".h", ".cpp"):
            continue
        relative = file.relative_to(SRC).as_posix()
        for included in INCLUDE.findall(file.read_text(encoding="utf-8")):
            for folder, banned in FORBIDDEN.items():
                if relative.startswith(folder) and included.startswith(banned):
                    problems.append(f"src/{relative}: includes {included}")
            for folder, allowed in ALLOWED.items():
                if (relative.startswith(folder) and not included.startswith(allowed)
                        and not own_file(relative, included)):
                    problems.append(f"src/{relative}: includes {included}")
            if (SRC / included).is_file() and component(included) != component(relative):
                edges.setdefault(component(relative), set()).add(component(included))

    # Depth-first search for cycles; each cycle is reported once, from its smallest member.
    seen_cycles = set()
    state = {}

    def visit(node, stack):
        state[node] = "open"
        stack.append(node)
        for nxt in sorted(edges.get(node, ())):
            if state.get(nxt) == "open":
                cycle = stack[stack.index(nxt):]
                start = cycle.index(min(cycle))
                key = tuple(cycle[start:] + cycle[:start])
                folders = {pathlib.PurePosixPath(member).parent for member in key}
                if len(folders) > 1 and key not in seen_cycles:
                    seen_cycles.add(key)
                    problems.append("include cycle: " + " -> ".join(key + (key[0],)))
            elif nxt not in state:
                visit(nxt, stack)
        stack.pop()
        state[node] = "done"

    for node in sorted(edges):
        if node not in state:
            visit(node, [])

    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
