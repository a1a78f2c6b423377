#!/usr/bin/env bash
# Regenerates docs/verification.md from real runs: every case is calculated by
# zemcalc on three meshes, each refined twice over, and compared with its
# closed-form answer.
#
#   scripts/verify.sh [ZEMCALC]            prints the page
#   scripts/verify.sh [ZEMCALC] --write    writes docs/verification.md
#
# ZEMCALC defaults to build/bin/zemcalc. The numbers are printed with fixed
# digits, so the page comes out the same on every run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
zemcalc=$(realpath "${1:-$root/build/bin/zemcalc}")
write=${2:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

band="Метод Гаусса. Ленточная матрица"

# problem NAME TYPE OBJECT: a problem file in code page 1251 with CR LF.
problem() {
  printf '[ZEM CAD 2]\n%s\n#OBJECT\n%s\n#CALCULATION\nCalcType= simple\nSLAEMethod= %s\n' "$2" "$3" "$band" |
    sed 's/$/\r/' | iconv -f utf-8 -t cp1251 >"$work/$1.zem"
}

# value NAME DOMAIN I J FIELD: the field at node (I, J) of the domain, from
# the CSV export of the calculated problem (of the columns a name heads, one
# per unit, the one with a value on the node's row).
value() {
  (cd "$work" && "$zemcalc" -q --export csv "$1.csv" "$1.zem" >/dev/null)
  awk -F, -v d="$2" -v i="$3" -v j="$4" -v f="$5" '
    NR == 1 { for (k = 1; k <= NF; ++k) { n = $k; sub(/ \[.*/, "", n); if (n == f) c[++nc] = k }; next }
    $1 == d && $2 == i && $3 == j { col = c[1]; for (m = 1; m <= nc; ++m) if ($(c[m]) != "") { col = c[m]; break }; print $col; found = 1; exit }
    END { if (!found || !col) exit 1 }' "$work/$1.csv"
}

# three TYPE OBJECT DOMAIN FIELD PART M1 M2 M3: the problem calculated on the
# meshes M1, M2, M3 (OBJECT with every "@" replaced by the mesh); sets v to
# FIELD at node (M / PART, 0) of DOMAIN on each (PART 0: node 0). PART may be
# "PI,PJ" for the node (M / PI, M / PJ).
cases=0
three() {
  local type=$1 obj=$2 domain=$3 field=$4 part=${5%,*} jpart=0 n name
  [ "$part" = "$5" ] || jpart=${5#*,}
  shift 5
  cases=$((cases + 1))
  v=()
  for n in "$@"; do
    name="case${cases}_$n"
    problem "$name" "$type" "${obj//@/$n}"
    v+=("$(value "$name" "$domain" $((part ? n / part : 0)) $((jpart ? n / jpart : 0)) "$field")")
  done
}

rows=()
# row CASE SOURCE QUANTITY EXACT V1 V2 V3 MESHES: one line of the table. The
# error is that of the finest mesh; the observed order comes from the three
# solutions alone, log2(|V1 - V2| / |V2 - V3|).
row() {
  rows+=("$(awk -v c="$1" -v s="$2" -v q="$3" -v e="$4" -v a="$5" -v b="$6" -v f="$7" -v m="$8" '
    function abs(x) { return x < 0 ? -x : x }
    function err(x) { return 100 * (x - e) / abs(e) }
    BEGIN {
      d1 = abs(a - b); d2 = abs(b - f)
      order = (d2 > 1e-6 * abs(f) && d1 > 0) ? sprintf("%.2f", log(d1 / d2) / log(2)) : "—"
      printf "| %s | %s | %s | %.6g | %s | %.6g / %.6g / %.6g | %.2e / %.2e / %.2e | %s |", c, s, q, e, m, a, b, f,
             err(a), err(b), err(f), order
    }')")
}

# --- 1. Clamped tank under liquid (axisymmetric shell). --------------------------
# R = 5 m, H = 8 m, t = 8 mm, steel, water to the brim; clamped bottom, free top.
# Bending moment at the bottom: M1(0) = -gamma (H - 1/beta) / (2 beta^2),
# beta^4 = 3 (1 - mu^2) / (R t)^2.
tank_obj() {  # tank_obj TYPE [MESH_Y]
  local bounds="w_bot=0, dw_bot=0, Q1_bot=, M1_bot=, w_top=, dw_top=, Q1_top=0, M1_top=0"
  local params="R=5, H=8, t=0.008, E=2.06e11, mu=0.3" mesh="mesh_x=@"
  if [ "${1#CylTech}" != "$1" ] || [ "${1#CylLave}" != "$1" ]; then
    bounds="u_bot=0, v_bot=0, w_bot=0, dw_bot=0, N1_top=0, S1_top=0, Q1_top=0, M1_top=0"
    mesh="mesh_x=@, mesh_y=${2:-4}"
    echo "{PARAMS={$params}, BOUNDS={$bounds}, LOADS={Gidr=9810, Wind=}, MESH={$mesh}}"
  else
    echo "{PARAMS={$params}, BOUNDS={$bounds}, LOADS={Uniform=, Gidr=9810}, MESH={$mesh}}"
  fi
}
beta() { awk -v r="$1" -v t="$2" 'BEGIN { printf "%.17g", (3 * (1 - 0.09) / (r * t) ^ 2) ^ 0.25 }'; }
b=$(beta 5 0.008)
tank_m1=$(awk -v b="$b" 'BEGIN { printf "%.17g", -9810 * (8 - 1 / b) / (2 * b * b) }')
# tank CASE TYPE SIGN MESH_Y M1 M2 M3 MESHES: one row of the tank's moment at
# the bottom by TYPE; SIGN -1 for a type whose moment is M1 = D w''.
tank() {
  local title=$1 type=$2 sign=$3 mesh_y=$4
  three "$type" "$(tank_obj "$type" "$mesh_y")" "" M1 0 "$5" "$6" "$7"
  row "$title" "краевой эффект длинной оболочки [1]" "M1 внизу, Н·м/м" \
    "$(awk -v m="$tank_m1" -v s="$sign" 'BEGIN { printf "%.17g", s * m }')" "${v[@]}" "$8"
}
tank "Резервуар под наливом, защемлённый внизу (CylSym)" CylSym 1 "" 100 200 400 "100 / 200 / 400"

# --- 2, 3. Pipe under internal pressure, clamped and hinged ends. -----------------
# R = 0.5 m, L = 2 m, t = 10 mm, p = 2 MPa. Clamped: M1(0) = -p / (2 beta^2).
# Hinged: M1(x) = p / (2 beta^2) exp(-beta x) sin(beta x), taken at x = 0.1 m.
pipe_obj() {  # pipe_obj BOUNDS
  echo "{PARAMS={R=0.5, H=2, t=0.01, E=2.06e11, mu=0.3}, BOUNDS={$1}, LOADS={Uniform=2e6, Gidr=}, MESH={mesh_x=@}}"
}
b=$(beta 0.5 0.01)
clamped="w_bot=0, dw_bot=0, Q1_bot=, M1_bot=, w_top=0, dw_top=0, Q1_top=, M1_top="
hinged="w_bot=0, dw_bot=, Q1_bot=, M1_bot=0, w_top=0, dw_top=, Q1_top=, M1_top=0"
exact=$(awk -v b="$b" 'BEGIN { printf "%.17g", -2e6 / (2 * b * b) }')
three CylSym "$(pipe_obj "$clamped")" "" M1 0 80 160 320
row "Труба под давлением, защемлённые торцы (CylSym)" "краевой эффект длинной оболочки [1]" "M1 у торца, Н·м/м" \
  "$exact" "${v[@]}" "80 / 160 / 320"
exact=$(awk -v b="$b" 'BEGIN { x = 0.1; printf "%.17g", 2e6 / (2 * b * b) * exp(-b * x) * sin(b * x) }')
three CylSym "$(pipe_obj "$hinged")" "" M1 20 80 160 320
row "Труба под давлением, шарнирные торцы (CylSym)" "краевой эффект длинной оболочки [1]" "M1 при x = 0,1 м, Н·м/м" \
  "$exact" "${v[@]}" "80 / 160 / 320"

# --- 4. Stepped tank: three courses of 12, 10 and 8 mm, 4 m each. -----------------
# Far from the joints the wall is in the membrane state:
# w = gamma (H - x) R^2 / (E t); taken in the middle of the second course.
stepped_obj() {
  local s=""
  local k=1
  for t in 0.012 0.010 0.008; do
    s+="${s:+, }Span$k={PARAMS={H=4, t=$t}, LOADS={Uniform=}, MESH={mesh_x=@}}"
    k=$((k + 1))
  done
  echo "{PARAMS={R=5, H=4, t=0.01, E=2.06e11, mu=0.3}, BOUNDS={w_bot=0, dw_bot=0, Q1_bot=, M1_bot=, w_top=, dw_top=, Q1_top=0, M1_top=0}, LOADS={Uniform=, Gidr=9810}, ELEMS={$s}}"
}
exact=$(awk 'BEGIN { printf "%.17g", 9810 * (12 - 6) * 25 / (2.06e11 * 0.010) }')
three CompCylSym "$(stepped_obj)" Span2 w 2 40 80 160
row "Ступенчатый резервуар, три пояса (CompCylSym)" "безмоментное состояние [1]" "w в середине 2-го пояса, м" \
  "$exact" "${v[@]}" "40 / 80 / 160 на пояс"

# --- 5. The clamped tank by the technical theory, whose moment is M1 = D w''
# (the axisymmetric type's is -D w''). ----------------------------------------------------
tank "Резервуар под наливом по технической теории (CylTech)" CylTech -1 4 100 200 400 "100×4 / 200×4 / 400×4"

# --- 6. Wind on a short clamped cylinder. ---------------------------------------------
# R = H = 4 m, t = 10 mm, radial load q cos(theta), q = 1 kPa; the shell works as a
# cantilever beam: N1 = -q (H - x)^2 / (2 R) cos(theta), at x = H/2 on the
# windward generator.
wind_obj() {
  echo "{PARAMS={R=4, H=4, t=0.01, E=2.06e11, mu=0.3}, BOUNDS={u_bot=0, v_bot=0, w_bot=0, dw_bot=0, N1_top=0, S1_top=0, Q1_top=0, M1_top=0}, LOADS={Gidr=, Wind=[0, 1000]}, MESH={mesh_x=@, mesh_y=@}}"
}
exact=$(awk 'BEGIN { printf "%.17g", -1000 * 2 * 2 / (2 * 4) }')
three CylTech "$(wind_obj)" "" N1 2 8 16 32
row "Ветер на короткий защемлённый цилиндр (CylTech)" "безмоментная теория, балочная аналогия [1]" \
  "N1 при x = H/2 с наветренной стороны, Н/м" "$exact" "${v[@]}" "8×8 / 16×16 / 32×32"

# --- 7-9. The clamped tank by the higher-accuracy stencils. -------------------------
tank "Резервуар под наливом, шаблоны повышенной точности (CylSym2)" CylSym2 1 "" 100 200 400 "100 / 200 / 400"
for type in CylTech2_1 CylTech2_2; do
  tank "Резервуар под наливом, шаблоны повышенной точности ($type)" $type -1 8 50 100 200 "50×8 / 100×8 / 200×8"
done

# --- 10. A stiffening ring ovalised by a radial load T cos(2 phi). ---------------------
# R = 2 m, a slender section (F = 50 cm^2, Jr = Jx = 1000 cm^4). The
# harmonic load is balanced by the ring's forces alone: Mr = T R^2 / (n^2 - 1)
# cos(n phi) whatever the stiffness, here 1333.3 N·m at phi = 0.
ring_obj='{PARAMS={R=2, E=2.06e11, G=8e10, F=0.005, Jx=1e-5, Jr=1e-5, Jxr=0, Jk=1e-6}, LOADS={t=[0, 0, 1000]}, MESH={mesh=@}}'
three Ring "$ring_obj" "" Mr 0 128 256 512
row "Кольцо жесткости, овализующая нагрузка (Ring)" "равновесие кольца, гармоника n = 2 [1]" "Mr при phi = 0, Н·м" \
  "$(awk 'BEGIN { printf "%.17g", 1000 * 4 / 3 }')" "${v[@]}" "128 / 256 / 512"

# --- 11, 12. The same ring by the higher-accuracy stencils, whole and one period. ----
mr=$(awk 'BEGIN { printf "%.17g", 1000 * 4 / 3 }')
three Ring2 "$ring_obj" "" Mr 0 32 64 128
row "Кольцо жесткости, овализующая нагрузка (Ring2)" "равновесие кольца, гармоника n = 2 [1]" "Mr при phi = 0, Н·м" \
  "$mr" "${v[@]}" "32 / 64 / 128"
# One period of the load is half the ring; its harmonics count per period.
half_ring=${ring_obj/Jk=1e-6/Jk=1e-6, Period=2}
three RingP "${half_ring/t=\[0, 0, 1000\]/t=[0, 1000]}" "" Mr 0 16 32 64
row "Половина кольца, период 180° (RingP)" "равновесие кольца, гармоника n = 2 [1]" "Mr при phi = 0, Н·м" \
  "$mr" "${v[@]}" "16 / 32 / 64 на период"

# --- 13. The clamped tank by the Love equations: under an axisymmetric load they
# are the technical theory's. ----------------------------------------------------------
tank "Резервуар под наливом по уравнениям Лява (CylLave)" CylLave -1 8 50 100 200 "50×8 / 100×8 / 200×8"

# --- 14. Ovalising wind q cos(2 theta) on one half of the short clamped cylinder. ----
# Membrane state: N1 = -n^2 q (H - x)^2 / (2 R) cos(n theta), n = 2; at x = H/2
# on theta = 0, -2000 N/m.
three CylLaveP "$(wind_obj | sed 's/mu=0.3}/mu=0.3, Period=2}/')" "" N1 2 8 16 32
row "Овализующий ветер, половина цилиндра (CylLaveP)" "безмоментная теория [1]" \
  "N1 при x = H/2, theta = 0, Н/м" -2000 "${v[@]}" "8×8 / 16×16 / 32×32 на период"

# --- 15. A shallow panel simply supported on all four edges under pressure. ---------
# R = 10 m, 2 m along the generator, an arc of 12 degrees, t = 10 mm, q = 1 kPa:
# the double sine series of the Love equations, summed to 200 x 200 terms.
ss="u_bot=, v_bot=0, w_bot=0, dw_bot=, N1_bot=0, S1_bot=, Q1_bot=, M1_bot=0"
ss+=", ${ss//_bot/_top}"
ss+=", u_left=0, v_left=, w_left=0, dw_left=, N2_left=0, S2_left=, Q2_left=, M2_left=0"
ss+=", u_right=0, v_right=, w_right=0, dw_right=, N2_right=0, S2_right=, Q2_right=, M2_right=0"
exact=$(awk -v R=10 -v t=0.01 -v E=2.06e11 -v mu=0.3 -v H=2 -v width=12 -v q=1000 -f "$root/scripts/panel-series.awk")
three CylPanel "{PARAMS={R=10, H=2, t=0.01, E=2.06e11, mu=0.3, Width=12}, BOUNDS={$ss}, LOADS={Gidr=, Wind=[1000]}, MESH={mesh_x=@, mesh_y=@}}" \
  "" w 2,2 8 16 32
row "Пологая панель, шарнирно опертая по контуру (CylPanel)" "двойной ряд Навье [2]" "w в центре, м" \
  "$exact" "${v[@]}" "8×8 / 16×16 / 32×32"

# --- 16, 17. The water tank with a top ring under water and an ovalising wind,
# whole and one half. Far from both edges the wall is in the membrane state:
# N2 = (gamma (H - x) + q cos(2 theta)) R, 201 200 N/m at 4 m on theta = 0. ----------
ringed() {  # ringed TYPE PERIOD_PARAM WIND MESH_Y
  echo "{PARAMS={R=5, H=8, t=0.008, E=2.06e11, mu=0.3$2}, BOUNDS={u_bot=0, v_bot=0, w_bot=0, dw_bot=0}, LOADS={Gidr=9810, Wind=$3}, MESH={mesh_x=@, mesh_y=$4}, ELEMS={Ring={PARAMS={G=8e10, F=0.00192, Jx=1.77e-6, Jr=1.77e-6, Jxr=0, Jk=6.7e-8}}}}"
}
three CylRing "$(ringed CylRing "" "[0, 0, 1000]" 16)" "" N2 2 20 40 80
row "Резервуар с кольцом жесткости наверху (CylRing)" "безмоментное состояние [1]" \
  "N2 при x = 4 м, theta = 0, Н/м" 201200 "${v[@]}" "20×16 / 40×16 / 80×16"
three CylRingP "$(ringed CylRingP ", Period=2" "[0, 1000]" 8)" "" N2 2 20 40 80
row "Резервуар с кольцом жесткости, половина (CylRingP)" "безмоментное состояние [1]" \
  "N2 при x = 4 м, theta = 0, Н/м" 201200 "${v[@]}" "20×8 / 40×8 / 80×8 на период"

# --- 18. The ring coupling: a short tank with a stiff ring on its top under an
# ovalising wind q cos(2 theta). R = 2 m, H = 1 m, t = 20 mm, the ring of
# F = 200 cm^2, Jx = Jr = 1e-3 m^4, Jk = 1e-4 m^4. The exact solution of the
# second harmonic (the shell's eight exponentials, the ring's four amplitudes
# and the twelve conditions of the clamped bottom and the joint); the moment
# at the top passes through every row of the joint.
ring_params="G=8e10, F=0.02, Jx=1e-3, Jr=1e-3, Jxr=0, Jk=1e-4"
exact=$(awk -v R=2 -v H=1 -v t=0.02 -v E=2.06e11 -v mu=0.3 -v n=2 -v q=1000 -v G=8e10 -v F=0.02 -v Jx=1e-3 \
  -v Jr=1e-3 -v Jxr=0 -v Jk=1e-4 -v what=M1top -f "$root/scripts/ring-harmonic.awk")
three CylRing "{PARAMS={R=2, H=1, t=0.02, E=2.06e11, mu=0.3}, BOUNDS={u_bot=0, v_bot=0, w_bot=0, dw_bot=0}, LOADS={Gidr=, Wind=[0, 0, 1000]}, MESH={mesh_x=@, mesh_y=@}, ELEMS={Ring={PARAMS={$ring_params}}}}" \
  "" M1 1 16 32 64
row "Короткий резервуар с жестким кольцом, овализующий ветер (CylRing)" "точное решение гармоники n = 2 [3]" \
  "M1 у кольца, theta = 0, Н·м/м" "$exact" "${v[@]}" "16×16 / 32×32 / 64×64"

# --- 19. A deep panel: R = 1 m, an arc of 100 degrees, 1 m along the generator,
# t = 10 mm, simply supported on all four edges, q = 1 kPa; the double series.
exact=$(awk -v R=1 -v t=0.01 -v E=2.06e11 -v mu=0.3 -v H=1 -v width=100 -v q=1000 -f "$root/scripts/panel-series.awk")
three CylPanel "{PARAMS={R=1, H=1, t=0.01, E=2.06e11, mu=0.3, Width=100}, BOUNDS={$ss}, LOADS={Gidr=, Wind=[1000]}, MESH={mesh_x=@, mesh_y=@}}" \
  "" w 2,2 16 32 64
row "Глубокая панель, R = 1 м, 100°, шарнирно опертая по контуру (CylPanel)" "двойной ряд Навье [2]" "w в центре, м" \
  "$exact" "${v[@]}" "16×16 / 32×32 / 64×64"

page() {
  cat <<'EOF'
# Verification

Every line below is a real calculation by `zemcalc` on three meshes, each
twice as fine as the one before, compared with the closed-form answer of the
case. The error is (computed − exact) / |exact| in per cent on each mesh; the
observed order is log2(|Q₁ − Q₂| / |Q₂ − Q₃|) from the three computed values
Q₁, Q₂, Q₃ alone, so it measures the convergence of the scheme whatever the
closed form neglects (a dash: the values agree to rounding).

Regenerate the page after a change of the solver, the stencils or a problem
type with

```sh
scripts/verify.sh build/bin/zemcalc --write
```

A test (`verification_page`) regenerates it and compares it with this file.

| Case | Closed form | Quantity | Exact | Meshes | Computed | Error, % | Observed order |
|---|---|---|---|---|---|---|---|
EOF
  printf '%s\n' "${rows[@]}"
  cat <<'EOF'

[1] S. Timoshenko, S. Woinowsky-Krieger, *Theory of Plates and Shells*, 2nd ed.:
the symmetrically loaded cylindrical shell (the edge solutions and the
membrane state of tanks and pipes) and the membrane theory of cylindrical
shells (a cylinder under a load varying round the circumference).

[2] The same book: the simply supported cylindrical panel by the double
trigonometric series (Navier's method) applied to the shell's equations.

[3] The shell's equations of one circumferential harmonic solved exactly
(`scripts/ring-harmonic.awk`): the roots of the characteristic polynomial
with their null vectors, the constant particular solution, and the ring's
four equations of the same harmonic in the conditions of the joint.

Notes on the cases:

- The long-shell edge solutions (β⁴ = 3(1 − μ²)/(R t)², βL > 30 in every case)
  neglect terms of order e^(−βL), far below the printed digits.
- In the stepped tank the joint disturbances decay as e^(−βx) over 2 m from the
  middle of the course (βx > 10), so the membrane value holds to about 10⁻⁵.
- The axisymmetric types give the bending moment as M1 = −D w″, the
  technical theory as M1 = D w″; the exact values carry the sign of each.
- The slender ring bends almost without stretching; three unknowns per node
  that must nearly cancel in the stretching (v′ + w/R ≈ 0) make the difference
  scheme too stiff on coarse meshes, so the ring needs many nodes.
- The wind case is the first circumferential harmonic: the ring moves almost as
  a rigid body, which a coarse circumferential mesh resolves poorly; the error
  falls about fourfold with each refinement of both directions.
- The Love equations under the axisymmetric load of the tank coincide with the
  technical theory; the line repeats the tank for that reason.
- The periodic lines calculate one period of a load that repeats round the
  circumference; they equal the whole structure at the same nodes.
- The ovalising wind is the second harmonic: the membrane state holds
  (N1 = −n² q (H − x)² / (2R) at n = 2) away from the clamped bottom, whose
  edge effect decays as e^(−βx) with 1/β = 0.16 m.
- In the ring-stiffened tank the hoop force at mid-height is the membrane one
  to about 10⁻⁶ on every mesh, so no order of convergence shows.
- The short tank with a stiff ring bends at its top: the ring holds the edge
  against ovalisation and twisting, and the moment there is carried through the
  joint (the ring's twist against the wall's slope, the wall's moment against
  the ring's twisting equation). Both directions are refined together, since
  the second harmonic needs the circumferential mesh as much as the edge zone
  (1/β = 0.16 m) needs the axial one.
- The deep panel's deflection in the middle is a small remainder of the arch's
  stretching and bending, so the coarse meshes miss it by far; the edge zones
  (1/β = 0.08 m) need some ten steps each.
EOF
}

if [ "$write" = "--write" ]; then
  page >"$root/docs/verification.md"
else
  page
fi
