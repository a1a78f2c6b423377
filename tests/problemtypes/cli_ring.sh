#!/usr/bin/env bash
# The batch runner on the three ring types: each is calculated with an error
# estimate and its results saved; an unbalanced ring is reported and its file
# left as it was. Usage: cli_ring.sh path/to/zemcalc
set -u
zemcalc=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
fail() { echo "FAIL: $*"; exit 1; }

calc=$'#CALCULATION\r\nCalcType= astim\r\nAstimList= w, Mx\r\nSaveResult\r\n'
printf '[ZEM CAD 2]\r\nRing\r\n#OBJECT\r\n{LOADS={t=[0, 0, 1000], s=[0, 0, 0, 100]}, MESH={mesh=24}}\r\n%s' "$calc" > ring.zem
printf '[ZEM CAD 2]\r\nRing2\r\n#OBJECT\r\n{LOADS={q=[0, 0, [0, 500]], mk=[50, 0, 20]}, MESH={mesh=24}}\r\n%s' "$calc" > ring2.zem
printf '[ZEM CAD 2]\r\nRingP\r\n#OBJECT\r\n{PARAMS={Period=3}, LOADS={t=[0, 1000]}, MESH={mesh=8}}\r\n%s' "$calc" > ringp.zem
printf '[ZEM CAD 2]\r\nRing\r\n#OBJECT\r\n{LOADS={t=[0, 1000]}}\r\n%s' "$calc" > pushed.zem
cp pushed.zem pushed.orig

out=$("$zemcalc" -q ring.zem ring2.zem ringp.zem pushed.zem 2>failed.err)
rc=$?
[ $rc -eq 1 ] || fail "exit status $rc, expected 1 (one file fails)"
for f in ring ring2 ringp; do
    grep -q "^$f.zem: Расчет закончен$" <<<"$out" || fail "$f not calculated: $out"
    # An in-plane load leaves Mx zero: its line says so instead of a percentage.
    iconv -f cp1251 -t utf-8 $f.zem | tr -d '\r' | grep -qE '^Mx: (.* %|0 \(поле равно нулю\))$' ||
        fail "$f: no mesh-error line in the report"
    [ -f ${f}_01.zem ] && [ -f ${f}_01.res ] || fail "$f: the doubled-mesh approximation was not saved"
done
[ "$(stat -c %s ring.res)" -eq 960 ] || fail "ring.res is not 24 nodes of 4 unknowns"
[ "$(stat -c %s ringp.res)" -eq 320 ] || fail "ringp.res is not 8 nodes of 4 unknowns"
grep -q '^pushed.zem: Нагрузка на кольцо не уравновешена: сила в плоскости кольца' failed.err ||
    fail "the unbalanced ring not reported on standard error: $(cat failed.err)"
cmp -s pushed.zem pushed.orig || fail "a file that failed was changed"
[ -f pushed.res ] && fail "a failed ring left results"
echo "1 passed, 0 failed"
