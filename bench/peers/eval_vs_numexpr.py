#!/usr/bin/python3
"""tidewright-cli eval against numexpr on the same work, side by side in one run.

Both evaluate amp*sin(omg*p)+0.25*amp*cos(3*omg*p) over the same points (16,777,216 by default,
levels -8192:8191, so amp = 8191 and omg = 2*pi/points written with six digits, as the engine
holds them) and write the same native 16-bit file. numexpr runs on 2 threads (Debian's
python3-numexpr and python3-numpy; installed with apt-get when missing). Prints the wall time and
peak resident memory of each, numexpr's time without its interpreter start-up and imports, the
ratios, whether the goal is met, and whether the two files are the same.

Usage: bench/peers/eval_vs_numexpr.py [--cli build/tools/tidewright-cli] [--points N] [--runs R]
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

FORMULA = "amp*sin(omg*p)+0.25*amp*cos(3*omg*p)"
LEVELS = (-8192, 8191)
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

# The peer's job, run in its own interpreter so that its memory is its own. It prints the seconds
# its work took, from the first array to the written file.
NUMEXPR_JOB = r"""
import sys, time
import numpy as np, numexpr as ne
points, threads, path = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
lo, hi = float(sys.argv[4]), float(sys.argv[5])
ne.set_num_threads(threads)
start = time.perf_counter()
amp = float(int(hi - lo) // 2)
omg = float("%.6g" % (6.283185307179586 / points))
p = np.arange(points, dtype=np.float64)
values = ne.evaluate("FORMULA", local_dict={"amp": amp, "omg": omg, "p": p})
del p
values.astype("<i2").tofile(path)  # every value lies inside 16 bits: truncation toward zero
print(time.perf_counter() - start)
""".replace("FORMULA", FORMULA)


def ensure_peers():
    try:
        import numexpr  # noqa: F401
        import numpy  # noqa: F401
        return
    except ImportError:
        pass
    print("installing python3-numpy and python3-numexpr with apt-get", flush=True)
    subprocess.run(["apt-get", "install", "-y", "python3-numpy", "python3-numexpr"], check=True)


def run(command):
    """Wall seconds, peak resident MiB and standard output of one process, reaped by os.wait4 so
    that the peak is its own."""
    start = time.perf_counter()
    child = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    out = child.stdout.read()
    err = child.stderr.read()
    _, status, usage = os.wait4(child.pid, 0)
    seconds = time.perf_counter() - start
    child.returncode = os.waitstatus_to_exitcode(status)
    if child.returncode != 0:
        sys.exit("%s failed: %s" % (" ".join(command), err.decode(errors="replace").strip()))
    return seconds, usage.ru_maxrss / 1024.0, out.decode()


def compare(a, b):
    if os.path.getsize(a) != os.path.getsize(b):
        return "NOT the same size (%d and %d bytes)" % (os.path.getsize(a), os.path.getsize(b))
    with open(a, "rb") as fa, open(b, "rb") as fb:
        while True:
            x, y = fa.read(1 << 20), fb.read(1 << 20)
            if x != y:
                return "NOT the same bytes"
            if not x:
                return "the same bytes"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", default=os.path.join(ROOT, "build", "tools", "tidewright-cli"))
    parser.add_argument("--points", type=int, default=16777216)
    parser.add_argument("--runs", type=int, default=3, help="runs of each; the fastest counts")
    parser.add_argument("--threads", type=int, default=2, help="numexpr's threads")
    args = parser.parse_args()
    if not os.access(args.cli, os.X_OK):
        sys.exit("no tidewright-cli at %s (build it, or name it with --cli)" % args.cli)
    ensure_peers()

    folder = tempfile.mkdtemp(prefix="tw-eval-peer-")
    try:
        ours_path = os.path.join(folder, "tidewright.wav")
        peer_path = os.path.join(folder, "numexpr.wav")
        ours_cmd = [args.cli, "eval", FORMULA, "--points", str(args.points),
                    "--range", "%d:%d" % LEVELS, "-o", ours_path]
        peer_cmd = [sys.executable, "-c", NUMEXPR_JOB, str(args.points), str(args.threads),
                    peer_path, str(LEVELS[0]), str(LEVELS[1])]
        ours, peer = [], []
        for _ in range(args.runs):  # taken in turns, so that both see the same machine
            ours.append(run(ours_cmd))
            peer.append(run(peer_cmd))
        o_time = min(r[0] for r in ours)
        o_mem = max(r[1] for r in ours)
        p_time = min(r[0] for r in peer)
        p_work = min(float(r[2].split()[-1]) for r in peer)
        p_mem = max(r[1] for r in peer)
        same = compare(ours_path, peer_path)
    finally:
        shutil.rmtree(folder, ignore_errors=True)

    print("%s over %d points, fastest of %d runs, load average %.2f" %
          (FORMULA, args.points, args.runs, os.getloadavg()[0]))
    print("  tidewright-cli eval:       %.3f s, peak %.0f MiB" % (o_time, o_mem))
    print("  numexpr (%d threads):       %.3f s as a process, %.3f s of work without its "
          "start-up and imports, peak %.0f MiB" % (args.threads, p_time, p_work, p_mem))
    print("  speed: %.2f x numexpr's process, %.2f x numexpr's work alone (goal: at least 1.5): %s"
          % (p_time / o_time, p_work / o_time,
             "met" if p_work / o_time >= 1.5 else
             "met against the process, not against the work alone" if p_time / o_time >= 1.5
             else "NOT met"))
    print("  memory: %.2f x numexpr's peak (goal: below 1): %s"
          % (o_mem / p_mem, "met" if o_mem < p_mem else "NOT met"))
    print("  output: %s" % same)


if __name__ == "__main__":
    main()
