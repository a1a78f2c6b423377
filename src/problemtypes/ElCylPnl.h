// The cylindrical panel ("CylPanel"): a Love-equation shell with a width in
// degrees and conditions on its two straight sides besides its bottom and
// top edges. BOUNDS holds the sixteen items of the closed shell followed by
// eight items per side (u, v, w, dw/dx given, or the forces N2, S2, Q2, M2).
//
// For now the panel is calculated as the periodic Love shell over the whole
// circumference with its bottom and top conditions; the width and the side
// items are kept, stored and shown.
#pragma once

#include "problemtypes/ElLave.h"

#include <string>

namespace zem {

class TElCylPanel : public TElCylLave {
public:
    TElCylPanel(TObject* owner, std::string key);
    std::string GetCaption() const override;
    std::string GetTypeName() const override;
    // The shell's items, Width and the side conditions.
    void DeclareItems() override;

    // The sixteen side items, left side first.
    static void DeclareSides(TElemList& bounds);
};

}  // namespace zem
