#!/bin/sh
# Runs each fuzz program of a fuzz build for a number of seconds on a copy of
# its corpus: run-fuzzers.sh BUILD_DIR SOURCE_DIR SECONDS [TARGET...]
#
# The corpus in SOURCE_DIR/testdata/fuzz/<target>/ is copied to
# BUILD_DIR/fuzz-work/<target>/corpus/ first, so new inputs never land in the
# source tree. Crashes, leaks and timeouts are written to
# BUILD_DIR/fuzz-work/<target>/; the script then fails and names them. One
# fuzzer at a time, one job each.
set -u

build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
seconds=$3
shift 3
if [ $# -eq 0 ]; then
    set -- $(ls "$source/testdata/fuzz")
fi

work="$build/fuzz-work"
hives="$work/hives"
mkdir -p "$hives"
# Private hives: no input may touch the user's settings.
export CORVANTIS_USER_REGISTRY="$hives/user.reg"
export CORVANTIS_MACHINE_REGISTRY="$hives/machine.reg"
export XDG_CONFIG_HOME="$hives/config"
export QT_QPA_PLATFORM=offscreen
# Undefined behaviour ends the run like a crash does. Extra options (for
# example suppressions) can be added through the environment.
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1${UBSAN_EXTRA_OPTIONS:+:$UBSAN_EXTRA_OPTIONS}"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export LSAN_OPTIONS="suppressions=$source/fuzz/lsan.supp:print_suppressions=0"

failed=""
for target in "$@"; do
    program="$build/fuzz/fuzz_$target"
    if [ ! -x "$program" ]; then
        echo "fuzz: no program $program" >&2
        failed="$failed $target"
        continue
    fi
    dir="$work/$target"
    mkdir -p "$dir/corpus"
    cp -p "$source/testdata/fuzz/$target/"* "$dir/corpus/" 2>/dev/null
    case $target in
        template_xml | tool_list_xml | page_style_xml | clipboard_paste) dict=xml ;;
        reg_hive) dict=reg ;;
        designer_command_line) dict=command_line ;;
        *) dict="" ;;
    esac
    set --
    [ -n "$dict" ] && set -- "-dict=$source/fuzz/dict/$dict.dict"
    echo "fuzz: $target for $seconds s"
    # Run from the target's folder: with -jobs libFuzzer writes its job log
    # (fuzz-0.log) into the current folder.
    if ! (cd "$dir" && "$program" "$@" -max_total_time="$seconds" -jobs=1 -workers=1 -timeout=20 \
            -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix="$dir/" "$dir/corpus" \
            >"$dir/log.txt" 2>&1); then
        echo "fuzz: $target FAILED; log $dir/log.txt" >&2
        failed="$failed $target"
    fi
    for artifact in "$dir"/crash-* "$dir"/leak-* "$dir"/timeout-* "$dir"/oom-*; do
        [ -e "$artifact" ] && echo "fuzz: $target: $artifact" >&2
    done
    tail -n 12 "$dir/log.txt" | grep -E '^(stat::|Done|INFO: Done)' || true
done

if [ -n "$failed" ]; then
    echo "fuzz: failed:$failed (inputs in $work/<target>/)" >&2
    exit 1
fi
echo "fuzz: nothing found"
