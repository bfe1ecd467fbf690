#!/usr/bin/env python3
"""Keeps the folders layered: run by ./test.sh before the build, fails with the offending lines.

A folder includes only folders below it in LAYERS, and only folders whose library it links itself;
it links no folder it never includes; and a folder its headers include is linked PUBLIC, so whoever
includes those headers gets what they need. Only files directly in a folder count (tests/ and
bench/ may include anything). Standard library only.
"""

import os
import re
import sys

# From the bottom up; a folder may include only folders listed before it, which keeps the graph free
# of cycles. Inside data/: the installation's files and the history records the engines write come
# first, then the engines, then the work done for them, then the data controls the windows use.
LAYERS = [
    "base",
    "widgets",
    "data/catalogue",
    "data/history",
    "data/storage",
    "data/rescue",
    "data/sharing",
    "data/controls",
    "aired",
    "studio",
    "about",
    "history",
    "copy",
    "phone",
    "board",
    "tools",
    "import",
    "app",
]

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)
CALL = re.compile(r"\b(cuepilot_folder_library|add_library|add_executable|target_link_libraries)\s*\(([^)]*)\)")
# May include anything, or hold no sources of the program (nor do build folders).
UNLAYERED = {"tests", "bench", "packaging"}
SCOPES = {"PUBLIC", "PRIVATE", "INTERFACE"}


def folder_of(include):
    """The folder an include names ("data/storage/Database.h" -> "data/storage"), or None."""
    best = None
    for folder in LAYERS:
        if include.startswith(folder + "/") and (best is None or len(folder) > len(best)):
            best = folder
    return best


def strip_comments(text):
    return re.sub(r"#[^\n]*", "", text)


def read_cmake(root):
    """Each folder's targets and what they link: ({library: folder}, {folder: {library: public?}})."""
    owner, links = {}, {}
    for folder in LAYERS:
        path = os.path.join(root, folder, "CMakeLists.txt")
        if not os.path.exists(path):
            continue
        with open(path, encoding="utf-8") as f:
            text = strip_comments(f.read())
        folder_links = links.setdefault(folder, {})
        for call, args in CALL.findall(text):
            words = args.split()
            if not words:
                continue
            if call != "target_link_libraries":
                owner[words[0]] = folder
            if call not in ("cuepilot_folder_library", "target_link_libraries"):
                continue
            scope = "PUBLIC"
            for word in words[1:]:
                if word in SCOPES:
                    scope = word
                elif word.startswith("cuepilot_"):
                    folder_links[word] = folder_links.get(word, False) or scope != "PRIVATE"
    return owner, links


def read_includes(root, folder):
    """[(file, line number, included folder, from a header?)] for the folder's own sources."""
    found = []
    directory = os.path.join(root, folder)
    for name in sorted(os.listdir(directory)):
        if not name.endswith((".h", ".cpp")):
            continue
        with open(os.path.join(directory, name), encoding="utf-8") as f:
            text = f.read()
        for match in INCLUDE.finditer(text):
            target = folder_of(match.group(1))
            if target and target != folder:
                line = text.count("\n", 0, match.start()) + 1
                found.append((f"{folder}/{name}:{line}", target, name.endswith(".h")))
    return found


def check(root):
    owner, links = read_cmake(root)
    problems = []
    for folder in LAYERS:
        if not os.path.isdir(os.path.join(root, folder)):
            problems.append(f"{folder}: listed in the layers but not in the tree")
            continue
        level = LAYERS.index(folder)
        linked = {}
        for library, public in links.get(folder, {}).items():
            if library not in owner:
                continue  # an aggregate or a library made outside the layered folders
            target = owner[library]
            if target != folder:
                linked[target] = linked.get(target, False) or public
        included = set()
        reported = set()  # one line per fault and folder pair: the first place it is seen
        for where, target, in_header in read_includes(root, folder):
            included.add(target)
            if LAYERS.index(target) >= level:
                fault = f"{folder}/ includes {target}/, which is not below it"
            elif target not in linked:
                fault = f"{folder}/ includes {target}/ without linking its library"
            elif in_header and not linked[target]:
                fault = f"a header of {folder}/ includes {target}/, which it links PRIVATE"
            else:
                continue
            if fault not in reported:
                reported.add(fault)
                problems.append(f"{where}: {fault}")
        for target in sorted(set(linked) - included):
            problems.append(f"{folder}/CMakeLists.txt: links {target}/ but includes nothing from it")
    for directory, subdirectories, files in os.walk(root):
        folder = os.path.relpath(directory, root)
        if folder == ".":
            continue
        top = folder.split(os.sep)[0]
        if top in UNLAYERED or top.startswith(("build", ".")):
            subdirectories.clear()
        elif folder not in LAYERS and any(name.endswith((".h", ".cpp")) for name in files):
            problems.append(f"{folder}/: sources in a folder that has no place in the layers")
    return problems


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    problems = check(root)
    if problems:
        print("Layering broken (see LAYERS in .scripts/check_layering.py):", file=sys.stderr)
        for problem in problems:
            print("  " + problem, file=sys.stderr)
        return 1
    print(f"Layering kept: {len(LAYERS)} folders, each including only what lies below it and it links.")
    return 0


if __name__ == "__main__":
    sys.exit(main())
