#!/usr/bin/env bash
# The batch runner on real files: which stream carries what, exit codes, a
# tank with an error estimate, files that fail, the linear system and the
# result exports. Usage: cli_zemcalc.sh path/to/zemcalc
set -u
zemcalc=$(realpath "$1")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
fail() { echo "FAIL: $*"; exit 1; }

# "Метод Гаусса. Ленточная матрица" in cp1251.
method=$'\xcc\xe5\xf2\xee\xe4 \xc3\xe0\xf3\xf1\xf1\xe0. \xcb\xe5\xed\xf2\xee\xf7\xed\xe0\xff \xec\xe0\xf2\xf0\xe8\xf6\xe0'
tank() {  # tank NAME MESH CALCTYPE
  printf '[ZEM CAD 2]\r\nCylSym\r\n#OBJECT\r\n{BOUNDS={w_bot=0, dw_bot=0, Q1_top=0, M1_top=0},\r\n LOADS={Gidr=10000}, MESH={mesh_x=%s}}\r\n#CALCULATION\r\nCalcType= %s\r\nAstimList= w\r\nSaveResult\r\nSLAEMethod= %s\r\n#DESCRIPTION\r\nТест\r\n' "$2" "$3" "$method" > "$1"
}

# --- Help, version and bad usage. ---------------------------------------------
"$zemcalc" --help >help.out 2>help.err || fail "--help exit status $?"
grep -q -- '--system OUT' help.out && grep -q -- '--export FMT OUT' help.out || fail "--help misses options"
[ ! -s help.err ] || fail "--help wrote to standard error"
[ "$("$zemcalc" --version 2>/dev/null)" = "zemcalc (ZEM CAD 2) 2.0" ] || fail "--version"
for bad in "" "--bogus x.zem" "--export pdf o x.zem" "--system" "--system o a.zem b.zem"; do
  # shellcheck disable=SC2086
  "$zemcalc" $bad >bad.out 2>bad.err
  [ $? -eq 2 ] || fail "'$bad' must be a usage error"
  [ ! -s bad.out ] && grep -q '^usage:' bad.err || fail "'$bad': usage belongs on standard error"
done
# An empty directory word once ended the runner with an uncaught exception.
"$zemcalc" -C '' s.zes >bad.out 2>bad.err
[ $? -eq 2 ] && grep -q '^usage:' bad.err || fail "-C '' must be a usage error"

# --- Calculation: reports on standard output, failures on standard error. --------
tank tank.zem 40 astim
printf 'not a problem\r\n' > junk.zem
# A ring under a net force reads but does not solve.
printf '[ZEM CAD 2]\r\nRing\r\n#OBJECT\r\n{LOADS={t=[0, 1000]}}\r\n#CALCULATION\r\nSaveResult\r\n' > pushed.zem
cp pushed.zem pushed.orig
"$zemcalc" -q tank.zem junk.zem missing.zem pushed.zem >run.out 2>run.err
rc=$?
[ $rc -eq 1 ] || fail "exit status $rc, expected 1 (three files fail)"
[ "$(cat run.out)" = "tank.zem: Расчет закончен" ] || fail "standard output: $(cat run.out)"
grep -q '^junk.zem: Неизвестный формат файла: первая строка "not a problem"' run.err || fail "junk not reported: $(cat run.err)"
grep -q '^missing.zem: Ошибка чтения файла' run.err || fail "missing not reported: $(cat run.err)"
grep -q '^pushed.zem: Нагрузка на кольцо не уравновешена' run.err || fail "unbalanced ring: $(cat run.err)"
cmp -s pushed.zem pushed.orig && [ ! -e pushed.res ] || fail "a file whose calculation failed was changed"
grep -q $'\r' run.err && fail "a progress line went to a standard error that is not a terminal"
[ "$(stat -c %s tank.res)" -eq 474 ] || fail "tank.res is not 45 records and the digest of the object"
[ -f tank_01.zem ] && [ -f tank_01.res ] || fail "the doubled-mesh approximation was not saved"
iconv -f cp1251 -t utf-8 tank.zem | grep -q '^w: .* %' || fail "no mesh-error line in the report"
[ "$(cat junk.zem)" = $'not a problem\r' ] || fail "a file that failed was changed"

# --- The mesh guard: a coarse mesh is calculated, with the figures and a mesh
# that would do on standard error and in the report; that mesh passes. -------------
water() {  # water NAME MESH
  printf '[ZEM CAD 2]\r\nCylSym\r\n#OBJECT\r\n{PARAMS={R=6, H=9, t=0.01}, BOUNDS={w_bot=0, dw_bot=0, Q1_top=0, M1_top=0}, LOADS={Gidr=9810}, MESH={mesh_x=%s}}\r\n#CALCULATION\r\nSLAEMethod= %s\r\n' "$2" "$method" > "$1"
}
water coarse.zem 4
"$zemcalc" -q coarse.zem >coarse.out 2>coarse.err || fail "a coarse mesh is a warning, not an error: $(cat coarse.err)"
[ "$(cat coarse.out)" = "coarse.zem: Расчет закончен" ] || fail "coarse mesh, standard output: $(cat coarse.out)"
grep -q '^coarse.zem: Предупреждение: сетка mesh_x слишком редка: у края x = 0 м шаг 2.25 м, а в зоне краевого эффекта 2.5·sqrt(R·t) = 0.61237 м нужно не менее 24 шагов' coarse.err ||
  fail "no mesh warning with its figures: $(cat coarse.err)"
iconv -f cp1251 -t utf-8 coarse.zem | grep -q '^Предупреждение: сетка mesh_x слишком редка' || fail "the report misses the mesh warning"
suggested=$(sed -n 's/^coarse.zem: .*; предлагается mesh_x = //p' coarse.err)
[ -n "$suggested" ] || fail "no suggested mesh"
water fine.zem "$suggested"
"$zemcalc" -q fine.zem >fine.out 2>fine.err && [ ! -s fine.err ] || fail "the suggested mesh $suggested still warns: $(cat fine.err)"

# On a terminal, the progress line shows the stage, the per cent and the time.
tank live.zem 400 simple
script -qec "'$zemcalc' -q live.zem >/dev/null" /dev/null >tty.out 2>&1 || fail "run on a terminal"
grep -aq ' %  00:0' tty.out || fail "no progress line on a terminal: $(tr '\r' '\n' <tty.out | head -3)"

# --- A series: its members are calculated and their extremes fill its RESULT. ----
printf '[ZEM SERIES]\r\n#FILES\r\ntank.zem\r\n#RESULT DATA\r\n#RESULT\r\n' > s.zes
"$zemcalc" -q s.zes >/dev/null 2>&1 || fail "series run failed"
iconv -f cp1251 -t utf-8 s.zes | grep -q '^  w: наибольшее' || fail "series result has no summary"
printf '[ZEM SERIES]\r\n#FILES\r\ntank.zem\r\nnone.zem\r\n' > t.zes
"$zemcalc" -q t.zes >/dev/null 2>t.err
[ $? -eq 1 ] || fail "a series with a missing member must fail"
grep -q '^t.zes: ' t.err || fail "the failed series is not reported on standard error"

# --- The linear system, without solving. --------------------------------------
tank sys.zem 8 simple
"$zemcalc" --system sys.mtx sys.zem >sys.out 2>/dev/null || fail "--system failed"
[ ! -e sys.res ] || fail "--system solved the problem"
head -1 sys.mtx | grep -q '^%%MatrixMarket matrix coordinate real general$' || fail "coefficient banner"
head -1 sys.mtx.rhs | grep -q '^%%MatrixMarket matrix array real general$' || fail "free-term banner"
read -r n m nnz < <(grep -v '^%' sys.mtx | head -1)
[ "$n $m" = "13 13" ] || fail "13 unknowns expected, size line: $n $m"
[ "$(grep -vc '^%' sys.mtx)" -eq $((nnz + 1)) ] || fail "entry count differs from the size line"
[ "$(grep -v '^%' sys.mtx.rhs | head -1)" = "13 1" ] && [ "$(grep -vc '^%' sys.mtx.rhs)" -eq 14 ] || fail "rhs size"
printf '[ZEM SERIES]\r\n#FILES\r\nsys.zem\r\n' > sys.zes
"$zemcalc" --system ser.mtx sys.zes >/dev/null 2>&1 && cmp -s sys.mtx ser.mtx || fail "--system of a series: its first member"

# --- Result export: calculated when there are no results, read when there are. ----
tank exp.zem 8 simple
"$zemcalc" -q --export csv exp.csv exp.zem >exp.out 2>exp.err || fail "--export csv: $(cat exp.err)"
grep -q '^exp.zem: Расчет закончен$' exp.out && [ -f exp.res ] || fail "--export without results must calculate"
[ "$(wc -l <exp.csv)" -eq 10 ] || fail "csv: header and 9 nodes expected"
head -1 exp.csv | grep -q '^domain,i,j,x \[m\],y \[m\],w \[m\],dwx \[rad\],N2 \[N/m\],' || fail "csv header: $(head -1 exp.csv)"
cp exp.zem exp.before
"$zemcalc" -q --export vtk exp.vts exp.zem >exp.out 2>exp.err || fail "--export vtk: $(cat exp.err)"
grep -q 'Расчет закончен' exp.out && fail "--export with a results file must not calculate"
cmp -s exp.zem exp.before || fail "--export with results changed the problem file"
xmllint --noout exp.vts || fail "vts is not well-formed XML"
"$zemcalc" -q --export vtk exp.vtp exp.zem >/dev/null 2>&1 && xmllint --noout exp.vtp || fail "vtp"
[ "$(xmllint --xpath 'string(//Piece/@NumberOfPoints)' exp.vtp)" -eq $((37 * 9)) ] || fail "vtp point count"
"$zemcalc" -q --export csv exp.res exp.zem >/dev/null 2>exp.err
[ $? -eq 1 ] && grep -q '^exp.zem: ' exp.err && cmp -s exp.zem exp.before && [ "$(stat -c %s exp.res)" -eq 154 ] ||
  fail "an export over the problem's own results must be refused"
"$zemcalc" --system exp.zem exp.zem >/dev/null 2>&1
[ $? -eq 1 ] && cmp -s exp.zem exp.before || fail "a system written over the problem file must be refused"
head -c 20 exp.res > exp.res.tmp && mv exp.res.tmp exp.res
"$zemcalc" -q --export csv bad.csv exp.zem >/dev/null 2>exp.err
[ $? -eq 1 ] && grep -q '^exp.zem: Ошибка загрузки файла .*exp.res: файл короче ожидаемого' exp.err && [ ! -e bad.csv ] ||
  fail "a short results file must be reported: $(cat exp.err)"

echo "1 passed, 0 failed"
