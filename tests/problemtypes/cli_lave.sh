#!/usr/bin/env bash
# The batch runner on the five Love-equation types: each is calculated with
# an error estimate and its results saved. Usage: cli_lave.sh path/to/zemcalc
set -u
zemcalc=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
fail() { echo "FAIL: $*"; exit 1; }

# With the ring's domain beside the shell's, the characteristics name the
# shell's type.
calc() { printf '#CALCULATION\r\nCalcType= astim\r\nAstimList= %s\r\nSaveResult\r\n' "$1"; }
write() {
    local list="w, M1"
    case $2 in CylRing*) list="$2.w, $2.M1" ;; esac
    printf '[ZEM CAD 2]\r\n%s\r\n#OBJECT\r\n%s\r\n%s\n' "$2" "$3" "$(calc "$list")" > "$1.zem"
}
P='PARAMS={R=10, H=10, t=0.01, E=2.06e11, mu=0.3'
B='BOUNDS={u_bot=0, v_bot=0, w_bot=0, dw_bot=0'
T=', N1_top=0, S1_top=0, Q1_top=0, M1_top=0'
write lave CylLave "{$P}, $B$T}, LOADS={Wind=[0, 500]}, MESH={mesh_x=8, mesh_y=8}}"
write lavep CylLaveP "{$P, Period=3}, $B$T}, LOADS={Wind=[0, 500]}, MESH={mesh_x=8, mesh_y=4}}"
write panel CylPanel "{$P, Width=90}, $B$T}, LOADS={Gidr=10000}, MESH={mesh_x=8, mesh_y=8}}"
write ring CylRing "{$P}, $B}, MESH={mesh_x=8, mesh_y=8}, ELEMS={Ring={PARAMS={G=8e10, F=0.01, Jx=0.1, Jr=10, Jxr=0, Jk=0.4}, LOADS={t=[0, 0, 1000]}}}}"
write ringp CylRingP "{$P, Period=2}, $B}, LOADS={Gidr=10000}, MESH={mesh_x=8, mesh_y=4}, ELEMS={Ring={PARAMS={F=0.02}}}}"

out=$("$zemcalc" -q lave.zem lavep.zem panel.zem ring.zem ringp.zem 2>/dev/null)
rc=$?
[ $rc -eq 0 ] || fail "exit status $rc: $out"
for f in lave lavep panel ring ringp; do
    grep -q "^$f.zem: Расчет закончен$" <<<"$out" || fail "$f not calculated: $out"
    iconv -f cp1251 -t utf-8 $f.zem | grep -qE '^(CylRingP?\.)?w: .* %' || fail "$f: no mesh-error line in the report"
    [ -f ${f}_01.zem ] && [ -f ${f}_01.res ] || fail "$f: the doubled-mesh approximation was not saved"
done
# 3 M (N + 5) unknowns of 10 bytes; the ring adds 4 M.
[ "$(stat -c %s lave.res)" -eq $((3 * 8 * 13 * 10)) ] || fail "lave.res has $(stat -c %s lave.res) bytes"
[ "$(stat -c %s ring.res)" -eq $(((3 * 8 * 13 + 4 * 8) * 10)) ] || fail "ring.res has $(stat -c %s ring.res) bytes"
echo "1 passed, 0 failed"
