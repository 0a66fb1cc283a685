#!/usr/bin/python3
"""tidewright-cli eval against numexpr on the same work, side by side in one run.

Both evaluate amp*sin(omg*p)+0.25*amp*cos(3*omg*p) over the same points (16,777,216 by default,
levels -8192:8191, so amp = 8191 and omg = 2*pi/points written with six digits, as the engine
holds them) and write the same native 16-bit file. numexpr runs on 2 threads (Debian's
python3-numexpr and python3-numpy; installed with apt-get when missing). Prints the wall times and
peak resident memory of each, numexpr's time without its interpreter start-up and imports, the
least and median ratios over the rounds, the load of each round, and whether the two files are
the same. Peak memory is /usr/bin/time's figure for each command.

Usage: bench/peers/eval_vs_numexpr.py [--cli build/tools/tidewright-cli] [--points N] [--runs R]
"""

import argparse
import os
import shutil
import statistics
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
values = np.empty_like(p)
ne.evaluate("FORMULA", local_dict={"amp": amp, "omg": omg, "p": p}, out=values)
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


def run(command, env=None):
    """Wall seconds, peak resident MiB and standard output of one process. The peak is what
    /usr/bin/time reports of the command itself: a child's own maximum resident size, as this
    interpreter's wait would see it, counts what it shared with this parent before its exec."""
    marker = "tw-peak-KiB"
    timed = ["/usr/bin/time", "-f", marker + " %M"] + command
    start = time.perf_counter()
    done = subprocess.run(timed, capture_output=True, env=env)
    seconds = time.perf_counter() - start
    err = done.stderr.decode(errors="replace")
    if done.returncode != 0:
        sys.exit("%s failed: %s" % (" ".join(command), err.strip()))
    peak = [line for line in err.splitlines() if line.startswith(marker)]
    return seconds, int(peak[-1].split()[1]) / 1024.0, done.stdout.decode()


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
    parser.add_argument("--runs", type=int, default=3, help="rounds, each running both")
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
        peer_cmd = ["/usr/bin/python3", "-c", NUMEXPR_JOB, str(args.points), str(args.threads),
                    peer_path, str(LEVELS[0]), str(LEVELS[1])]
        # numpy's own settings, not this machine's OpenBLAS tuning, for the peer's command alone
        peer_env = {k: v for k, v in os.environ.items()
                    if k not in ("OPENBLAS_CORETYPE", "OPENBLAS_L2_SIZE")}
        ours, peer, loads = [], [], []
        for _ in range(args.runs):  # taken in turns, so that both see the same machine
            ours.append(run(ours_cmd))
            peer.append(run(peer_cmd, peer_env))
            loads.append(os.getloadavg()[0])
        same = compare(ours_path, peer_path)
    finally:
        shutil.rmtree(folder, ignore_errors=True)

    median = statistics.median
    o_time = [r[0] for r in ours]
    p_time = [r[0] for r in peer]
    p_work = [float(r[2].split()[-1]) for r in peer]
    o_mem, p_mem = max(r[1] for r in ours), max(r[1] for r in peer)
    process = [p / o for p, o in zip(p_time, o_time)]
    work = [p / o for p, o in zip(p_work, o_time)]
    print("%s over %d points, %d rounds in turns; load average per round: %s" %
          (FORMULA, args.points, args.runs, ", ".join("%.2f" % x for x in loads)))
    print("  tidewright-cli eval:  least %.3f s, median %.3f s, peak %.0f MiB"
          % (min(o_time), median(o_time), o_mem))
    print("  numexpr (%d threads):  least %.3f s, median %.3f s as a process; its work without "
          "start-up and imports least %.3f s, median %.3f s; peak %.0f MiB"
          % (args.threads, min(p_time), median(p_time), min(p_work), median(p_work), p_mem))
    print("  speed: numexpr's process / ours least %.2f, median %.2f; numexpr's work alone / ours "
          "least %.2f, median %.2f" % (min(process), median(process), min(work), median(work)))
    print("  memory: %.2f x numexpr's peak" % (o_mem / p_mem))
    print("  output: %s" % same)


if __name__ == "__main__":
    main()
