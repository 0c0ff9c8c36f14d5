#!/usr/bin/env bash
# Runs fuzzing campaigns and keeps what they learn.
#
#   scripts/fuzz-campaign.sh [-t SECONDS] [-j JOBS] [-b BUILD] [TARGET...]
#
# For each target (all of them when none is named): fuzzes a scratch copy of
# its saved corpus fuzz/corpus/TARGET for SECONDS (1800 by default) under
# AddressSanitizer + UndefinedBehaviorSanitizer, on JOBS cores (1 by
# default), going on past crashes, timeouts and out-of-memory inputs; then
# merges the grown corpus into a fresh folder, keeping only the inputs that
# add coverage, and writes that back into fuzz/corpus/TARGET. Inputs saved
# there under a name of their own (made seeds, regression inputs) are always
# kept; those named by their SHA-1, as the fuzzer names them, are replaced by
# what the merge adds to the named ones. Findings
# (crash-*, timeout-*, oom-*, slow-unit-*) and the logs are kept in
# BUILD/fuzz-campaign/TARGET. One line per target tells the result:
#   TARGET runs N seconds S crashes C corpus F files (B bytes)
#
# BUILD (build-fuzz by default) is configured here when it does not exist,
# as CI's sanitizer build plus coverage in every library the targets link.
# FUZZ_TIMEOUT (seconds one input may take, 5 by default) and FUZZ_RSS_MB
# (2048) tune the limits; a slower input is a finding.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

seconds=1800
jobs=1
build=build-fuzz
while getopts "t:j:b:h" opt; do
  case $opt in
    t) seconds=$OPTARG ;;
    j) jobs=$OPTARG ;;
    b) build=$OPTARG ;;
    *) sed -n '2,22p' "$0"; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
timeout_s=${FUZZ_TIMEOUT:-5}
rss_mb=${FUZZ_RSS_MB:-2048}

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  mapfile -t targets < <(sed -n 's/^kinora_fuzz(NAME \([a-z_]*\).*/\1/p' fuzz/CMakeLists.txt)
fi

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS_DEBUG="-gline-tables-only" -DCMAKE_C_FLAGS_DEBUG="-gline-tables-only" \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DKINORA_SANITIZE=ON -DKINORA_FUZZ=ON -DKINORA_FUZZ_COVERAGE=ON \
    -DKINORA_BENCH=OFF -DKINORA_WERROR=ON >/dev/null
fi
cmake --build "$build" -j"$jobs" --target "${targets[@]}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# Counts and sizes the files of a folder: "F files (B bytes)".
corpus_size() {
  local files bytes
  files=$(find "$1" -maxdepth 1 -type f | wc -l)
  bytes=$(find "$1" -maxdepth 1 -type f -printf '%s\n' | awk '{s += $1} END {print s + 0}')
  echo "$files files ($bytes bytes)"
}

status=0
for target in "${targets[@]}"; do
  fuzzer=$root/$build/fuzz/$target
  saved=$root/fuzz/corpus/$target
  work=$root/$build/fuzz-campaign/$target
  rm -rf "$work/corpus" "$work/merged"
  mkdir -p "$work/corpus" "$work/merged" "$work/findings" "$saved"
  cp -r "$saved/." "$work/corpus/"
  before=$(corpus_size "$saved")
  found_before=$(find "$work/findings" -maxdepth 1 -type f | wc -l)

  # Fork mode: the workers fuzz in turns of the whole run and their new
  # inputs are merged back as they finish; a crash ends only its worker.
  log=$work/fuzz.log
  start=$(date +%s)
  (cd "$work" && nice -n 5 "$fuzzer" -fork="$jobs" -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
      -max_total_time="$seconds" -timeout="$timeout_s" -rss_limit_mb="$rss_mb" \
      -artifact_prefix="$work/findings/" -print_final_stats=1 corpus) >"$log" 2>&1 || true
  elapsed=$(( $(date +%s) - start ))
  # Fork mode reports the runs of all workers so far on each status line.
  runs=$(sed -n 's/^#\([0-9]*\):.*/\1/p' "$log" | tail -1)
  findings=$(( $(find "$work/findings" -maxdepth 1 -type f | wc -l) - found_before ))

  # Minimise: the fresh folder starts with the named inputs and takes only
  # the inputs that add coverage to them.
  find "$saved" -maxdepth 1 -type f -regextype egrep ! -regex '.*/[0-9a-f]{40}' -exec cp {} "$work/merged/" \;
  (cd "$work" && "$fuzzer" -merge=1 -timeout="$timeout_s" -rss_limit_mb="$rss_mb" merged corpus) \
    >"$work/merge.log" 2>&1 || { echo "$target: merge failed, corpus kept as it was (see $work/merge.log)"; status=1; continue; }
  find "$saved" -maxdepth 1 -type f -regextype egrep -regex '.*/[0-9a-f]{40}' -delete
  find "$work/merged" -maxdepth 1 -type f -regextype egrep -regex '.*/[0-9a-f]{40}' -exec cp {} "$saved/" \;
  echo "$target runs ${runs:-0} seconds $elapsed crashes $findings corpus $(corpus_size "$saved") was $before"
done
exit $status
