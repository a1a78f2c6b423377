#!/usr/bin/env bash
# Pictures for docs/images, taken from the desktop program on a virtual
# screen: the calculation dialog with the cost of the chosen method for a
# 400 x 128 technical-theory cylinder, the help window, and the Russian open
# dialog. Needs xvfb-run, xdotool and ImageMagick (scripts/deps.sh).
#   scripts/screenshots.sh [path of zemcad] [output directory]
set -euo pipefail
zemcad=$(realpath "${1:-build/bin/zemcad}")
out=$(realpath "${2:-docs/images}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

# The problem file, in code page 1251 as the program writes it. The dense
# method's name has a Latin "c" among the Cyrillic letters.
printf '%s\r\n' "[ZEM CAD 2]" "CylTech" "#OBJECT" \
  "{PARAMS={R=10.0, H=10.0, t=0.01, E=2.06e11, mu=0.3}, BOUNDS={u_bot=0, v_bot=0, w_bot=0, dw_bot=0, N1_top=0, S1_top=0, Q1_top=0, M1_top=0}, LOADS={Gidr=10000}, MESH={mesh_x=400, mesh_y=128}}" \
  "#CALCULATION" "CalcType= simple" "RealType= REAL" "SLAEMethod= Метод Гауcса" "IsSLAEError" "SaveResult" |
  iconv -f UTF-8 -t CP1251 > "$work/tank.zem"

cat > "$work/run.sh" <<'INNER'
set -euo pipefail
cd "$WORK"
export HOME="$WORK" XDG_CONFIG_HOME="$WORK/config" QT_QPA_PLATFORM=xcb
"$ZEMCAD" tank.zem &
pid=$!
main=""
for _ in $(seq 60); do
  main=$(xdotool search --name "^ZEM CAD 2" 2>/dev/null | head -1) && [ -n "$main" ] && break
  sleep 0.5
done
sleep 3
shot() { sleep "$2"; import -window root "$OUT/$1.png"; }
focus() { xdotool windowfocus --sync "$main" 2>/dev/null || true; }
# "&Выполнить": the calculation dialog shows what the dense method would cost.
focus; xdotool key F9
shot calculation-dialog 12
xdotool key Escape; sleep 1
# F1 in the problem window: its page of the manual.
focus; xdotool key F1
shot help-window 3
help=$(xdotool search --name "^Помощь" | head -1)
xdotool windowunmap "$help" || true
# "&Открыть" (F3): Qt's file dialog, in Russian.
focus; xdotool key F3
shot open-dialog 3
xdotool key Escape; sleep 0.5
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
INNER
WORK="$work" ZEMCAD="$zemcad" OUT="$out" xvfb-run -a -s "-screen 0 1280x900x24" bash "$work/run.sh"
ls -l "$out"
