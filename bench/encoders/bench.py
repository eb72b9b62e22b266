#!/usr/bin/env python3
"""Encoders benchmark: our conv/coder/coder2 against the bare ffmpeg commands
that do the same coding, on the test clip bun33s.flv.

For each of the nine formats (with the format's preset, as picking the format
gives it) the script runs our program(s) with the command lines the engine
builds, and the equivalent bare ffmpeg command(s), alternately, RUNS times
each after one warm-up, and reports the median wall time, their ratio (also of
the best runs, which other load on the machine disturbs least), and the
median peak memory (the sum of the resident sizes of the whole process tree,
sampled every 5 ms in separate runs) and its difference.

ffmpeg cannot code AMR-NB, so for mobile MP4 and 3GP the bare side is the
pipeline coder2 stands for: ffmpeg decoding the audio, amrenc.c (built here
with libopencore-amrnb) coding it, and ffmpeg muxing it with the video.

Usage: bench/encoders/bench.py [--runs N] [--program-dir build/Sonvera] [--clip PATH]
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
FF = ["ffmpeg", "-nostdin", "-hide_banner", "-nostats", "-loglevel", "error", "-y"]
PAD16 = "pad=ceil(iw/16)*16:ceil(ih/16)*16:(ow-iw)/2:(oh-ih)/2"


PIPE = "pipe"  # a step that starts with it runs its commands as one pipeline


def formats(data, src, work, out, amrenc):
    """(name, our steps, bare steps); a step is a list of commands run together."""
    tmp = os.path.join(work, "tmp.mp4")
    conv_inter = [f"{data}/conv", src, "-oac", "mp3lame", "-lameopts", "preset=320", "-ovc", "lavc",
                  "-lavcopts", "vcodec=mpeg4:vbitrate=1200", "-of", "avi", "-o", tmp]
    # The sound keeps its timing: gaps filled, and in AVI a late start too,
    # with a frame at every tick (at most 60 a second when no rate is asked
    # for) and no shift for LAME's negative start.
    AVI_TIMING = ["-af", "aresample=async=1:first_pts=0", "-fps_mode", "cfr", "-avoid_negative_ts", "disabled"]
    GAPS = ["-af", "aresample=async=1"]
    bare_inter = FF + ["-i", src, "-map", "0:V:0", "-map", "0:a:0?", "-c:v", "mpeg4", "-b:v", "1200000",
                       "-c:a", "libmp3lame", "-ar", "44100", "-ac", "2", "-b:a", "320k"] + AVI_TIMING + ["-fpsmax", "60", "-f", "avi", tmp]
    rm_ours = lambda ext: [f"{data}/coder", "-i", tmp, "-y", "-vcodec", "rv10", "-b", "1200k", "-f", "rm",
                           "-ab", "128k", "-ac", "2", f"{out}/x.{ext}"]
    # coder makes at most 60 frames a second, and RealMedia's sound starts at 0 as AVI's does.
    rm_bare = lambda ext: FF + ["-i", tmp, "-map", "0:V:0", "-map", "0:a:0?", "-c:v", "rv10", "-vf", PAD16,
                                "-fpsmax", "60", "-b:v", "1200k", "-maxrate", "2400k", "-bufsize", "480k", "-c:a", "ac3",
                                "-b:a", "128000", "-ac", "2", "-af", "aresample=async=1:first_pts=0",
                                "-f", "rm", f"{out}/x.{ext}"]
    mpeg_ours = lambda ext: [f"{data}/conv", src, "-oac", "lavc", "-lavcopts", "acodec=mp2:abitrate=64", "-ovc",
                             "lavc", "-lavcopts", "vcodec=mpeg1video:vbitrate=600:vpass=1", "-ofps", "24", "-of",
                             "lavf", "-lavfopts", "format=yuv4mpeg", "-o", f"{out}/x.{ext}"]
    mpeg_bare = lambda ext, mux: (FF + ["-i", src, "-map", "0:V:0", "-map", "0:a:0?", "-c:v", "mpeg1video",
                                        "-b:v", "600000", "-r", "24", "-strict", "unofficial", "-c:a", "mp2",
                                        "-ar", "44100", "-ac", "2", "-b:a", "64k"]
                                  + (AVI_TIMING if mux == "avi" else GAPS) + ["-f", mux, f"{out}/x.{ext}"])
    mobile_ours = lambda ext: [f"{data}/coder2", "-i", tmp, "-y", "-s", "320x240", "-vcodec", "mpeg4", "-acodec",
                               "amr_nb", "-ac", "1", "-ar", "8000", "-ab", "12.2k", f"{out}/x.{ext}"]
    # ffmpeg cannot code AMR-NB: the bare side decodes the audio, codes it with
    # amrenc (libopencore-amrnb, as coder2) and muxes it, all three at once.
    mobile_bare = lambda ext: [PIPE, [
        FF + ["-i", tmp, "-map", "0:a:0", "-af", "aresample=async=1:first_pts=0", "-ac", "1", "-ar", "8000",
              "-c:a", "pcm_s16le", "-f", "s16le", "pipe:1"],
        [amrenc],
        FF + ["-i", tmp, "-f", "amr", "-i", "pipe:0", "-map", "0:V:0", "-map", "1:a:0", "-c:v", "mpeg4",
              "-vf", "scale=320:240", "-fpsmax", "60", "-c:a", "copy", "-f", "3gp", f"{out}/x.{ext}"]]]
    return [
        ("RMVB", [[conv_inter], [rm_ours("rmvb")]], [[bare_inter], [rm_bare("rmvb")]]),
        ("RM", [[conv_inter], [rm_ours("rm")]], [[bare_inter], [rm_bare("rm")]]),
        ("MPG", [[mpeg_ours("mpg")]], [[mpeg_bare("mpg", "mpeg")]]),
        ("AVI", [[mpeg_ours("avi")]], [[mpeg_bare("avi", "avi")]]),
        ("HD MP4", [[[f"{data}/conv", src, "-oac", "mp3lame", "-lameopts", "preset=320", "-ovc", "lavc",
                      "-lavcopts", "vcodec=mpeg4:vbitrate=1200", "-of", "avi", "-o", f"{out}/x.mp4"]]],
         [[FF + ["-i", src, "-map", "0:V:0", "-map", "0:a:0?", "-c:v", "mpeg4", "-b:v", "1200000", "-c:a",
                 "libmp3lame", "-ar", "44100", "-ac", "2", "-b:a", "320k"] + GAPS + ["-f", "mp4", f"{out}/x.mp4"]]]),
        ("MOV", [[conv_inter], [[f"{data}/coder", "-i", tmp, "-y", "-ac", "2", "-ar", "48000", "-ab", "128k",
                                 f"{out}/x.mov"]]],
         [[bare_inter], [FF + ["-i", tmp, "-map", "0:V:0", "-map", "0:a:0?", "-c:v", "libx264", "-vf",
                               "scale=trunc(iw/2)*2:trunc(ih/2)*2", "-fpsmax", "60", "-pix_fmt", "yuv420p", "-c:a", "aac", "-ar",
                               "48000", "-b:a", "128000", "-ac", "2"] + GAPS + ["-f", "mov", f"{out}/x.mov"]]]),
        ("mobile MP4", [[conv_inter], [mobile_ours("mp4")]], [[bare_inter], mobile_bare("mp4")]),
        ("3GP", [[conv_inter], [mobile_ours("3gp")]], [[bare_inter], mobile_bare("3gp")]),
        ("MP3", [[[f"{data}/coder", "-i", src, "-y", "-vn", "-ar", "48000", "-ab", "320k", "-ac", "2",
                   f"{out}/x.mp3"]]],
         [[FF + ["-i", src, "-map", "0:a:0", "-c:a", "libmp3lame", "-ar", "48000", "-b:a", "320000", "-ac", "2"]
              + GAPS + ["-f", "mp3", f"{out}/x.mp3"]]]),
    ]


def tree_rss_kb(pid):
    """Resident size of a process and all its descendants, in kB."""
    total, todo = 0, [pid]
    while todo:
        p = todo.pop()
        try:
            with open(f"/proc/{p}/status") as f:
                for line in f:
                    if line.startswith("VmRSS:"):
                        total += int(line.split()[1])
            with open(f"/proc/{p}/task/{p}/children") as f:
                todo += [int(c) for c in f.read().split()]
        except OSError:
            pass
    return total


def run_steps(steps, out, sample=False):
    """Runs the steps one after another; returns (seconds, peak kB)."""
    for name in os.listdir(out):
        os.remove(os.path.join(out, name))
    peak = 0
    start = time.perf_counter()
    for step in steps:
        procs = []
        if step[0] == PIPE:
            feed = subprocess.DEVNULL
            for i, cmd in enumerate(step[1]):
                last = i == len(step[1]) - 1
                p = subprocess.Popen(cmd, stdin=feed, stdout=subprocess.DEVNULL if last else subprocess.PIPE,
                                     stderr=subprocess.DEVNULL)
                if feed is not subprocess.DEVNULL:
                    feed.close()
                feed = p.stdout
                procs.append(p)
            step = step[1]
        else:
            procs = [subprocess.Popen(cmd, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                      stderr=subprocess.DEVNULL) for cmd in step]
        if sample:
            while any(p.poll() is None for p in procs):
                peak = max(peak, sum(tree_rss_kb(p.pid) for p in procs if p.poll() is None))
                time.sleep(0.005)
        for p in procs:
            if p.wait() != 0:
                sys.exit(f"failed: {' '.join(step[procs.index(p)])}")
    return time.perf_counter() - start, peak


def test_clip(given):
    """The clip the benchmarks convert: `given`, or bun33s.flv from the shared media beside the checkout."""
    clip = given or next((c for c in (os.path.join(ROOT, "..", "shared", "media", "bun33s.flv"),
                                      os.path.join(ROOT, "..", "..", "shared", "media", "bun33s.flv"))
                          if os.path.exists(c)), None)
    if not clip:
        sys.exit("bun33s.flv not found; pass --clip")
    return clip


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--program-dir", default=os.path.join(ROOT, "build", "Sonvera"))
    parser.add_argument("--clip", default=None)
    args = parser.parse_args()
    clip = test_clip(args.clip)
    data = os.path.join(os.path.abspath(args.program_dir), "data")

    with tempfile.TemporaryDirectory() as tmpdir:
        src, work, out = os.path.join(tmpdir, "bun33s.flv"), os.path.join(tmpdir, "work"), os.path.join(tmpdir, "out")
        os.makedirs(work)
        os.makedirs(out)
        shutil.copy(clip, src)
        amrenc = os.path.join(tmpdir, "amrenc")
        subprocess.run(["cc", "-O2", "-o", amrenc, os.path.join(os.path.dirname(os.path.abspath(__file__)), "amrenc.c"),
                        "-lopencore-amrnb"], check=True)

        print(f"Clip: bun33s.flv (33 s, H.264 480x270 + AAC), {args.runs} runs after one warm-up, "
              f"{os.cpu_count()} cores")
        print()
        print("| Format | ours (s) | bare ffmpeg (s) | ratio | best ours / bare (s) | best ratio "
              "| ours peak (MB) | bare peak (MB) | extra (MB) |")
        print("|---|---|---|---|---|---|---|---|---|")
        sums = [0.0, 0.0]
        for name, ours, bare in formats(data, src, work, out, amrenc):
            run_steps(ours, out)
            run_steps(bare, out)
            t_ours, t_bare, m_ours, m_bare = [], [], [], []
            for _ in range(args.runs):
                t_ours.append(run_steps(ours, out)[0])
                t_bare.append(run_steps(bare, out)[0])
            for _ in range(max(3, args.runs // 2)):
                m_ours.append(run_steps(ours, out, sample=True)[1])
                m_bare.append(run_steps(bare, out, sample=True)[1])
            to, tb = statistics.median(t_ours), statistics.median(t_bare)
            mo, mb = statistics.median(m_ours) / 1024, statistics.median(m_bare) / 1024
            bo, bb = min(t_ours), min(t_bare)
            sums[0] += to
            sums[1] += tb
            print(f"| {name} | {to:.2f} | {tb:.2f} | {to / tb:.3f} | {bo:.2f} / {bb:.2f} | {bo / bb:.3f} "
                  f"| {mo:.0f} | {mb:.0f} | {mo - mb:+.0f} |", flush=True)
        print(f"| all nine | {sums[0]:.2f} | {sums[1]:.2f} | {sums[0] / sums[1]:.3f} | | | | | |")


if __name__ == "__main__":
    main()
