#!/usr/bin/env python3
"""Writes a synthetic favorites tree: FILES shortcut files in FOLDERS folders
at most DEPTH levels deep, a few empty folders, contents in the forms real
Windows versions write.

    bench/make-tree.py ROOT FILES FOLDERS [DEPTH]
    bench/make-tree.py --chain ROOT LEVELS
"""

import os
import random
import sys

FORMS = [
    "[InternetShortcut]\r\nURL={url}\r\n",
    "[InternetShortcut]\r\nURL={url}\r\nModified=30499ED7ABABC6010B\r\n",
    "[DEFAULT]\r\nBASEURL={url}\r\n[InternetShortcut]\r\nURL={url}\r\n"
    "Modified=30BAFFBF81DFC501CE\r\n",
    "[InternetShortcut]\r\nURL={url}\r\nIDList=\r\n"
    "[{{000214A0-0000-0000-C000-000000000046}}]\r\nProp3=19,2\r\n",
    "[{{000214A0-0000-0000-C000-000000000046}}]\r\nProp3=19,11\r\n[InternetShortcut]\r\n"
    "IDList=\r\nURL={url}\r\nIconIndex=0\r\nIconFile=https://example.com/favicon.ico\r\n",
]


def write(path, text):
    with open(path, "w", newline="") as f:
        f.write(text)


def tree(root, files, folders, depth):
    rng = random.Random(1998)
    paths = [(root, 0)]
    for i in range(folders):
        parent, level = rng.choice([p for p in paths[-200:] if p[1] < depth] or paths[:1])
        path = os.path.join(parent, f"Folder {i:05d}")
        os.makedirs(path)
        paths.append((path, level + 1))
    empty = set(rng.sample(range(1, len(paths)), max(1, folders // 200)))
    holders = [p for i, (p, _) in enumerate(paths) if i not in empty]
    for i in range(files):
        url = f"http://www{i % 97}.example.com/section/{i}/index.html?ref=fav&id={i * 7919}"
        write(os.path.join(rng.choice(holders), f"Site number {i:07d}.url"),
              FORMS[i % len(FORMS)].format(url=url))


def chain(root, levels):
    path = os.path.join(root, *["level"] * levels)
    os.makedirs(path)
    write(os.path.join(path, "bottom.url"), FORMS[0].format(url="http://bottom.example/"))


if __name__ == "__main__":
    if sys.argv[1] == "--chain":
        chain(sys.argv[2], int(sys.argv[3]))
    else:
        tree(sys.argv[1], int(sys.argv[2]), int(sys.argv[3]),
             int(sys.argv[4]) if len(sys.argv) > 4 else 6)
