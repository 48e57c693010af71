#!/usr/bin/env python3
"""Whole-process measurements of the four tools, run by hand (not in CI).

1. Wall time: each tool's full listing of its sample input and `cat INPUT`
   run alternately, many times; the medians and their ratio.
2. Instructions of each full listing under valgrind's callgrind (repeatable).
3. D88 files of 1, 16 and 64 disks read by talkd88 (all disks are read and
   checked, then -i names a disk the file lacks, so nothing is listed): the
   time per MB above the start-up cost, and the peak memory against the
   file size (/usr/bin/time -v).

Usage: bench/run_bench.py [--runs N]
The release preset (build/release) is configured and built first.
"""

import argparse
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def run(command, **options):
    return subprocess.run(command, check=True, **options)


DEVNULL = os.open(os.devnull, os.O_WRONLY)


def wall(command, cwd):
    """Wall time of one run, started with posix_spawn (no fork of this
    interpreter) and its output sent to the null device."""
    actions = [(os.POSIX_SPAWN_DUP2, DEVNULL, 1)]
    previous = os.getcwd()
    os.chdir(cwd)
    try:
        start = time.perf_counter()
        pid = os.posix_spawn(command[0] if os.path.isabs(command[0]) else "/usr/bin/" + command[0],
                             command, os.environ, file_actions=actions)
        os.waitpid(pid, 0)
        return time.perf_counter() - start
    finally:
        os.chdir(previous)


def instructions(command, cwd):
    with tempfile.TemporaryDirectory() as scratch:
        out = os.path.join(scratch, "callgrind.out")
        result = subprocess.run(
            ["valgrind", "--tool=callgrind", "--callgrind-out-file=" + out] + command,
            cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True, check=False)
        found = re.search(r"Collected : (\d+)", result.stderr)
        return int(found.group(1)) if found else None


def peak_kb(command, cwd):
    result = subprocess.run(["/usr/bin/time", "-v"] + command, cwd=cwd,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True,
                            check=False)
    found = re.search(r"Maximum resident set size \(kbytes\): (\d+)", result.stderr)
    return int(found.group(1)) if found else None


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=301, help="runs of each command (odd)")
    args = parser.parse_args()

    build = os.path.join(ROOT, "build", "release")
    run(["cmake", "--preset", "release"], cwd=ROOT, stdout=subprocess.DEVNULL)
    run(["cmake", "--build", "--preset", "release", "--target", "talkdir", "talkdsk", "talkd88", "talkxdf",
         "make_samples"], cwd=ROOT, stdout=subprocess.DEVNULL)
    tool = lambda name: os.path.join(build, "tools", name, name)

    with tempfile.TemporaryDirectory() as data:
        run([os.path.join(build, "samples", "make_samples"), data], stdout=subprocess.DEVNULL)
        dos_files = sorted(os.path.join(data, "dos", f) for f in os.listdir(os.path.join(data, "dos")))
        cases = [
            ("talkdir", [tool("talkdir"), "dos"], dos_files),
            ("talkdsk", [tool("talkdsk"), "velktown.dsk"], ["velktown.dsk"]),
            ("talkd88", [tool("talkd88"), "velk-towne.d88"], ["velk-towne.d88"]),
            ("talkxdf", [tool("talkxdf"), "velk-britannia.xdf"], ["velk-britannia.xdf"]),
        ]

        print(f"machine: {os.uname().machine}, {os.cpu_count()} cores, {os.uname().release}")
        print(f"\nwall time, median of {args.runs} runs each, tool and cat alternating")
        print(f"{'tool':8} {'tool ms':>9} {'cat ms':>9} {'ratio':>7} {'instructions':>13}")
        for name, command, inputs in cases:
            tool_times, cat_times = [], []
            for _ in range(args.runs):
                tool_times.append(wall(command, data))
                cat_times.append(wall(["cat"] + inputs, data))
            tool_ms = statistics.median(tool_times) * 1000
            cat_ms = statistics.median(cat_times) * 1000
            count = instructions(command, data)
            print(f"{name:8} {tool_ms:9.3f} {cat_ms:9.3f} {tool_ms / cat_ms:7.2f} "
                  f"{count if count is not None else 'n/a':>13}")
        cat_count = instructions(["cat", "velk-britannia.xdf"], data)
        print(f"{'cat xdf':8} {'':9} {'':9} {'':7} {cat_count if cat_count else 'n/a':>13}")

        # D88 files of 1, 16 and 64 copies of the sample disk.
        disk = open(os.path.join(data, "velk-towne.d88"), "rb").read()
        with open(os.path.join(data, "none.d88"), "wb") as empty:
            empty.write(b"\0")  # no disk: only the start-up and the final line
        start_up = statistics.median(
            wall([tool("talkd88"), "-i", "99", "none.d88"], data) for _ in range(args.runs))
        print(f"\nreading D88 files (talkd88 -i 99: every disk read, nothing listed); "
              f"start-up {start_up * 1000:.3f} ms")
        print(f"{'disks':>5} {'MB':>8} {'ms':>9} {'ms/MB':>8} {'peak MB':>8} {'peak/size':>9}")
        for count in (1, 16, 64):
            path = os.path.join(data, f"disks{count}.d88")
            with open(path, "wb") as out:
                out.write(disk * count)
            megabytes = len(disk) * count / 1e6
            runs = max(11, args.runs // count)
            seconds = statistics.median(
                wall([tool("talkd88"), "-i", "99", path], data) for _ in range(runs))
            peak = peak_kb([tool("talkd88"), "-i", "99", path], data)
            peak_mb = peak * 1024 / 1e6 if peak else float("nan")
            print(f"{count:5} {megabytes:8.2f} {seconds * 1000:9.3f} "
                  f"{(seconds - start_up) * 1000 / megabytes:8.3f} {peak_mb:8.2f} "
                  f"{peak_mb / megabytes:9.2f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
