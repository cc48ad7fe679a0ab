#!/usr/bin/env bash
# Runs one libFuzzer harness, or all of them one after another, for a given number of seconds each:
#   scripts/fuzz.sh NAME SECONDS     NAME is one of fuzz/NAME_fuzzer.cpp (language, settings, ...)
#   scripts/fuzz.sh all SECONDS
# Builds build/fuzz with clang, copies the seeds of fuzz/corpus/NAME into build/fuzz/corpus/NAME
# (the repository's corpus stays as it is) and fuzzes on that copy with one worker, the XML harnesses
# with the tokens of fuzz/dictionaries/xml.dict. Crashing inputs
# land in build/fuzz/crashes/NAME; the log of the last run in build/fuzz/logs/NAME/fuzz-0.log.
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ $# -ne 2 || ! $2 =~ ^[0-9]+$ ]]; then
    echo "usage: $0 NAME|all SECONDS" >&2
    exit 2
fi
name=$1
seconds=$2
build=build/fuzz

if [[ $name == all ]]; then
    names=()
    for source in fuzz/*_fuzzer.cpp; do
        source=${source##*/}
        names+=("${source%_fuzzer.cpp}")
    done
else
    if [[ ! -f fuzz/${name}_fuzzer.cpp ]]; then
        echo "no harness fuzz/${name}_fuzzer.cpp" >&2
        exit 2
    fi
    names=("$name")
fi

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESSELLOR_FUZZ=ON >/dev/null
# The machine is shared: two compile jobs at most.
ninja -C "$build" -j 2 "${names[@]/%/_fuzzer}"

status=0
root=$PWD
for n in "${names[@]}"; do
    corpus=$root/$build/corpus/$n
    crashes=$root/$build/crashes/$n
    logs=$root/$build/logs/$n
    mkdir -p "$corpus" "$crashes" "$logs"
    if [[ -d fuzz/corpus/$n ]]; then
        cp -n fuzz/corpus/"$n"/* "$corpus"/ 2>/dev/null || true
    fi
    echo "== $n: ${seconds} s"
    # One job in one worker process; libFuzzer writes its log as fuzz-0.log in the current folder.
    # Leaks are not looked for: Qt keeps caches for the whole process.
    rm -f "$logs/fuzz-0.log"
    # The harnesses over XML documents mutate with XML's tokens.
    dict=()
    case $n in
        settings | pargen | access_rules | image_compiler | compiler_reading | xml_root_reader)
            dict=(-dict="$root/fuzz/dictionaries/xml.dict") ;;
    esac
    if (cd "$logs" && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
        "$root/$build/fuzz/${n}_fuzzer" -max_total_time="$seconds" -jobs=1 -workers=1 -timeout=10 \
        -rss_limit_mb=2048 -artifact_prefix="$crashes/" -print_final_stats=1 "${dict[@]}" "$corpus" \
        >/dev/null 2>&1); then
        grep -E '^stat::number_of_executed_units|^stat::average_exec_per_sec|^#[0-9]+[[:space:]]+DONE' \
            "$logs/fuzz-0.log" || true
    else
        status=1
        echo "$n: the fuzzer stopped on a finding; see $logs/fuzz-0.log and $crashes" >&2
        tail -n 40 "$logs/fuzz-0.log" >&2
    fi
done
exit $status
