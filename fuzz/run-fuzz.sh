#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for the given time, one after the other (one process:
# the build machines are shared). New inputs go to <build>/corpus/<target>, findings to
# <build>/artifacts; the seeds in fuzz/corpus stay as they are. Prints one summary line per
# target and fails when any target found something.
#   fuzz/run-fuzz.sh <build folder> <seconds per target> [target...]
set -uo pipefail
cd "$(dirname "$0")/.."

build=${1:?build folder}
seconds=${2:-60}
shift 2 || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(record_line reply_grammar packet_link project_file sensors_dat profile net_config
        graph_script)
fi

mkdir -p "$build/artifacts" "$build/logs"
failed=()
for target in "${targets[@]}"; do
    program="$build/fuzz/fuzz-$target"
    corpus="$build/corpus/$target"
    mkdir -p "$corpus"
    options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
             -artifact_prefix="$build/artifacts/$target-")
    case $target in
        project_file) options+=(-max_len=16384) ;;
        *) options+=(-max_len=4096) ;;
    esac
    if [ -f "fuzz/dict/$target.dict" ]; then options+=(-dict="fuzz/dict/$target.dict"); fi
    log="$build/logs/$target.log"
    "$program" "${options[@]}" "$corpus" "fuzz/corpus/$target" > "$log" 2>&1
    status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
    coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -1)
    printf '%-14s %4ss  runs %-10s exec/s %-8s %s  %s\n' "$target" "$seconds" "${runs:-?}" \
        "${speed:-?}" "${coverage:-}" "$([ $status -eq 0 ] && echo ok || echo "FOUND (see $log)")"
    [ $status -eq 0 ] || failed+=("$target")
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "findings in: ${failed[*]} (inputs in $build/artifacts)"
    exit 1
fi
