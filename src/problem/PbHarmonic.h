// Whether a problem's system repeats itself round a closed circumference,
// and the layout of its unknowns for the harmonic method.
#pragma once

#include "solvers/SLHarmonic.h"

namespace zem {

class TProblem;

// The lines and cells of P's unknowns round its circumference: every domain
// with unknowns is closed in one direction with equal steps there, the cell
// being one step of the coarsest circumferential mesh; every row stands in
// a row line and a cell (RowOf) or, up to kMaxHarmonicOddRows of them, in
// the hole of one (OddRows, Holes). Otherwise Refusal says why. The equations must have been built (BuildEquations); the
// layout's callbacks refer to P.
THarmonicLayout HarmonicLayout(TProblem& p);

// Builds P's equations and tells whether its layout has no refusal and no
// odd row: every domain closed with equal circumferential steps, and every
// equation (by name, domain and node) present in every cell. A quick test
// for choosing the method; the method itself checks the coefficients and
// solves a few odd rows of a mean value too.
bool HarmonicApplies(TProblem& p);

// Method, or the sparse direct method when Method is the harmonic one and
// P's system does not repeat round its circumference (a refined copy).
int MethodForCopy(TProblem& p, int method);

}  // namespace zem
