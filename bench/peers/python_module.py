#!/usr/bin/python3
"""The Python module against its peers, measured side by side in one run.

    PYTHONPATH=build/python /usr/bin/python3 bench/peers/python_module.py [--points N] [--runs R]

- read_wave of a 16M-point native file against numpy.fromfile (goal: within 1.2x);
- evaluate of amp*sin(omg*p)+0.25*amp*cos(3*omg*p) over 16M points against numexpr evaluating
  the same formula into the same int16 points (goal: faster).

The peers are Debian's python3-numpy and python3-numexpr (apt-get install python3-numexpr).
Each case runs R times, the two sides taking turns; the median of each side and their ratio are
printed, with the machine's load before and after.
"""
import argparse
import os
import statistics
import sys
import tempfile
import time

import numpy as np

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "build", "python"))
import tidewright  # noqa: E402

FORMULA = "amp*sin(omg*p)+0.25*amp*cos(3*omg*p)"


def timed(function):
    start = time.perf_counter()
    result = function()
    return time.perf_counter() - start, result


def side_by_side(ours, peer, runs):
    """Medians of alternating runs, seconds."""
    mine, theirs = [], []
    for _ in range(runs):
        mine.append(timed(ours)[0])
        theirs.append(timed(peer)[0])
    return statistics.median(mine), statistics.median(theirs)


def report(name, ours, peer, peer_name, goal, goal_text):
    ratio = ours / peer
    print("%-8s tidewright %8.1f ms   %-22s %8.1f ms   ratio %.2f   goal %s: %s"
          % (name, ours * 1e3, peer_name, peer * 1e3, ratio, goal_text,
             "met" if ratio <= goal else "missed"))


def bench_read(points, runs, folder):
    path = os.path.join(folder, "bench.wav")
    (np.arange(points, dtype=np.int64) % 65536 - 32768).astype("<i2").tofile(path)
    assert np.array_equal(tidewright.read_wave(path), np.fromfile(path, dtype="<i2"))
    ours, peer = side_by_side(lambda: tidewright.read_wave(path),
                              lambda: np.fromfile(path, dtype="<i2"), runs)
    report("read", ours, peer, "numpy.fromfile", 1.2, "<= 1.2x")


def numexpr_points(numexpr, points):
    # The engine's constants: amp is half the whole span of -8192..8191; omg is the text of
    # 2*pi/per with six significant digits, as the formula reads it.
    amp = 8191.0
    omg = float("%g" % (6.283185307179586 / points))
    p = np.arange(points, dtype=np.float64)
    values = numexpr.evaluate("amp*sin(omg*p)+0.25*amp*cos(3*omg*p)")
    return numexpr.evaluate("where(values < -32768, -32768, where(values > 32767, 32767, "
                            "values))").astype(np.int16)  # astype truncates toward zero


def bench_evaluate(points, runs):
    try:
        import numexpr
    except ImportError:
        print("evaluate: numexpr missing (apt-get install python3-numexpr)")
        return
    ours_values = tidewright.evaluate(FORMULA, points)
    peer_values = numexpr_points(numexpr, points)
    differ = int(np.count_nonzero(ours_values != peer_values))
    ours, peer = side_by_side(lambda: tidewright.evaluate(FORMULA, points),
                              lambda: numexpr_points(numexpr, points), runs)
    report("evaluate", ours, peer, "numexpr (%d threads)" % numexpr.get_num_threads(), 1.0,
           "faster")
    print("         %.1f M points/s against %.1f M points/s; %d of %d points differ "
          "(libm against numexpr's own functions)"
          % (points / ours / 1e6, points / peer / 1e6, differ, points))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--points", type=int, default=16 * 1024 * 1024)
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()
    print("tidewright %s from %s" % (tidewright.__version__, tidewright.__file__))
    print("numpy %s, %d cores, load before: %.2f %.2f %.2f"
          % ((np.__version__, os.cpu_count()) + os.getloadavg()))
    print("%d points, median of %d alternating runs" % (args.points, args.runs))
    with tempfile.TemporaryDirectory() as folder:
        bench_read(args.points, args.runs, folder)
    bench_evaluate(args.points, args.runs)
    print("load after: %.2f %.2f %.2f" % os.getloadavg())


if __name__ == "__main__":
    main()
