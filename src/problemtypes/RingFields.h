// The fields of the flat ring: its loads as input fields and its results, in
// kind order, each with its name, caption and unit. A ring has no ends and
// so no boundary conditions. Its forces and moments are whole resultants over
// the cross-section (N, N·m), not per unit length as a shell's are.
#pragma once

#include "domains/FieldKinds.h"

#include <array>

namespace zem::ring {

// The load slots, as LOADS names them.
enum TInputKind : int { ikT, ikS, ikQ, ikMk, ikCount };
enum TResultKind : int { rkU, rkV, rkW, rkFi, rkN2, rkQx, rkQr, rkMx, rkMr, rkHk, rkCount };

extern const std::array<TFieldKind, ikCount> kInputs;
extern const std::array<TFieldKind, rkCount> kResults;
const TFieldTable& Table();

}  // namespace zem::ring
