#include "problemtypes/ElRing.h"

#include "elements/ElItems.h"
#include "problem/PbTypes.h"

#include <algorithm>

namespace zem {

// --- TElRing ---------------------------------------------------------------------------

TElRing::TElRing(TObject* owner, std::string key) : TDmElementD1(owner, std::move(key)) {
    Domain = std::make_unique<TDmRing>(this);
}

TElRing::TElRing(TObject* owner, std::string key, TNoDomain) : TDmElementD1(owner, std::move(key)) {}

std::string TElRing::GetCaption() const { return "Плоское кольцо"; }

std::string TElRing::GetTypeName() const { return "Ring"; }

const std::vector<std::string>& TElRing::InputNames() {
    static const std::vector<std::string> names = FieldNames(ring::kInputs);
    return names;
}

const std::vector<std::string>& TElRing::ResultNames() {
    static const std::vector<std::string> names = FieldNames(ring::kResults);
    return names;
}

void TElRing::DeclareItems() {
    Params().DeclareMany(&CreateItem<TElReal>, {"R", "E", "G", "F", "Jx", "Jr", "Jxr", "Jk"}, {"Real"},
                         {"Радиус, м", "Модуль изгиба (Па)", "Модуль кручения (Па)",
                          "Площадт поперечного сечения (м^2)", "Момент инерции сечения из плоскости кольца (м^4)",
                          "Момент инерции сечения в плоскости кольца (м^4)",
                          "Центробежный момент инерции сечения (м^4)",
                          "Крутящий момент инерции  4*Jx*Jr/(Jx+Jr) (м^4)"},
                         {"10.0", "2.06e11", "8.0e10", "0.01", "0.1", "10.0", "0", "0.4"});
    Loads().DeclareMany(&CreateItem<TElValueList>, {"t", "s", "q", "mk"}, {"Cos(i) [,Sin(i)]"},
                        {"Радиальное (Н/м)", "Из плоскости кольца(Н/м)", "В окружном направлении (Н/м)",
                         "Крутящий (Н*м/м)"},
                        {});
    Mesh().Declare<TElValueList>("mesh", "Integer/RealList", "Сетка в окружном направлении", "4");
    TableInputs = GraphInputs = InputNames();
    TableResults = GraphResults = ResultNames();
}

void TElRing::ApplyLoads() {
    Domain->LoadFuncs.clear();
    Domain->LoadFuncs.resize(4);
    TDmElementD1::ApplyLoads();
}

// --- TElRing2 --------------------------------------------------------------------------

TElRing2::TElRing2(TObject* owner, std::string key) : TElRing(owner, std::move(key), TNoDomain{}) {
    Domain = std::make_unique<TDmRing2>(this);
}

std::string TElRing2::GetCaption() const { return "Плоское кольцо. Шаблоны повышенной точности"; }

std::string TElRing2::GetTypeName() const { return "Ring2"; }

// --- TElRingP --------------------------------------------------------------------------

TElRingP::TElRingP(TObject* owner, std::string key) : TElRing2(owner, std::move(key), TNoDomain{}) {
    Domain = std::make_unique<TDmRingP>(this);
}

std::string TElRingP::GetCaption() const { return "Плоское кольцо. Периодическая задача"; }

std::string TElRingP::GetTypeName() const { return "RingP"; }

void TElRingP::DeclareItems() {
    TElRing::DeclareItems();
    Params().Declare<TElReal>("Period", "Integer", "Период задачи", "2");
}

void RegisterRingTypes() {
    RegisterProblemType(ProblemTypeByName("Ring"), &CreateElement<TElRing>);
    RegisterProblemType(ProblemTypeByName("Ring2"), &CreateElement<TElRing2>);
    RegisterProblemType(ProblemTypeByName("RingP"), &CreateElement<TElRingP>);
}

}  // namespace zem
