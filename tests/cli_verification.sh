#!/usr/bin/env bash
# The verification page is what its script produces from real runs today.
# Usage: cli_verification.sh path/to/zemcalc
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
fresh=$(mktemp)
trap 'rm -f "$fresh"' EXIT
"$root/scripts/verify.sh" "$1" >"$fresh" || { echo "FAIL: scripts/verify.sh failed"; exit 1; }
diff -u "$root/docs/verification.md" "$fresh" || {
  echo "FAIL: docs/verification.md differs from a fresh run; regenerate it with scripts/verify.sh --write"
  exit 1
}
echo "1 passed, 0 failed"
