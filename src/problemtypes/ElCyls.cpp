#include "problemtypes/ElCyls.h"

#include "domains/Equations.h"
#include "elements/ElItems.h"
#include "elements/MyObjecs.h"
#include "platform/errors.h"
#include "problem/PbTypes.h"

#include <algorithm>

namespace zem {

namespace {

const TObject* ValueOf(const TElemList& list, const char* key) {
    const int i = list.IndexOfKey(key);
    return i >= 0 ? list.ItemValue(i) : nullptr;
}

// The thickness of the single shell may vary over the surface (a list), so
// the domain checks it.
const TItemDecl kParams[] = {
    {"R", &CreateItem<TElReal>, "Real", "Радиус, м", "10.0", &IsPositive},
    {"H", &CreateItem<TElReal>, "Real", "Высота, м", "10.0", &IsPositive},
    {"t", &CreateItem<TElValueList>, "Real [, RealList]", "Толщина стенки (м): t [,x1,y1,x4,y4, t1,t2,t3,t4]", "0.01"},
    {"E", &CreateItem<TElReal>, "Real", "Модуль Юнга (Па)", "2.06e11", &IsPositive},
    {"mu", &CreateItem<TElReal>, "Real", "Коэффициент Пуассона", "0.3", &IsBelowOneInMagnitude},
};

// A quantity writer of the cylinder domain, as the writer of a joint term
// (the term's weight is the coefficient).
template <void (TDmCylTech::*Quantity)(Extended)>
TEquatWriter JointWriter() {
    return [](TDomain& d, double weight) { (static_cast<TDmCylTech&>(d).*Quantity)(weight); };
}

}  // namespace

// --- The single cylinder -------------------------------------------------------------------

TElCylTech::TElCylTech(TObject* owner, std::string key) : TDmElementD2(owner, std::move(key)) {
    Domain = std::make_unique<TDmCylTech>(this);
}

std::string TElCylTech::GetCaption() const { return "Цилиндрическая оболочка. Ур-ния технич. теории"; }

std::string TElCylTech::GetTypeName() const { return "CylTech"; }

const std::vector<std::string>& TElCylTech::InputNames() {
    static const std::vector<std::string> names = FieldNames(cyltech::kInputs);
    return names;
}

const std::vector<std::string>& TElCylTech::ResultNames() {
    static const std::vector<std::string> names = FieldNames(cyltech::kResults);
    return names;
}

void TElCylTech::DeclareBounds(TElemList& bounds) {
    // Position k = 0 ... 7 at the bottom, k + 8 at the top: the clamped
    // bottom and the free top by default.
    bounds.DeclareMany(&CreateItem<TElValueList>,
                       {"u_bot", "v_bot", "w_bot", "dw_bot", "N1_bot", "S1_bot", "Q1_bot", "M1_bot",
                        "u_top", "v_top", "w_top", "dw_top", "N1_top", "S1_top", "Q1_top", "M1_top"},
                       std::vector<std::string>(16, "Real"),
                       {"Низ: u (м)", "Низ: v (м)", "Низ: w (м)", "Низ: dw/dx (рад)", "Низ: N1 (Н/м)", "Низ: S1 (Н/м)",
                        "Низ: Q1 (Н/м)", "Низ: M1 (Н·м/м)", "Верх: u (м)", "Верх: v (м)", "Верх: w (м)",
                        "Верх: dw/dx (рад)", "Верх: N1 (Н/м)", "Верх: S1 (Н/м)", "Верх: Q1 (Н/м)", "Верх: M1 (Н·м/м)"},
                       {"0", "0", "0", "0", "", "", "", "", "", "", "", "", "0", "0", "0", "0"});
}

void TElCylTech::DeclareLoads(TElemList& loads) {
    loads.Declare<TElValueList>("Gidr", "Real [,Real, Real]", "Гидростатика: удельный вес γ (Н/м³, вода ≈ 9 810) [, уровень H (м), угол Ang]", "10000");
    loads.Declare<TElValueList>("Wind", "RealList", "Ветровая (Па): Cos(i) [,Sin(i)]", "");
    loads.Declare<TElValueList>("q_Rect", "", "", "");
    loads.Declare<TElValueList>("w_Rect", "", "", "");
}

void TElCylTech::DeclareMesh(TElemList& mesh, const std::string& alongAxis, const std::string& around) {
    mesh.Declare<TElValueList>("mesh_x", "Integer/RealList", "Сетка в продольном направлении", alongAxis);
    mesh.Declare<TElValueList>("mesh_y", "Integer/RealList", "Сетка в окружном направлении", around);
}

void TElCylTech::DeclareItems() {
    TElemList& p = Params();
    p.DeclareAll(kParams);
    DeclareBounds(Bounds());
    DeclareLoads(Loads());
    DeclareMesh(Mesh(), DefaultMeshX(), DefaultMeshY());
    TableInputs = GraphInputs = InputNames();
    TableResults = GraphResults = ResultNames();
}

// Steps of 0.032 m over the first 0.8 m of the default shell (R = 10 m,
// t = 10 mm), then doubling twice, then 0.25 m.
std::string TElCylTech::DefaultMeshX() const { return "[[25, 0.08], [12, 0.08], [12, 0.16], [27, 0.68]]"; }

void TElCylTech::ApplyLoads() {
    Domain->LoadFuncs.resize(std::max<std::size_t>(Domain->LoadFuncs.size(), 4));
    TDmElementD2::ApplyLoads();
}

const TObject* TElCylTech::ThicknessValue() const {
    const TObject* value = ValueOf(Params(), "t");
    if (!value && ParentParams) value = ValueOf(*ParentParams, "t");
    return value;
}

void TElCylTech::Parse() {
    TElComp::Parse();
    if (ParentParams) Domain->ReadParams(*ParentParams);
    SetupDomain();
    Cyl().SetThickness(ThicknessValue());
}

// --- The stepped cylinder -------------------------------------------------------------------

std::string TElCompCylTech::GetCaption() const { return "Cтупенчатый цилиндр. Ур-ния технической теории"; }

std::string TElCompCylTech::GetTypeName() const { return "CompCylTech"; }

void TElCompCylTech::DeclareItems() {
    TElemList& p = Params();
    p.DeclareAll(kCompoundParams);
    TElCylTech::DeclareBounds(Bounds());
    TElCylTech::DeclareLoads(Loads());
    DeclareSpans();
    GraphInputs = TElCylTech::InputNames();
    GraphResults = TElCylTech::ResultNames();
}

void TElCompCylTech::AddSpan() {
    auto& span = static_cast<TElCylTech&>(
        AddChild(std::make_unique<TElCylTech>(&Elems(), "Span" + std::to_string(ChildCount() + 1))));
    span.ParentParams = &Params();
    span.Params().DeclareAll(kSpanParams);
    span.Loads().DeclareAll(kSpanLoads);
    // The default span (R = 1 m, H = 1 m, t = 10 mm) is all edge zone.
    TElCylTech::DeclareMesh(span.Mesh(), "96");
    span.TableInputs = span.GraphInputs = TElCylTech::InputNames();
    span.TableResults = span.GraphResults = TElCylTech::ResultNames();
    span.Domain->ReadParams(Params());
}

void TElCompCylTech::PrepareSpan(int i) {
    Cyl(i).LoadFuncs.clear();
    CylSpan(i).ApplyLoads();
}

void TElCompCylTech::ApplyLoad(const std::string& key, const TObject* value) {
    try {
        if (key == "Uniform" || key == "Wind") {
            TElComp::ApplyLoad(key, value);
        } else if (key == "Gidr") {
            double gamma = 0, level = 0, angle = 0;
            if (TDmCylTech::TiltedLevel(value, gamma, level, angle)) {
                // Each span takes the liquid above its own bottom, node line
                // by node line around.
                for (int s = 0; s < ChildCount(); ++s)
                    Cyl(s).AddTiltedHydrostatics(0, gamma, level, angle, HeightUpTo(s - 1));
            } else {
                AddHydrostatics(0, value);
            }
        } else if (key == "q_Rect") {
            AddRegionsToSpans(0, value);
        } else if (key == "w_Rect") {
            AddRegionsToSpans(3, value);
        }
    } catch (const std::exception&) {
        throw ZemError("Ошибка в значении параметра " + key);
    }
}

void TElCompCylTech::AddRegionsToSpans(int slot, const TObject* value) {
    const auto* list = dynamic_cast<const TValueList*>(value);
    if (!list) throw ZemError("Ошибка значения");
    // A value whose entries are all lists holds one region per entry.
    std::vector<const TValueList*> regions;
    for (int k = 0; k < list->Count(); ++k)
        if (const auto* r = dynamic_cast<const TValueList*>(list->Items(k))) regions.push_back(r);
    if (regions.size() != static_cast<std::size_t>(list->Count()) || regions.empty()) regions = {list};

    for (const TValueList* r : regions) {
        const int n = r->Count();
        if (n != 4 && n != 5 && n != 8) throw ZemError("Ошибка значения");
        for (int s = 0; s < ChildCount(); ++s) {
            const double z = HeightUpTo(s - 1), zTop = z + Cyl(s).Lengths[0];
            std::vector<double> local;
            if (n == 4) {
                // A circle: its centre in the span's axial coordinate.
                local = {r->AsReal(0) - z, r->AsReal(1), r->AsReal(2), r->AsReal(3)};
            } else {
                // A rectangle: the part of [x0, x1] that lies in the span, the
                // corner values taken along x at the cut.
                const double x0 = r->AsReal(0), x1 = r->AsReal(2);
                if (x1 < z || x0 > zTop) continue;
                const double a = std::max(x0, z), b = std::min(x1, zTop);
                local = {a - z, r->AsReal(1), b - z, r->AsReal(3)};
                if (n == 5) {
                    local.push_back(r->AsReal(4));
                } else {
                    const double sa = x1 != x0 ? (a - x0) / (x1 - x0) : 0;
                    const double sb = x1 != x0 ? (b - x0) / (x1 - x0) : 1;
                    const double q00 = r->AsReal(4), q10 = r->AsReal(5), q01 = r->AsReal(6), q11 = r->AsReal(7);
                    local.push_back(q00 + sa * (q10 - q00));
                    local.push_back(q00 + sb * (q10 - q00));
                    local.push_back(q01 + sa * (q11 - q01));
                    local.push_back(q01 + sb * (q11 - q01));
                }
            }
            TValueList region;
            for (double x : local) region.Add(std::make_unique<TReal>(x));
            Cyl(s).AddRegionLoad(slot, &region);
        }
    }
}

void TElCompCylTech::BeforeRows() {
    // The shell's ends are the first span's bottom and the last span's top.
    for (int k = 0; k < ChildCount(); ++k) Cyl(k).RigidFree = {false, false};
    Cyl(0).TakeOutRigidMotions(Cyl(ChildCount() - 1));
}

// Six passes: three over span i's circumferential nodes (its node lines N,
// N + 1, N + 2), three over span i + 1's (its lines -2, -1, 0).
void TElCompCylTech::WriteJointRows(TEquationList& equations, int i) {
    TDmCylTech& lower = Cyl(i);
    TDmCylTech& upper = Cyl(i + 1);
    const int top = lower.StepCount(0);
    const int mLower = lower.StepCount(1), mUpper = upper.StepCount(1);
    // Continuity of a quantity at node j of span `from` (its node line
    // fromLine) with span `to` at its node line toLine.
    auto joint = [&](int from, int fromLine, int to, int toLine, int j, const char* name, const TEquatWriter& fn) {
        TDmCylTech& f = Cyl(from);
        f.SetPos(0, fromLine);
        f.SetPos(1, j);
        Cyl(to).SetPos(0, toLine);
        AddJointEquation(equations, from, name, fn, fn, to);
    };
    const TEquatWriter u = JointWriter<&TDmCylTech::AddU>(), v = JointWriter<&TDmCylTech::AddV>(),
                       w = JointWriter<&TDmCylTech::AddW>(), dw = JointWriter<&TDmCylTech::AddDw>(),
                       n1 = JointWriter<&TDmCylTech::AddN1>(), s1 = JointWriter<&TDmCylTech::AddS1g>(),
                       q1 = JointWriter<&TDmCylTech::AddQ1g>(), m1 = JointWriter<&TDmCylTech::AddM1t>();
    // 1. The displacements of span i equal those of span i + 1.
    for (int j = 0; j < mLower; ++j) {
        joint(i, top, i + 1, 0, j, "u", u);
        joint(i, top, i + 1, 0, j, "v", v);
        joint(i, top, i + 1, 0, j, "w", w);
    }
    // 2. Span i's equations I, II at its top, and the slope.
    for (int j = 0; j < mLower; ++j) {
        lower.AddEqRow(equations, 1, top, j);
        lower.AddEqRow(equations, 2, top, j);
        joint(i, top, i + 1, 0, j, "dw0", dw);
    }
    // 3. Span i's equation III; its outermost fictitious u, v unused.
    for (int j = 0; j < mLower; ++j) {
        lower.AddNil(equations, "Nil(u)");
        lower.AddNil(equations, "Nil(v)");
        lower.AddEqRow(equations, 3, top, j);
    }
    // 4. - 5. The forces of span i + 1 equal those of span i.
    for (int j = 0; j < mUpper; ++j) {
        upper.AddNil(equations, "Nil(u)");
        upper.AddNil(equations, "Nil(v)");
        joint(i + 1, 0, i, top, j, "Q1g", q1);
    }
    for (int j = 0; j < mUpper; ++j) {
        joint(i + 1, 0, i, top, j, "N1", n1);
        joint(i + 1, 0, i, top, j, "S1g", s1);
        joint(i + 1, 0, i, top, j, "M1", m1);
    }
    // 6. Span i + 1's equations at its bottom.
    for (int j = 0; j < mUpper; ++j) {
        upper.AddEqRow(equations, 1, 0, j);
        upper.AddEqRow(equations, 2, 0, j);
        upper.AddEqRow(equations, 3, 0, j);
    }
}

// --- Registration --------------------------------------------------------------------------------

void RegisterCylTechTypes() {
    RegisterProblemType(ProblemTypeByName("CylTech"), [](TObject* owner, const std::string& name) {
        return std::unique_ptr<TElement>(std::make_unique<TElCylTech>(owner, name));
    });
    RegisterProblemType(ProblemTypeByName("CompCylTech"), [](TObject* owner, const std::string& name) {
        return std::unique_ptr<TElement>(std::make_unique<TElCompCylTech>(owner, name));
    });
}

}  // namespace zem
