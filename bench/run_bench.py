#!/usr/bin/env python3
"""Whole-process measurements of the four tools and talkdata, run by hand (not in CI).

1. Wall time: each tool's full listing of its sample input, `cat INPUT` and
   the read-and-write floor (bench/read_write_floor: read() of the input
   into a static buffer, one write() of the listing's size) run in turn,
   many times; the medians and the tool's ratio to each.
2. Instructions of each full listing under valgrind's callgrind (repeatable).
3. D88 files of 1, 16 and 64 disks read by talkd88 (all disks are read and
   checked, then -i names a disk the file lacks, so nothing is listed): the
   time per MB above the start-up cost, and the peak memory against the
   file size (/usr/bin/time -v).
4. talkdata against the lister of the same input, run in turn: the export
   of each sample as text and as JSON, and the import of that sample's full
   JSON export with --dry-run and with --output to a fresh path.

Usage: bench/run_bench.py [--runs N] [--before BUILD]
The bench preset (build/bench: release flags, the benchmarks, no tests) is
configured and built first. --before BUILD times the listing tools of
another build beside these (section 1 and 2), for figures before and after
a change, for example of an earlier commit:
  git worktree add ../before COMMIT
  cmake -S ../before -B ../before/build -G Ninja -DCMAKE_BUILD_TYPE=Release -DTALK_BUILD_TESTS=OFF
  cmake --build ../before/build
  bench/run_bench.py --before ../before/build
"""

import argparse
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def run(command, **options):
    return subprocess.run(command, check=True, **options)


DEVNULL = os.open(os.devnull, os.O_WRONLY)


def wall(command, cwd, check=True):
    """Wall time of one run, started with posix_spawn (no fork of this
    interpreter) and its output sent to the null device. With check, a run
    that fails ends the script."""
    actions = [(os.POSIX_SPAWN_DUP2, DEVNULL, 1)]
    previous = os.getcwd()
    os.chdir(cwd)
    try:
        start = time.perf_counter()
        pid = os.posix_spawn(command[0] if os.path.isabs(command[0]) else "/usr/bin/" + command[0],
                             command, os.environ, file_actions=actions)
        _, status = os.waitpid(pid, 0)
        elapsed = time.perf_counter() - start
    finally:
        os.chdir(previous)
    if check and os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"failed: {' '.join(command)}")
    return elapsed


def paired(commands, runs, cwd):
    """Medians of the commands run in turn runs times. A command may be a
    function of the run's number that gives the command line."""
    times = [[] for _ in commands]
    for number in range(runs):
        for i, command in enumerate(commands):
            times[i].append(wall(command(number) if callable(command) else command, cwd))
    return [statistics.median(t) for t in times]


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


def output_size(command, cwd):
    return len(run(command, cwd=cwd, stdout=subprocess.PIPE).stdout)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=301, help="runs of each command (odd)")
    parser.add_argument("--before", metavar="BUILD",
                        help="a build folder whose listing tools are timed beside these")
    args = parser.parse_args()

    build = os.path.join(ROOT, "build", "bench")
    run(["cmake", "--preset", "bench"], cwd=ROOT, stdout=subprocess.DEVNULL)
    run(["cmake", "--build", "--preset", "bench", "--target", "talkdir", "talkdsk", "talkd88",
         "talkxdf", "talkdata", "make_samples", "read_write_floor"], cwd=ROOT,
        stdout=subprocess.DEVNULL)
    tool = lambda name: os.path.join(build, "tools", name, name)
    floor = os.path.join(build, "bench", "read_write_floor")
    talkdata = tool("talkdata")

    with tempfile.TemporaryDirectory() as data:
        run([os.path.join(build, "samples", "make_samples"), data], stdout=subprocess.DEVNULL)
        dos_files = sorted(os.path.join("dos", f) for f in os.listdir(os.path.join(data, "dos")))
        # name, lister command, the files it reads, talkdata's input
        cases = [
            ("talkdir", [tool("talkdir"), "dos"], dos_files, "dos"),
            ("talkdsk", [tool("talkdsk"), "velktown.dsk"], ["velktown.dsk"], "velktown.dsk"),
            ("talkd88", [tool("talkd88"), "velk-towne.d88"], ["velk-towne.d88"],
             "velk-towne.d88"),
            ("talkxdf", [tool("talkxdf"), "velk-britannia.xdf"], ["velk-britannia.xdf"],
             "velk-britannia.xdf"),
        ]
        lister_ms = {}

        print(f"machine: {os.uname().machine}, {os.cpu_count()} cores, {os.uname().release}, "
              f"load average {' '.join(f'{x:.2f}' for x in os.getloadavg())}")
        before = lambda name: os.path.join(os.path.abspath(args.before), "tools", name, name)
        print(f"\nwall time, median of {args.runs} runs each; tool, cat and the floor in turn"
              + (f", and the tool of {args.before} (before)" if args.before else ""))
        print(f"{'tool':8} {'tool ms':>9} {'cat ms':>9} {'ratio':>7} {'floor ms':>9} "
              f"{'/floor':>7} {'instructions':>13}"
              + (f" {'before ms':>10} {'ratio':>7} {'instructions':>13}" if args.before else ""))
        for name, command, inputs, _ in cases:
            listing = output_size(command, data)
            floor_command = [floor, str(listing)] + inputs
            commands = [command, ["cat"] + inputs, floor_command]
            if args.before:
                commands.append([before(name)] + command[1:])
            times = paired(commands, args.runs, data)
            tool_s, cat_s, floor_s = times[:3]
            lister_ms[name] = tool_s * 1000
            count = instructions(command, data)
            line = (f"{name:8} {tool_s * 1000:9.3f} {cat_s * 1000:9.3f} {tool_s / cat_s:7.2f} "
                    f"{floor_s * 1000:9.3f} {tool_s / floor_s:7.2f} "
                    f"{count if count is not None else 'n/a':>13}")
            if args.before:
                before_count = instructions(commands[3], data)
                line += (f" {times[3] * 1000:10.3f} {times[3] / cat_s:7.2f} "
                         f"{before_count if before_count is not None else 'n/a':>13}")
            print(line)
        cat_count = instructions(["cat", "velk-britannia.xdf"], data)
        print(f"{'cat xdf':8} {'':9} {'':9} {'':7} {'':9} {'':7} "
              f"{cat_count if cat_count else 'n/a':>13}")

        # D88 files of 1, 16 and 64 copies of the sample's talk disk: its
        # first disk, whose size the header holds at 0x1C.
        sample = open(os.path.join(data, "velk-towne.d88"), "rb").read()
        disk = sample[:int.from_bytes(sample[0x1C:0x20], "little")]
        with open(os.path.join(data, "none.d88"), "wb") as empty:
            empty.write(b"\0")  # no disk: only the start-up and the final line
        start_up = statistics.median(
            wall([tool("talkd88"), "-i", "99", "none.d88"], data, check=False) for _ in range(args.runs))
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
                wall([tool("talkd88"), "-i", "99", path], data, check=False) for _ in range(runs))
            peak = peak_kb([tool("talkd88"), "-i", "99", path], data)
            peak_mb = peak * 1024 / 1e6 if peak else float("nan")
            print(f"{count:5} {megabytes:8.2f} {seconds * 1000:9.3f} "
                  f"{(seconds - start_up) * 1000 / megabytes:8.3f} {peak_mb:8.2f} "
                  f"{peak_mb / megabytes:9.2f}")

        # talkdata beside the lister of the same input.
        print(f"\ntalkdata against the lister of the same input, median of {args.runs} runs "
              f"each, in turn (targets: export <= 2x, import <= 3x)")
        print(f"{'input':8} {'command':18} {'ms':>9} {'lister ms':>10} {'ratio':>7}")
        scratch = os.path.join(data, "imports")
        os.mkdir(scratch)
        for name, command, _, source in cases:
            for form in ("text", "json"):
                export = [talkdata, "export", "--format", form, source]
                data_s, lister_s = paired([export, command], args.runs, data)
                print(f"{name:8} {'export ' + form:18} {data_s * 1000:9.3f} "
                      f"{lister_s * 1000:10.3f} {data_s / lister_s:7.2f}")
            edits = os.path.join(data, f"{name}.json")
            with open(edits, "wb") as out:
                out.write(run([talkdata, "export", "--format", "json", source], cwd=data,
                              stdout=subprocess.PIPE).stdout)
            dry_run = [talkdata, "import", "--dry-run", "--in-place", edits, source]
            suffix = os.path.splitext(source)[1]
            fresh = lambda number: [talkdata, "import", "--output",
                                    os.path.join(scratch, f"{name}-{number}{suffix}"), edits,
                                    source]
            for label, importing in (("import --dry-run", dry_run), ("import --output", fresh)):
                data_s, lister_s = paired([importing, command], args.runs, data)
                print(f"{name:8} {label:18} {data_s * 1000:9.3f} {lister_s * 1000:10.3f} "
                      f"{data_s / lister_s:7.2f}")
            shutil.rmtree(scratch)
            os.mkdir(scratch)
    return 0



if __name__ == "__main__":
    sys.exit(main())
