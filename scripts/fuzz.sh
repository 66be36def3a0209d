#!/usr/bin/env bash
# Runs every fuzz target for the given number of seconds on its seed corpus.
set -euo pipefail
dir=$1; seconds=$2
for bin in "$dir"/fuzz/fuzz_*; do
  name=$(basename "$bin"); name=${name#fuzz_}
  seeds=fuzz/corpus/$name
  work=fuzz/corpus-work/$name
  mkdir -p "$work" fuzz/artifacts
  echo "== $name for ${seconds}s"
  "$bin" -max_total_time="$seconds" -artifact_prefix=fuzz/artifacts/ -print_final_stats=1 "$work" $( [ -d "$seeds" ] && echo "$seeds" )
done
