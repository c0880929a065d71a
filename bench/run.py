#!/usr/bin/env python3
"""Times kessavine against the floor (bench/floor.c: the same tree walked once
and each shortcut file read once, no output), alternating, with a warm page
cache, and reports medians, their ratio and peak resident memory.

    bench/run.py [--program build/kessavine] [--runs 7] [--dir /tmp/kessavine-bench] [--big]

--big adds trees of 10,000 and 1,000,000 shortcut files for the memory check.
"""

import argparse
import os
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def timed(command):
    """Runs `command`; returns its wall time in seconds."""
    start = time.perf_counter()
    subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    return time.perf_counter() - start


def peak_kib(command):
    """Peak resident memory of `command`, from /usr/bin/time: the rusage of a
    child forked from this script would include the script's own memory."""
    done = subprocess.run(["/usr/bin/time", "-f", "%M"] + command, stdout=subprocess.DEVNULL,
                          stderr=subprocess.PIPE, check=True)
    return int(done.stderr.split()[-1])


def ensure_tree(root, *sizes):
    if not os.path.isdir(root):
        print(f"generating {root} ...", flush=True)
        subprocess.run([sys.executable, os.path.join(HERE, "make-tree.py"), root, *sizes], check=True)
    return root


def compare(program, floor, tree, document, runs):
    timed([program, document, tree])  # warm the page cache
    timed([floor, tree])
    ours, base = [], []
    for _ in range(runs):
        ours.append(timed([program, document, tree]))
        base.append(timed([floor, tree]))
    return statistics.median(ours), statistics.median(base), peak_kib([program, document, tree])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", default=os.path.join(HERE, "..", "build", "kessavine"))
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--dir", default="/tmp/kessavine-bench")
    parser.add_argument("--big", action="store_true")
    args = parser.parse_args()
    program = os.path.abspath(args.program)
    os.makedirs(args.dir, exist_ok=True)
    floor = os.path.join(args.dir, "floor")
    subprocess.run(["cc", "-O2", "-o", floor, os.path.join(HERE, "floor.c")], check=True)
    document = os.path.join(args.dir, "bookmarks.html")

    trees = [("100k files, 10k folders", ensure_tree(os.path.join(args.dir, "tree-100k"),
                                                      "100000", "10000"))]
    if args.big:
        trees.insert(0, ("10k files, 1k folders",
                         ensure_tree(os.path.join(args.dir, "tree-10k"), "10000", "1000")))
        trees.append(("1M files, 100k folders",
                      ensure_tree(os.path.join(args.dir, "tree-1m"), "1000000", "100000")))
    print(f"{'tree':28} {'kessavine':>10} {'floor':>10} {'ratio':>6} {'peak RSS':>10}")
    for label, tree in trees:
        ours, base, peak = compare(program, floor, tree, document, args.runs)
        print(f"{label:28} {ours:9.3f}s {base:9.3f}s {ours / base:6.2f} {peak / 1024:7.1f} MiB",
              flush=True)

    for levels in (100, 200):
        chain = os.path.join(args.dir, f"chain-{levels}")
        if not os.path.isdir(chain):
            subprocess.run([sys.executable, os.path.join(HERE, "make-tree.py"), "--chain", chain,
                            str(levels)], check=True)
        seconds = statistics.median(timed([program, document, chain]) for _ in range(args.runs))
        print(f"chain of {levels} folders: {seconds:.3f}s")


if __name__ == "__main__":
    main()
