#!/usr/bin/env bash
# The batch runner's memory and its long rings: an address-space limit or
# --memory-limit refuses a method that cannot fit with its figures and the
# method that fits, the file left as it was; a ring of a million steps stops
# within a second of SIGTERM (the run's exit is allowed two, for freeing its
# four million equations on a loaded machine), and so does each method that
# can solve it while it solves. Usage: cli_memory_ring.sh
# path/to/zemcalc
set -u
zemcalc=$(realpath "$1")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
fail() { echo "FAIL: $*"; exit 1; }

# "Метод Гаусcа, массив" (a Latin c) in cp1251: an N x N block of doubles.
array=$'\xcc\xe5\xf2\xee\xe4 \xc3\xe0\xf3\xf1c\xe0, \xec\xe0\xf1\xf1\xe8\xe2'
tank() {  # tank NAME MESH METHOD
  printf '[ZEM CAD 2]\r\nCylSym\r\n#OBJECT\r\n{BOUNDS={w_bot=0, dw_bot=0, Q1_top=0, M1_top=0},\r\n LOADS={Gidr=10000}, MESH={mesh_x=%s}}\r\n#CALCULATION\r\nCalcType= simple\r\nSaveResult\r\nSLAEMethod= %s\r\n' "$2" "$3" > "$1"
}
refused() {  # refused FILE.err: the figures and the method that fits
  local text
  text=$(iconv -f utf-8 -t utf-8 "$1" 2>/dev/null || cat "$1")
  grep -q 'Недостаточно памяти для решения СЛАУ порядка 20005: метод «Метод Гаусcа, массив» требует около 3,0 ГБ, доступно' <<<"$text" &&
    grep -q 'Умещается метод «Метод Гаусса. Ленточная матрица»' <<<"$text"
}

# --- Under ulimit -v the array method (3 GB for 20 005 unknowns) is refused. --
tank big.zem 20000 "$array"
cp big.zem big.orig
# (AddressSanitizer reserves terabytes of address space at start: a build
# with it cannot run under an address-space limit at all.)
if ! ldd "$zemcalc" 2>/dev/null | grep -q libasan; then
  ( ulimit -v 1500000; "$zemcalc" -q big.zem >ulimit.out 2>ulimit.err )
  rc=$?
  [ $rc -eq 1 ] || fail "ulimit -v: exit status $rc, expected 1: $(cat ulimit.err)"
  refused ulimit.err || fail "ulimit -v: no figures: $(cat ulimit.err)"
  cmp -s big.zem big.orig && [ ! -e big.res ] || fail "a refused file was changed"
fi

# --- The same refusal from --memory-limit; bad sizes are bad usage. ---------------
"$zemcalc" -q --memory-limit 1G big.zem >cap.out 2>cap.err
[ $? -eq 1 ] && refused cap.err || fail "--memory-limit 1G: $(cat cap.err)"
grep -q 'доступно 1,0 ГБ' cap.err || fail "the cap is not the figure available: $(cat cap.err)"
for bad in "" 0 1.5G lots; do
  "$zemcalc" -q --memory-limit "$bad" big.zem >/dev/null 2>bad.err
  [ $? -eq 2 ] && grep -q '^usage:' bad.err || fail "--memory-limit '$bad' must be a usage error"
done
cmp -s big.zem big.orig || fail "a refused file was changed"

# --- A ring of a million steps stops within a second of SIGTERM (well under a
# tenth of it on an idle machine; the limit leaves room for a loaded one),
# while its equations are written for the band width and built again. ---
printf '[ZEM CAD 2]\r\nRing\r\n#OBJECT\r\n{PARAMS={R=2, F=0.005, Jx=1e-5, Jr=1e-5, Jk=1e-6},\r\n LOADS={t=[0, 0, 1000]}, MESH={mesh=1000000}}\r\n#CALCULATION\r\nCalcType= simple\r\nSaveResult\r\n' > ring.zem
cp ring.zem ring.orig
for delay in 1 3; do
  "$zemcalc" -q ring.zem >ring.out 2>ring.err &
  pid=$!
  sleep "$delay"
  kill -0 "$pid" 2>/dev/null || fail "the ring finished or failed within $delay s: $(cat ring.err)"
  kill -TERM "$pid"
  start=$(date +%s%N)
  while kill -0 "$pid" 2>/dev/null; do
    [ $(( ($(date +%s%N) - start) / 1000000 )) -lt 2000 ] || { kill -KILL "$pid"; fail "still running 2 s after SIGTERM ($delay s in)"; }
    sleep 0.05
  done
  wait "$pid"
  rc=$?
  [ $rc -ne 0 ] && grep -q 'Расчет прерван' ring.err || fail "a stopped ring: exit $rc, $(cat ring.err)"
  cmp -s ring.zem ring.orig && [ ! -e ring.res ] || fail "a stopped ring changed its file"
done
# --- Each method that can solve the ring stops as quickly once it is solving:
# the sweeps of the iterations look at the stop every few thousand rows, the
# sparse method at every row it takes in. The log's "Порядок системы" says the
# solution has begun; the memory check's pass over the rows takes about as
# long as a sweep, so the signal comes five seconds later, among the sweeps
# (a sweep once ran 3 to 7 s on to its end before it looked). ---
for method in "Метод Гаусcа-Зейделя" "Метод последовательной релаксации" "Разреженный прямой метод"; do
  m=$(printf '%s' "$method" | iconv -f utf-8 -t cp1251)
  printf '[ZEM CAD 2]\r\nRing\r\n#OBJECT\r\n{PARAMS={R=2, F=0.005, Jx=1e-5, Jr=1e-5, Jk=1e-6},\r\n LOADS={t=[0, 0, 1000]}, MESH={mesh=1000000}}\r\n#CALCULATION\r\nCalcType= simple\r\nSaveResult\r\nSLAEMethod= %s\r\n' "$m" > ring.zem
  cp ring.zem ring.orig
  "$zemcalc" ring.zem >ring.out 2>ring.err &
  pid=$!
  start=$(date +%s%N)
  until grep -q 'Порядок системы' ring.out ring.err; do
    kill -0 "$pid" 2>/dev/null || fail "$method: the ring ended before solving: $(cat ring.out ring.err)"
    [ $(( ($(date +%s%N) - start) / 1000000 )) -lt 120000 ] || { kill -KILL "$pid"; fail "$method: no solution began within 2 minutes"; }
    sleep 0.05
  done
  sleep 5
  kill -0 "$pid" 2>/dev/null || fail "$method: the ring finished or failed within 5 s of solving: $(cat ring.err)"
  kill -TERM "$pid"
  start=$(date +%s%N)
  while kill -0 "$pid" 2>/dev/null; do
    [ $(( ($(date +%s%N) - start) / 1000000 )) -lt 2000 ] || { kill -KILL "$pid"; fail "$method: still running 2 s after SIGTERM"; }
    sleep 0.05
  done
  wait "$pid"
  rc=$?
  [ $rc -ne 0 ] && grep -q 'Расчет прерван' ring.out ring.err || fail "$method: a stopped ring: exit $rc, $(cat ring.err)"
  cmp -s ring.zem ring.orig && [ ! -e ring.res ] || fail "$method: a stopped ring changed its file"
done

echo "cli_memory_ring: all passed"
