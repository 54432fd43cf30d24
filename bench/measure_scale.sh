#!/usr/bin/env bash
# Cost against size: generates help sets of 20 000, 200 000 and 700 000 articles (or the
# counts given) under a scratch folder and prints, for each, the time of `mirelda-tool info`,
# the viewer's first article and peak memory (after its tree has loaded), the time of
# `mirelda-tool search WORD` next to `grep -ci WORD BASE.PGD` and `rg -c -i -a WORD BASE.PGD`
# run on the same file in the same run (page cache warm, the three in turn, median of RUNS
# rounds), and the title filter's slowest keystroke (bench/title_filter_keystrokes). The
# 700 000-article set is about 3.8 GB.
#
#   bench/measure_scale.sh [-r RUNS] [-d SCRATCH_DIR] [-w WORD] [-k] [-s] [COUNT...]
#     -k keeps the generated sets (they are deleted at the end otherwise)
#     -s searches only: no viewer start-up columns, and no configure or build when
#        MIRELDA_BENCH_BUILD names a tree that has mirelda-tool and the bench programs
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="${MIRELDA_BENCH_BUILD:-$top/build/bench-scale}"  # MIRELDA_BENCH_BUILD: an existing Release build
runs=3
scratch="${TMPDIR:-/tmp}/mirelda-scale"
word=xylographie
keep=0
searchOnly=0
while getopts "r:d:w:ks" opt; do
    case $opt in
        r) runs=$OPTARG ;;
        d) scratch=$OPTARG ;;
        w) word=$OPTARG ;;
        k) keep=1 ;;
        s) searchOnly=1 ;;
        *) exit 2 ;;
    esac
done
shift $((OPTIND - 1))
counts=("$@")
[[ ${#counts[@]} -gt 0 ]] || counts=(20000 200000 700000)

if [[ $searchOnly == 0 || -z ${MIRELDA_BENCH_BUILD:-} ]]; then
    cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMIRELDA_BUILD_BENCH=ON \
        -DMIRELDA_BUILD_TESTS=OFF >/dev/null
    targets=(mirelda-tool generate_help_set title_filter_keystrokes)
    [[ $searchOnly == 1 ]] || targets+=(mirelda)
    ninja -C "$build" -j2 "${targets[@]}" | tail -n 1
fi
mkdir -p "$scratch"

# Median wall time of each command, in seconds, their output read and dropped; the commands are
# given separated by "--" and run in turn, RUNS rounds, so that a change of the machine's load
# during the measure weighs on each alike. Prints the medians on one line.
median_times() {
    python3 - "$runs" "$@" <<'PY'
import statistics, subprocess, sys, time
runs = int(sys.argv[1])
commands, current = [], []
for arg in sys.argv[2:] + ["--"]:
    if arg == "--":
        commands.append(current)
        current = []
    else:
        current.append(arg)
times = [[] for _ in commands]
for _ in range(runs):
    for command, measured in zip(commands, times):
        start = time.monotonic()
        # Output to a pipe, not /dev/null: grep stops at the first match when it sees /dev/null.
        subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        measured.append(time.monotonic() - start)
print(" ".join(f"{statistics.median(t):.4f}" for t in times))
PY
}

rows=()
for count in "${counts[@]}"; do
    base="$scratch/SCALE$count"
    if [[ ! -f "$base.PGD" || "$build/bench/generate_help_set" -nt "$base.PGD" ]]; then
        echo "generating $count articles in $base..."
        "$build/bench/generate_help_set" "$base" "$count" >/dev/null
    fi
    size=$(stat -L -c %s "$base.PGD")
    cat "$base".* >/dev/null  # into the page cache
    info=$(median_times "$build/mirelda-tool" info "$base")
    shown=-; peak=-
    if [[ $searchOnly == 0 ]]; then
        viewer=$(python3 "$top/bench/measure_startup.py" --runs "$runs" --settle 5 --label "$count" \
            "$build/mirelda" "/D:$base" | tail -n 1)
        shown=$(sed -E 's/.*first article shown ([0-9.]+) ms.*/\1/' <<<"$viewer")
        peak=$(sed -E 's/.*VmHWM ([0-9.]+) MiB.*/\1/' <<<"$viewer")
    fi
    read -r search grep_time rg_time < <(median_times "$build/mirelda-tool" search "$base" "$word" -- \
        grep -ci "$word" "$base.PGD" -- rg -c -i -a "$word" "$base.PGD")
    keystroke=$("$build/bench/title_filter_keystrokes" "$base" |
        sed -nE 's/^slowest keystroke: ([0-9.]+) ms \(processor time ([0-9.]+) ms\)/\1 ms (processor \2)/p')
    rows+=("$(printf '| %s (%s MB) | %s s | %s ms | %s MiB | %s s | %s s | %s s | %.2f× | %s |' "$count" \
        "$((size / 1000000))" "$info" "$shown" "$peak" "$search" "$grep_time" "$rg_time" \
        "$(python3 -c "print($search / max($rg_time, 0.001))")" "$keystroke")")
    [[ $keep == 1 ]] || rm -f "$base".PGH "$base".PGD "$base".PGL "$base".FIC "$base".SIG "$base".NOT "$base".NO\$
done

echo
echo "| articles (.PGD size) | \`info\` | first article shown | peak memory | \`search $word\` | \`grep -ci\` | \`rg -c -i -a\` | search / rg | title filter, slowest keystroke (processor time) |"
echo "|---|---|---|---|---|---|---|---|---|"
printf '%s\n' "${rows[@]}"
