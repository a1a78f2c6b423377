#!/usr/bin/env bash
# The batch runner against hostile files and moments: exports and systems go
# through the atomic writer and obey the file rules, every output is checked
# before anything is calculated, a stop signal holds for the whole run,
# overflowing inputs and damaged results files are refused, an accepted error
# that cannot be reached is reported, long names work, and a series on a full
# disk reports its members. Usage: cli_zemcalc_safety.sh path/to/zemcalc
set -u
zemcalc=$(realpath "$1")
dir=$(mktemp -d)
mnt=""
cleanup() {
  [ -n "$mnt" ] && umount "$mnt" 2>/dev/null
  chmod -R u+w "$dir" 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT
cd "$dir"
fail() { echo "FAIL: $*"; exit 1; }

# "Метод Гаусса. Ленточная матрица" in cp1251.
method=$'\xcc\xe5\xf2\xee\xe4 \xc3\xe0\xf3\xf1\xf1\xe0. \xcb\xe5\xed\xf2\xee\xf7\xed\xe0\xff \xec\xe0\xf2\xf0\xe8\xf6\xe0'
tank() {  # tank NAME MESH LOAD [CALCULATION LINES]
  printf '[ZEM CAD 2]\r\nCylSym\r\n#OBJECT\r\n{BOUNDS={w_bot=0, dw_bot=0, Q1_top=0, M1_top=0},\r\n LOADS={Gidr=%s}, MESH={mesh_x=%s}}\r\n#CALCULATION\r\n%sSaveResult\r\nSLAEMethod= %s\r\n' \
    "$3" "$2" "${4:-CalcType= simple$'\r\n'}" "$method" > "$1"
}
# No file of the directory but the ones named is left (temporary files
# included).
only() {
  local extra
  extra=$(ls -A | grep -vxF -f <(printf '%s\n' "$@"))
  [ -z "$extra" ] || fail "left behind: $extra"
}
# Problem and results unchanged: FILE.zem equals FILE.orig, no FILE.res.
untouched() { cmp -s "$1.zem" "$1.orig" && [ ! -e "$1.res" ] || fail "$1 was calculated or written back"; }

# --- Exports write through the atomic writer. ---------------------------------
mkdir links && cd links
tank t.zem 40 10000
echo "victim" > victim
ln -s victim t.csv.part && ln -s victim t.mtx.part && ln -s victim t.mtx.rhs.part
"$zemcalc" -q --export csv t.csv t.zem >/dev/null 2>&1 && "$zemcalc" --system t.mtx t.zem >/dev/null 2>&1 ||
  fail "export beside planted links"
[ "$(cat victim)" = victim ] && [ -f t.csv ] && [ ! -L t.csv ] && [ ! -L t.mtx ] && [ ! -L t.mtx.rhs ] ||
  fail "a link at the old temporary name was followed"
cd ..

# Two exports into one file at once leave one complete version of the two.
mkdir race && cd race
tank big.zem 20000 10000
tank big2.zem 20000 20000
"$zemcalc" -q big.zem big2.zem >/dev/null 2>&1 || fail "big tanks"
"$zemcalc" -q --export csv ref.csv big.zem >/dev/null 2>&1 && "$zemcalc" -q --export csv ref2.csv big2.zem >/dev/null 2>&1 ||
  fail "reference exports"
for pair in 1 2 3 4 5; do
  "$zemcalc" -q --export csv same.out big.zem >/dev/null 2>&1 &
  "$zemcalc" -q --export csv same.out big2.zem >/dev/null 2>&1 &
  wait
  cmp -s same.out ref.csv || cmp -s same.out ref2.csv || fail "concurrent exports spliced the file (pair $pair)"
done
files=(big.zem big.res big2.zem big2.res ref.csv ref2.csv same.out)
only "${files[@]}"
# A stopped export leaves no temporary file; one killed outright leaves one
# that the next write into the directory removes.
for delay in 0.05 0.15 0.3; do
  for sig in TERM KILL; do
    "$zemcalc" -q --export csv same.out big.zem >/dev/null 2>&1 &
    pid=$!
    sleep $delay
    { kill -s $sig $pid && wait $pid; } 2>/dev/null
    [ $sig = TERM ] && only "${files[@]}"
  done
done
"$zemcalc" -q --export csv same.out big.zem >/dev/null 2>&1 && cmp -s same.out ref.csv || fail "export after kills"
only "${files[@]}"
cd ..

# --- Exports obey the file rules, checked before anything is calculated. -------
mkdir rules && cd rules
tank e.zem 8 10000
cp e.zem e.orig
echo keep > ro.csv && chmod 444 ro.csv
"$zemcalc" -q --export csv ro.csv e.zem >/dev/null 2>err
[ $? -eq 1 ] && grep -q 'только для чтения' err && [ "$(cat ro.csv)" = keep ] &&
  [ "$(stat -c %a ro.csv)" = 444 ] || fail "a read-only export target was replaced: $(cat err)"
untouched e
mkdir adir
for out in nodir/x.csv adir; do
  "$zemcalc" -q --export csv "$out" e.zem >/dev/null 2>err
  [ $? -eq 1 ] && grep -q '^e.zem: Ошибка записи в файл' err || fail "export into $out: $(cat err)"
  untouched e
done
"$zemcalc" -q --system nodir/x.mtx e.zem >/dev/null 2>&1
[ $? -eq 1 ] || fail "--system into a missing directory"
# A structured grid needs one circumferential mesh for every span.
printf '[ZEM CAD 2]\r\nCompCylTech\r\n#OBJECT\r\n{PARAMS={R=5, H=4, t=0.01, E=2.06e11, mu=0.3},\r\n BOUNDS={u_bot=0, v_bot=0, w_bot=0, dw_bot=0, N1_top=0, S1_top=0, Q1_top=0, M1_top=0},\r\n LOADS={Gidr=9810},\r\n ELEMS={Span1={PARAMS={H=6}, MESH={mesh_x=12, mesh_y=4}}, Span2={PARAMS={H=6}, MESH={mesh_x=12, mesh_y=8}}}}\r\n#CALCULATION\r\nSaveResult\r\nSLAEMethod= %s\r\n' "$method" > st.zem
cp st.zem st.orig
"$zemcalc" -q --export vtk st.vts st.zem >/dev/null 2>err
[ $? -eq 1 ] && grep -q 'разное число узлов по окружности' err && [ ! -e st.vts ] || fail "vts of unequal spans: $(cat err)"
untouched st
for bad in '--export csv ""' '--system ""'; do
  eval "\"\$zemcalc\" $bad e.zem" >/dev/null 2>err
  [ $? -eq 2 ] && grep -q '^usage:' err || fail "an empty output name ($bad) must be bad usage"
done
untouched e
# A link is written through; the problem's approximations are no target.
ln -s real.csv link.csv
"$zemcalc" -q --export csv link.csv e.zem >/dev/null 2>&1 && [ -L link.csv ] && [ -s real.csv ] ||
  fail "a link export target was not written through"
tank a.zem 8 10000 $'CalcType= astim\r\nAstimList= w\r\n'
"$zemcalc" -q a.zem >/dev/null 2>&1 && [ -f a_01.zem ] || fail "estimate"
cp a_01.zem a_01.orig
for out in a_01.zem a_01.res a_02.zem; do
  "$zemcalc" -q --export csv "$out" a.zem >/dev/null 2>err
  [ $? -eq 1 ] && grep -q 'нельзя записать поверх файлов задачи' err || fail "export over the approximation $out"
done
cmp -s a_01.zem a_01.orig && [ ! -e a_02.zem ] || fail "an approximation file was replaced"
cd ..

# --- A stop signal holds for the whole run. -----------------------------------
mkdir stop && cd stop
members=""
for m in 1 2 3 4; do
  tank "m$m.zem" 3000 10000 $'CalcType= astim\r\nAstimList= w\r\n'
  members+="m$m.zem"$'\r\n'
done
printf '[ZEM SERIES]\r\n#FILES\r\n%s#RESULT DATA\r\n#RESULT\r\n' "$members" > s.zes
mkdir orig && cp ./*.zem s.zes orig/
# One member at a time, so that "after the stop" has an order to check.
start=$(date +%s.%N)
"$zemcalc" -q -j 1 s.zes >/dev/null 2>&1 || fail "the series to be stopped does not run"
total=$(echo "$(date +%s.%N) - $start" | bc)
# Job control on: a background job of a script otherwise starts with SIGINT
# ignored, and an interrupt that came before the runner listens would be lost
# by the shell, not by the runner.
set -m
for part in 0.02 0.2 0.4 0.6; do
  for sig in TERM HUP INT; do
    rm -f ./*.res ./*_01.* && cp orig/* .
    "$zemcalc" -q -j 1 s.zes >out 2>err &
    pid=$!
    sleep "$(echo "$total * $part" | bc)"
    kill -s $sig $pid 2>/dev/null || continue  # the run was over already
    sent=$(date +%s.%N)
    wait $pid
    rc=$?
    took=$(echo "$(date +%s.%N) - $sent" | bc)
    [ $rc -ne 0 ] || fail "SIG$sig at $part of the run was ignored"
    cmp -s s.zes orig/s.zes || fail "SIG$sig at $part: the series file was written"
    [ "$(echo "$took < 1.5" | bc)" = 1 ] || fail "SIG$sig at $part: the run went on for $took s"
    # A signal that comes while the program is still loading ends it before
    # it listens (status 128 + signal, nothing said and nothing written).
    [ $rc -gt 128 ] && [ ! -s err ] && continue
    grep -q 'Расчет прерван' err || fail "SIG$sig at $part: no report of the stop: $(cat err)"
    # Nothing after the stop: the members after the stopped one are as they were.
    stopped=0
    for m in 1 2 3 4; do
      if [ $stopped = 1 ]; then cmp -s m$m.zem orig/m$m.zem && [ ! -e m$m.res ] || fail "m$m written after the stop"; fi
      cmp -s m$m.zem orig/m$m.zem && stopped=1
    done
  done
done
set +m
cd ..

# --- Inputs that overflow, accepted errors that cannot be reached. ------------
mkdir limits && cd limits
tank big.zem 20 1e308
cp big.zem big.orig
"$zemcalc" -q big.zem >/dev/null 2>err
[ $? -eq 1 ] && grep -q '^big.zem: Слишком большое значение параметра LOADS.Gidr: 1E+308' err || fail "1e308: $(cat err)"
untouched big
for prec in 0 -1 "" x; do
  tank p.zem 20 10000 "CalcType= choose"$'\r\n'"Prec= $prec"$'\r\nPrecChar= w\r\nPrecList= mesh_x\r\n'
  cp p.zem p.orig
  "$zemcalc" -q p.zem >/dev/null 2>err
  [ $? -eq 1 ] && grep -q '^p.zem: Prec: ' err || fail "Prec= $prec accepted: $(cat err)"
  untouched p && [ ! -e p_01.zem ] || fail "Prec= $prec: an approximation was written"
done
# Twelve stages that still refine: written back, but reported as failed.
tank sel.zem 4 10000 $'AutoMode\r\nCalcType= choose\r\nPrec= 1e-12\r\nPrecChar= w\r\nPrecList= mesh_x\r\n'
"$zemcalc" -q sel.zem >out 2>err
[ $? -eq 1 ] && grep -q '^sel.zem: Подбор остановлен: выполнено этапов 12$' err && [ -f sel_12.zem ] &&
  ! grep -q 'Расчет закончен' out || fail "a selection short of its accuracy: $(cat out err)"
cd ..

# --- Long names, damaged results, read-only approximations. -------------------
mkdir names && cd names
for len in 235 255; do
  name=$(head -c $((len - 4)) /dev/zero | tr '\0' n).zem
  tank "$name" 8 10000
  "$zemcalc" -q "$name" >/dev/null 2>err && [ -f "${name%.zem}.res" ] || fail "a name of $len bytes: $(cat err)"
done
tank d.zem 8 10000
"$zemcalc" -q d.zem >/dev/null 2>&1 || fail "d.zem"
# Values no calculation gives, with the digest of the object kept after
# them, and a file of bare values of the old form.
cp d.res d.good
values=$(( $(stat -c %s d.res) - 24 ))
for fill in nan random bare; do
  case $fill in
    nan) { head -c $values /dev/zero | tr '\0' '\377'; tail -c 24 d.good; } > d.res ;;
    random) { head -c $values /dev/urandom; tail -c 24 d.good; } > d.res ;;
    bare) head -c $values /dev/zero | tr '\0' '\377' > d.res ;;
  esac
  "$zemcalc" -q --export csv d.csv d.zem >/dev/null 2>err
  [ $? -eq 1 ] && grep -q '^d.zem: Ошибка загрузки файла .*d.res: файл поврежден' err && [ ! -e d.csv ] ||
    fail "a results file of $fill values was taken: $(cat err)"
done
tank r.zem 8 10000 $'CalcType= astim\r\nAstimList= w\r\n'
"$zemcalc" -q r.zem >/dev/null 2>&1 || fail "r.zem"
rm r.res && cp r.zem r.orig && chmod 444 r_01.zem
"$zemcalc" r.zem >/dev/null 2>err
[ $? -eq 1 ] && grep -q '^r.zem: Файл доступен только для чтения: .*r_01.zem' err && ! grep -q 'Порядок системы' err ||
  fail "a read-only approximation must be refused before the calculation: $(cat err)"
untouched r
cd ..

# --- A series on a full disk (needs root for a small file system). -------------
if [ "$(id -u)" = 0 ] && mkdir full && mount -t tmpfs -o size=256k tmpfs full 2>/dev/null; then
  mnt="$dir/full"
  cd full
  tank m.zem 8 10000
  printf '[ZEM SERIES]\r\n#FILES\r\nm.zem\r\n#RESULT DATA\r\n#RESULT\r\n' > s.zes
  cp m.zem m.orig && cp s.zes s.orig
  dd if=/dev/zero of=filler bs=4k 2>/dev/null
  "$zemcalc" -q s.zes >"$dir/out" 2>"$dir/err"
  [ $? -eq 1 ] || fail "a series on a full disk must fail"
  grep -q '^  m.zem: Ошибка записи в файл .*нет места на диске' "$dir/out" ||
    fail "the member's failure was not shown: $(cat "$dir/out")"
  grep -q '^s.zes: Ошибка записи в файл .*нет места на диске' "$dir/err" || fail "the series' failure: $(cat "$dir/err")"
  cmp -s s.zes s.orig && cmp -s m.zem m.orig || fail "a file on the full disk changed"
  only m.zem m.orig s.zes s.orig filler
  cd ..
  umount full && mnt=""
else
  echo "full disk: skipped (needs root and tmpfs)"
fi

echo "1 passed, 0 failed"
