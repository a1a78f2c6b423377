#include "elements/Elements.h"

#include "elements/ElementHost.h"
#include "elements/MyStr.h"
#include "platform/errors.h"

namespace zem {

TElement::TElement(TObject* owner, std::string key) : TElemList(owner, std::move(key)) {
    for (const char* section : {"PARAMS", "BOUNDS", "LOADS", "MESH"})
        AddItem(std::make_unique<TElemList>(this, section));
}

TElementHost* TElement::FindProblem() const { return Host(); }

void TElement::SetLines(const std::vector<std::string>& lines) { SetText(LinesToText(lines)); }

void TElement::Assign(const TElemItem& source) {
    TElemList::Assign(source);
    Parse();
}

void TElement::ApplyLoads() {
    const TElemList& loads = Loads();
    for (int i = 0; i < loads.Count(); ++i)
        if (!loads.ItemText(i).empty()) ApplyLoad(loads.ItemKey(i), loads.ItemValue(i));
}

void TElement::ApplyLoad(const std::string&, const TObject*) {}

void TElement::BuildEquations(TEquationList&) {}

std::size_t TElement::UnknownOffset(const TElement*, std::size_t index) const { return index; }

void TElement::FillTable(TTableModel&, const TObject*) {}

void TElement::DrawGraph(TCanvas&, const TRect&, Extended, const TObject*, const TColorScale&) {}

void TElement::DrawMesh(TCanvas&, const TRect&) {}

std::string TElement::HitText(const TRect&, const TPoint&) { return {}; }

std::string TElement::HitValue(const TRect&, const TPoint&, const TObject*) { return {}; }

std::unique_ptr<TObject> TElement::InputValues(int) { return nullptr; }

std::unique_ptr<TObject> TElement::ResultValues(int) { return nullptr; }

void TElement::ShowInputTable(int i) {
    const std::string caption = "Исходные (" + TableInputs.at(static_cast<std::size_t>(i)) + ")";
    if (TElementHost* host = FindProblem()) host->ShowTable(*this, i, caption, TableExtension(), InputValues(i));
}

void TElement::ShowResultTable(int i) {
    const std::string caption = "Результаты (" + TableResults.at(static_cast<std::size_t>(i)) + ")";
    if (TElementHost* host = FindProblem())
        host->ShowTable(*this, i + 100, caption, TableExtension(), ResultValues(i));
}

void TElement::ShowInputGraph(int i) {
    const std::string caption = "Исходные (" + GraphInputs.at(static_cast<std::size_t>(i)) + ")";
    if (TElementHost* host = FindProblem()) host->ShowGraph(*this, i, caption, InputValues(i));
}

void TElement::ShowResultGraph(int i) {
    const std::string caption = "Результаты (" + GraphResults.at(static_cast<std::size_t>(i)) + ")";
    if (TElementHost* host = FindProblem()) host->ShowGraph(*this, i + 100, caption, ResultValues(i));
}

void TElement::SaveValues(const TObject*, const std::string&) {}

void ListResultExpressions([[maybe_unused]] TElement& element, const std::vector<std::string>& source,
                           std::vector<std::string>& dest) {
    dest.clear();
    std::string pending;
    for (const std::string& line : source) {
        dest.emplace_back();
        pending = pending.empty() ? line : pending + " " + line;
        // Cut every finished request off the pending text.
        for (std::size_t cut; (cut = pending.find_first_of(";:")) != std::string::npos;) {
            const std::string request = Trimmed(std::string_view(pending).substr(0, cut));
            if (!request.empty()) {
                std::string& last = dest.back();
                if (!last.empty()) last += ' ';
                last += request + " = ";
            }
            pending.erase(0, cut + 1);
        }
    }
    if (!Trimmed(pending).empty()) throw ZemError("Ошибка в формате результатов");
}

}  // namespace zem
