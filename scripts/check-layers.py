#!/usr/bin/env python3
"""Fails when a folder includes a header of a folder above it in the layer order.

The order, lowest first (a folder may include its own headers and those of lower layers):

    platform < Common < vault < generator, transfer, window < app

generator, transfer and window share one layer; a folder's subfolders (platform/archive/,
platform/crypto/) are in its layer. An include is `#include "X/..."` (or
`<X/...>`) where X is one of these folders.

Exempt (not checked, they may include any layer): tests/, bench/, fuzz/, tools/, and every
other folder outside the order (build trees, docs/, packaging/, scripts/).

Usage: check-layers.py [SOURCE_DIR]   (the repository root by default)
"""

import os
import re
import sys

LAYERS = {
    "platform": 0,
    "Common": 1,
    "vault": 2,
    "generator": 3,
    "transfer": 3,
    "window": 3,
    "app": 4,
}
SUFFIXES = (".h", ".hpp", ".cpp", ".cc", ".h.in")
INCLUDE = re.compile(r'^\s*#\s*include\s*["<]([^/">]+)/')


def violations(root):
    for folder, rank in sorted(LAYERS.items()):
        base = os.path.join(root, folder)
        for dirpath, dirnames, filenames in os.walk(base):
            dirnames.sort()
            for name in sorted(filenames):
                if not name.endswith(SUFFIXES):
                    continue
                path = os.path.join(dirpath, name)
                with open(path, encoding="utf-8", errors="replace") as source:
                    for number, line in enumerate(source, 1):
                        match = INCLUDE.match(line)
                        if not match:
                            continue
                        target = match.group(1)
                        if LAYERS.get(target, -1) > rank:
                            yield os.path.relpath(path, root), number, folder, target


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    root = os.path.abspath(root)
    missing = [folder for folder in LAYERS if not os.path.isdir(os.path.join(root, folder))]
    if missing:
        print("check-layers: no folder " + ", ".join(missing) + " under " + root, file=sys.stderr)
        return 2
    found = list(violations(root))
    for path, number, folder, target in found:
        print(f"{path}:{number}: {folder}/ includes {target}/, a layer above it", file=sys.stderr)
    if found:
        print(f"check-layers: {len(found)} include(s) against the layer order", file=sys.stderr)
        return 1
    print("check-layers: every include follows the layer order")
    return 0


if __name__ == "__main__":
    sys.exit(main())
