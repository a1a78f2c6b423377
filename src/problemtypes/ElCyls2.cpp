#include "problemtypes/ElCyls2.h"

#include "elements/Elements.h"
#include "problem/PbTypes.h"

namespace zem {

TElCylSym2::TElCylSym2(TObject* owner, std::string key) : TElCylSym(owner, std::move(key)) {
    Domain = std::make_unique<TDmCylSym2>(this);
}

std::string TElCylSym2::GetCaption() const {
    return "Цилиндрическая оболочка. Радиальная осесимметричная нагрузка. КР шаблоны повышенной точности";
}

std::string TElCylSym2::GetTypeName() const { return "CylSym2"; }

TElCylTech2_1::TElCylTech2_1(TObject* owner, std::string key) : TElCylTech(owner, std::move(key)) {
    Domain = std::make_unique<TDmCylTech2_1>(this);
}

std::string TElCylTech2_1::GetCaption() const {
    return "Цилиндрическая оболочка. Ур-ния технич. теории. КР шаблоны повышенной точности (второй вариант)";
}

std::string TElCylTech2_1::GetTypeName() const { return "CylTech2_1"; }

TElCylTech2_2::TElCylTech2_2(TObject* owner, std::string key) : TElCylTech2_1(owner, std::move(key)) {
    Domain = std::make_unique<TDmCylTech2_2>(this);
}

std::string TElCylTech2_2::GetCaption() const {
    return "Цилиндрическая оболочка. Ур-ния технич. теории. КР шаблоны повышенной точности (третий вариант)";
}

std::string TElCylTech2_2::GetTypeName() const { return "CylTech2_2"; }

void RegisterCyl2Types() {
    RegisterProblemType(ProblemTypeByName("CylSym2"), &CreateElement<TElCylSym2>);
    RegisterProblemType(ProblemTypeByName("CylTech2_1"), &CreateElement<TElCylTech2_1>);
    RegisterProblemType(ProblemTypeByName("CylTech2_2"), &CreateElement<TElCylTech2_2>);
}

}  // namespace zem
