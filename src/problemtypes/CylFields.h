// The fields of the cylinder domains: input fields, results and boundary
// conditions, in kind order, each with its name, caption and unit. The
// enumerations number the kinds; the tables below them are the one place
// where names, captions and units live, and the element lists of field names
// are built from them.
#pragma once

#include "domains/FieldKinds.h"

#include <array>

namespace zem {

// --- The axisymmetric cylinder. -----------------------------------------------------
namespace cylsym {

enum TInputKind : int { ikQ, ikCount };
enum TResultKind : int { rkW, rkDwx, rkN2, rkQ1, rkM1, rkSig1, rkSig2, rkSigEq, rkCount };
// Boundary conditions of one end; the BOUNDS items are the bottom's
// name + "_bot", then the top's name + "_top".
enum TBoundKind : int { bkW, bkDw, bkQ1, bkM1, bkCount };

extern const std::array<TFieldKind, ikCount> kInputs;
extern const std::array<TFieldKind, rkCount> kResults;
extern const std::array<TFieldKind, bkCount> kBounds;
const TFieldTable& Table();

}  // namespace cylsym

// --- The technical-theory cylinder. --------------------------------------------------
namespace cyltech {

enum TInputKind : int { ikT, ikQz, ikQx, ikQy, ikWConstr, ikCount };
enum TResultKind : int {
    rkU, rkV, rkW, rkDwx, rkDwtet, rkN1, rkN2, rkS1, rkS2, rkQ1, rkQ2,
    rkM1, rkM2, rkM12, rkM21, rkSigX, rkSigY, rkTau, rkSigMax, rkSigMin, rkSigEq3, rkSigEq4, rkCount
};
enum TBoundKind : int { bkU, bkV, bkW, bkDw, bkN1, bkS1, bkQ1, bkM1, bkCount };

extern const std::array<TFieldKind, ikCount> kInputs;
extern const std::array<TFieldKind, rkCount> kResults;
extern const std::array<TFieldKind, bkCount> kBounds;
const TFieldTable& Table();

}  // namespace cyltech

// --- The cylindrical panel: the technical-theory shell's inputs and results
// (Love's terms change values, not names), and the conditions of its ends
// and of its two straight sides. A side takes u, v, w and dw as an end does
// (dw there is the slope across the side), or the forces across it.
namespace cylpanel {

enum TBoundKind : int {
    bkU, bkV, bkW, bkDw, bkN1, bkS1, bkQ1, bkM1,  // as cyltech's, at the ends
    bkN2, bkS2, bkQ2, bkM2,                        // across a side
    bkCount
};

extern const std::array<TFieldKind, bkCount> kBounds;
const TFieldTable& Table();

}  // namespace cylpanel

}  // namespace zem
