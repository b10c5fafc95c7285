#!/usr/bin/env python3
"""Fails on an include that points up the module layers.

Every `#include "Module/..."` (or <Module/...>) in a .cpp or .h under Sources/<M> must name M itself
or a module on M's line of Sources/Layers.txt, the table CMake links the modules by; a header may
name only the modules in its line's headers column. No include may climb out of its folder with
"../", and only Main and Audio's output include SDL. The table itself is checked too: a line names only modules on lines above it (so it cannot
list an upward or circular dependency), every Sources folder has a line, nothing is listed that no
file includes, and no CMake file links a module library past the table.

    python3 scripts/check-layers.py        # or: make check-layers
"""

import re
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
TABLE = "Sources/Layers.txt"
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^">]+)[">]')
CMAKE_FILES = ["CMakeLists.txt", "Sources/Web/WebLibraries.cmake", "Sources/Web/WebSite.cmake"]
# SDL is linked to Audio and to the live program only; within Audio, only the output opens it.
SDL = re.compile(r"SDL(_\w+)?\.h$")
SDL_FILES = ("Sources/Main/", "Sources/Audio/AudioBackend.cpp")


def read_table(problems):
    """module -> (table line number, headers column, .cpp column), in the table's order."""
    layers = {}
    for number, line in enumerate((ROOT / TABLE).read_text().splitlines(), 1):
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        words = line.split()
        if len(words) != 3:
            problems.append(f"{TABLE}:{number}: expected a module and two comma-separated lists ('-' for none)")
            continue
        module, public, private = words[0], *(set() if w == "-" else set(w.split(",")) for w in words[1:])
        for dep in sorted(public | private):
            if dep.startswith("Tools/"):
                problems.append(f"{TABLE}:{number}: {module} may not list {dep}: the tools build on Sources, "
                                f"never the other way round")
            elif dep not in layers:
                problems.append(f"{TABLE}:{number}: {module} may not list {dep}: only modules on lines above")
        for dep in sorted(public & private):
            problems.append(f"{TABLE}:{number}: {module} lists {dep} in both columns")
        if module in layers:
            problems.append(f"{TABLE}:{number}: {module} has a second line")
        layers[module] = (number, public, private)
    return layers


def check_includes(layers, problems):
    """Holds every include in Sources/<module> against the module's line; returns what each includes."""
    tools = {p.name for p in (ROOT / "Tools").iterdir() if p.is_dir()}
    used = {module: (set(), set()) for module in layers}  # modules named from headers, from .cpp files
    for module, (_, public, private) in layers.items():
        for path in sorted((ROOT / "Sources" / module).rglob("*")):
            if path.suffix not in (".cpp", ".h"):
                continue
            name = path.relative_to(ROOT)
            header = path.suffix == ".h"
            for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                included = match.group(1)
                where = f"{name}:{number}: {module}"
                if SDL.search(included) and not str(name).startswith(SDL_FILES):
                    problems.append(f"{where} may not include {included}: only Main and Audio's output "
                                    f"({SDL_FILES[1]}) see SDL")
                    continue
                if ".." in included.split("/"):
                    problems.append(f"{where} may not include {included}: name it from the Sources root")
                    continue
                first = included.split("/")[0] if "/" in included else None
                if first in layers:
                    dep = first
                elif first in tools:
                    problems.append(f"{where} may not include {included}: Sources never includes the tools")
                    continue
                else:
                    continue  # a system header or one beside the file
                if dep == module:
                    continue
                used[module][0 if header else 1].add(dep)
                if dep not in public | private:
                    problems.append(f"{where} may not include {included}")
                elif header and dep not in public:
                    problems.append(f"{where}'s headers may not include {included} ({dep} is listed "
                                    f"for {module}'s .cpp files only; a header's includes reach its users)")
    return used


def check_listed_uses(layers, used, problems):
    """Every listed module is included where the table says, so the links stay what the code uses."""
    for module, (number, public, private) in layers.items():
        from_headers, from_sources = used[module]
        for dep in sorted(public - from_headers):
            problems.append(f"{TABLE}:{number}: {module} lists {dep} for its headers, but none includes it")
        for dep in sorted(private - from_sources):
            problems.append(f"{TABLE}:{number}: {module} lists {dep}, but no .cpp file includes it")


def check_folders(layers, problems):
    folders = {p.name for p in (ROOT / "Sources").iterdir() if p.is_dir()}
    for folder in sorted(folders - layers.keys()):
        problems.append(f"Sources/{folder}: no line in {TABLE}")
    for module in sorted(layers.keys() - folders):
        problems.append(f"{TABLE}:{layers[module][0]}: {module} has no folder in Sources")


def check_cmake(layers, problems):
    """The module libraries are linked to each other by the table alone (zv_layer in CMakeLists.txt)."""
    libraries = "|".join(module.lower() for module in layers)
    link = re.compile(r"target_link_libraries\s*\(\s*(zv_(?:" + libraries + r"))\b")
    for name in CMAKE_FILES:
        for number, line in enumerate((ROOT / name).read_text().splitlines(), 1):
            match = link.search(line)
            if match:
                problems.append(f"{name}:{number}: {match.group(1)} links past {TABLE}: "
                                f"list the module there instead")


def main():
    problems = []
    layers = read_table(problems)
    check_folders(layers, problems)
    used = check_includes(layers, problems)
    if not problems:  # unused listings only mean something once every include is allowed
        check_listed_uses(layers, used, problems)
    check_cmake(layers, problems)
    for problem in problems:
        print(problem, file=sys.stderr)
    if problems:
        print(f"check-layers: {len(problems)} problem(s); {TABLE} says which module may include which",
              file=sys.stderr)
        return 1
    print(f"check-layers: every include in Sources follows {TABLE}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
