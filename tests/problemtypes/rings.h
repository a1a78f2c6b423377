// Ring problems for the tests: the ring domain of a problem and its results
// node by node.
#pragma once

#include "cylinders.h"
#include "problemtypes/DmRing.h"

namespace zem::cyltest {

inline TDmRing& RingOf(TProblem& p) { return dynamic_cast<TDmRing&>(*p.Domains().at(0)->Domain); }

inline double ResultAt(TDmRing& d, int kind, int i) {
    d.SetPos(0, i);
    return static_cast<double>(d.ResultValue(kind));
}

}  // namespace zem::cyltest
