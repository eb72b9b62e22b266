#!/usr/bin/env python3
"""Many-machines benchmark: the recipes of docs/many-machines.md at a real
batch's size, on this machine.

compare (the default): the same one-second clips (2,000 unless --files says
otherwise) converted to MP3 by
  - sonvera-cli -j 2, one process for the whole batch;
  - the Slurm array of docs/sonvera-array.sbatch on a one-node Slurm of the
    script's own (munged, slurmctld, slurmd on loopback, as the tests start
    them), --files-per-task files a task, one CPU a task;
  - GNU parallel with groups of --files-per-task files a job
    (docs/sonvera-group), two jobs at once;
  - with --unbatched also GNU parallel with one sonvera-cli a file;
  - the bare ffmpeg commands our encoder runs for each file, under xargs -P 2.
Each runs once. The Slurm array's wall time ends when its last task wrote the
end of its record (sbatch --wait notices later). The CPU time is everything it started (the scheduler's
daemons and steps included, idle polling too), read from a cgroup v1 cpuacct
group of its own, so other work on the machine does not count; the wall time
does depend on what else runs, so the load average is given.

slurm-3000: 3,000 one-second clips, 2 of them damaged, as a Slurm array of 50
files a task with Slurm's default limits (MaxArraySize 1001); then the two are
mended and sonvera-array-resubmit submits them again; every clip must have
exactly one output. Also shows that one task a file is refused.

Needs root (the cgroup, the cluster), slurm-wlm, munge, GNU parallel, jq.

Usage: bench/cluster/bench.py [compare|slurm-3000] [--files N] [--files-per-task K] [--unbatched]
                              [--program-dir build/Sonvera]
"""
import argparse
import collections
import glob
import importlib.util
import os
import re
import shlex
import shutil
import socket
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
DOCS = os.path.join(ROOT, "docs")
CPUACCT = "/sys/fs/cgroup/cpuacct"

encoders_module = importlib.util.spec_from_file_location("encoders_bench", os.path.join(ROOT, "bench", "encoders", "bench.py"))
encoders_bench = importlib.util.module_from_spec(encoders_module)
encoders_module.loader.exec_module(encoders_bench)


class CpuGroup:
    """A cpuacct cgroup: every process started into it, and their children, count."""

    def __init__(self, name):
        self.path = os.path.join(CPUACCT, f"sonvera-bench-{os.getpid()}-{name}")
        os.mkdir(self.path)

    def enter(self):  # a preexec_fn: the child joins before it execs
        with open(os.path.join(self.path, "cgroup.procs"), "w") as f:
            f.write(str(os.getpid()))

    def seconds(self):
        with open(os.path.join(self.path, "cpuacct.usage")) as f:
            return int(f.read()) / 1e9

    def close(self):
        for _ in range(100):
            try:
                os.rmdir(self.path)
                return
            except OSError:
                time.sleep(0.1)


def load():
    return os.getloadavg()[0]


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class OneNodeSlurm:
    """munged, slurmctld and slurmd in `folder`, every process in `group`."""

    def __init__(self, folder, group, extra_conf=""):
        self.folder, self.group, self.daemons = folder, group, []
        os.makedirs(f"{folder}/state")
        os.makedirs(f"{folder}/spool")
        os.chmod(folder, 0o711)
        self.env = dict(os.environ, SLURM_CONF=f"{folder}/slurm.conf")
        subprocess.run(["mungekey", "--create", "--keyfile", f"{folder}/munge.key"], check=True)
        self.start("munged", ["--foreground", "--force", "--socket", f"{folder}/munge.socket", "--key-file",
                              f"{folder}/munge.key", "--log-file", f"{folder}/munged.log", "--pid-file",
                              f"{folder}/munged.pid", "--seed-file", f"{folder}/munged.seed"])
        self.wait_for(lambda: os.path.exists(f"{folder}/munge.socket"), "munged did not start")
        host = socket.gethostname().split(".")[0]
        node = subprocess.run(["slurmd", "-C"], capture_output=True, text=True).stdout.splitlines()[0]
        node = re.sub(r"^NodeName=\S+", f"NodeName={host} NodeAddr=127.0.0.1", node)
        with open(f"{folder}/slurm.conf", "w") as conf:
            conf.write(f"ClusterName=sonvera\nSlurmctldHost={host}(127.0.0.1)\nSlurmctldPort={free_port()}\n"
                       f"SlurmdPort={free_port()}\nSlurmUser=root\nSlurmdUser=root\nAuthType=auth/munge\n"
                       f"CredType=cred/munge\nAuthInfo=socket={folder}/munge.socket\nStateSaveLocation={folder}/state\n"
                       f"SlurmdSpoolDir={folder}/spool\nSlurmctldPidFile={folder}/slurmctld.pid\n"
                       f"SlurmdPidFile={folder}/slurmd.pid\nSlurmctldLogFile={folder}/slurmctld.log\n"
                       f"SlurmdLogFile={folder}/slurmd.log\nProctrackType=proctrack/linuxproc\nTaskPlugin=task/none\n"
                       "MpiDefault=none\nSchedulerType=sched/builtin\nSelectType=select/cons_tres\n"
                       "SelectTypeParameters=CR_CPU\nAccountingStorageType=accounting_storage/none\n"
                       "JobAcctGatherType=jobacct_gather/none\nJobCompType=jobcomp/none\nReturnToService=2\n"
                       f"{extra_conf}{node} State=UNKNOWN\nPartitionName=test Nodes={host} Default=YES "
                       "MaxTime=INFINITE State=UP\n")
        self.start("slurmctld", ["-D", "-i", "-f", f"{folder}/slurm.conf"])
        self.start("slurmd", ["-D", "-f", f"{folder}/slurm.conf", "-N", host])
        self.wait_for(lambda: self.run(["sinfo", "-h", "-N", "-o", "%T"]).stdout.strip() == "idle",
                      f"the node did not become idle (see {folder}/*.log)")

    def start(self, program, args):
        log = open(f"{self.folder}/{program}.out", "w")
        self.daemons.append(subprocess.Popen([program] + args, env=self.env, stdout=log, stderr=log,
                                             preexec_fn=self.group.enter))

    def wait_for(self, condition, message):
        for _ in range(300):
            if condition():
                return
            if any(d.poll() is not None for d in self.daemons):
                break
            time.sleep(0.2)
        self.stop()
        sys.exit(message)

    def run(self, args, **kwargs):
        return subprocess.run(args, env=self.env, capture_output=True, text=True, **kwargs)

    def stop(self):
        if self.daemons and self.daemons[-1].poll() is None:
            self.run(["scancel", "--user=root", "--full", "--signal=KILL"])
        for d in reversed(self.daemons):
            if d.poll() is None:
                d.terminate()
                try:
                    d.wait(30)
                except subprocess.TimeoutExpired:
                    d.kill()
                    d.wait()
        self.daemons = []


def make_clip(path):
    """A one-second FLV like the tests' (64x48, 15 fps, with sound)."""
    subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                    "testsrc=size=64x48:rate=15:duration=1", "-f", "lavfi", "-i", "sine=frequency=440:duration=1",
                    "-c:v", "flv1", "-c:a", "libmp3lame", "-ar", "22050", "-shortest", path], check=True)


def make_batch(folder, files, damaged=()):
    """`files` copies of one clip (the damaged ones are text) and files.list, NUL-separated, sorted."""
    clips = os.path.join(folder, "clips")
    os.makedirs(clips)
    one = os.path.join(folder, "one.flv")
    make_clip(one)
    names = [os.path.join("clips", f"clip{i:05}.flv") for i in range(files)]
    for i, name in enumerate(names):
        if i in damaged:
            with open(os.path.join(folder, name), "w") as f:
                f.write("not a video\n")
        else:
            shutil.copyfile(one, os.path.join(folder, name))
    with open(os.path.join(folder, "files.list"), "wb") as f:
        f.write(b"".join(n.encode() + b"\0" for n in names))
    for script in ("sonvera-array.sbatch", "sonvera-array-resubmit", "sonvera-group"):
        shutil.copy(os.path.join(DOCS, script), folder)
    os.makedirs(os.path.join(folder, "logs"))
    return names


def outputs_by_source(folder):
    """How many outputs each source name has ("clip00042" -> 1)."""
    counts = collections.Counter()
    for name in os.listdir(folder) if os.path.isdir(folder) else []:
        counts[re.sub(r"-[0-9]+(-[0-9]+)?\.mp3$", "", name)] += 1
    return counts


def measure(name, command, work, env, cluster_group=None):
    """Runs `command` (a shell line) in `work`; (wall s, CPU s, load before, load after)."""
    group = cluster_group or CpuGroup(name)
    try:
        before, cpu0, start = load(), group.seconds(), time.time()
        done = subprocess.run(["bash", "-c", command], cwd=work, env=env, preexec_fn=group.enter,
                              stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        wall = time.time() - start
        if cluster_group:
            # sbatch --wait polls at growing intervals: the array ended when
            # its last task wrote the end of its record.
            ends = [os.path.getmtime(p) for p in glob.glob(os.path.join(work, "logs", "*.status"))]
            wall = max([e for e in ends if e >= start] or [start + wall]) - start
            time.sleep(2)  # the last steps end a moment after sbatch --wait returns
        cpu = group.seconds() - cpu0
    finally:
        if not cluster_group:
            group.close()
    if done.returncode != 0:
        print(done.stderr.decode(errors="replace")[-2000:], file=sys.stderr)
        sys.exit(f"{name}: exit status {done.returncode}")
    return wall, cpu, before, load(), done.stdout.decode().strip()


def compare(args, program, env):
    files, per_task = args.files, args.files_per_task
    data = os.path.join(program, "data")
    with tempfile.TemporaryDirectory(prefix="sonvera-cluster-bench-") as tmp:
        names = make_batch(tmp, files)
        fmt = "-q -f mp3"
        methods = [
            (f"GNU parallel -N {per_task}, sonvera-cli -j 1 a group",
             f"mkdir -p results && parallel -0 -a files.list -N {per_task} -j 2 --joblog group.log "
             f"./sonvera-group results/{{#}}.json {fmt} -o out/group -- {{}}"),
            ("sonvera-cli -j 2", f"sonvera-cli {fmt} -j 2 -o out/cli {' '.join(names)}"),
        ]
        if args.unbatched:
            methods.append(("GNU parallel, one sonvera-cli a file",
                            f"parallel -0 -a files.list -j 2 --joblog file.log sonvera-cli {fmt} -o out/file {{}}"))
        bare = []
        for i, name in enumerate(names):
            out = os.path.join(tmp, "out", "bare", str(i))
            os.makedirs(out)
            steps = next(b for n, _, b in encoders_bench.formats(data, os.path.join(tmp, name), out, out, None)
                         if n == "MP3")
            bare.append(" && ".join(shlex.join(c) for step in steps for c in step))
        with open(os.path.join(tmp, "bare.jobs"), "wb") as f:
            f.write(b"".join(j.encode() + b"\0" for j in bare))
        methods.append(("bare ffmpeg, xargs -P 2", "xargs -0 -P 2 -n 1 sh -c < bare.jobs"))

        print(f"{files} one-second clips (FLV1 64x48 15 fps + MP3 22.05 kHz) to MP3, {os.cpu_count()} cores, "
              f"each once")
        print()
        print("| Recipe | wall (s) | CPU (s) | CPU per file (ms) | CPU / bare | load before → after |")
        print("|---|---|---|---|---|---|", flush=True)
        bare_cpu = None

        def show(name, wall, cpu, before, after):
            print(f"| {name} | {wall:.1f} | {cpu:.1f} | {1000 * cpu / files:.1f} | {cpu / bare_cpu:.3f} | "
                  f"{before:.1f} → {after:.1f} |", flush=True)

        # The bare commands first: every other row is given against them.
        methods.insert(0, methods.pop())
        for index, (name, command) in enumerate(methods):
            row = measure(f"m{index}", command, tmp, env)[:4]
            bare_cpu = bare_cpu or row[1]
            show(name, *row)
            if index == 1:  # the Slurm array after the batched GNU parallel
                group = CpuGroup("slurm")
                cluster = OneNodeSlurm(os.path.join(tmp, "cluster"), group)
                try:
                    tasks = (files + per_task - 1) // per_task
                    command = (f"sbatch --parsable --wait --array=0-{tasks - 1} "
                               f"--export=ALL,SONVERA_FORMAT=mp3,SONVERA_FILES_PER_TASK={per_task},"
                               "SONVERA_OUT=out/slurm sonvera-array.sbatch")
                    row = measure("slurm", command, tmp, dict(env, SLURM_CONF=cluster.env["SLURM_CONF"]), group)
                    show(f"Slurm array, {per_task} files a task ({tasks} tasks)", *row[:4])
                finally:
                    cluster.stop()
                    group.close()
        for folder in ("cli", "slurm", "group") + (("file",) if args.unbatched else ()):
            counts = outputs_by_source(os.path.join(tmp, "out", folder))
            if len(counts) != files or set(counts.values()) != {1}:
                sys.exit(f"{folder}: {len(counts)} sources converted, {sum(counts.values())} outputs; expected {files}")


def slurm_3000(args, program, env):
    files, per_task, damaged = 3000, 50, (777, 2500)
    with tempfile.TemporaryDirectory(prefix="sonvera-slurm-3000-") as tmp:
        names = make_batch(tmp, files, damaged)
        group = CpuGroup("slurm")
        cluster = OneNodeSlurm(os.path.join(tmp, "cluster"), group)
        env = dict(env, SLURM_CONF=cluster.env["SLURM_CONF"])
        try:
            limit = cluster.run(["scontrol", "show", "config"]).stdout
            print("MaxArraySize:", re.search(r"MaxArraySize\s*=\s*(\S+)", limit).group(1))
            refused = subprocess.run(["sbatch", "--array=0-2999", "sonvera-array.sbatch"], cwd=tmp, env=env,
                                     capture_output=True, text=True)
            print(f"one task a file (--array=0-2999): exit {refused.returncode}: {refused.stderr.strip()}")
            export = "--export=ALL,SONVERA_FORMAT=mp3,SONVERA_OUT=converted"
            first = (f"n=$(tr -cd '\\0' < files.list | wc -c); K={per_task}; "
                     f"sbatch --parsable --wait --array=0-$(( (n + K - 1) / K - 1 )) "
                     f"{export},SONVERA_FILES_PER_TASK=$K sonvera-array.sbatch || true")
            wall, cpu, before, after, job = measure("first", first, tmp, env, group)
            counts = outputs_by_source(os.path.join(tmp, "converted"))
            print(f"first pass, job {job}: {len(counts)} converted of {files} in {wall:.0f} s "
                  f"({cpu:.0f} s CPU, {1000 * cpu / files:.0f} ms a file; load {before:.1f} → {after:.1f})")
            for i in damaged:
                shutil.copyfile(os.path.join(tmp, "one.flv"), os.path.join(tmp, names[i]))
            again = f"./sonvera-array-resubmit {job} --wait {export}"
            wall, cpu, before, after, job2 = measure("again", again, tmp, env, group)
            with open(os.path.join(tmp, "logs", f"sonvera-{job}.retry.list"), "rb") as f:
                retried = [n.decode() for n in f.read().split(b"\0") if n]
            counts = outputs_by_source(os.path.join(tmp, "converted"))
            print(f"resubmitted as job {job2}: {retried}, in {wall:.0f} s")
            twice = [n for n, c in counts.items() if c != 1]
            print(f"after both: {len(counts)} of {files} sources converted, {sum(counts.values())} outputs, "
                  f"{len(twice)} converted more than once")
            ok = len(counts) == files and not twice and retried == [names[i] for i in damaged]
        finally:
            cluster.stop()
            group.close()
        print("PASS" if ok else "FAIL")
        return 0 if ok else 1


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("case", nargs="?", default="compare", choices=["compare", "slurm-3000"])
    parser.add_argument("--files", type=int, default=2000)
    parser.add_argument("--files-per-task", type=int, default=50)
    parser.add_argument("--unbatched", action="store_true", help="also GNU parallel with one sonvera-cli a file")
    parser.add_argument("--program-dir", default=os.path.join(ROOT, "build", "Sonvera"))
    args = parser.parse_args()
    if os.geteuid() != 0 or not os.path.isdir(CPUACCT):
        sys.exit("needs root and a cgroup v1 cpuacct hierarchy at " + CPUACCT)
    program = os.path.abspath(args.program_dir)
    env = dict(os.environ, PATH=program + os.pathsep + os.environ["PATH"], SONVERA_LANG="en")
    if args.case == "compare":
        compare(args, program, env)
        return 0
    return slurm_3000(args, program, env)


if __name__ == "__main__":
    sys.exit(main())
