#include "domains/ElSeries.h"

#include "domains/ElDomain.h"
#include "domains/Equations.h"
#include "elements/MyObjecs.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/numtext.h"
#include "solvers/Matrises.h"

#include <algorithm>
#include <cmath>

namespace zem {

// --- TElCompSeries -------------------------------------------------------------------

TDmElement& TElCompSeries::Span(int i) const { return dynamic_cast<TDmElement&>(Child(i)); }

TDomain& TElCompSeries::SpanDomain(int i) const {
    TDmElement& span = Span(i);
    // A domain element owns its domain from construction.
    if (!span.Domain) throw std::logic_error("span without a domain");
    return *span.Domain;
}

double TElCompSeries::HeightUpTo(int i) const {
    double height = 0;
    for (int k = 0; k <= i && k < ChildCount(); ++k) height += SpanDomain(k).Lengths[0];
    return height;
}

std::size_t TElCompSeries::UnknownOffset(const TElement* child, std::size_t index) const {
    for (int i = 0; i < ChildCount() && &Child(i) != child; ++i) index += SpanDomain(i).UnknownCount();
    return index;
}

void TElCompSeries::SpanRect(int i, const TRect& r, TRect& s) const {
    const double total = HeightUpTo(ChildCount() - 1);
    const double scale = total != 0 ? (r.Bottom - r.Top) / total : 0;
    s.Left = r.Left;
    s.Right = r.Right;
    s.Bottom = i == 0 ? r.Bottom : r.Bottom - static_cast<int>(std::lround(HeightUpTo(i - 1) * scale));
    s.Top = s.Bottom - static_cast<int>(std::lround(SpanDomain(i).Lengths[0] * scale));
}

void TElCompSeries::FillTable(TTableModel& table, const TObject* values) {
    // Rows of every span, the last span and its last node first.
    int rows = 0;
    for (int s = 0; s < ChildCount(); ++s)
        if (const auto* line = dynamic_cast<const TLineItem*>(ChildValues(values, s)))
            rows += static_cast<int>(line->Count());
    table.SetSize(2, rows + 1);
    table.SetText(0, 0, "Коорд.");
    table.SetText(1, 0, "Значение");
    int row = 0;
    bool found = false;
    Extended maxValue = 0, minValue = 0;
    for (int s = ChildCount() - 1; s >= 0; --s) {
        const auto* line = dynamic_cast<const TLineItem*>(ChildValues(values, s));
        if (!line) continue;
        const TDomain& domain = SpanDomain(s);
        for (int k = static_cast<int>(line->Count()) - 1; k >= 0; --k) {
            ++row;
            const Extended v = line->GetItem(static_cast<std::size_t>(k));
            table.SetText(0, row, RealToStrGen(3, 5, domain.NodeCoord(0, k)) + ": " + Child(s).Key());
            table.SetCell(1, row, v);
            // The extremes nearest the top of the table win.
            if (!found || v > maxValue) {
                table.MaxPos = {1, row};
                maxValue = v;
            }
            if (!found || v < minValue) {
                table.MinPos = {1, row};
                minValue = v;
            }
            found = true;
        }
    }
}

Extended TElCompSeries::LargestMagnitude(const TObject* values) {
    Extended largest = 0;
    const auto* list = dynamic_cast<const TValueList*>(values);
    for (int s = 0; list && s < list->Count(); ++s) {
        if (const auto* line = dynamic_cast<const TLineItem*>(list->Items(s))) {
            std::size_t at = 0;
            largest = std::max({largest, std::fabs(line->MaxItem(at)), std::fabs(line->MinItem(at))});
        } else if (const auto* matrix = dynamic_cast<const TMatrix*>(list->Items(s)); matrix && matrix->Rows()) {
            std::size_t r = 0, c = 0;
            largest = std::max({largest, std::fabs(matrix->MaxItem(r, c)), std::fabs(matrix->MinItem(r, c))});
        }
    }
    return largest;
}

void TElCompSeries::DrawGraph(TCanvas& canvas, const TRect& rect, Extended step, const TObject* values,
                              const TColorScale& scale) {
    if (step == 0 && scale.LevelCount() > 0) step = LargestMagnitude(values) / scale.LevelCount();
    TElComp::DrawGraph(canvas, rect, step, values, scale);
}

void TElCompSeries::SaveValues(const TObject* values, const std::string& fileName) {
    WriteTextFile(fileName, {});
    for (int s = 0; s < ChildCount(); ++s) {
        const TObject* v = ChildValues(values, s);
        if (const auto* line = dynamic_cast<const TLineItem*>(v)) {
            line->AppendToTextFile(fileName);
        } else if (const auto* matrix = dynamic_cast<const TMatrix*>(v)) {
            std::vector<std::string> lines;
            for (std::size_t i = 0; i < matrix->Rows(); ++i) {
                std::string text;
                for (std::size_t j = 0; j < matrix->Cols(); ++j)
                    text += RealToStrGen(15, 1, matrix->GetItem(i, j)) + "\t";
                lines.push_back(std::move(text));
            }
            AppendTextFile(fileName, lines);
        }
    }
}

void TElCompSeries::AddJointEquation(TEquationList& equations, int i, const std::string& name, TEquatWriter fnJ,
                                     TEquatWriter fnI, int j) {
    TDomain& di = SpanDomain(i);
    TDomain& dj = SpanDomain(j);
    std::vector<std::unique_ptr<TSLAEEquat>> terms;
    // Span i's quantity at its top equals span j's at its bottom.
    terms.push_back(std::make_unique<TSLAEEquat>(&di, TNodeIdx{di.StepCount(0), 0}, std::move(fnI), 1.0));
    terms.push_back(std::make_unique<TSLAEEquat>(&dj, TNodeIdx{0, 0}, std::move(fnJ), -1.0));
    std::string rowName = "Cnt(" + name + "[" + std::to_string(i) + "," + std::to_string(j) + "])";
    if (!IsRoot()) rowName += "." + Key();
    equations.AddTerms(std::move(rowName), std::move(terms));
}

void TElCompSeries::AddHydrostatics(int component, const TObject* value) {
    double gamma = 0, level = 0;
    if (const auto* x = dynamic_cast<const TReal*>(value)) {
        gamma = x->Value;
        level = HeightUpTo(ChildCount() - 1);
    } else if (const auto* list = dynamic_cast<const TValueList*>(value)) {
        gamma = list->AsReal(0);
        level = list->AsReal(1);
    } else {
        throw ZemError("Ошибка значения");
    }
    double z = 0;
    double pBottom = gamma * level;
    for (int i = 0; i < ChildCount() && z < level; ++i) {
        TDomain& domain = SpanDomain(i);
        const double zTop = z + domain.Lengths[0];
        if (zTop <= level) {
            // Wholly under the liquid: linear from the span's bottom to its top.
            const double pTop = gamma * (level - zTop);
            domain.AddLoadFunc(component, &TDomain::LinearLoad, {0, pBottom, pTop});
            pBottom = pTop;
        } else {
            // The span that holds the level: liquid of depth level - z above
            // its bottom, snapped to its cells with the resultant kept.
            domain.AddHydrostatics(component, 0, gamma, level - z);
        }
        z = zTop;
    }
}

// --- TElCompSeriesD2 -----------------------------------------------------------------

void TElCompSeriesD2::AddJointEquation(TEquationList& equations, int i, const std::string& name,
                                       TEquatWriter fnJ, TEquatWriter fnI, int j) {
    TDomain& di = SpanDomain(i);
    TDomain& dj = SpanDomain(j);
    const TNodeIdx node = di.Pos;
    const Extended x = di.NodeCoord(1, node[1]);
    std::vector<std::unique_ptr<TSLAEEquat>> terms;
    terms.push_back(std::make_unique<TSLAEEquat>(&di, node, fnI, 1.0));
    const std::vector<int> near = dj.NearestNodes(1, 2, x);
    if (near.size() == 1) {
        terms.push_back(std::make_unique<TSLAEEquat>(&dj, TNodeIdx{dj.GetPos(0), near[0]}, fnJ, -1.0));
    } else if (near.size() == 2) {
        // Linear interpolation between the two nodes around x.
        const Extended x1 = dj.StepSum(1, near[0]), x2 = dj.StepSum(1, near[1]);
        const double t = static_cast<double>((x - x1) / (x2 - x1));
        terms.push_back(std::make_unique<TSLAEEquat>(&dj, TNodeIdx{dj.GetPos(0), near[0]}, fnJ, t - 1));
        terms.push_back(std::make_unique<TSLAEEquat>(&dj, TNodeIdx{dj.GetPos(0), near[1]}, fnJ, -t));
    }
    std::string rowName = "Cnt." + name + "(" + std::to_string(i) + "," + std::to_string(j) + ")";
    if (!IsRoot()) rowName += "." + Key();
    rowName += "[" + std::to_string(node[1]) + "]";
    equations.AddTerms(std::move(rowName), std::move(terms));
}

}  // namespace zem
