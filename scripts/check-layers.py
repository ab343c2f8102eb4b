#!/usr/bin/env python3
"""Checks the layering of src/ (DEVELOPERS.md, "Layout and dependencies").

- No source file (.cpp, .h) is longer than MAX_LINES lines.
- No two modules include each other. A module is Foo.h with Foo.cpp beside it and its per-OS
  halves unix/FooUnix.cpp and windows/FooWindows.cpp.
- Every include of another folder points down the layers: a folder includes only the folders
  before it in LAYERS. A subfolder (net/nm) is part of its folder, except that the net core does
  not include net/nm, net/sim or net/wmi. cli and gui never include each other.

Prints each violation on a line of its own and exits with 1 when there is any.
"""

import pathlib
import re
import sys

MAX_LINES = 900

# The folders of src/ from the bottom up, as src/CMakeLists.txt adds them. `apply` is planned
# and has its place already.
LAYERS = ["i18n", "store", "printer", "net", "apply", "editor", "transfer", "listview", "platform", "cli", "gui", "main"]

# Folders of net that only the layers above net may use: the services behind the seams.
NET_BACKENDS = ("nm", "sim", "wmi")

# Folders the per-OS halves live in, with the suffix each half's name carries.
OS_FOLDERS = {"unix": "Unix", "windows": "Windows"}

# Include pairs that may not occur although both folders are layers apart.
FORBIDDEN = {("cli", "gui"), ("gui", "cli")}

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
SUBDIRECTORY = re.compile(r"^\s*add_subdirectory\(\s*([^)\s]+)")


def sources(src):
    return sorted(p for p in src.rglob("*") if p.suffix in (".cpp", ".h") and p.is_file())


def includes(path):
    """The quoted includes of a file, with their line numbers."""
    found = []
    with path.open(encoding="utf-8", errors="replace") as text:
        for number, line in enumerate(text, 1):
            match = INCLUDE.match(line)
            if match:
                found.append((number, match.group(1)))
    return found


def resolve(src, path, name):
    """The file under src/ an include names: from src/ first, then beside the file; None if neither."""
    for candidate in (src / name, path.parent / name):
        if candidate.is_file():
            return candidate.resolve().relative_to(src.resolve())
    return None


def module_of(relative):
    """The module a file belongs to, as a path without suffix: store/IniFile for
    store/IniFile.h, store/IniFile.cpp and store/unix/IniFileUnix.cpp."""
    parent, stem = relative.parent, relative.stem
    suffix = OS_FOLDERS.get(parent.name)
    if suffix and stem.endswith(suffix) and len(stem) > len(suffix):
        return (parent.parent / stem[: -len(suffix)]).as_posix()
    return (parent / stem).as_posix()


def folder_of(relative):
    return relative.parts[0] if len(relative.parts) > 1 else ""


def in_net_core(relative):
    return relative.parts[0] == "net" and len(relative.parts) == 2


def in_net_backend(relative):
    return relative.parts[0] == "net" and len(relative.parts) > 2 and relative.parts[1] in NET_BACKENDS


def check_lengths(src, files):
    problems = []
    for path in files:
        with path.open("rb") as data:
            count = sum(1 for _ in data)
        if count > MAX_LINES:
            problems.append(f"src/{path.relative_to(src).as_posix()}: {count} lines, more than {MAX_LINES}")
    return problems


def check_cmake_order(src):
    """src/CMakeLists.txt adds the folders in the order of LAYERS, and every folder is a layer."""
    problems = []
    added = []
    with (src / "CMakeLists.txt").open(encoding="utf-8") as text:
        for line in text:
            match = SUBDIRECTORY.match(line)
            if match:
                added.append(match.group(1))
    for name in added:
        if name not in LAYERS:
            problems.append(f"src/CMakeLists.txt: add_subdirectory({name}), a folder with no place in the layers")
    known = [name for name in added if name in LAYERS]
    for before, after in zip(known, known[1:]):
        if LAYERS.index(before) > LAYERS.index(after):
            problems.append(f"src/CMakeLists.txt: adds {after} after {before}, against the layer order")
    for folder in sorted(p.name for p in src.iterdir() if p.is_dir()):
        if folder not in LAYERS:
            problems.append(f"src/{folder}: a folder with no place in the layers")
    return problems


def layer_problem(source, target):
    """Why an include from `source` of `target` (both relative to src/) goes the wrong way, or None."""
    here, there = folder_of(source), folder_of(target)
    if not here or not there or here not in LAYERS or there not in LAYERS:
        return None
    if (here, there) in FORBIDDEN:
        return f"{here} never includes {there}"
    if LAYERS.index(there) > LAYERS.index(here):
        return f"{here} sits below {there}"
    if in_net_core(source) and in_net_backend(target):
        return f"the net core does not include net/{target.parts[1]}"
    return None


def check_includes(src, files):
    problems = []
    # module -> {included module: (file, line, include)} for the first include of its headers
    uses = {}
    for path in files:
        relative = path.relative_to(src)
        module = module_of(relative)
        for number, name in includes(path):
            target = resolve(src, path, name)
            if target is None:
                continue  # generated (moc) or outside src/ (resources/)
            where = f"src/{relative.as_posix()}:{number}"
            reason = layer_problem(relative, target)
            if reason:
                problems.append(f'{where}: #include "{name}": {reason}')
            if target.suffix == ".h":
                other = module_of(target)
                if other != module:
                    uses.setdefault(module, {}).setdefault(other, (where, name))
    for module in sorted(uses):
        for other in sorted(uses[module]):
            if module < other and module in uses.get(other, {}):
                where, name = uses[module][other]
                back, back_name = uses[other][module]
                problems.append(
                    f'modules {module} and {other} include each other: {where}: #include "{name}"; '
                    f'{back}: #include "{back_name}"'
                )
    return problems


def main():
    root = pathlib.Path(__file__).resolve().parent.parent
    src = root / "src"
    files = sources(src)
    problems = check_lengths(src, files) + check_cmake_order(src) + check_includes(src, files)
    for problem in problems:
        print(problem)
    if problems:
        print(f"{len(problems)} layering problem(s) in {len(files)} files", file=sys.stderr)
        return 1
    print(f"{len(files)} files: no file over {MAX_LINES} lines, no include loop, every include points down")
    return 0


if __name__ == "__main__":
    sys.exit(main())
