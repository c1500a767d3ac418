#!/usr/bin/env bash
# Fuzzes one target with afl-fuzz on one core for a while, then minimises what it found
# into the target's corpus and prints the figures of the run.
#
#   fuzz/afl_run.sh TARGET SECONDS [BUILD_FOLDER]
#
# With AFL_RUN_EXECS=N the search ends after about N executions, or after SECONDS if that
# comes first.
#
# The target must be built in BUILD_FOLDER (default build/afl, see README.md). The search
# starts from fuzz/corpus/TARGET and keeps its state in BUILD_FOLDER/afl-out/TARGET; the
# minimised queue replaces the corpus (check it with git diff, commit what is worth keeping).
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:?usage: fuzz/afl_run.sh TARGET SECONDS [BUILD_FOLDER]}
seconds=${2:?usage: fuzz/afl_run.sh TARGET SECONDS [BUILD_FOLDER]}
build=${3:-build/afl}
program=$build/bin/${target}_afl
corpus=fuzz/corpus/$target
out=$build/afl-out/$target

# One process, on whichever core is free: the machine is shared with builds.
export AFL_NO_AFFINITY=1 AFL_SKIP_CPUFREQ=1 AFL_NO_UI=1 AFL_I_DONT_CARE_ABOUT_MISSING_CRASHES=1
# books_file writes a books file, its report and settings for every input into a scratch
# folder under TMPDIR, and syncs them: on a memory file system it searches about twice as
# fast as on a disk. A TMPDIR given is kept.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
  TMPDIR=$(mktemp -d /dev/shm/vintor-fuzz.XXXXXX)
  export TMPDIR
  trap 'rm -rf "$TMPDIR"' EXIT
fi
rm -rf "$out"
mkdir -p "$out"
# -m none: the address sanitizer reserves far more address space than it uses.
limits=(-V "$seconds")
[ -n "${AFL_RUN_EXECS:-}" ] && limits+=(-E "$AFL_RUN_EXECS")
afl-fuzz -i "$corpus" -o "$out" -m none -t 2000 "${limits[@]}" -- "$program" >"$out.log" 2>&1 || {
  tail -20 "$out.log" >&2
  exit 1
}

stats=$out/default/fuzzer_stats
value() { sed -n "s/^$1 *: *//p" "$stats"; }
echo "$target: $(value execs_done) executions, $(value execs_per_sec) per second," \
     "$(value edges_found) edges, bitmap $(value bitmap_cvg)," \
     "$(value saved_crashes) crashes, $(value saved_hangs) hangs"

# The queue, reduced to the inputs that still add coverage, becomes the corpus. The seeds
# keep their names; what the search found is named by its contents (AFL++'s names hold
# colons, and a name of its contents stays the same from one run to the next).
minimised=$out/minimised
AFL_QUIET=1 afl-cmin -i "$out/default/queue" -o "$minimised" -m none -t 2000 -- "$program" \
  >"$out.cmin.log" 2>&1
rm -rf "$corpus"
mkdir -p "$corpus"
index=0
for input in "$minimised"/*; do
  name=$(basename "$input")
  case $name in
    *,orig:*) cp "$input" "$corpus/${name##*,orig:}" ;;
    *) cp "$input" "$corpus/found-$(sha1sum "$input" | cut -c1-12)" ;;
  esac
  index=$((index + 1))
done
echo "$target: corpus of $index inputs, $(du -sk "$corpus" | cut -f1) KB"
