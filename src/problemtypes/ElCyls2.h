// The higher-accuracy cylinders as problem types: "CylSym2", "CylTech2_1"
// and "CylTech2_2". Each element is its parent's element with its own
// domain; parameters, conditions, loads, meshes, field names and element
// texts are the parent's, only the type name and caption differ.
#pragma once

#include "problemtypes/DmCyl2.h"
#include "problemtypes/DmCylSym.h"
#include "problemtypes/ElCyls.h"

#include <string>

namespace zem {

class TElCylSym2 : public TElCylSym {
public:
    TElCylSym2(TObject* owner, std::string key);
    std::string GetCaption() const override;
    std::string GetTypeName() const override;
};

class TElCylTech2_1 : public TElCylTech {
public:
    TElCylTech2_1(TObject* owner, std::string key);
    std::string GetCaption() const override;
    std::string GetTypeName() const override;
    // Equal steps, as the uniform stencils want them: 0.096 m.
    std::string DefaultMeshX() const override { return "104"; }
};

class TElCylTech2_2 : public TElCylTech2_1 {
public:
    TElCylTech2_2(TObject* owner, std::string key);
    std::string GetCaption() const override;
    std::string GetTypeName() const override;
};

// Registers the three types in the catalogue of problem types.
void RegisterCyl2Types();

}  // namespace zem
