#!/usr/bin/python3
"""tidewright-cli convert of a 10M-row column CSV to a native .wav against pandas reading the
same CSV and writing the same int16 file, side by side in one run.

Prints each side's wall and CPU time and peak resident memory, the ratios (against pandas'
read and write alone, and process against process), whether the two files are byte-identical,
and the goals: Tidewright >= 3x faster than pandas' read and write, with less peak memory.

    /usr/bin/python3 bench/peers/convert_vs_pandas.py [path/to/tidewright-cli] [rows]

Needs Debian's python3-pandas (apt-get install python3-pandas). The CSV is made once and kept in
$TMPDIR/tw-peers for later runs.
"""
import os
import subprocess
import sys
import tempfile
import time

ROWS = 10_000_000
# The CLI's default stretch target.
V_MIN, V_MAX = -8192.0, 8191.0

PANDAS_SIDE = r"""
import sys, time
import numpy as np
import pandas as pd
source, target, v_min, v_max = sys.argv[1], sys.argv[2], float(sys.argv[3]), float(sys.argv[4])
start = time.perf_counter()
cpu = time.process_time()
# The rows follow the line that starts with "Time"; the last column holds the values.
with open(source, "rb") as f:
    skip = 0
    for line in f:
        skip += 1
        if line[:4].lower() == b"time":
            break
frame = pd.read_csv(source, skiprows=skip, header=None, usecols=[1], dtype=np.float64,
                    engine="c")
values = frame[1].to_numpy()
a = max(abs(values.min()), abs(values.max()))
scale = (v_max - v_min) / (2 * a)
offset = v_min + scale * a
points = np.trunc(values * scale + offset + 0.5).astype("<i2")
points.tofile(target)
print(time.perf_counter() - start, time.process_time() - cpu)
"""


def run_measured(command):
    """Wall seconds, CPU seconds, peak resident MiB and stdout of a child process."""
    start = time.perf_counter()
    child = subprocess.Popen(command, stdout=subprocess.PIPE)
    out = child.stdout.read()
    _, status, usage = os.wait4(child.pid, 0)
    seconds = time.perf_counter() - start
    child.returncode = os.waitstatus_to_exitcode(status)
    if child.returncode != 0:
        sys.exit(f"{command[0]} failed with {child.returncode}")
    return seconds, usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024, out.decode()


def make_csv(path, rows):
    """Writes the CSV in a child process: a child's peak memory counts the memory of the process
    it was started from, so this one stays small."""
    if not os.path.exists(path):
        subprocess.run([sys.executable, __file__, "--make-csv", path, str(rows)], check=True)


def write_csv(path, rows):
    partial = path + ".part"
    with open(partial, "w") as f:
        f.write("Scope trace\nTime,Volt\n")
        block = 1_000_000
        for first in range(0, rows, block):
            f.write("".join(
                f"{i}e-9,{((i * 7919) % 20001 - 10000) / 10000:.4f}\n"
                for i in range(first, min(rows, first + block))))
    os.replace(partial, path)


def find_cli():
    here = os.path.dirname(os.path.abspath(__file__))
    for build in ("build", "build-release", "build-asan"):
        candidate = os.path.join(here, "..", "..", build, "tools", "tidewright-cli")
        if os.access(candidate, os.X_OK):
            return os.path.normpath(candidate)
    sys.exit("tidewright-cli not found: pass its path")


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "--make-csv":
        write_csv(sys.argv[2], int(sys.argv[3]))
        return
    cli = sys.argv[1] if len(sys.argv) > 1 else find_cli()
    rows = int(sys.argv[2]) if len(sys.argv) > 2 else ROWS
    folder = os.path.join(tempfile.gettempdir(), "tw-peers")
    os.makedirs(folder, exist_ok=True)
    csv = os.path.join(folder, f"rows{rows}.csv")
    make_csv(csv, rows)
    ours_out = os.path.join(folder, "tidewright.wav")
    theirs_out = os.path.join(folder, "pandas.wav")

    ours_s, ours_cpu, ours_mib, _ = run_measured([cli, "convert", csv, ours_out])
    theirs_s, theirs_cpu, theirs_mib, inner = run_measured(
        [sys.executable, "-c", PANDAS_SIDE, csv, theirs_out, str(V_MIN), str(V_MAX)])
    theirs_work, theirs_work_cpu = (float(x) for x in inner.split())

    with open(ours_out, "rb") as a, open(theirs_out, "rb") as b:
        ours_bytes, theirs_bytes = a.read(), b.read()
    same = ours_bytes == theirs_bytes
    differing = sum(1 for i in range(0, min(len(ours_bytes), len(theirs_bytes)), 2)
                    if ours_bytes[i:i + 2] != theirs_bytes[i:i + 2]) if not same else 0

    size_mib = os.path.getsize(csv) / (1 << 20)
    print(f"convert of a {rows}-row CSV ({size_mib:.0f} MiB) to a native 16-bit .wav")
    print(f"  tidewright-cli {ours_s:7.2f} s ({ours_cpu:.2f} s CPU)  peak {ours_mib:7.1f} MiB")
    print(f"  pandas         {theirs_s:7.2f} s ({theirs_cpu:.2f} s CPU)  peak {theirs_mib:7.1f} MiB"
          f"  (read and write alone {theirs_work:.2f} s, {theirs_work_cpu:.2f} s CPU)")
    ratio = theirs_work / ours_s
    cpu_ratio = theirs_work_cpu / ours_cpu
    print(f"  speed ratio (pandas' read and write alone / tidewright-cli) {ratio:.2f} wall, "
          f"{cpu_ratio:.2f} CPU (goal >= 3: {'met' if ratio >= 3 else 'NOT met'} wall, "
          f"{'met' if cpu_ratio >= 3 else 'NOT met'} CPU; CPU time is the fairer figure on a "
          f"busy machine)")
    print(f"  whole processes (pandas' interpreter start and imports counted): "
          f"{theirs_s / ours_s:.2f} wall, {theirs_cpu / ours_cpu:.2f} CPU")
    print(f"  peak memory: tidewright-cli {ours_mib:.1f} MiB, pandas {theirs_mib:.1f} MiB "
          f"(goal less: {'met' if ours_mib < theirs_mib else 'NOT met'})")
    print("  files: " + ("byte-identical" if same else
                         f"differ in {differing} points of {len(ours_bytes) // 2}"))


if __name__ == "__main__":
    main()
