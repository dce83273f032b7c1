#!/bin/sh
# Builds the libFuzzer targets (i386, AddressSanitizer + UndefinedBehaviorSanitizer without
# recovery) and runs one or all of them for a given time each, one after another. Each run
# starts from the target's corpus, stops after SECONDS or RUNS executions (whichever comes
# first), merges into the corpus only the inputs that add coverage (-merge=1) and copies
# every crash, leak or timeout into the corpus as finding-<hash>, which CTest then replays.
# Needs a machine that runs i386 programs natively (under qemu the sanitizers do not run), and
# clang with its i386 fuzzer runtime, which this script installs when it is missing.
# Usage: fuzz/run-fuzzers.sh TARGET|all|list SECONDS     (FUZZ_BUILD=dir, RUNS=n, MAX_LEN=n)
#        fuzz/run-fuzzers.sh minimise TARGET|all          (the corpus cut to its coverage)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD:-$root/build-fuzz}
runs=${RUNS:-10000000}

image="runtime/image/blocks.cpp runtime/image/codememory.cpp runtime/image/container.cpp
  runtime/image/linker.cpp runtime/image/relocator.cpp"
kit="tools/imagekit/builder.cpp tools/imagekit/records.cpp tools/imagekit/streams.cpp
  tools/imagekit/output.cpp tools/imagekit/decode.cpp"
records="runtime/records/datablock.cpp runtime/records/stream.cpp runtime/records/literal.cpp
  runtime/records/classtable.cpp runtime/records/window.cpp runtime/records/menubar.cpp
  runtime/records/projectitem.cpp runtime/records/settings.cpp"

all="container linker relocator classtable window menubar settings literal pluginlist script"

# Sources, corpus directory, input size bound and dictionary (if any) of a target.
describe() {
  dict=""
  case $1 in
    container) src="fuzz/image/imagefuzz.cpp $image $kit"; corpus=fuzz/image/corpus; len=8192 ;;
    linker) src="fuzz/image/linker_fuzz.cpp $image"; corpus=fuzz/image/corpus-linker; len=4096 ;;
    relocator) src="fuzz/image/relocator_fuzz.cpp $image"; corpus=fuzz/image/corpus-relocator
      len=4096 ;;
    classtable|window|menubar|settings|literal)
      src="fuzz/records/$1_fuzz.cpp $records"; corpus=fuzz/records/corpus/$1; len=2048 ;;
    pluginlist)
      src="fuzz/plugins/carriedlist_fuzz.cpp fuzz/plugins/installer_stubs.cpp
        runtime/plugins/installation.cpp runtime/startup/fatal.cpp"
      corpus=fuzz/plugins/corpus; len=4096 ;;
    script) src="fuzz/headless/script_fuzz.cpp native/headless/script.cpp native/text/cp1252.cpp"
      corpus=fuzz/headless/corpus; len=2048; dict=fuzz/headless/script.dict ;;
    *) echo "unknown fuzz target '$1' (one of: $all)" >&2; exit 2 ;;
  esac
}

# The fuzzers' own dependency: clang and its i386 fuzzer runtime (Debian: clang,
# libclang-rt-dev), installed here when missing; the rest comes from scripts/install-deps.
need_clang() {
  runtime=$(clang++ -m32 -print-file-name=libclang_rt.fuzzer-i386.a 2>/dev/null || true)
  case $runtime in /*) [ -f "$runtime" ] && return ;; esac
  sudo_if_needed() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
  echo "run-fuzzers: installing clang libclang-rt-dev"
  sudo_if_needed apt-get update -qq
  sudo_if_needed env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
    --no-install-recommends clang libclang-rt-dev >/dev/null
}

# Objects go through ccache when there is one: the targets share most of their sources.
build_target() {
  describe "$1"
  mkdir -p "$build/obj/$1"
  launcher=$(command -v ccache || true)
  flags="-m32 -std=c++20 -O1 -g -msse2 -mfpmath=sse -fno-omit-frame-pointer
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined"
  objects=""
  for s in $src; do
    o="$build/obj/$1/$(echo "$s" | tr / _).o"
    # shellcheck disable=SC2086
    $launcher clang++ $flags -I"$root" -c "$root/$s" -o "$o"
    objects="$objects $o"
  done
  # shellcheck disable=SC2086
  clang++ $flags -o "$build/fuzz_$1" $objects -ldl -lpthread
}

# The executions and findings of one run, from libFuzzer's final statistics.
summarise() {
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$2" | tail -n 1)
  echo "$1: ${execs:-?} executions, $3 finding(s), corpus $(ls "$root/$4" | wc -l) files" \
    "($(cat "$root/$4"/* | wc -c) bytes)" | tee -a "$build/summary.txt"
}

run_target() {
  describe "$1"
  name=$1
  work="$build/work-$name"
  findings="$build/findings-$name"
  log="$build/fuzz-$name.log"
  rm -rf "$work"
  mkdir -p "$work" "$findings" "$root/$corpus"
  cp "$root/$corpus"/* "$work/" 2>/dev/null || true
  "$build/fuzz_$name" -max_total_time="$2" -runs="$runs" -max_len="${MAX_LEN:-$len}" \
    -timeout=10 -rss_limit_mb=1024 -print_final_stats=1 -artifact_prefix="$findings/" \
    ${dict:+-dict="$root/$dict"} "$work" >"$log" 2>&1 || true
  # Only what adds coverage joins the corpus (named seeds and findings stay as they are);
  # a target that stopped at its first crash still gets its new inputs merged.
  "$build/fuzz_$name" -merge=1 -max_len="${MAX_LEN:-$len}" "$root/$corpus" "$work" \
    >"$log.merge" 2>&1 || true
  found=0
  for f in "$findings"/*; do
    [ -f "$f" ] || continue
    # A unit reported only as slow met a loaded machine, not a fault: it is no finding.
    case ${f##*/} in slow-unit-*) rm -f "$f"; continue ;; esac
    cp "$f" "$root/$corpus/finding-$(sha1sum "$f" | cut -c1-12)"
    rm -f "$f"
    found=$((found + 1))
  done
  summarise "$name" "$log" "$found" "$corpus"
  rm -rf "$work"
}

# Rewrites a corpus to the smallest set with the same coverage; named seeds and findings stay.
minimise_target() {
  describe "$1"
  fresh="$build/minimal-$1"
  rm -rf "$fresh"
  mkdir -p "$fresh"
  "$build/fuzz_$1" -merge=1 -max_len="${MAX_LEN:-$len}" "$fresh" "$root/$corpus" \
    >"$build/fuzz-$1.minimise" 2>&1
  [ -n "$(ls "$fresh")" ] || { echo "$1: the merge kept nothing; corpus left as it was" >&2; return; }
  ls "$root/$corpus" | grep -E '^[0-9a-f]{40}$' | sed "s|^|$root/$corpus/|" | xargs rm -f
  for f in "$fresh"/*; do
    [ -f "$f" ] && [ ! -f "$root/$corpus/$(basename "$f")" ] && cp "$f" "$root/$corpus/"
  done
  echo "$1: corpus minimised to $(ls "$root/$corpus" | wc -l) files"
  rm -rf "$fresh"
}

[ $# -ge 1 ] || { echo "usage: $0 TARGET|all|list SECONDS" >&2; exit 2; }
case $1 in
  list) echo "$all"; exit 0 ;;
  minimise)
    targets=${2:?usage: $0 minimise TARGET|all}
    [ "$targets" = all ] && targets=$all
    need_clang
    for t in $targets; do build_target "$t" && minimise_target "$t"; done
    exit 0 ;;
  all) targets=$all ;;
  *) targets=$1 ;;
esac
seconds=${2:?usage: $0 TARGET|all SECONDS}
need_clang
for t in $targets; do build_target "$t"; done
for t in $targets; do run_target "$t" "$seconds"; done
