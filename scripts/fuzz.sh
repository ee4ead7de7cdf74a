#!/usr/bin/env bash
# A fuzzing campaign whose gains are kept: runs fuzz targets of the fuzz build for a while,
# two at a time, then merges what they found into their committed corpora
# (fuzz/corpus/<name>/, minimised with libFuzzer's -merge=1: only inputs that add coverage
# join, the committed inputs all stay) and prints, per target, the runs, the coverage of
# the committed corpus before and after, the corpus size and any finding.
#
# Usage: scripts/fuzz.sh [TARGET...] [--minutes N]
#   TARGET   a fuzz target, with or without its fuzz_ prefix (png, fuzz_png); default: every
#            fuzz_* target of the build
#   N        minutes per target (default 5)
# Background work: run it as `nice -n 19 scripts/fuzz.sh ...` on a shared machine.
#
# Environment: ZORBEL_FUZZ_BUILD  the fuzz build folder (default build/fuzz; the fuzz preset
#                                  is configured and built there when it is the default)
#              ZORBEL_FUZZ_CAP_KB  the size cap of a target's corpus in KiB (default 2048);
#                                  above it the largest newly merged inputs are dropped first
#
# Each target's runs are added to fuzz/runs.tsv (committed with the corpora), and the table
# ends with every target's runs since its corpus began.
#
# A finding (crash, leak, timeout, out of memory) is kept under fuzz/findings/<name>/, which
# is not committed; each is replayed once to name its cause. The campaign's working corpus
# and logs are under <build>/campaign/<name>/.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD

minutes=5
wanted=()
while [ $# -gt 0 ]; do
  case $1 in
    --minutes) minutes=${2:?--minutes needs a number}; shift 2 ;;
    --minutes=*) minutes=${1#--minutes=}; shift ;;
    -h | --help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    -*) echo "fuzz.sh: unknown option $1" >&2; exit 2 ;;
    *) wanted+=("fuzz_${1#fuzz_}"); shift ;;
  esac
done
[[ $minutes =~ ^[0-9]+([.][0-9]+)?$ ]] || { echo "fuzz.sh: --minutes takes a number, not '$minutes'" >&2; exit 2; }
seconds=$(awk -v m="$minutes" 'BEGIN { s = int(m * 60 + 0.5); print (s < 1 ? 1 : s) }')
cap_bytes=$((${ZORBEL_FUZZ_CAP_KB:-2048} * 1024))

build=${ZORBEL_FUZZ_BUILD:-build/fuzz}
if [ -z "${ZORBEL_FUZZ_BUILD:-}" ]; then
  [ -f "$build/CMakeCache.txt" ] || cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz -j 2 >"${TMPDIR:-/tmp}/zorbel-fuzz-build.$$.log" 2>&1 || {
    tail -30 "${TMPDIR:-/tmp}/zorbel-fuzz-build.$$.log"; exit 1; }
  rm -f "${TMPDIR:-/tmp}/zorbel-fuzz-build.$$.log"
fi
build=$(cd "$build" && pwd)

shopt -s nullglob
if [ ${#wanted[@]} -eq 0 ]; then
  for binary in "$build"/fuzz/fuzz_*; do
    [ -x "$binary" ] && wanted+=("$(basename "$binary")")
  done
  for corpus in fuzz/corpus/*/; do
    name=fuzz_$(basename "$corpus")
    [ -x "$build/fuzz/$name" ] || echo "note: fuzz/corpus/${name#fuzz_} has no target $name in $build/fuzz"
  done
fi
[ ${#wanted[@]} -gt 0 ] || { echo "fuzz.sh: no fuzz targets in $build/fuzz" >&2; exit 1; }
for name in "${wanted[@]}"; do
  [ -x "$build/fuzz/$name" ] || { echo "fuzz.sh: no target $name in $build/fuzz" >&2; exit 2; }
done

# Libfuzzer's own flags for every run: a slow or greedy input is a finding, not a hang.
limits=(-timeout=25 -rss_limit_mb=2048)

# coverage BINARY DIR: "edges features" of running every input of DIR once ("- -" when the
# replay itself fails).
coverage() {
  local line
  line=$("$1" -runs=0 "${limits[@]}" "$2" 2>&1 | grep -E '^#[0-9]+[[:space:]]+INITED' | tail -1) || true
  if [[ $line =~ cov:\ ([0-9]+)\ ft:\ ([0-9]+) ]]; then
    echo "${BASH_REMATCH[1]} ${BASH_REMATCH[2]}"
  else
    echo "- -"
  fi
}

# finding_cause BINARY INPUT: one line naming what the input does to the target.
finding_cause() {
  local log cause frame
  log=$("$1" "${limits[@]}" "$2" 2>&1) || true
  cause=$(grep -m1 -E '^SUMMARY: |differs from the model' <<<"$log" | sed "s/^SUMMARY: //; s|$repo/||g; s|[^ ]*/\\.\\./\\.\\./||g") || true
  frame=$(grep -E '^ +#[0-9]+ 0x[0-9a-f]+ in ' <<<"$log" | grep -E "$repo/[^ ]*\.(cpp|h):[0-9]+" |
    grep -vF 'fuzz/fuzz_input.h' |
    head -1 | sed -E 's/^ +#[0-9]+ 0x[0-9a-f]+ in //; s|[^ ]*/\.\./\.\./||; s|'"$repo"'/||; s/^([^(]*)\(.*\) ([^ ]+)$/\1 \2/') || true
  [ -n "$cause" ] || cause="does not fail when replayed alone"
  echo "${cause%% in *}${frame:+ at $frame}" | cut -c1-200
}

corpus_size() { # DIR: "files bytes"
  local files=0 bytes=0 size
  for file in "$1"/*; do
    [ -f "$file" ] || continue
    size=$(stat -c %s "$file")
    files=$((files + 1)); bytes=$((bytes + size))
  done
  echo "$files $bytes"
}

# campaign NAME: fuzzes one target, merges, writes its summary line to <work>/summary.
campaign() {
  local name=$1 binary=$build/fuzz/$1 short=${1#fuzz_}
  local corpus=$repo/fuzz/corpus/$short findings=$repo/fuzz/findings/$short
  local work=$build/campaign/$short file
  rm -rf "$work"
  mkdir -p "$work/corpus" "$work/artifacts" "$corpus"
  cp "$corpus"/. "$work/corpus"/ -r 2>/dev/null || true
  read -r cov_before ft_before < <(coverage "$binary" "$corpus")
  # A committed input that fails is a finding too (a regression): each is found by running
  # the inputs one by one, and reported with the campaign's.
  if [ "$cov_before" = - ]; then
    for file in "$corpus"/*; do
      "$binary" "${limits[@]}" "$file" >/dev/null 2>&1 || cp "$file" "$work/artifacts/committed-$(basename "$file")"
    done
  fi

  # Fork mode carries on past a crash, so one shallow fault does not end the campaign. Its
  # jobs' folders, and the input files a crashed job leaves, stay in the campaign's folder.
  mkdir -p "$work/tmp"
  TMPDIR=$work/tmp "$binary" "$work/corpus" -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
    -max_total_time="$seconds" "${limits[@]}" -artifact_prefix="$work/artifacts/" \
    >"$work/campaign.log" 2>&1 || true
  local runs
  runs=$(grep -Eo '^#[0-9]+' "$work/campaign.log" | tail -1 | tr -d '#') || true

  # Merge: inputs of the campaign that add coverage to the committed corpus join it.
  local before_list
  before_list=$(cd "$corpus" && ls -A)
  "$binary" -merge=1 "${limits[@]}" "$corpus" "$work/corpus" >"$work/merge.log" 2>&1 || {
    echo "$name: the merge failed; see $work/merge.log" >"$work/merge.failed"; }
  # The cap: newly merged inputs go, largest first, while the corpus is over it.
  local added=0 dropped=0 total
  total=$(corpus_size "$corpus" | cut -d' ' -f2)
  while IFS= read -r file; do
    [ -n "$file" ] || continue
    if [ "$total" -gt "$cap_bytes" ]; then
      total=$((total - $(stat -c %s "$corpus/$file")))
      rm -f "$corpus/$file"
      dropped=$((dropped + 1))
    else
      added=$((added + 1))
    fi
  done < <(cd "$corpus" && ls -A | grep -vxF -f <(printf '%s\n' "$before_list") |
    while IFS= read -r f; do echo "$(stat -c %s "$f") $f"; done | sort -rn | cut -d' ' -f2-)
  read -r cov_after ft_after < <(coverage "$binary" "$corpus")
  read -r files bytes < <(corpus_size "$corpus")

  # Findings: each artifact replayed once for its cause (the sanitizer's summary and the
  # first frame in the project); the smallest input of each cause is kept in fuzz/findings/.
  local count=0 artifact cause
  local -A smallest=() times=()
  for artifact in "$work/artifacts"/*; do
    [ -f "$artifact" ] || continue
    cause=$(finding_cause "$binary" "$artifact")
    times[$cause]=$((${times[$cause]:-0} + 1))
    if [ -z "${smallest[$cause]:-}" ] ||
      [ "$(stat -c %s "$artifact")" -lt "$(stat -c %s "${smallest[$cause]}")" ]; then
      smallest[$cause]=$artifact
    fi
  done
  : >"$work/findings"
  for cause in "${!smallest[@]}"; do
    mkdir -p "$findings"
    cp "${smallest[$cause]}" "$findings/"
    echo "  finding: fuzz/findings/$short/$(basename "${smallest[$cause]}") (${times[$cause]} input(s)): $cause" >>"$work/findings"
    count=$((count + 1))
  done
  printf '%-18s %12s %7s -> %-7s %7s -> %-7s %6s %9s %+6d %6d %8s\n' "$short" "${runs:-?}" \
    "$cov_before" "$cov_after" "$ft_before" "$ft_after" "$files" "$bytes" "$added" "$dropped" \
    "$count" >"$work/summary"
}

echo "fuzzing ${#wanted[@]} target(s) for $seconds s each, two at a time (logs: $build/campaign/)"
for name in "${wanted[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge 2 ]; do wait -n || true; done
  echo "  started $name"
  campaign "$name" &
done
wait

echo
printf '%-18s %12s %18s %18s %6s %9s %6s %6s %8s\n' target runs "edges (cov)" "features (ft)" \
  files bytes added capped findings
status=0
ledger=$repo/fuzz/runs.tsv
for name in "${wanted[@]}"; do
  work=$build/campaign/${name#fuzz_}
  if [ -f "$work/summary" ]; then cat "$work/summary"; else echo "${name#fuzz_}: no summary"; status=1; fi
  runs=$(awk '{print $2}' "$work/summary" 2>/dev/null)
  [[ $runs =~ ^[0-9]+$ ]] && printf '%s\t%s\t%s\t%s\tcampaign\n' "$(date -u +%F)" "${name#fuzz_}" \
    "$seconds" "$runs" >>"$ledger"
  [ -f "$work/merge.failed" ] && { cat "$work/merge.failed"; status=1; }
  if [ -s "$work/findings" ]; then cat "$work/findings"; status=1; fi
done

echo
echo "runs since each corpus began (fuzz/runs.tsv):"
awk -F'\t' '!/^#/ && NR > 1 && $2 != "target" { runs[$2] += $4; count[$2]++ }
  END { for (t in runs) printf "  %-18s %12d in %d campaigns\n", t, runs[t], count[t] }' "$ledger" | sort
exit $status
