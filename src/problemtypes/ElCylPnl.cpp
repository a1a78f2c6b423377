#include "problemtypes/ElCylPnl.h"

#include "elements/ElItems.h"
#include "elements/ElLists.h"

#include <vector>

namespace zem {

TElCylPanel::TElCylPanel(TObject* owner, std::string key) : TElCylLave(owner, std::move(key)) {
    Domain = std::make_unique<TDmCylLaveP>(this);
}

std::string TElCylPanel::GetCaption() const { return "Цилиндрическая панель"; }

std::string TElCylPanel::GetTypeName() const { return "CylPanel"; }

void TElCylPanel::DeclareSides(TElemList& bounds) {
    bounds.DeclareMany(&CreateItem<TElValueList>,
                       {"u_left", "v_left", "w_left", "dw_left", "N2_left", "S2_left", "Q2_left", "M2_left",
                        "u_right", "v_right", "w_right", "dw_right", "N2_right", "S2_right", "Q2_right", "M2_right"},
                       std::vector<std::string>(16, "Real"),
                       {"Лево: u (м)", "Лево: v (м)", "Лево: w (м)", "Лево: dw/dx (1/м)", "Лево: N2 (H)",
                        "Лево: S2 (H)", "Лево: Q2 (H)", "Лево: M2 (H)", "Право: u (м)", "Право: v (м)",
                        "Право: w (м)", "Право: dw/dx (1/м)", "Право: N2 (H)", "Право: S2 (H)", "Право: Q2 (H)",
                        "Право: M2 (H)"},
                       {"0", "0", "0", "0", "", "", "", "", "0", "0", "0", "0", "", "", "", ""});
}

void TElCylPanel::DeclareItems() {
    TElCylLave::DeclareItems();
    Params().Declare<TElWord>("Width", "Real", "Ширина(град)", "180");
    DeclareSides(Bounds());
}

}  // namespace zem
