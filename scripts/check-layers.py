#!/usr/bin/env python3
"""Keeps the layers: fails, naming file and line, when a source file includes a header
from a layer above its own.

    platform <- base <- stackfile <- engine, logo <- ui <- player <- plugin <- apps

Usage: check-layers.py [ROOT]      checks the tree at ROOT (default: this repository)
       check-layers.py --self-test plants an upward include in a scratch tree
"""
import os
import re
import sys
import tempfile

BELOW_ENGINE = {"platform", "base", "stackfile"}
# What each folder's files may include, by top folder of the included header.
ALLOWED = {
    "platform": {"platform"},
    "base": {"platform", "base"},
    "stackfile": BELOW_ENGINE,
    "engine": BELOW_ENGINE | {"engine"},  # never logo: the two meet only in ui and above
    "logo": BELOW_ENGINE | {"logo"},
    "ui": BELOW_ENGINE | {"engine", "logo", "ui"},
    "player": BELOW_ENGINE | {"engine", "logo", "ui", "player"},
}
ALLOWED["plugin"] = ALLOWED["player"] | {"plugin"}
# The command line plays stacks from URLs through the plug-in's desktop browser.
ALLOWED["apps"] = ALLOWED["plugin"] | {"apps"}
# The public header for extension modules stands alone.
ALLOWED["include"] = set()
# The browser build's program talks to the plug-in as a browser does.
ALLOWED["web"] = ALLOWED["plugin"] | {"web"}
# Tests, fuzz targets and benchmarks may reach anything, and so may the programs that
# make the examples' media (the demo's film is made with the tests' movie writer).
UNCHECKED = {"tests", "fuzz", "bench", "examples"}
# The window-system backends are chosen by the programs, never by the portable core.
BACKENDS = ("platform/sdl/", "platform/headless/", "platform/web/")
MAY_PICK_BACKEND = {"platform", "apps", "plugin", "web"}

SOURCE = re.compile(r"\.(h|hpp|cpp|cc)$")
QUOTED_INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
SYSTEM_SDL = re.compile(r"^\s*#\s*include\s+<SDL")


def source_files(root):
    for folder in sorted(os.listdir(root)):
        top = os.path.join(root, folder)
        if folder.startswith(".") or folder.startswith("build") or not os.path.isdir(top):
            continue
        for dirpath, dirnames, filenames in os.walk(top):
            dirnames.sort()
            for name in sorted(filenames):
                if SOURCE.search(name):
                    yield folder, os.path.relpath(os.path.join(dirpath, name), root)


def problems_in(root, folder, path):
    allowed = ALLOWED[folder]
    with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
        for number, line in enumerate(f, 1):
            if SYSTEM_SDL.match(line) and folder != "platform":
                yield f"{path}:{number}: {folder}/ may not include SDL (only platform/ may)"
            match = QUOTED_INCLUDE.match(line)
            if not match:
                continue
            header = match.group(1)
            top = header.split("/", 1)[0] if "/" in header else folder
            if top in ALLOWED and top not in allowed:
                yield f'{path}:{number}: {folder}/ may not include "{header}" (layer {top}/ is above it)'
            elif header.startswith(BACKENDS) and folder not in MAY_PICK_BACKEND:
                yield f'{path}:{number}: {folder}/ may not include the backend "{header}"'


def check(root):
    problems, unknown = [], set()
    for folder, path in source_files(root):
        if folder in UNCHECKED:
            continue
        if folder not in ALLOWED:
            unknown.add(folder)
            continue
        problems.extend(problems_in(root, folder, path))
    for folder in sorted(unknown):
        problems.append(f"{folder}/: holds sources but is not in the layer table of {__file__}")
    return problems


def self_test():
    def plant(root, files):
        for path, text in files.items():
            os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
            with open(os.path.join(root, path), "w") as f:
                f.write(text)

    clean = {
        "platform/files.h": "#pragma once\n",
        "engine/cards.h": '#include "platform/files.h"\n#include "cards_local.h"\n',
        "player/player.h": '#include "engine/cards.h"\n#include "ui/alerts.h"\n',
        "tests/t.cpp": '#include "player/player.h"\n',
    }
    planted = {
        "engine/render.cpp": '#include <vector>\n\n#include "player/player.h"\n',
        "logo/eval.cpp": '#include "engine/cards.h"\n',
        "ui/dialog.cpp": '#include "platform/sdl/sdl_platform.h"\n',
        "movies/movie.cpp": "int x;\n",
    }
    with tempfile.TemporaryDirectory() as root:
        plant(root, clean)
        if check(root):
            print("self-test: a clean tree was refused:", *check(root), sep="\n  ")
            return 1
        plant(root, planted)
        found = check(root)
        expected = ["engine/render.cpp:3:", "logo/eval.cpp:1:", "ui/dialog.cpp:1:", "movies/:"]
        missing = [e for e in expected if not any(p.startswith(e) for p in found)]
        if missing or len(found) != len(expected):
            print("self-test: expected", expected, "found", found)
            return 1
    print("self-test: upward includes are caught")
    return 0


def main(argv):
    if argv[1:] == ["--self-test"]:
        return self_test()
    root = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    problems = check(root)
    for p in problems:
        print(p)
    if problems:
        print(f"{len(problems)} include(s) break the layers (see docs/architecture.md)")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
