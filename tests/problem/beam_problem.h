// The test beam as a catalogue type: it borrows the slot of "Ring" for as
// long as a TBeamType lives.
#pragma once

#include "domains/model_elements.h"
#include "problem/PbTypes.h"

namespace zem::dmtest {

constexpr int kBeamType = 10;  // the slot of "Ring"

class TElRingBeam : public TElBeam {
public:
    using TElBeam::TElBeam;
    std::string GetTypeName() const override { return "Ring"; }
};

struct TBeamType {
    TBeamType() {
        RegisterProblemType(kBeamType, [](TObject* owner, const std::string& name) -> std::unique_ptr<TElement> {
            return std::make_unique<TElRingBeam>(owner, name);
        });
    }
    ~TBeamType() { RegisterProblemType(kBeamType, nullptr); }
};

}  // namespace zem::dmtest
