#!/usr/bin/env bash
# The batch runner on real files: a tank with an error estimate, a file of an
# unknown format and a missing file. Usage: cli_zemcalc.sh path/to/zemcalc
set -u
zemcalc=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
fail() { echo "FAIL: $*"; exit 1; }

# "Метод Гаусса. Ленточная матрица" in cp1251.
method=$'\xcc\xe5\xf2\xee\xe4 \xc3\xe0\xf3\xf1\xf1\xe0. \xcb\xe5\xed\xf2\xee\xf7\xed\xe0\xff \xec\xe0\xf2\xf0\xe8\xf6\xe0'
printf '[ZEM CAD 2]\r\nCylSym\r\n#OBJECT\r\n{BOUNDS={w_bot=0, dw_bot=0, Q1_top=0, M1_top=0},\r\n LOADS={Gidr=10000}, MESH={mesh_x=40}}\r\n#CALCULATION\r\nCalcType= astim\r\nAstimList= w\r\nSaveResult\r\nSLAEMethod= %s\r\n#DESCRIPTION\r\nТест\r\n' "$method" > tank.zem
printf 'not a problem\r\n' > junk.zem

out=$("$zemcalc" -q tank.zem junk.zem missing.zem 2>/dev/null)
rc=$?
[ $rc -eq 1 ] || fail "exit status $rc, expected 1 (two files fail)"
grep -q '^tank.zem: Расчет закончен$' <<<"$out" || fail "tank not calculated: $out"
grep -q '^junk.zem: Неизвестный формат файла$' <<<"$out" || fail "junk not reported: $out"
grep -q '^missing.zem: Ошибка чтения файла' <<<"$out" || fail "missing not reported: $out"
[ "$(stat -c %s tank.res)" -eq 450 ] || fail "tank.res is not 45 records"
[ -f tank_01.zem ] && [ -f tank_01.res ] || fail "the doubled-mesh approximation was not saved"
iconv -f cp1251 -t utf-8 tank.zem | grep -q '^w: .* %' || fail "no mesh-error line in the report"
[ "$(cat junk.zem)" = $'not a problem\r' ] || fail "a file that failed was changed"

# A series: its members are calculated and their extremes fill its RESULT.
printf '[ZEM SERIES]\r\n#FILES\r\ntank.zem\r\n#RESULT DATA\r\n#RESULT\r\n' > s.zes
"$zemcalc" -q s.zes >/dev/null 2>&1 || fail "series run failed"
iconv -f cp1251 -t utf-8 s.zes | grep -q '^  w: наибольшее' || fail "series result has no summary"
printf '[ZEM SERIES]\r\n#FILES\r\ntank.zem\r\nnone.zem\r\n' > t.zes
"$zemcalc" -q t.zes >/dev/null 2>&1
[ $? -eq 1 ] || fail "a series with a missing member must fail"

# The higher-accuracy cylinders: an error estimate each, with results files.
sym='{PARAMS={R=10.0, H=10.0, t=0.01, E=2.06e11, mu=0.3}, BOUNDS={w_bot=0, dw_bot=0, Q1_top=0, M1_top=0}, LOADS={Gidr=10000}, MESH={mesh_x=20}}'
tech='{PARAMS={R=10.0, H=10.0, t=0.01, E=2.06e11, mu=0.3}, BOUNDS={u_bot=0, v_bot=0, w_bot=0, dw_bot=0, N1_top=0, S1_top=0, Q1_top=0, M1_top=0}, LOADS={Gidr=10000}, MESH={mesh_x=8, mesh_y=4}}'
for type in CylSym2 CylTech2_1 CylTech2_2; do
    object=$tech
    [ $type = CylSym2 ] && object=$sym
    printf '[ZEM CAD 2]\r\n%s\r\n#OBJECT\r\n%s\r\n#CALCULATION\r\nCalcType= astim\r\nAstimList= w\r\nSaveResult\r\n' "$type" "$object" > $type.zem
done
out=$("$zemcalc" -q CylSym2.zem CylTech2_1.zem CylTech2_2.zem 2>/dev/null) || fail "higher-accuracy cylinders: $out"
for type in CylSym2 CylTech2_1 CylTech2_2; do
    grep -q "^$type.zem: Расчет закончен$" <<<"$out" || fail "$type not calculated: $out"
    [ -s $type.res ] && [ -f ${type}_01.res ] || fail "$type: no results files"
done

"$zemcalc" >/dev/null 2>&1
[ $? -eq 2 ] || fail "no files must be a usage error"
echo "1 passed, 0 failed"
