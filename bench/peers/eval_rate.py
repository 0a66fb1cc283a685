#!/usr/bin/python3
"""Points per second of numpy and numexpr evaluating amp*sin(omg*p)+0.25*amp*cos(3*omg*p).

ExprBench runs it in the same run as its own measurements. The point numbers are made once, as
float64, outside the timing; each way's time is the fastest of --runs evaluations into a float64
array (the peers' best case: no conversion to 16-bit points, which the engine's figures include).
numpy runs on one thread; numexpr on each count of --threads. Prints one line per way:
"<name> <points per second>"; for the ways on one thread also "<name>_cpu <points per second>"
of processor time, which a busy machine disturbs far less than the wall clock. Debian's python3-numpy and python3-numexpr; a way whose module is
missing prints "<name> missing".

Usage: bench/peers/eval_rate.py [--points N] [--runs R] [--threads 1,2]
"""

import argparse
import time

FORMULA = "amp*sin(omg*p)+0.25*amp*cos(3*omg*p)"


def fastest(runs, work):
    """The fastest wall and processor seconds of runs calls of work."""
    wall = cpu = float("inf")
    for _ in range(runs):
        start, start_cpu = time.perf_counter(), time.process_time()
        work()
        wall = min(wall, time.perf_counter() - start)
        cpu = min(cpu, time.process_time() - start_cpu)
    return wall, cpu


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--points", type=int, default=16777216)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--threads", default="1,2")
    args = parser.parse_args()
    try:
        import numpy as np
    except ImportError:
        print("numpy missing")
        print("\n".join("numexpr_%s missing" % t for t in args.threads.split(",")))
        return
    amp = 8191.0
    omg = float("%.6g" % (6.283185307179586 / args.points))  # as the engine holds it
    p = np.arange(args.points, dtype=np.float64)

    def with_numpy():
        return amp * np.sin(omg * p) + 0.25 * amp * np.cos(3 * omg * p)

    wall, cpu = fastest(args.runs, with_numpy)
    print("numpy %.6g\nnumpy_cpu %.6g" % (args.points / wall, args.points / cpu), flush=True)
    try:
        import numexpr as ne
    except ImportError:
        print("\n".join("numexpr_%s missing" % t for t in args.threads.split(",")))
        return
    names = {"amp": amp, "omg": omg, "p": p}
    for threads in (int(t) for t in args.threads.split(",")):
        ne.set_num_threads(threads)
        ne.evaluate(FORMULA, local_dict=names)  # compiled once, outside the timing
        wall, cpu = fastest(args.runs, lambda: ne.evaluate(FORMULA, local_dict=names))
        print("numexpr_%d %.6g" % (threads, args.points / wall), flush=True)
        if threads == 1:
            print("numexpr_1_cpu %.6g" % (args.points / cpu), flush=True)


if __name__ == "__main__":
    main()
