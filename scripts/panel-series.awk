# The deflection in the middle of a cylindrical panel simply supported on all
# four edges under a uniform pressure, by the double sine series: each wave
# (m, n), both odd, carries the pressure amplitude 16 q / (m n pi^2), and its
# amplitudes U, V, W solve the three Love equations of that wave.
#
#   awk -v R=10 -v t=0.01 -v E=2.06e11 -v mu=0.3 -v H=2 -v width=12 -v q=1000 -f panel-series.awk
#
# H is the span along the generator, width the arc in degrees. Prints w.

# W of the wave with l = m pi / H along and b = n pi / arc across, divided
# through by B = E t / (1 - mu^2); Gauss elimination of the 3 x 3 system.
function wave(l, b, q,    k, a, c, r, f, e, x, s) {
  k = t * t / 12
  a[0,0] = -l*l - (1-mu)/2*b*b; a[0,1] = (1+mu)/2*l*b; a[0,2] = mu/R*l; a[0,3] = 0
  a[1,0] = (1+mu)/2*l*b; a[1,1] = -b*b - (1-mu)/2*l*l - k/(R*R)*((1-mu)*l*l + b*b); a[1,2] = -b/R - k/R*(b*b*b + l*l*b); a[1,3] = 0
  a[2,0] = -mu/R*l; a[2,1] = b/R + k/R*(b*b*b + (2-mu)*l*l*b)
  a[2,2] = k*(l*l + b*b)*(l*l + b*b) + 1/(R*R); a[2,3] = q * (1 - mu*mu) / (E * t)
  for (c = 0; c < 3; ++c)
    for (r = c + 1; r < 3; ++r) { f = a[r,c] / a[c,c]; for (e = c; e < 4; ++e) a[r,e] -= f * a[c,e] }
  for (r = 2; r >= 0; --r) { s = a[r,3]; for (c = r + 1; c < 3; ++c) s -= a[r,c] * x[c]; x[r] = s / a[r,r] }
  return x[2]
}
BEGIN {
  pi = atan2(0, -1); arc = width * pi / 180 * R; w = 0
  # In the middle sin(m pi / 2) sin(n pi / 2) = +-1; 200 x 200 terms leave
  # a remainder far below the printed digits.
  for (m = 1; m < 400; m += 2)
    for (n = 1; n < 400; n += 2)
      w += ((((m + n) / 2 - 1) % 2) ? -1 : 1) * wave(m * pi / H, n * pi / arc, 16 * q / (m * n * pi * pi))
  printf "%.17g\n", w
}
