#!/usr/bin/env bash
# A mesh selection continued over several runs of the batch runner: each run
# continues from the last approximation saved in the file, so three runs of
# one stage each end on the same mesh as one automatic run of three stages,
# and a further run finds the mesh dense enough.
# Usage: cli_zemcalc_choose.sh path/to/zemcalc
set -u
zemcalc=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
fail() { echo "FAIL: $*"; exit 1; }

# "Метод Гаусса. Ленточная матрица" in cp1251.
method=$'\xcc\xe5\xf2\xee\xe4 \xc3\xe0\xf3\xf1\xf1\xe0. \xcb\xe5\xed\xf2\xee\xf7\xed\xe0\xff \xec\xe0\xf2\xf0\xe8\xf6\xe0'
tank() {  # name, extra calculation line
    printf '[ZEM CAD 2]\r\nCylSym\r\n#OBJECT\r\n{BOUNDS={w_bot=0, dw_bot=0, Q1_top=0, M1_top=0},\r\n LOADS={Gidr=10000}, MESH={mesh_x=16}}\r\n#CALCULATION\r\n%sCalcType= choose\r\nPrec= 5\r\nPrecChar= M1\r\nPrecList= mesh_x\r\nErrorNorma= uniform\r\nSLAEMethod= %s\r\nSaveResult\r\n' "$2" "$method" > "$1.zem"
}
mesh() { iconv -f cp1251 -t utf-8 "$1" | tr -d '\r' | sed -n '/^#OBJECT/,/^#/p' | grep -o 'mesh_x=[^}]*'; }

tank auto $'AutoMode\r\n'
"$zemcalc" -q auto.zem >/dev/null 2>&1 || fail "the automatic run failed"
[ -f auto_03.zem ] && [ ! -f auto_04.zem ] || fail "the automatic run should take three stages: $(ls)"

tank step ''
for run in 1 2 3; do
    "$zemcalc" -q step.zem >/dev/null 2>&1 || fail "run $run failed"
    [ -f "step_0$run.zem" ] && [ -f "step_0$run.res" ] || fail "run $run saved no approximation with results"
done
for i in 1 2 3; do
    [ "$(mesh step_0$i.zem)" = "$(mesh auto_0$i.zem)" ] ||
        fail "stage $i: runs one by one give $(mesh step_0$i.zem), one automatic run $(mesh auto_0$i.zem)"
done

"$zemcalc" -q step.zem >/dev/null 2>&1 || fail "run 4 failed"
[ ! -f step_04.zem ] || fail "a fourth run refined a mesh that is already dense enough"
iconv -f cp1251 -t utf-8 step.zem | grep -q '^Требуемая густота сетки достигнута' || fail "run 4 did not report the mesh reached"

# Without its results file the last approximation is solved before the stage.
rm step_03.res
"$zemcalc" -q step.zem >/dev/null 2>&1 || fail "a run without the results of the approximation failed"
[ ! -f step_04.zem ] || fail "an approximation without results was compared with zeros"
echo "1 passed, 0 failed"
