#!/usr/bin/env bash
# Pictures of the program's windows for docs/images, taken from the desktop
# program on a virtual screen: a problem with its result table and colour map
# beside it, the progress window with its Stop button, the queue beside a
# series, the new-problem list and the deformed shell of the wind example.
# Needs xvfb-run, xdotool, openbox and ImageMagick (scripts/deps.sh). The clicks assume the program's first start
# (no stored placements) on the 1280 x 900 screen below.
#   scripts/window_shots.sh [path of zemcad] [output directory]
set -euo pipefail
zemcad=$(realpath "${1:-build/bin/zemcad}")
out=$(realpath "${2:-docs/images}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

# Problem files in code page 1251, as the program writes them: a tank that
# runs at once (automatic mode), the same on a mesh that keeps the iteration
# busy, and a series of two tanks.
tank() {  # name mesh method
  printf '%s\r\n' "[ZEM CAD 2]" "CylSym" "#OBJECT" \
    "{PARAMS={R=5.0, H=8.0, t=0.008, E=2.06e11, mu=0.3}, BOUNDS={w_bot=0, dw_bot=0, Q1_top=0, M1_top=0}, LOADS={Gidr=[9810, 7]}, MESH={mesh_x=$2}}" \
    "#CALCULATION" "AutoMode" "CalcType= simple" "RealType= EXTENDED" "SLAEMethod= $3" "SaveResult" |
    iconv -f UTF-8 -t CP1251 > "$work/$1"
}
band=$(printf 'Метод Гаусса. Ленточная матрица')
iter=$(printf 'Метод Гаусcа-Зейделя')  # a Latin "c" among the Cyrillic letters
tank tank.zem 60 "$band"
tank slow.zem 4000 "$iter"
tank tank-2.zem 40 "$band"
tank tank-3.zem 80 "$band"
# The wind example, calculated without the dialog.
sed 's/^#CALCULATION\r$/#CALCULATION\r\nAutoMode\r/' "$(dirname "$0")/../examples/wind.zem" > "$work/wind.zem"
printf '%s\r\n' "[ZEM SERIES]" "#FILES" "tank-2.zem" "tank-3.zem" "#RESULT DATA" "w;" "#RESULT" > "$work/tanks.zes"

cat > "$work/run.sh" <<'INNER'
set -euo pipefail
cd "$WORK"
export HOME="$WORK" XDG_CONFIG_HOME="$WORK/config" QT_QPA_PLATFORM=xcb
# A window manager, so that the windows have their captions.
openbox >/dev/null 2>&1 &
sleep 1
shot() { sleep "$2"; import -window root "$WORK/$1.png"; }
click() { xdotool mousemove "$1" "$2" click 1; sleep 0.6; }
"$ZEMCAD" tank.zem &
pid=$!
sleep 6
# The main window opens in the middle of the screen (1280 x 900): its menu
# bar at y = 158, the problem window below it. The tank is calculated (F9,
# automatic mode); its element editor (Shift+F3) merges "&Таблицы" and
# "&Графика" into the menu bar; the table of w and the map of M1 open beside
# the problem window.
click 270 300; xdotool key F9; sleep 4
xdotool key shift+F3; sleep 2
click 392 158; xdotool key Down Down Right Return; sleep 1.5
click 462 158; xdotool key Down Down Down Right Down Down Down Down Return
shot result-windows 2.5
convert "$WORK/result-windows.png" -crop 1280x680+0+125 +repage "$OUT/result-windows.png"
# A long calculation: the progress window and its Stop button, then Esc and OK.
click 450 181; xdotool key F3; sleep 1.5
xdotool type --delay 30 "slow.zem"; xdotool key Return; sleep 2.5
xdotool key F9
shot progress-window 5
convert "$WORK/progress-window.png" -crop 1280x680+0+125 +repage "$OUT/progress-window.png"
click 640 470; xdotool key Escape; sleep 1; xdotool key Return; sleep 2
# The series run, and the queue beside it (F12); the result windows closed.
click 450 181; xdotool key F3; sleep 1.5
xdotool type --delay 30 "tanks.zes"; xdotool key Return; sleep 2.5
click 1268 190; click 1268 158
click 640 230; xdotool key F9; sleep 6; xdotool key F12; sleep 2
click 566 206
shot queue-series 1
convert "$WORK/queue-series.png" -crop 1000x640+100+128 +repage "$OUT/queue-series.png"
# The new-problem list ("&Файл", "&Новая задача"), scrolled to the rings.
click 217 158; xdotool key Down Return; sleep 2
for _ in $(seq 13); do xdotool key Down; done
shot new-problem 1
convert "$WORK/new-problem.png" -crop 740x560+272+168 +repage "$OUT/new-problem.png"
xdotool key Escape; sleep 0.5
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
# The wind example calculated (F9) and its deformed shell ("&Расчет",
# "&Деформированный вид"), the window at the right of the problem window.
"$ZEMCAD" wind.zem &
pid=$!
sleep 6
click 270 300; xdotool key F9; sleep 5
click 334 158; xdotool key Down Down Down Down Down Down Return
shot deformed-shell 4
convert "$WORK/deformed-shell.png" -crop 642x504+638+341 +repage "$OUT/deformed-shell.png"
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
INNER
WORK="$work" ZEMCAD="$zemcad" OUT="$out" xvfb-run -a -s "-screen 0 1280x900x24" bash "$work/run.sh"

# --- The thickness sweep of the example tank: its table, the bottom moment
# against the wall thickness, M1 of every member near the bottom, and the
# curves of one member with three fields. ---
zemcalc=$(dirname "$zemcad")/zemcalc
study="$work/study"
mkdir -p "$study"
# The example tank with three requests; zemcalc makes and runs the members.
iconv -f CP1251 -t UTF-8 "$(dirname "$0")/../examples/tank.zem" | tr -d '\r' |
  awk '/^#DESCRIPTION/ { print "#RESULT DATA"; print "M1(0)"; print "max |w|"; print "max SigEq" } { print }' |
  sed 's/$/\r/' | iconv -f UTF-8 -t CP1251 > "$study/tank.zem"
(cd "$study" && "$zemcalc" --sweep t=0.008:0.014:4 tank.zem > /dev/null)
cat > "$study/run.sh" <<'INNER'
set -euo pipefail
cd "$WORK"
export HOME="$WORK" XDG_CONFIG_HOME="$WORK/config" QT_QPA_PLATFORM=xcb
openbox >/dev/null 2>&1 &
sleep 1
click() { xdotool mousemove "$1" "$2" click 1; sleep 0.8; }
shot() { sleep "$2"; import -window root "$WORK/$1.png"; convert "$WORK/$1.png" -crop 902x664+190+130 +repage "$OUT/$1.png"; }
"$ZEMCAD" tank-sweep.zes &
pid=$!
sleep 6
# The series window maximized in the main window (900 x 660 in the middle
# of the screen), its "Результаты" page, then the pages of the result.
click 715 181
click 302 182
click 293 324
shot series-table 0.5
# The bottom moment against t, with the largest equivalent stress ("Ещё
# запросы", its third item) on an axis of its own.
click 368 324
click 1035 347; xdotool key Down Down Down Return
shot series-curve 1
# M1 along the axis for every thickness ("Вдоль оси", its fifth field), the
# bottom metre typed into the horizontal range.
click 449 324
click 640 347; xdotool key Down Down Down Down Return; sleep 1
click 462 772; xdotool key ctrl+a; xdotool type "1"; xdotool key Return
shot series-edge-zone 1
# A member in its window (already calculated): "&Расчет", "&Кривые"; M1
# (the fifth field) with w and Q1 added ("Ещё поля"), no approximations, the
# bottom metre.
click 450 181; xdotool key F3; sleep 2.5
xdotool type --delay 30 "tank_t0.008.zem"; xdotool key Return; sleep 3.5
click 350 158; click 360 271; sleep 2
click 605 245; xdotool key Down Down Down Down Return; sleep 1
click 694 245; xdotool key Down Return; sleep 1
click 694 245; xdotool key Down Down Down Down Return; sleep 1
click 991 245
click 826 639; xdotool key ctrl+a; xdotool type "1"; xdotool key Return
sleep 1; import -window root "$WORK/plot-fields.png"
convert "$WORK/plot-fields.png" -crop 722x464+558+214 +repage "$OUT/plot-fields.png"
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
INNER
WORK="$study" ZEMCAD="$zemcad" OUT="$out" xvfb-run -a -s "-screen 0 1280x900x24" bash "$study/run.sh"
# --- End of the sweep. ---
ls -l "$out"
