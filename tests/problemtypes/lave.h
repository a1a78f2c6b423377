// Closed-form amplitudes of the shell's equations for one double-sine wave,
// the building block of the double-series (Navier) solutions the Love-shell
// tests compare with.
//
// For the displacements u = U cos(l x) f(y), v = V sin(l x) g(y),
// w = W sin(l x) f(y), with f, g a cosine and a sine (or a sine and a
// cosine with V of the other sign) of the wave number b around, and the
// radial pressure q sin(l x) f(y), the three equations (divided by
// B = E t/(1 - mu^2), k = t^2/12) become a 3 x 3 system in U, V, W; `love`
// adds the Love terms: Q2/R in the circumferential equation (both its w-
// and its v-part) and the v-part of the curvature changes in the radial one.
#pragma once

#include <array>

namespace zem::lavetest {

using Real = long double;

inline std::array<Real, 3> Amplitudes(double R, double t, double E, double mu, Real l, Real b, Real q, bool love) {
    const Real k = Real(t) * t / 12, B = E * t / (1 - mu * mu), L = love ? 1 : 0;
    Real a[3][4] = {
        {-l * l - (1 - mu) / 2 * b * b, (1 + mu) / 2 * l * b, mu / R * l, 0},
        {(1 + mu) / 2 * l * b, -b * b - (1 - mu) / 2 * l * l - L * k / (Real(R) * R) * ((1 - mu) * l * l + b * b),
         -b / R - L * k / R * (b * b * b + l * l * b), 0},
        {-mu / R * l, b / R + L * k / R * (b * b * b + (2 - mu) * l * l * b),
         k * (l * l + b * b) * (l * l + b * b) + 1 / (Real(R) * R), q / B}};
    for (int c = 0; c < 3; ++c)
        for (int r = c + 1; r < 3; ++r) {
            const Real f = a[r][c] / a[c][c];
            for (int e = c; e < 4; ++e) a[r][e] -= f * a[c][e];
        }
    std::array<Real, 3> x{};
    for (int r = 2; r >= 0; --r) {
        Real s = a[r][3];
        for (int c = r + 1; c < 3; ++c) s -= a[r][c] * x[std::size_t(c)];
        x[std::size_t(r)] = s / a[r][r];
    }
    return x;
}

}  // namespace zem::lavetest
