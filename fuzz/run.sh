#!/usr/bin/env bash
# Runs every fuzz target for SECONDS seconds, one after another, each from its
# committed seeds (fuzz/corpus/<target>/) plus what earlier runs on this
# machine found (<build>/corpus/<target>/, the only corpus folder written to).
# Prints the inputs each target ran; a crash, a sanitizer report, a broken
# promise, a hang (-timeout) or runaway memory (-rss_limit_mb) fails the run
# and leaves the input in <build>/findings/.
#
#   fuzz/run.sh <fuzz build folder> <seconds> [target...]
set -euo pipefail

build=${1:?usage: fuzz/run.sh <fuzz build folder> <seconds> [target...]}
seconds=${2:?usage: fuzz/run.sh <fuzz build folder> <seconds> [target...]}
shift 2
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$build" && pwd)

targets=("$@")
if [[ ${#targets[@]} -eq 0 ]]; then
  for source in "$here"/fuzz_*.cpp; do
    name=$(basename "$source" .cpp)
    targets+=("${name#fuzz_}")
  done
fi

# Allocation stacks two frames deep: most of the time of a reader that
# allocates per line goes to recording whole stacks. To see a finding's full
# stacks, run its target on it directly (see the README).
export ASAN_OPTIONS="malloc_context_size=2${ASAN_OPTIONS:+:$ASAN_OPTIONS}"

# The settings targets write scratch files: in memory when the machine allows.
scratch=$(mktemp -d /dev/shm/sonvera-fuzz.XXXXXX 2>/dev/null || mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$build/findings" "$build/logs"

failed=()
for target in "${targets[@]}"; do
  mkdir -p "$build/corpus/$target"
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
           -artifact_prefix="$build/findings/$target-")
  [[ -f "$here/dict/$target.dict" ]] && options+=(-dict="$here/dict/$target.dict")
  log="$build/logs/$target.log"
  if TMPDIR="$scratch" "$build/fuzz/fuzz_$target" "${options[@]}" \
       "$build/corpus/$target" "$here/corpus/$target" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    printf '%-16s %9s inputs in %ss, clean\n' "$target" "$runs" "$seconds"
  else
    printf '%-16s FAILED; the log is %s:\n' "$target" "$log"
    grep -E -A12 '^(==[0-9]+==ERROR|broken promise|SUMMARY|.*runtime error)' "$log" | head -40 || tail -20 "$log"
    failed+=("$target")
  fi
done

if [[ ${#failed[@]} -gt 0 ]]; then
  echo "fuzzing found faults in: ${failed[*]} (inputs in $build/findings/)" >&2
  exit 1
fi
