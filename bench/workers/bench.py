#!/usr/bin/env python3
"""Workers benchmark: a batch of 12 generated five-second clips converted by
`sonvera-cli -j 2` against `-j 1`, and against the same bare ffmpeg commands
run two at a time by `xargs -P 2`.

The bare commands also run one at a time (`xargs -P 1`): their ratio P2 / P1
is what two at once can give on this machine at this moment, whoever runs
them, and so the yardstick for -j 2 / -j 1 when other work shares the cores.

For MP3 and RMVB, after one warm-up of each side, the four sides run in turn
(interleaved, so that other load on the machine falls on all of them alike),
RUNS times each; the medians of the wall times give the ratios. The bare
commands are those of bench/encoders/bench.py, which are the ffmpeg commands
our encoders run, with each file's own intermediate and output.

While `sonvera-cli -j 2` runs, its own peak resident size (VmHWM in
/proc/PID/status, which counts that process alone, not its encoders) and its
own CPU time are sampled, and the CPU time of all its processes over its wall
time says how many cores the batch really had. The CPU time of each whole run (every process, from
getrusage of the children) gives the CPU a file costs, from which the script
estimates a batch's wall time on 8 cores.

Usage: bench/workers/bench.py [--runs N] [--program-dir build/Sonvera] [--format MP3|RMVB]...
"""
import argparse
import importlib.util
import math
import os
import resource
import shlex
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
FILES = 12
SECONDS = 5

encoders_module = importlib.util.spec_from_file_location("encoders_bench", os.path.join(ROOT, "bench", "encoders", "bench.py"))
encoders_bench = importlib.util.module_from_spec(encoders_module)
encoders_module.loader.exec_module(encoders_bench)


def make_clips(folder):
    """Twelve old-style FLV clips: Sorenson video 320x240 at 25 fps, MP3 sound."""
    clips = []
    for i in range(FILES):
        path = os.path.join(folder, f"clip{i:02}.flv")
        subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y",
                        "-f", "lavfi", "-i", f"testsrc=size=320x240:rate=25:duration={SECONDS}",
                        "-f", "lavfi", "-i", f"sine=frequency={300 + 40 * i}:duration={SECONDS}",
                        "-c:v", "flv1", "-q:v", "5", "-c:a", "libmp3lame", "-b:a", "96k", "-ar", "44100",
                        "-shortest", path], check=True)
        clips.append(path)
    return clips


def bare_jobs(fmt, data, clips, folder):
    """One shell line per file: the ffmpeg commands our encoders run for it."""
    jobs = []
    for i, src in enumerate(clips):
        work, out = os.path.join(folder, f"work{i}"), os.path.join(folder, f"out{i}")
        os.makedirs(work, exist_ok=True)
        os.makedirs(out, exist_ok=True)
        steps = next(bare for name, _, bare in encoders_bench.formats(data, src, work, out, None) if name == fmt)
        jobs.append(" && ".join(shlex.join(cmd) for step in steps for cmd in step))
    return jobs


def clear(folder):
    for root, _, files in os.walk(folder):
        for name in files:
            os.remove(os.path.join(root, name))


def children_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def proc_sample(pid):
    """(VmHWM in kB, own CPU seconds) of a running process, or None."""
    try:
        with open(f"/proc/{pid}/status") as f:
            hwm = next(int(line.split()[1]) for line in f if line.startswith("VmHWM:"))
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return hwm, (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
    except (OSError, StopIteration, IndexError, ValueError):
        return None


def run_cli(cli, fmt_name, jobs, clips, out, sample=False):
    """Returns (wall s, CPU s of every process, CLI peak kB, CLI CPU s)."""
    clear(out)
    cpu0, start = children_cpu(), time.perf_counter()
    p = subprocess.Popen([cli, "-q", "-j", str(jobs), "-f", fmt_name, "-o", out] + clips,
                         stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)
    peak, own = 0, 0.0
    while p.poll() is None:
        if sample:
            s = proc_sample(p.pid)
            if s:
                peak, own = max(peak, s[0]), s[1]
        time.sleep(0.01)
    wall = time.perf_counter() - start
    if p.returncode != 0 or len(os.listdir(out)) != len(clips):
        sys.exit(f"sonvera-cli -j {jobs} -f {fmt_name} failed ({p.returncode})")
    return wall, children_cpu() - cpu0, peak, own


def run_bare(jobs, folder, parallel):
    clear(folder)
    cpu0, start = children_cpu(), time.perf_counter()
    subprocess.run(["xargs", "-0", "-P", str(parallel), "-n", "1", "sh", "-c"],
                   input="\0".join(jobs).encode(), check=True, stdout=subprocess.DEVNULL)
    return time.perf_counter() - start, children_cpu() - cpu0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--program-dir", default=os.path.join(ROOT, "build", "Sonvera"))
    parser.add_argument("--format", action="append", choices=["MP3", "RMVB"], help="only this one (repeatable)")
    args = parser.parse_args()
    program = os.path.abspath(args.program_dir)
    cli, data = os.path.join(program, "sonvera-cli"), os.path.join(program, "data")

    with tempfile.TemporaryDirectory() as tmp:
        clips = make_clips(tmp)
        out = os.path.join(tmp, "out")
        os.makedirs(out)
        print(f"{FILES} clips of {SECONDS} s (FLV1 320x240 25 fps + MP3), {args.runs} interleaved runs after a "
              f"warm-up, {os.cpu_count()} cores")
        print()
        print("| Format | -j 1 (s) | -j 2 (s) | xargs -P 1 (s) | xargs -P 2 (s) | -j 2 / -j 1 | P2 / P1 "
              "| -j 2 / xargs -P 2 | cores had by -j 2 | CPU per file, ours / bare (s) | CLI peak (MB) | CLI CPU (s) "
              "| 8 cores, -j 8 (s, est.) |")
        print("|---|---|---|---|---|---|---|---|---|---|---|---|---|")
        for fmt, cli_name in (("MP3", "mp3"), ("RMVB", "rmvb")):
            if args.format and fmt not in args.format:
                continue
            bare = bare_jobs(fmt, data, clips, os.path.join(tmp, "bare"))
            run_cli(cli, cli_name, 1, clips, out)
            run_cli(cli, cli_name, 2, clips, out)
            run_bare(bare, os.path.join(tmp, "bare"), 2)
            one, two, xargs1, xargs, cpu, bare_cpu, cores, peaks, owns = [], [], [], [], [], [], [], [], []
            for _ in range(args.runs):
                wall, used, _, _ = run_cli(cli, cli_name, 1, clips, out)
                one.append(wall)
                cpu.append(used)
                wall, used, peak, own = run_cli(cli, cli_name, 2, clips, out, sample=True)
                two.append(wall)
                cores.append(used / wall)
                peaks.append(peak)
                owns.append(own)
                wall, used = run_bare(bare, os.path.join(tmp, "bare"), 1)
                xargs1.append(wall)
                bare_cpu.append(used)
                xargs.append(run_bare(bare, os.path.join(tmp, "bare"), 2)[0])
            t1, t2, tx = statistics.median(one), statistics.median(two), statistics.median(xargs)
            tx1 = statistics.median(xargs1)
            per_file_cpu = statistics.median(cpu) / FILES
            per_file_wall = t1 / FILES
            # On 8 cores with -j 8: 12 files in ceil(12 / 8) rounds of one
            # file's wall time, unless the CPU they need is the limit.
            est8 = max(math.ceil(FILES / 8) * per_file_wall, FILES * per_file_cpu / 8)
            print(f"| {fmt} | {t1:.2f} | {t2:.2f} | {tx1:.2f} | {tx:.2f} | {t2 / t1:.3f} | {tx / tx1:.3f} "
                  f"| {t2 / tx:.3f} | {statistics.median(cores):.2f} "
                  f"| {per_file_cpu:.3f} / {statistics.median(bare_cpu) / FILES:.3f} "
                  f"| {max(peaks) / 1024:.1f} | {statistics.median(owns):.2f} | {est8:.2f} |", flush=True)


if __name__ == "__main__":
    main()
