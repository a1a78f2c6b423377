#!/usr/bin/env bash
# Pictures of the program's windows for docs/images, taken from the desktop
# program on a virtual screen: a problem with its result table and colour map
# beside it, the progress window with its Stop button, the queue beside a
# series, and the new-problem list. Needs xvfb-run, xdotool and ImageMagick
# (scripts/deps.sh).
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
printf '%s\r\n' "[ZEM SERIES]" "#FILES" "tank-2.zem" "tank-3.zem" "#RESULT DATA" "w;" "#RESULT" > "$work/tanks.zes"

cat > "$work/run.sh" <<'INNER'
set -euo pipefail
cd "$WORK"
export HOME="$WORK" XDG_CONFIG_HOME="$WORK/config" QT_QPA_PLATFORM=xcb
shot() { sleep "$2"; import -window root "$OUT/$1.png"; }
wait_for() { for _ in $(seq 60); do w=$(xdotool search --name "$1" 2>/dev/null | head -1) && [ -n "$w" ] && { echo "$w"; return; }; sleep 0.5; done; }
"$ZEMCAD" tank.zem &
pid=$!
main=$(wait_for "^ZEM CAD 2")
xdotool windowsize "$main" 1270 860 windowmove "$main" 0 0
sleep 3
focus() { xdotool windowactivate --sync "$main" 2>/dev/null || true; }
# The tank calculated, its element editor, and from the editor's menus the
# table and the map of the deflection. Menus are reached from the menu bar:
# F10, then the arrows.
focus; xdotool key F9; sleep 4
xdotool key shift+F3; sleep 2
menu() {  # right-steps in the menu bar, then down-steps to a submenu, then down-steps in it
  xdotool key F10; sleep 0.4
  for _ in $(seq "$1"); do xdotool key Right; sleep 0.1; done
  xdotool key Down; sleep 0.3
  for _ in $(seq "$2"); do xdotool key Down; sleep 0.1; done
  xdotool key Right; sleep 0.3
  for _ in $(seq "$3"); do xdotool key Down; sleep 0.1; done
  xdotool key Return; sleep 1.5
}
[ -n "${MENU_TABLE:-}" ] && menu $MENU_TABLE
[ -n "${MENU_GRAPH:-}" ] && menu $MENU_GRAPH
shot result-windows 2
# A long calculation: the progress window and its Stop button.
xdotool key F3; sleep 1.5
xdotool type --delay 40 "slow.zem"; xdotool key Return; sleep 2
xdotool key F9; sleep 5
shot progress-window 1
prog=$(xdotool search --name "^Решение СЛАУ" | head -1)
xdotool windowactivate --sync "$prog" 2>/dev/null || true
xdotool key Escape; sleep 1; xdotool key Return; sleep 2
# The series run, and the queue beside it.
xdotool key F3; sleep 1.5
xdotool type --delay 40 "tanks.zes"; xdotool key Return; sleep 2
xdotool key F9; sleep 6
xdotool key F12; sleep 2
shot queue-series 1
# The new-problem list: "&Файл", "&Новая задача".
focus; xdotool key F10 Down Return
shot new-problem 2
xdotool key Escape; sleep 0.5
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
INNER
WORK="$work" ZEMCAD="$zemcad" OUT="$out" xvfb-run -a -s "-screen 0 1280x900x24" bash "$work/run.sh"
ls -l "$out"
