#!/usr/bin/env python3
"""The queue's cost: sonvera-cli's own CPU per converted file with 1,000,
10,000 and 100,000 files queued, and its peak memory; and the CPU of files
that all fail before an encoder starts (an output folder that cannot be
made), 16,000 and 64,000 of them.

The files convert to MP3 with a stand-in for data/coder (quick_encoder.c,
compiled here): a real batch of real processes, each a few hundred
microseconds, so that the figures are the driver's and the list's own work.
Own CPU is read from /proc/<pid>/stat of the ended (not yet reaped) process,
so the encoders' CPU is not in it; peak memory is its VmHWM, sampled.

    bench/queue/bench_queue.py [--sizes 1000,10000,100000] [--failures 16000,64000] [--cli PATH]
(from the project folder, after `make build`)
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
TICK = os.sysconf('SC_CLK_TCK')


def program_folder(work, cli):
    folder = os.path.join(work, 'program')
    os.makedirs(os.path.join(folder, 'data'))
    shutil.copy(cli, folder)
    coder = os.path.join(folder, 'data', 'coder')
    subprocess.run(['cc', '-O2', '-static', '-o', coder, os.path.join(HERE, 'quick_encoder.c')], check=True)
    for other in ('conv', 'coder2'):
        os.symlink('coder', os.path.join(folder, 'data', other))
    return folder


def sources(work, count):
    folder = os.path.join(work, f'in-{count}')
    if not os.path.isdir(folder):
        os.makedirs(folder)
        for i in range(count):
            with open(os.path.join(folder, f'clip{i:06d}.flv'), 'wb') as f:
                f.write(b'x')
    return folder


def run(cli, args):
    """Own CPU seconds and peak resident MB of one sonvera-cli run."""
    env = dict(os.environ, SONVERA_LANG='en')
    process = subprocess.Popen([cli, '-q', '-f', 'mp3'] + args, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, env=env)
    peak_kb = 0
    while True:
        try:
            with open(f'/proc/{process.pid}/status') as f:
                for line in f:
                    if line.startswith('VmHWM:'):
                        peak_kb = max(peak_kb, int(line.split()[1]))
        except OSError:
            pass
        if os.waitid(os.P_PID, process.pid, os.WEXITED | os.WNOWAIT | os.WNOHANG):
            break
        time.sleep(0.05)
    with open(f'/proc/{process.pid}/stat') as f:
        fields = f.read().rsplit(')', 1)[1].split()
    cpu = (int(fields[11]) + int(fields[12])) / TICK
    process.wait()
    return cpu, peak_kb / 1024, process.returncode


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--sizes', default='1000,10000,100000')
    parser.add_argument('--failures', default='16000,64000')
    parser.add_argument('--cli', default=os.path.join(ROOT, 'build/Sonvera/sonvera-cli'),
                        help='the sonvera-cli to measure (another build\'s, for a before-and-after)')
    options = parser.parse_args()
    work = tempfile.mkdtemp(prefix='bench-queue-')
    try:
        cli = os.path.join(program_folder(work, options.cli), 'sonvera-cli')
        for count in [int(n) for n in options.sizes.split(',') if n]:
            folder = sources(work, count)
            out = os.path.join(work, 'out')
            shutil.rmtree(out, ignore_errors=True)
            os.makedirs(out)
            started = time.monotonic()
            cpu, peak, code = run(cli, ['-o', out, folder])
            wall = time.monotonic() - started
            made = len(os.listdir(out))
            print(f'{count} queued: exit {code}, {made} converted, own CPU {cpu:.2f} s = '
                  f'{cpu / max(made, 1) * 1000:.3f} ms a file, peak {peak:.1f} MB, wall {wall:.1f} s', flush=True)
        blocker = os.path.join(work, 'blocker')
        with open(blocker, 'w') as f:
            f.write('a file, not a folder')
        for count in [int(n) for n in options.failures.split(',') if n]:
            folder = sources(work, count)
            cpu, peak, code = run(cli, ['-o', os.path.join(blocker, 'out'), folder])
            print(f'{count} failing: exit {code}, own CPU {cpu:.2f} s, peak {peak:.1f} MB', flush=True)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == '__main__':
    sys.exit(main())
