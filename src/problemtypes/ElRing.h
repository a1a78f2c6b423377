// The flat ring as problem types: "Ring" (TElRing over TDmRing, three-point
// operators), "Ring2" (higher-accuracy operators) and "RingP" (one period of
// a ring whose load repeats Period times around it).
#pragma once

#include "domains/ElDomain.h"
#include "problemtypes/DmRing.h"

#include <string>
#include <vector>

namespace zem {

class TElRing : public TDmElementD1 {
public:
    TElRing(TObject* owner, std::string key);

    std::string GetCaption() const override;
    std::string GetTypeName() const override;
    void DeclareItems() override;
    // Four empty load slots (t, s, q, mk), then the loads of LOADS.
    void ApplyLoads() override;

    TDmRing& Ring() const { return static_cast<TDmRing&>(*Domain); }

    static const std::vector<std::string>& InputNames();
    static const std::vector<std::string>& ResultNames();

protected:
    // For the variants, which create their own domain.
    struct TNoDomain {};
    TElRing(TObject* owner, std::string key, TNoDomain);
};

class TElRing2 : public TElRing {
public:
    TElRing2(TObject* owner, std::string key);
    std::string GetCaption() const override;
    std::string GetTypeName() const override;

protected:
    using TElRing::TElRing;
};

class TElRingP : public TElRing2 {
public:
    TElRingP(TObject* owner, std::string key);
    std::string GetCaption() const override;
    std::string GetTypeName() const override;
    // The ring's items and the period.
    void DeclareItems() override;
};

// Registers "Ring", "Ring2" and "RingP" in the catalogue of problem types.
void RegisterRingTypes();

}  // namespace zem
