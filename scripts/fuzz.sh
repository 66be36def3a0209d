#!/usr/bin/env bash
# Runs every fuzz target for the given number of seconds on its seed corpus, or only the
# targets named after the two arguments (scripts/fuzz.sh DIR SECONDS picture pixpak).
# A target that finds something does not stop the others: each one's result is reported
# at the end, and the script fails when any target found something.
set -uo pipefail
dir=$1; seconds=$2; shift 2
wanted=("$@")
results=()
failed=0
for bin in "$dir"/fuzz/fuzz_*; do
  name=$(basename "$bin"); name=${name#fuzz_}
  if [ ${#wanted[@]} -gt 0 ] && [[ ! " ${wanted[*]} " == *" $name "* ]]; then continue; fi
  seeds=fuzz/corpus/$name
  work=fuzz/corpus-work/$name
  log=fuzz/artifacts/$name.log
  mkdir -p "$work" fuzz/artifacts
  echo "== $name for ${seconds}s"
  "$bin" -max_total_time="$seconds" -artifact_prefix="fuzz/artifacts/$name-" -print_final_stats=1 \
    "$work" $( [ -d "$seeds" ] && echo "$seeds" ) >"$log" 2>&1
  status=$?
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1)
  if [ $status -eq 0 ]; then
    results+=("$name: clean, ${runs:-?} runs in ${seconds}s")
  else
    failed=1
    results+=("$name: FOUND something (exit $status), see $log and fuzz/artifacts/$name-*")
  fi
  echo "${results[-1]}"
done
echo "== summary"
printf '%s\n' "${results[@]}"
exit $failed
