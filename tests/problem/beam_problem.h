// The test beam as a catalogue type: it borrows the slot of "Ring" for as
// long as a TBeamType lives.
#pragma once

#include "domains/model_elements.h"
#include "platform/progress.h"
#include "problem/FileNames.h"
#include "problem/PbData.h"
#include "problem/PbTypes.h"
#include "testutil.h"

#include <gtest/gtest.h>

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

// The beam registered, and a work directory for its files.
class TBeamDirTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(dir.path / "work"); }
    std::string Path(const std::string& name) const { return dir / ("work/" + name); }
    TPbData Data() const { return TPbData(StoredPath(dir / "work")); }

    TBeamType beamType;
    test::TempDir dir;
    TProgressLog progress;
};

}  // namespace zem::dmtest
