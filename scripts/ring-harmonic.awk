# The exact solution of one circumferential harmonic of a cylindrical shell by
# Love's equations, clamped at the bottom, with a flat stiffening ring joined
# to its top edge, under the radial pressure q cos(n theta) on the wall.
#
#   awk -v R=2 -v H=2 -v t=0.02 -v E=2.06e11 -v mu=0.3 -v n=2 -v q=1000 \
#       -v G=8e10 -v F=0.01 -v Jx=1e-4 -v Jr=1e-4 -v Jxr=0 -v Jk=1e-5 \
#       -v what=M1top -f ring-harmonic.awk
#
# With u = U(x) cos, v = V(x) sin, w = W(x) cos (b = n/R), the shell's three
# equations are ordinary ones with constant coefficients: their solution is
# the constant particular one plus eight exponentials exp(lambda x), lambda
# the roots of the determinant of the system's symbol (found by the
# Durand-Kerner iteration and polished by Newton's), each with its null
# vector. An exponential growing along the axis is measured from the top, a
# decaying one from the bottom, so that none overflows. The bottom holds
# U = V = W = W' = 0; the ring (its four amplitudes Ur cos, Vr sin, Wr cos,
# fi cos) moves with the top edge and turns by -W'; the shell's edge forces
# N1, S1 + M12/R, Q1 + dM12/dy load the ring with the opposite sign and M1
# with its own (it does work on -W' = fi). Twelve complex linear equations
# give the eight constants and the ring's amplitudes.
#
# what: M1top (the shell's M1 at the top, theta = 0), wtop (w there), Mxring
# (the ring's Mx at theta = 0).

function cmul(ar, ai, br, bi) { _r = ar * br - ai * bi; _i = ar * bi + ai * br }
function cdiv(ar, ai, br, bi,    d) { d = br * br + bi * bi; _r = (ar * br + ai * bi) / d; _i = (ai * br - ar * bi) / d }
function cexp(ar, ai,    e) { e = exp(ar); _r = e * cos(ai); _i = e * sin(ai) }

# --- Polynomials in lambda: P[name, k] the coefficient of lambda^k, deg[name].
function pset(name, c0, c1, c2, c3, c4) {
  P[name, 0] = c0; P[name, 1] = c1; P[name, 2] = c2; P[name, 3] = c3; P[name, 4] = c4; deg[name] = 4
}
function pmul(out, a, b,    i, j) {
  for (i = 0; i <= deg[a] + deg[b]; ++i) T[i] = 0
  for (i = 0; i <= deg[a]; ++i) for (j = 0; j <= deg[b]; ++j) T[i + j] += P[a, i] * P[b, j]
  deg[out] = deg[a] + deg[b]
  for (i = 0; i <= deg[out]; ++i) P[out, i] = T[i]
}
function padd(out, a, b, s,    i, d) {  # out = a + s b
  d = deg[a] > deg[b] ? deg[a] : deg[b]
  for (i = 0; i <= d; ++i) T[i] = (i <= deg[a] ? P[a, i] : 0) + s * (i <= deg[b] ? P[b, i] : 0)
  deg[out] = d
  for (i = 0; i <= d; ++i) P[out, i] = T[i]
}

# The symbol's entry (r, c) at the complex lambda into _r, _i.
function entry(r, c, lr, li,    k, sr, si, pr, pi_) {
  sr = 0; si = 0; pr = 1; pi_ = 0
  for (k = 0; k <= 4; ++k) {
    sr += P["a" r c, k] * pr; si += P["a" r c, k] * pi_
    cmul(pr, pi_, lr, li); pr = _r; pi_ = _i
  }
  _r = sr; _i = si
}

BEGIN {
  if (what == "") what = "M1top"
  b = n / R; k = t * t / 12; B = E * t / (1 - mu * mu); D = k * B; Gt = E * t / 2 / (1 + mu)
  # The symbol: rows EqI (cos), EqII (sin), EqIII (cos) over U, V, W.
  pset("a00", -(1 - mu) / 2 * b * b, 0, 1, 0, 0)
  pset("a01", 0, (1 + mu) / 2 * b, 0, 0, 0)
  pset("a02", 0, mu / R, 0, 0, 0)
  pset("a10", 0, -(1 + mu) / 2 * b, 0, 0, 0)
  pset("a11", -b * b * (1 + k / (R * R)), 0, (1 - mu) * (0.5 + k / (R * R)), 0, 0)
  pset("a12", -b / R - k * b * b * b / R, 0, k * b / R, 0, 0)
  pset("a20", 0, mu / R, 0, 0, 0)
  pset("a21", b / R + k * b * b * b / R, 0, -k * (2 - mu) * b / R, 0, 0)
  pset("a22", k * b * b * b * b + 1 / (R * R), 0, -2 * k * b * b, 0, k)
  # The determinant, by the first row.
  pmul("p", "a11", "a22"); pmul("q", "a12", "a21"); padd("m0", "p", "q", -1)
  pmul("p", "a10", "a22"); pmul("q", "a12", "a20"); padd("m1", "p", "q", -1)
  pmul("p", "a10", "a21"); pmul("q", "a11", "a20"); padd("m2", "p", "q", -1)
  pmul("p", "a00", "m0"); pmul("q", "a01", "m1"); padd("det", "p", "q", -1)
  pmul("q", "a02", "m2"); padd("det", "det", "q", 1)
  N = 8
  for (i = 0; i <= N; ++i) c[i] = P["det", i] / P["det", N]
  # Durand-Kerner from points on a circle of the roots' size.
  rad = 0
  for (i = 0; i < N; ++i) if ((x = (c[i] < 0 ? -c[i] : c[i]) ^ (1 / (N - i))) > rad) rad = x
  for (i = 0; i < N; ++i) { zr[i] = rad * cos(2 * 3.14159265358979 * (i + 0.3) / N); zi[i] = rad * sin(2 * 3.14159265358979 * (i + 0.3) / N) }
  for (it = 0; it < 2000; ++it) {
    for (i = 0; i < N; ++i) {
      # p(z) / prod (z - z_j)
      vr = 1; vi = 0
      for (j = N - 1; j >= 0; --j) { cmul(vr, vi, zr[i], zi[i]); vr = _r + c[j]; vi = _i }
      dr = 1; di = 0
      for (j = 0; j < N; ++j) if (j != i) { cmul(dr, di, zr[i] - zr[j], zi[i] - zi[j]); dr = _r; di = _i }
      cdiv(vr, vi, dr, di); zr[i] -= _r; zi[i] -= _i
    }
  }
  # Null vectors: the largest cross product of two rows of the symbol.
  for (r = 0; r < N; ++r) {
    for (i = 0; i < 3; ++i) for (j = 0; j < 3; ++j) { entry(i, j, zr[r], zi[r]); mr[i, j] = _r; mi[i, j] = _i }
    best = -1
    for (p1 = 0; p1 < 3; ++p1) {
      p2 = (p1 + 1) % 3
      for (j = 0; j < 3; ++j) {
        j1 = (j + 1) % 3; j2 = (j + 2) % 3
        cmul(mr[p1, j1], mi[p1, j1], mr[p2, j2], mi[p2, j2]); xr = _r; xi = _i
        cmul(mr[p1, j2], mi[p1, j2], mr[p2, j1], mi[p2, j1]); yr[j] = xr - _r; yi[j] = xi - _i
      }
      s = yr[0] ^ 2 + yi[0] ^ 2 + yr[1] ^ 2 + yi[1] ^ 2 + yr[2] ^ 2 + yi[2] ^ 2
      if (s > best) { best = s; for (j = 0; j < 3; ++j) { fr[r, j] = yr[j] / sqrt(s); fi_[r, j] = yi[j] / sqrt(s) } }
    }
    origin[r] = zr[r] > 0 ? H : 0
  }
  # The particular solution: U0 = 0, and V0, W0 from EqII and EqIII.
  a11 = P["a11", 0]; a12 = P["a12", 0]; a21 = P["a21", 0]; a22 = P["a22", 0]; f2 = q / B
  dd = a11 * a22 - a12 * a21
  X0[0] = 0; X0[1] = -a12 * f2 / dd; X0[2] = a11 * f2 / dd

  # Unknowns: C_0 ... C_7, then Ur, Vr, Wr, Fr (columns 8 ... 11).
  nu = 12
  for (i = 0; i < nu; ++i) for (j = 0; j <= nu; ++j) { Ar[i, j] = 0; Ai[i, j] = 0 }
  row = 0
  # Bottom: U, V, W, W' = 0.
  addvalue(0, 0, 0, 1); row++
  addvalue(1, 0, 0, 1); row++
  addvalue(2, 0, 0, 1); row++
  addvalue(2, 1, 0, 1); row++
  # The ring on the top edge.
  for (comp = 0; comp < 3; ++comp) { addvalue(comp, 0, H, 1); Ar[row, 8 + comp] -= 1; row++ }
  addvalue(2, 1, H, 1); Ar[row, 11] += 1; row++
  # N1 - Qx_Eq = 0
  addvalue(0, 1, H, B); addvalue(1, 0, H, B * mu * b); addvalue(2, 0, H, B * mu / R)
  ringQx(-1); row++
  # S1 + M12/R - N2_Eq = 0
  addvalue(0, 0, H, -Gt * b); addvalue(1, 1, H, Gt + D * (1 - mu) / (R * R)); addvalue(2, 1, H, D * (1 - mu) * b / R)
  ringN2(-1); row++
  # Q1 + dM12/dy - Qr_Eq = 0
  addvalue(2, 1, H, D * (2 - mu) * b * b); addvalue(2, 3, H, -D); addvalue(1, 1, H, D * (2 - mu) * b / R)
  ringQr(-1); row++
  # M1 + Mk_Eq = 0
  addvalue(2, 2, H, D); addvalue(2, 0, H, -D * mu * b * b); addvalue(1, 0, H, -D * mu * b / R)
  ringMk(1); row++
  solve()
  if (what == "M1top")
    printf "%.17g\n", D * (value(2, 2, H) - mu * b * b * value(2, 0, H)) - D * mu * b / R * value(1, 0, H)
  else if (what == "wtop")
    printf "%.17g\n", value(2, 0, H)
  else  # the ring's Mx = -E/R (Jx (fi + R u'') + Jxr (R w'' - v')) at theta = 0
    printf "%.17g\n", -E / R * (Jx * (Xr[11] - R * b * b * Xr[8]) + Jxr * (-R * b * b * Xr[10] - b * Xr[9]))
}

# Adds s times derivative order p of component comp at x to the current row
# (the particular solution into the free term, kept on the right).
function addvalue(comp, p, x, s,    r, er, ei, lr, li, m) {
  for (r = 0; r < 8; ++r) {
    lr = 1; li = 0
    for (m = 0; m < p; ++m) { cmul(lr, li, zr[r], zi[r]); lr = _r; li = _i }
    cexp(zr[r] * (x - origin[r]), zi[r] * (x - origin[r])); er = _r; ei = _i
    cmul(lr, li, er, ei); cmul(_r, _i, fr[r, comp], fi_[r, comp])
    Ar[row, r] += s * _r; Ai[row, r] += s * _i
  }
  if (p == 0) Ar[row, nu] -= s * X0[comp]
}
# The ring's rows times s, their derivative factors those of the harmonic
# (cos -> -b sin -> -b^2 cos ...); the ring carries no load of its own.
function ringQx(s) {
  Ar[row, 8] += s * (-E * Jx * b ^ 4 - G * Jk / (R * R) * b * b)
  Ar[row, 11] += s * (E * Jx + G * Jk) / R * b * b
  Ar[row, 10] += s * (-E * Jxr * b ^ 4)
  Ar[row, 9] += s * (-E * Jxr / R * b ^ 3)
}
function ringN2(s) {
  Ar[row, 9] += s * (-E * (Jr / (R * R) + F) * b * b)
  Ar[row, 10] += s * (-E * F / R * b - E * Jr / R * b ^ 3)
  Ar[row, 8] += s * (-E * Jxr / R * b ^ 3)
  Ar[row, 11] += s * (E * Jxr / (R * R) * b)
}
function ringQr(s) {
  Ar[row, 10] += s * (-E * Jr * b ^ 4 - E * F / (R * R))
  Ar[row, 9] += s * (-E * Jr / R * b ^ 3 - E * F / R * b)
  Ar[row, 8] += s * (-E * Jxr * b ^ 4)
  Ar[row, 11] += s * (E * Jxr / R * b * b)
}
function ringMk(s) {
  Ar[row, 11] += s * (-G * Jk * b * b - E * Jx / (R * R))
  Ar[row, 8] += s * ((G * Jk + E * Jx) / R * b * b)
  Ar[row, 10] += s * (E * Jxr / R * b * b)
  Ar[row, 9] += s * (E * Jxr / (R * R) * b)
}
# Complex Gauss elimination with partial pivoting; the solution into Xr, Xi.
function solve(    i, j, r, piv, best, s, tr, ti) {
  for (i = 0; i < nu; ++i) {
    piv = i; best = -1
    for (r = i; r < nu; ++r) if ((s = Ar[r, i] ^ 2 + Ai[r, i] ^ 2) > best) { best = s; piv = r }
    for (j = 0; j <= nu; ++j) { tr = Ar[i, j]; Ar[i, j] = Ar[piv, j]; Ar[piv, j] = tr; ti = Ai[i, j]; Ai[i, j] = Ai[piv, j]; Ai[piv, j] = ti }
    for (r = i + 1; r < nu; ++r) {
      cdiv(Ar[r, i], Ai[r, i], Ar[i, i], Ai[i, i]); tr = _r; ti = _i
      for (j = i; j <= nu; ++j) { cmul(tr, ti, Ar[i, j], Ai[i, j]); Ar[r, j] -= _r; Ai[r, j] -= _i }
    }
  }
  for (i = nu - 1; i >= 0; --i) {
    tr = Ar[i, nu]; ti = Ai[i, nu]
    for (j = i + 1; j < nu; ++j) { cmul(Ar[i, j], Ai[i, j], Xr[j], Xi[j]); tr -= _r; ti -= _i }
    cdiv(tr, ti, Ar[i, i], Ai[i, i]); Xr[i] = _r; Xi[i] = _i
  }
}
# The real derivative order p of component comp at x.
function value(comp, p, x,    r, s, lr, li, m) {
  s = p == 0 ? X0[comp] : 0
  for (r = 0; r < 8; ++r) {
    lr = 1; li = 0
    for (m = 0; m < p; ++m) { cmul(lr, li, zr[r], zi[r]); lr = _r; li = _i }
    cexp(zr[r] * (x - origin[r]), zi[r] * (x - origin[r]))
    cmul(lr, li, _r, _i); cmul(_r, _i, fr[r, comp], fi_[r, comp]); cmul(_r, _i, Xr[r], Xi[r])
    s += _r
  }
  return s
}
