#!/usr/bin/env bash
# The long fuzzing run, outside the test command: every reader, results
# files, whole runs of every problem type (estimates, selections, series) and
# the batch runner's command lines, for hours on one core.
#
#   tests/fuzz/long.sh BUILD_DIR [SECONDS] [SEED] [INPUTS]
#
# Ends after 4 hours or a million inputs, whichever comes first (see
# docs/fuzzing.md); counts go to standard error every ten minutes. Faults are
# printed with their input and make the exit status 1.
set -u
build=$(realpath "${1:?usage: long.sh BUILD_DIR [SECONDS] [SEED] [INPUTS]}")
seconds=${2:-14400}
seed=${3:-20261207}
inputs=${4:-1000000}
here=$(dirname "$(realpath "$0")")
exec "$build/bin/fuzz_files" --long --zemcalc "$build/bin/zemcalc" --seconds "$seconds" --inputs "$inputs" --seed "$seed" "$here/corpus"
