#!/usr/bin/python3
"""Points per second of numpy and numexpr evaluating ExprBench's formulas.

ExprBench starts it once per round, between its own measurements, so that both sides see the
same machine. The point numbers are made once, as float64, outside the timing, and every way
writes into output buffers allocated beforehand (numpy's ufuncs with out=, numexpr's evaluate
with out=): the peers' best case, with no conversion to 16-bit points, which the engine's figures
include. numpy runs on one thread (its ufuncs have no others); numexpr on each count of
--threads. Prints one line per way and formula: "<way>/<formula number> <points per second>",
the fastest of --runs; for the ways on one thread also "<way>-cpu/<formula number>" in processor
time, which a busy machine disturbs far less than the wall clock. Debian's python3-numpy and python3-numexpr; a missing module prints
"<way> missing".

Usage: bench/peers/eval_rate.py [--points N] [--runs R] [--threads 1,2]
"""

import argparse
import time

# The engine's formulas (ExprBench) as numexpr writes them; ln is numexpr's log.
FORMULAS = [
    "amp*sin(omg*p)+0.25*amp*cos(3*omg*p)",
    "amp*sin(omg*p)*cos(5*omg*p)",
    "amp*log(1+p/per)-amp/2",
]


def fastest(runs, work):
    """The fastest wall and processor seconds of runs calls of work."""
    wall = cpu = float("inf")
    for _ in range(runs):
        start, start_cpu = time.perf_counter(), time.process_time()
        work()
        wall = min(wall, time.perf_counter() - start)
        cpu = min(cpu, time.process_time() - start_cpu)
    return wall, cpu


def numpy_ways(np, p, amp, omg, per):
    """Each formula as numpy ufuncs into preallocated buffers."""
    out = np.empty_like(p)
    t = np.empty_like(p)

    def first():
        np.multiply(p, omg, out=t)
        np.sin(t, out=t)
        np.multiply(t, amp, out=t)
        np.multiply(p, 3 * omg, out=out)
        np.cos(out, out=out)
        np.multiply(out, 0.25 * amp, out=out)
        np.add(out, t, out=out)

    def second():
        np.multiply(p, omg, out=t)
        np.sin(t, out=t)
        np.multiply(t, amp, out=t)
        np.multiply(p, 5 * omg, out=out)
        np.cos(out, out=out)
        np.multiply(out, t, out=out)

    def third():
        np.divide(p, per, out=out)
        np.add(out, 1, out=out)
        np.log(out, out=out)
        np.multiply(out, amp, out=out)
        np.subtract(out, amp / 2, out=out)

    return [first, second, third]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--points", type=int, default=16777216)
    parser.add_argument("--runs", type=int, default=2)
    parser.add_argument("--threads", default="1,2")
    args = parser.parse_args()
    threads = [int(t) for t in args.threads.split(",")]
    try:
        import numpy as np
    except ImportError:
        print("numpy missing\nnumexpr missing")
        return
    # The constants as the engine holds them: amp of the levels -8192:8191, omg as six digits.
    amp, per = 8191.0, float(args.points)
    omg = float("%.6g" % (6.283185307179586 / args.points))
    p = np.arange(args.points, dtype=np.float64)
    for number, way in enumerate(numpy_ways(np, p, amp, omg, per), 1):
        way()  # the output pages are touched before the timing
        wall, cpu = fastest(args.runs, way)
        print("numpy/%d %.6g\nnumpy-cpu/%d %.6g" % (number, args.points / wall, number,
                                                      args.points / cpu), flush=True)
    try:
        import numexpr as ne
    except ImportError:
        print("numexpr missing")
        return
    out = np.empty_like(p)
    names = {"amp": amp, "omg": omg, "per": per, "p": p}
    for count in threads:
        ne.set_num_threads(count)
        for number, formula in enumerate(FORMULAS, 1):
            ne.evaluate(formula, local_dict=names, out=out)  # compiled once, outside the timing
            wall, cpu = fastest(args.runs,
                                lambda: ne.evaluate(formula, local_dict=names, out=out))
            print("numexpr%d/%d %.6g" % (count, number, args.points / wall), flush=True)
            if count == 1:
                print("numexpr-cpu/%d %.6g" % (number, args.points / cpu), flush=True)


if __name__ == "__main__":
    main()
