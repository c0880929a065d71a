#!/usr/bin/env python3
"""Benchmarks kessavine against two yardsticks, with a warm page cache:

- the reference (bench/reference.c): the same design at its least cost, in C;
  it must write the same document, which this script checks;
- the floor (bench/floor.c): the tree walked once and each shortcut file read
  once, with no output.

    bench/run.py [--program build/kessavine] [--baseline OTHER] [--runs 11]
                 [--dir /tmp/kessavine-bench] [--big]

Programs run alternately in one loop, so that machine noise falls on all of
them alike. Reports the median wall time and its spread (lowest to highest),
ratios of medians, peak resident memory, system calls per shortcut file on
the 10k tree (strace -f -c), and for chains of nested folders the time, the
system calls, the exponent fitted to time against depth, and the ratio to
the reference. --baseline adds another build (say, an older one) to every
table. --big adds the tree of 1,000,000 shortcut files.
"""

import argparse
import math
import os
import re
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def timed(command):
    start = time.perf_counter()
    subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    return time.perf_counter() - start


def peak_kib(command):
    """Peak resident memory of `command`, from /usr/bin/time: the rusage of a
    child forked from this script would include the script's own memory."""
    done = subprocess.run(["/usr/bin/time", "-f", "%M"] + command, stdout=subprocess.DEVNULL,
                          stderr=subprocess.PIPE, check=True)
    return int(done.stderr.split()[-1])


def system_calls(command, scratch):
    """The number of system calls `command` makes, from strace -f -c."""
    summary = os.path.join(scratch, "strace-summary")
    subprocess.run(["strace", "-f", "-c", "-o", summary] + command, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, check=True)
    with open(summary) as f:
        total = [line for line in f if line.rstrip().endswith("total")][-1]
    return int(re.split(r"\s+", total.strip())[3])


def ensure(root, *arguments):
    if not os.path.isdir(root):
        print(f"generating {root} ...", flush=True)
        subprocess.run([sys.executable, os.path.join(HERE, "make-tree.py"), *arguments],
                       check=True)
    return root


class Programs:
    """The programs compared, each as a function of a tree to a command."""

    def __init__(self, args, scratch):
        def converter(path, name):
            document = os.path.join(scratch, name + ".html")
            return lambda tree: [path, document, tree]

        self.scratch = scratch
        self.commands = {"kessavine": converter(os.path.abspath(args.program), "kessavine")}
        if args.baseline:
            self.commands["baseline"] = converter(os.path.abspath(args.baseline), "baseline")
        for name in ("reference", "floor"):
            binary = os.path.join(scratch, name)
            subprocess.run(["cc", "-O2", "-o", binary, os.path.join(HERE, name + ".c")], check=True)
        self.commands["reference"] = converter(os.path.join(scratch, "reference"), "reference")
        self.commands["floor"] = lambda tree: [os.path.join(scratch, "floor"), tree]

    def check_documents(self, tree):
        for name in ("kessavine", "reference"):
            subprocess.run(self.commands[name](tree), stdout=subprocess.DEVNULL, check=True)
        with open(os.path.join(self.scratch, "kessavine.html"), "rb") as ours, \
                open(os.path.join(self.scratch, "reference.html"), "rb") as reference:
            if ours.read() != reference.read():
                sys.exit(f"the reference writes another document than kessavine for {tree}")

    def times(self, tree, runs, names=None):
        names = names or list(self.commands)
        for name in names:  # warm the page cache
            timed(self.commands[name](tree))
        samples = {name: [] for name in names}
        for _ in range(runs):
            for name in names:
                samples[name].append(timed(self.commands[name](tree)))
        return samples


def spread(samples):
    return f"{statistics.median(samples):7.3f}s ({min(samples):.3f}-{max(samples):.3f})"


def trees(args, programs):
    sizes = [("10k", 10_000, 1_000), ("100k", 100_000, 10_000)]
    if args.big:
        sizes.append(("1M", 1_000_000, 100_000))
    print("\n## Trees: median wall time (lowest-highest), ratios of medians, peak RSS")
    for label, files, folders in sizes:
        tree = ensure(os.path.join(args.dir, f"tree-{label}"), os.path.join(args.dir, f"tree-{label}"),
                      str(files), str(folders))
        programs.check_documents(tree)
        samples = programs.times(tree, args.runs)
        ours = statistics.median(samples["kessavine"])
        print(f"\n{label} shortcut files in {folders} folders:")
        for name, values in samples.items():
            peak = peak_kib(programs.commands[name](tree)) / 1024
            ratios = "" if name == "kessavine" else f"  kessavine/{name} {ours / statistics.median(values):.3f}"
            print(f"  {name:10} {spread(values)}  {peak:5.1f} MiB{ratios}")
        if label == "10k":
            print("  system calls per shortcut file:")
            for name in samples:
                calls = system_calls(programs.commands[name](tree), programs.scratch)
                print(f"    {name:10} {calls:7d}  {calls / files:.3f}")


def chains(args, programs):
    levels = (100, 200, 400)
    print("\n## Chains: one shortcut file at the bottom of L nested folders")
    names = [name for name in programs.commands if name != "floor"]
    results = {name: {} for name in names}
    for depth in levels:
        chain = ensure(os.path.join(args.dir, f"chain-{depth}"), "--chain",
                       os.path.join(args.dir, f"chain-{depth}"), str(depth))
        programs.check_documents(chain)
        samples = programs.times(chain, args.runs, names)
        for name in names:
            command = programs.commands[name](chain)
            results[name][depth] = (statistics.median(samples[name]), samples[name],
                                    system_calls(command, programs.scratch),
                                    peak_kib(command) / 1024)
    for name in names:
        print(f"\n{name}:")
        for depth in levels:
            seconds, values, calls, peak = results[name][depth]
            print(f"  L={depth:3d}  {spread(values)}  {calls:8d} calls  {peak:5.1f} MiB")
        xs = [math.log(depth) for depth in levels]
        for what, index in (("time", 0), ("calls", 2)):
            ys = [math.log(results[name][depth][index]) for depth in levels]
            mx, my = statistics.mean(xs), statistics.mean(ys)
            slope = sum((x - mx) * (y - my) for x, y in zip(xs, ys)) / sum((x - mx) ** 2 for x in xs)
            print(f"  fitted exponent of {what}: {slope:.2f}")
    ours = results["kessavine"][levels[-1]][0]
    print(f"\nkessavine/reference at L={levels[-1]}: {ours / results['reference'][levels[-1]][0]:.3f}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", default=os.path.join(HERE, "..", "build", "kessavine"))
    parser.add_argument("--baseline")
    parser.add_argument("--runs", type=int, default=11)
    parser.add_argument("--dir", default="/tmp/kessavine-bench")
    parser.add_argument("--big", action="store_true")
    args = parser.parse_args()
    os.makedirs(args.dir, exist_ok=True)
    programs = Programs(args, args.dir)
    trees(args, programs)
    chains(args, programs)


if __name__ == "__main__":
    main()
