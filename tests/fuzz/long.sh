#!/usr/bin/env bash
# The long fuzzing run, outside the test command: every reader, results
# files, whole runs of every problem type (estimates, selections, series) and
# the batch runner's command lines, for hours on one core.
#
#   tests/fuzz/long.sh BUILD_DIR [SECONDS] [SEED]
#
# Default 4 hours (about a million inputs; see docs/fuzzing.md). Faults are
# printed with their input and make the exit status 1.
set -u
build=$(realpath "${1:?usage: long.sh BUILD_DIR [SECONDS] [SEED]}")
seconds=${2:-14400}
seed=${3:-20261207}
here=$(dirname "$(realpath "$0")")
exec "$build/bin/fuzz_files" --long --zemcalc "$build/bin/zemcalc" --seconds "$seconds" --seed "$seed" "$here/corpus"
