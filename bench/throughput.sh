#!/usr/bin/env bash
# Whole-program throughput of a long analysis sweep, against the floor of its writes alone.
#
# Runs zavolt on a scripted session whose one frequency sweep has 1,000,000 points, report file on
# disk, console to /dev/null, and zavolt_write_floor, which writes the same 2,000,000 records with
# one write() each and computes nothing, then zavolt again on a sweep of 100,000 points, to show
# that peak memory does not grow with the sweep. The three alternate, ROUNDS times in one run (3),
# each timed as a whole process by GNU time, so that all see the same load of the machine; each
# round gives one ratio of wall times, and the median is the figure. Last, the per-row costs of
# the microbenchmarks split one row's time into compute, formatting and writes.
#
# Usage: bench/throughput.sh [BUILD_DIR]   (default build/bench, from `cmake --workflow --preset bench`)
# Needs GNU time at /usr/bin/time (Debian package `time`). ROUNDS=n sets the rounds (odd, 3).
set -euo pipefail
shopt -s inherit_errexit

build=$(cd "${1:-build/bench}" && pwd)
rounds=${ROUNDS:-3}
zavolt=$build/zavolt
floor=$build/bench/zavolt_write_floor
bench=$build/bench/zavolt_bench
for program in "$zavolt" "$floor" "$bench"; do
  [ -x "$program" ] || { echo "no $program: build with cmake --workflow --preset bench" >&2; exit 1; }
done
[ -x /usr/bin/time ] || { echo "GNU time is missing: apt-get install time" >&2; exit 1; }
[ $((rounds % 2)) -eq 1 ] || { echo "ROUNDS must be odd, for a median" >&2; exit 1; }

# The scratch folder is in the build tree, so the report goes to disk, not to a memory file system.
scratch=$(mktemp -d "$build/throughput.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# Answers: inches; a design whose phase sweep (1 to 0 by 0.1) has no rows; a 3 in x 15 in horn;
# one frequency sweep from 8 GHz, then zeros back out to the end. By the sweep rule,
# trunc((stop - start) / step + 1.4) = trunc(999999.05 + 1.4) = 1,000,000 points for the first,
# 100,000 for the second; the row count of the report is checked below all the same.
session() {
  printf 'report.txt\n2\n10 20\n1 0 0.1\n3 15\n%s\n0 0 0\n0 0\n0 0 0\n0 0\n' "$1"
}

# Runs "$@" once under GNU time, standard input from the file $input (/dev/null when unset);
# prints "wall user sys peak_rss_kib".
timed() {
  /usr/bin/time -f '%e %U %S %M' -o "$scratch/time" "$@" < "${input:-/dev/null}" > /dev/null ||
    { echo "$* failed" >&2; exit 1; }
  tail -n 1 "$scratch/time"
}

run_zavolt() {  # points, sweep answer
  session "$2" > "$scratch/answers"
  (cd "$scratch" && input=answers timed "$zavolt")
  local rows
  rows=$(grep -cE '^ +[0-9]+\.[0-9]{3} +[-0-9.]+ +[0-9.]+ +[0-9.]+'$'\r''$' "$scratch/report.txt")
  [ "$rows" -eq "$1" ] || { echo "expected $1 rows, the report has $rows" >&2; exit 1; }
  rm "$scratch/report.txt"
}

row() {  # label, points, "wall user sys rss"
  read -r wall user sys rss <<< "$3"
  awk -v l="$1" -v n="$2" -v w="$wall" -v u="$user" -v s="$sys" -v r="$rss" \
    'BEGIN { printf "%-22s %9d %8.2f %8.2f %8.2f %12d %12.0f\n", l, n, w, u, s, r, n / w }'
}

printf '%-22s %9s %8s %8s %8s %12s %12s\n' run points 'wall s' 'user s' 'sys s' 'peak RSS KiB' 'rows/s'
ratios=()
cpu_ratios=()
walls_z=()
walls_f=()
rss_1m=()
rss_100k=()
for ((round = 1; round <= rounds; ++round)); do
  z=$(run_zavolt 1000000 '8 11.999996 0.000004')
  f=$(timed "$floor" 1000000 "$scratch/floor.txt" /dev/null)
  small=$(run_zavolt 100000 '8 11.99996 0.00004')
  row "zavolt, round $round" 1000000 "$z"
  row "write floor, round $round" 1000000 "$f"
  row "zavolt, round $round" 100000 "$small"
  ratios+=("$(awk -v z="${z%% *}" -v f="${f%% *}" 'BEGIN { printf "%.3f", z / f }')")
  # Processor time (user + sys) as well: unlike wall time, it does not count waiting for a core
  # that another process holds.
  cpu_ratios+=("$(awk -v z="$z" -v f="$f" 'BEGIN { split(z, a, " "); split(f, b, " ");
                                                   printf "%.3f", (a[2] + a[3]) / (b[2] + b[3]) }')")
  walls_z+=("${z%% *}")
  walls_f+=("${f%% *}")
  rss_1m+=("${z##* }")
  rss_100k+=("${small##* }")
done

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[(NR + 1) / 2] }'; }
printf '\nzavolt / floor (wall, 1,000,000 points): %s, median %s\n' "${ratios[*]}" "$(median "${ratios[@]}")"
printf 'zavolt / floor (user + sys, 1,000,000 points): %s, median %s\n' "${cpu_ratios[*]}" \
  "$(median "${cpu_ratios[@]}")"
awk -v big="$(median "${rss_1m[@]}")" -v small="$(median "${rss_100k[@]}")" \
  'BEGIN { printf "peak RSS (median), 1,000,000 against 100,000 points: %d KiB / %d KiB = %.3f\n", big, small, big / small }'

# Peak RSS varies by some 5 % between runs of one and the same sweep: it counts the pages of the
# shared libraries that the kernel maps around each fault, as many as the page cache holds at the
# time. The program's own memory is its anonymous memory (heap, stack), sampled here from
# /proc/PID/status every 20 ms over one more run of each length.
peak_anonymous() {  # sweep answer
  session "$1" > "$scratch/answers"
  (cd "$scratch" && exec "$zavolt" < answers > /dev/null) &
  local pid=$! peak=0 kib
  while kill -0 "$pid" 2> /dev/null; do
    kib=$(awk '$1 == "RssAnon:" { print $2 }' "/proc/$pid/status" 2> /dev/null || true)
    [ -n "$kib" ] && [ "$kib" -gt "$peak" ] && peak=$kib
    sleep 0.02
  done
  wait "$pid"
  rm "$scratch/report.txt"
  echo "$peak"
}
anon_1m=$(peak_anonymous '8 11.999996 0.000004')
anon_100k=$(peak_anonymous '8 11.99996 0.00004')
awk -v big="$anon_1m" -v small="$anon_100k" \
  'BEGIN { printf "peak anonymous memory, 1,000,000 against 100,000 points: %d KiB / %d KiB = %.3f\n",
           big, small, big / small }'

# Per row: compute = AnalysisRow (gain and beamwidths), formatting = one FormatAnalysisRow (the
# record is formatted once for the report file and the console), writes = the floor's wall time
# per point (two write() calls); whole and writes are the medians of the rounds.
"$bench" --benchmark_filter='^(AnalysisRow|FormatAnalysisRow)$' --benchmark_min_time=1 \
  --benchmark_format=csv 2> /dev/null > "$scratch/micro.csv"
awk -F, -v z="$(median "${walls_z[@]}")" -v f="$(median "${walls_f[@]}")" '
  $1 == "\"AnalysisRow\"" { compute = $4 }
  $1 == "\"FormatAnalysisRow\"" { format = $4 }
  END {
    total = z * 1000; writes = f * 1000  # ns per point over 1,000,000 points
    printf "\nper row (ns): whole %.0f = compute %.0f + formatting %.0f + writes %.0f + other %.0f\n",
      total, compute, format, writes, total - compute - format - writes
  }' "$scratch/micro.csv"
