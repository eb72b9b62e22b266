#!/usr/bin/env python3
"""Route benchmark: what sonvera-cli's --direct and --remux save against the
default route, on the test clip bun33s.flv, end to end (sonvera-cli, its
encoders and their ffmpeg children).

--direct against the default route for RMVB, MOV and 3GP: the CPU time (user
and system of the whole process tree) and the wall time, medians of RUNS
interleaved runs after one warm-up each; then the picture of one output of
each route against the source: SSIM and PSNR from ffmpeg's ssim and psnr
filters, the output scaled back to the source's size, frames paired by their times.

--remux against the default conversion for HD MP4 and MOV: the wall time,
medians of RUNS interleaved runs; each remux run must say it copied.

Usage: bench/route/bench.py [--runs N] [--program-dir build/Sonvera] [--clip PATH]
"""
import argparse
import importlib.util
import os
import re
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

encoders_module = importlib.util.spec_from_file_location("encoders_bench", os.path.join(ROOT, "bench", "encoders", "bench.py"))
encoders_bench = importlib.util.module_from_spec(encoders_module)
encoders_module.loader.exec_module(encoders_bench)


def run_cli(cli, args, out, env):
    """One sonvera-cli run into an emptied `out`: (wall s, CPU s, output path, its text)."""
    shutil.rmtree(out, ignore_errors=True)
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    done = subprocess.run([cli] + args + ["-o", out], env=env, capture_output=True, text=True)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    if done.returncode != 0:
        sys.exit(f"failed: sonvera-cli {' '.join(args)}\n{done.stderr}")
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    outputs = os.listdir(out)
    return wall, cpu, os.path.join(out, outputs[0]), done.stdout


def picture_scores(output, source, size):
    """(SSIM, PSNR in dB) of `output`'s picture against `source`'s, at the source's size."""
    graph = (f"[0:v]scale={size},setsar=1[a];[1:v]setsar=1[b];"
             "[a]split[a1][a2];[b]split[b1][b2];[a1][b1]ssim;[a2][b2]psnr")
    log = subprocess.run(["ffmpeg", "-nostdin", "-hide_banner", "-i", output, "-i", source, "-lavfi", graph,
                          "-an", "-f", "null", "-"], capture_output=True, text=True).stderr
    ssim = re.search(r"SSIM .* All:([\d.]+)", log)
    psnr = re.search(r"PSNR .* average:([\d.]+|inf)", log)
    if not ssim or not psnr:
        sys.exit(f"no scores for {output}:\n{log[-2000:]}")
    return float(ssim.group(1)), float(psnr.group(1))


def source_size(source):
    probe = subprocess.run(["ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                            "stream=width,height", "-of", "csv=p=0:s=x", source], capture_output=True, text=True)
    return probe.stdout.strip().replace("x", ":")


def interleaved(runs, routes):
    """Runs each route once to warm up, then `runs` times in turn; the results of each."""
    for route in routes:
        route()
    results = [[] for _ in routes]
    for _ in range(runs):
        for i, route in enumerate(routes):
            results[i].append(route())
    return results


def direct_table(cli, src, tmp, env, runs):
    size = source_size(src)
    print("| Format | CPU default (s) | CPU --direct (s) | CPU ratio | wall default (s) | wall --direct (s) "
          "| SSIM default / --direct | PSNR default / --direct (dB) |")
    print("|---|---|---|---|---|---|---|---|")
    for name, fmt in (("RMVB", "rmvb"), ("MOV", "mov"), ("3GP", "3gp")):
        out = {"default": os.path.join(tmp, fmt + "-default"), "direct": os.path.join(tmp, fmt + "-direct")}
        default, direct = interleaved(runs, [
            lambda: run_cli(cli, ["-q", "-f", fmt, src], out["default"], env),
            lambda: run_cli(cli, ["-q", "--direct", "-f", fmt, src], out["direct"], env)])
        cpu = [statistics.median(r[1] for r in rs) for rs in (default, direct)]
        wall = [statistics.median(r[0] for r in rs) for rs in (default, direct)]
        scores = [picture_scores(rs[-1][2], src, size) for rs in (default, direct)]
        print(f"| {name} | {cpu[0]:.2f} | {cpu[1]:.2f} | {cpu[1] / cpu[0]:.3f} | {wall[0]:.2f} | {wall[1]:.2f} "
              f"| {scores[0][0]:.4f} / {scores[1][0]:.4f} | {scores[0][1]:.2f} / {scores[1][1]:.2f} |", flush=True)


def remux_table(cli, src, tmp, env, runs):
    print("| Format | wall default (s) | wall --remux (s) | time ratio | CPU default (s) | CPU --remux (s) |")
    print("|---|---|---|---|---|---|")
    for name, fmt in (("HD MP4", "mp4"), ("MOV", "mov")):
        out = os.path.join(tmp, fmt + "-remux")
        default, remux = interleaved(runs, [
            lambda: run_cli(cli, ["-q", "-f", fmt, src], out, env),
            lambda: run_cli(cli, ["--remux", "-f", fmt, src], out, env)])
        if not all("(copied)" in r[3] for r in remux):
            sys.exit(f"{name}: --remux did not copy")
        wall = [statistics.median(r[0] for r in rs) for rs in (default, remux)]
        cpu = [statistics.median(r[1] for r in rs) for rs in (default, remux)]
        print(f"| {name} | {wall[0]:.2f} | {wall[1]:.3f} | {wall[1] / wall[0]:.3f} | {cpu[0]:.2f} | {cpu[1]:.3f} |",
              flush=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--program-dir", default=os.path.join(ROOT, "build", "Sonvera"))
    parser.add_argument("--clip", default=None)
    args = parser.parse_args()
    clip = encoders_bench.test_clip(args.clip)
    cli = os.path.join(os.path.abspath(args.program_dir), "sonvera-cli")
    with tempfile.TemporaryDirectory() as tmp:
        src = os.path.join(tmp, "bun33s.flv")
        shutil.copy(clip, src)
        # A work folder of its own, and the converter's lines in English.
        env = dict(os.environ, TMPDIR=tmp, SONVERA_LANG="en")
        print(f"Clip: bun33s.flv, {args.runs} interleaved runs after one warm-up each, {os.cpu_count()} cores")
        print()
        direct_table(cli, src, tmp, env, args.runs)
        print()
        remux_table(cli, src, tmp, env, args.runs)


if __name__ == "__main__":
    main()
