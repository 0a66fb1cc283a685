#!/usr/bin/env python3
"""Mutation check: how many hand-made faults (mutants.txt) the core test suite catches.

Each fault is applied in turn to a copy of the committed tree (the working tree is never
touched), the copy is rebuilt without the GUI, and the core suite runs until its first failure.
A fault is caught ("killed") when the build or a test fails. Prints one line a fault and the
count; run it before and after changing tests and compare the counts.

    tools/mutation/run-mutants.py [--work DIR] [--only N,M,...]
"""

import argparse
import os
import pathlib
import subprocess
import sys
import time

ROOT = pathlib.Path(__file__).resolve().parents[2]


def read_mutants(path):
    mutants = []
    for block in path.read_text().split("\n\n"):
        lines = [line for line in block.splitlines() if line and not line.startswith("#")]
        if not lines:
            continue
        if len(lines) != 3 or not lines[1].startswith("- ") or not lines[2].startswith("+ "):
            sys.exit(f"mutants.txt: a block needs a path, a '- ' line and a '+ ' line: {lines}")
        mutants.append((lines[0], lines[1][2:], lines[2][2:]))
    return mutants


def run(cmd, cwd, log, timeout=None):
    with open(log, "a") as out:
        out.write(f"\n$ {' '.join(cmd)}\n")
        out.flush()
        try:
            return subprocess.run(cmd, cwd=cwd, stdout=out, stderr=subprocess.STDOUT,
                                  timeout=timeout).returncode
        except subprocess.TimeoutExpired:
            out.write("timed out\n")
            return -1


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--work", default="/tmp/tw-mutants", help="copy of the tree and its build")
    parser.add_argument("--only", help="numbers of the mutants to run (1-based, comma-separated)")
    args = parser.parse_args()

    mutants = read_mutants(ROOT / "tools/mutation/mutants.txt")
    chosen = range(1, len(mutants) + 1)
    if args.only:
        chosen = [int(n) for n in args.only.split(",")]
    work = pathlib.Path(args.work)
    tree, build, log = work / "tree", work / "build", work / "log.txt"
    subprocess.run(["rm", "-rf", str(tree)], check=True)
    tree.mkdir(parents=True)
    archive = subprocess.run(["git", "archive", "HEAD"], cwd=ROOT, check=True,
                             capture_output=True).stdout
    subprocess.run(["tar", "-x", "-C", str(tree)], input=archive, check=True)
    log.write_text("")
    jobs = str(os.cpu_count() or 2)
    configure = ["cmake", "-S", str(tree), "-B", str(build), "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
                 "-DTW_GUI=OFF", "-DTW_BENCH=OFF", "-DTW_PYTHON=OFF"]
    make = ["cmake", "--build", str(build), "-j", jobs]
    suite = ["ctest", "--test-dir", str(build), "-j", jobs, "--stop-on-failure", "--timeout", "300"]
    if run(configure, tree, log) or run(make, tree, log) or run(suite, tree, log):
        sys.exit(f"the unchanged tree does not build or pass its suite; see {log}")

    killed = 0
    for n in chosen:
        path, old, new = mutants[n - 1]
        source = tree / path
        text = source.read_text()
        if text.count(old) != 1:
            print(f"{n:3} {path}: no longer applies ({old!r} found {text.count(old)} times)")
            continue
        started = time.monotonic()
        source.write_text(text.replace(old, new))
        try:
            caught = run(make, tree, log) != 0 or run(suite, tree, log, timeout=1800) != 0
        finally:
            source.write_text(text)
        killed += caught
        print(f"{n:3} {'killed  ' if caught else 'SURVIVED'} {path}: {old.strip()} -> "
              f"{new.strip()} ({time.monotonic() - started:.0f} s)", flush=True)
    run(make, tree, log)  # leave the build as the tree stands
    print(f"killed {killed} of {len(chosen)}")


if __name__ == "__main__":
    main()
