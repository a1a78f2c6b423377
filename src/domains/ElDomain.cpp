#include "domains/ElDomain.h"

#include "domains/Equations.h"
#include "elements/ElementHost.h"
#include "elements/MyStr.h"
#include "solvers/Matrises.h"

#include <algorithm>
#include <cmath>

namespace zem {

namespace {

TTableModel::TNumberFormat& HintFormatStore() {
    static TTableModel::TNumberFormat format = [](Extended x) { return RealToStrExp(11, 4, x); };
    return format;
}

}  // namespace

const TTableModel::TNumberFormat& HintNumberFormat() { return HintFormatStore(); }

void SetHintNumberFormat(TTableModel::TNumberFormat format) { HintFormatStore() = std::move(format); }

TDmElement::TDmElement(TObject* owner, std::string key) : TElComp(owner, std::move(key)) {}

TDmElement::~TDmElement() = default;

// --- Set-up ------------------------------------------------------------------------

void TDmElement::Parse() {
    TElComp::Parse();
    SetupDomain();
}

void TDmElement::SetupDomain() {
    if (!Domain) return;
    // 1. Parameters, 2. mesh, 3. boundary conditions, 4.-5. loads afresh.
    Domain->ReadParams(Params());
    BuildMesh();
    Domain->SetBoundary(&Bounds());
    Domain->LoadFuncs.clear();
    ApplyLoads();
}

void TDmElement::BuildMesh() {
    TElemList& mesh = Mesh();
    for (int d = 0; d < mesh.Count() && d < Domain->DimCount; ++d) {
        if (mesh.ItemText(d).empty()) mesh.Item(d).SetText("4");
        Domain->BuildSteps(mesh.ItemValue(d), d);
    }
}

std::string TDmElement::MeshText(int d) const {
    const std::vector<double>& steps = Domain->Steps(d);
    const double length = Domain->Lengths[static_cast<std::size_t>(d)];
    std::string text;
    int groups = 0;
    for (std::size_t k = 0; k < steps.size();) {
        // A group of equal consecutive relative steps r (exact comparison).
        const double r = steps[k] / length;
        std::size_t m = 1;
        while (k + m < steps.size() && steps[k + m] / length == r) ++m;
        if (!text.empty()) text += ", ";
        if (m == 1)
            text += RealToStrGen(7, 2, r);
        else
            text += "[" + std::to_string(m) + ", " + RealToStrGen(7, 2, static_cast<double>(m) * r) + "]";
        ++groups;
        k += m;
    }
    if (groups == 1) return std::to_string(steps.size());
    if (SplitList(text).size() > 1) text = "[" + text + "]";
    return text;
}

void TDmElement::RefineMesh(int d, const TStepMarks* marks) {
    // A direction without a mesh item of its own follows the mesh of the
    // element it is joined to (a stiffening ring on a shell's edge).
    if (d >= Mesh().Count()) return;
    Domain->SplitSteps(d, marks);
    Mesh().Item(d).SetText(MeshText(d));
    Parse();
    // A span's parse alone drops what its compound added to the domain.
    if (auto* list = dynamic_cast<TElemList*>(Owner()))
        if (auto* compound = dynamic_cast<TElComp*>(list->Owner())) compound->SubElementRebuilt(*this);
}

// --- The domain's owner --------------------------------------------------------------

std::string TDmElement::MeshItemKey(int d) const { return d < Mesh().Count() ? Mesh().ItemKey(d) : std::string(); }

std::string TDmElement::EquationPrefix() const {
    if (equationPrefix_) return *equationPrefix_;
    return IsRoot() ? std::string() : Key() + ".";
}

// --- Element operations -----------------------------------------------------------------

void TDmElement::ApplyLoad(const std::string& key, const TObject* value) { Domain->AddLoad(key, value); }

void TDmElement::BuildEquations(TEquationList& equations) {
    // Every row's name starts with the prefix: found once for all of them.
    equationPrefix_ = EquationPrefix();
    struct TForget {
        std::optional<std::string>& prefix;
        ~TForget() { prefix.reset(); }
    } forget{equationPrefix_};
    Domain->WriteEquations(equations);
}

void TDmElement::DrawGraph(TCanvas& canvas, const TRect& rect, Extended step, const TObject* values,
                           const TColorScale& scale) {
    if (values) Domain->PaintField(canvas, rect, step, scale, *values);
}

void TDmElement::DrawMesh(TCanvas& canvas, const TRect& rect) { Domain->PaintMesh(canvas, rect); }

std::string TDmElement::HitText(const TRect& rect, const TPoint& point) {
    if (!PointInRect(point, rect)) return {};
    return Domain->HintCoords(rect, point, HintNumberFormat());
}

std::string TDmElement::HitValue(const TRect& rect, const TPoint& point, const TObject* values) {
    if (!values || !PointInRect(point, rect)) return {};
    return Domain->HintValue(rect, point, *values, HintNumberFormat());
}

std::unique_ptr<TObject> TDmElement::InputValues(int i) { return Domain->InputTable(i); }

std::unique_ptr<TObject> TDmElement::ResultValues(int i) { return Domain->ResultTable(i); }

Extended TDmElement::AutoStep(Extended step, const TObject* values, const TColorScale& scale) {
    if (step != 0 || !values || scale.LevelCount() <= 0) return step;
    Extended largest = 0;
    if (const auto* line = dynamic_cast<const TLineItem*>(values)) {
        std::size_t at = 0;
        largest = std::max(std::fabs(line->MaxItem(at)), std::fabs(line->MinItem(at)));
    } else if (const auto* matrix = dynamic_cast<const TMatrix*>(values)) {
        std::size_t r = 0, c = 0;
        largest = std::max(std::fabs(matrix->MaxItem(r, c)), std::fabs(matrix->MinItem(r, c)));
    }
    return largest / scale.LevelCount();
}

// --- Lines --------------------------------------------------------------------------------

void TDmElementD1::FillTable(TTableModel& table, const TObject* values) {
    const auto* line = dynamic_cast<const TLineItem*>(values);
    if (!line) return;
    const int n = static_cast<int>(line->Count());
    table.SetSize(2, n + 1);
    table.SetText(0, 0, "Коорд.");
    table.SetText(1, 0, "Значение");
    // Row r shows node n - r: the last node on top, as drawn.
    for (int r = 1; r <= n; ++r) {
        table.SetCell(0, r, Domain->NodeCoord(0, n - r));
        table.SetCell(1, r, line->GetItem(static_cast<std::size_t>(n - r)));
    }
    if (n == 0) return;
    std::size_t iMax = 0, iMin = 0;
    line->MaxItem(iMax);
    line->MinItem(iMin);
    table.MaxPos = {1, n - static_cast<int>(iMax)};
    table.MinPos = {1, n - static_cast<int>(iMin)};
}

void TDmElementD1::DrawGraph(TCanvas& canvas, const TRect& rect, Extended step, const TObject* values,
                             const TColorScale& scale) {
    TDmElement::DrawGraph(canvas, rect, AutoStep(step, values, scale), values, scale);
}

void TDmElementD1::SaveValues(const TObject* values, const std::string& fileName) {
    if (const auto* line = dynamic_cast<const TLineItem*>(values)) line->SaveToTextFile(fileName);
}

// --- Surfaces -------------------------------------------------------------------------------

void TDmElementD2::FillTable(TTableModel& table, const TObject* values) {
    const auto* matrix = dynamic_cast<const TMatrix*>(values);
    if (!matrix || matrix->Rows() == 0) return;
    const int n0 = static_cast<int>(matrix->Rows()) - 1;
    const int n1 = static_cast<int>(matrix->Cols()) - 1;
    table.SetSize(n1 + 2, n0 + 2);
    table.SetText(0, 0, "Коорд./Знач.");
    for (int c = 0; c <= n1; ++c) table.SetCell(c + 1, 0, Domain->NodeCoord(1, c));
    // Row r shows node line n0 - r + 1 of direction 0.
    for (int r = 1; r <= n0 + 1; ++r) {
        const int i = n0 - r + 1;
        table.SetCell(0, r, Domain->NodeCoord(0, i));
        for (int j = 0; j <= n1; ++j)
            table.SetCell(j + 1, r, matrix->GetItem(static_cast<std::size_t>(i), static_cast<std::size_t>(j)));
    }
    std::size_t i = 0, j = 0;
    matrix->MaxItem(i, j);
    table.MaxPos = {static_cast<int>(j) + 1, n0 - static_cast<int>(i) + 1};
    matrix->MinItem(i, j);
    table.MinPos = {static_cast<int>(j) + 1, n0 - static_cast<int>(i) + 1};
}

void TDmElementD2::DrawGraph(TCanvas& canvas, const TRect& rect, Extended step, const TObject* values,
                             const TColorScale& scale) {
    TDmElement::DrawGraph(canvas, rect, AutoStep(step, values, scale), values, scale);
}

void TDmElementD2::SaveValues(const TObject* values, const std::string& fileName) {
    if (const auto* matrix = dynamic_cast<const TMatrix*>(values)) matrix->SaveToTextFile(fileName);
}

}  // namespace zem
