#include "elements/ElComp.h"

#include "elements/MyObjecs.h"
#include "platform/errors.h"

#include <algorithm>
#include <cmath>

namespace zem {

// --- TElComp ---------------------------------------------------------------------

TElComp::TElComp(TObject* owner, std::string key) : TElement(owner, std::move(key)) {
    AddItem(std::make_unique<TElemList>(this, "ELEMS"));
}

TElemList& TElComp::Elems() const { return dynamic_cast<TElemList&>(Item(4)); }

TElement& TElComp::Child(int i) const { return dynamic_cast<TElement&>(Elems().Item(i)); }

TElement& TElComp::AddChild(std::unique_ptr<TElement> element) {
    return static_cast<TElement&>(Elems().AddItem(std::move(element)));
}

bool TElComp::IsRoot() const { return dynamic_cast<TElemItem*>(Owner()) == nullptr; }

const TObject* TElComp::ChildValues(const TObject* values, int i) {
    const auto* list = dynamic_cast<const TValueList*>(values);
    return list && i < list->Count() ? list->Items(i) : nullptr;
}

void TElComp::DeclareItems() {
    for (int i = 0; i < ChildCount(); ++i) Child(i).DeclareItems();
}

void TElComp::ApplyLoad(const std::string& key, const TObject* value) {
    for (int i = 0; i < ChildCount(); ++i) Child(i).ApplyLoad(key, value);
}

void TElComp::BuildEquations(TEquationList& equations) {
    for (int i = 0; i < ChildCount(); ++i) Child(i).BuildEquations(equations);
}

void TElComp::DrawGraph(TCanvas& canvas, const TRect& rect, Extended step, const TObject* values,
                        const TColorScale& scale) {
    for (int i = 0; i < ChildCount(); ++i) {
        TRect sub;
        SpanRect(i, rect, sub);
        Child(i).DrawGraph(canvas, sub, step, ChildValues(values, i), scale);
    }
}

void TElComp::DrawMesh(TCanvas& canvas, const TRect& rect) {
    for (int i = 0; i < ChildCount(); ++i) {
        TRect sub;
        SpanRect(i, rect, sub);
        Child(i).DrawMesh(canvas, sub);
    }
}

std::string TElComp::HitText(const TRect& rect, const TPoint& point) {
    for (int i = 0; i < ChildCount(); ++i) {
        TRect sub;
        SpanRect(i, rect, sub);
        if (PointInRect(point, sub)) return Child(i).HitText(sub, point);
    }
    return {};
}

std::string TElComp::HitValue(const TRect& rect, const TPoint& point, const TObject* values) {
    for (int i = 0; i < ChildCount(); ++i) {
        TRect sub;
        SpanRect(i, rect, sub);
        if (PointInRect(point, sub)) return Child(i).HitValue(sub, point, ChildValues(values, i));
    }
    return {};
}

std::unique_ptr<TObject> TElComp::InputValues(int i) {
    auto list = std::make_unique<TValueList>();
    for (int k = 0; k < ChildCount(); ++k) list->Add(Child(k).InputValues(i));
    return list;
}

std::unique_ptr<TObject> TElComp::ResultValues(int i) {
    auto list = std::make_unique<TValueList>();
    for (int k = 0; k < ChildCount(); ++k) list->Add(Child(k).ResultValues(i));
    return list;
}

}  // namespace zem
