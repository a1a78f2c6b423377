// The skeleton shared by the stepped cylinders: a compound whose ELEMS is an
// array of spans Span1 (bottom), Span2, ... stacked along the axis, each span
// a single-cylinder element. The skeleton recreates the spans when a text is
// read, sets every span up again after a read or after a span was rebuilt on
// its own (the span's own parameters and loads, then the compound's loads
// spread over the spans and the compound's boundary conditions on the first
// and the last span), and lays out the rows: the first span's start rows and
// inner rows, then for every joint the joint rows and the next span's inner
// rows, then the last span's end rows.
//
// Series is TElCompSeries (line spans) or TElCompSeriesD2 (surface spans);
// Cylinder is the spans' domain, which writes its start, inner and end rows.
#pragma once

#include "domains/Equations.h"
#include "domains/ElSeries.h"
#include "elements/ElItems.h"
#include "elements/ElLists.h"

#include <memory>
#include <string>

namespace zem {

// The stepped shell's parameters: each span takes those it leaves empty.
inline const TItemDecl kCompoundParams[] = {
    {"R", &CreateItem<TElReal>, "Real", "Радиус, м", "1.0", &IsPositive},
    {"H", &CreateItem<TElReal>, "Real", "Высота пояса (м)", "1.0", &IsPositive},
    {"t", &CreateItem<TElReal>, "Real", "Толщина пояса (м)", "0.01", &IsPositive},
    {"E", &CreateItem<TElReal>, "Real", "Модуль Юнга (Па)", "2.01e11", &IsPositive},
    {"mu", &CreateItem<TElReal>, "Real", "Коэффициент Пуассона", "0.3", &IsBelowOneInMagnitude},
};
// A span's own parameters and load; empty ones take the compound's.
inline const TItemDecl kSpanParams[] = {
    {"H", &CreateItem<TElReal>, "Real", "Высота пояса (м)", "", &IsPositive},
    {"t", &CreateItem<TElReal>, "Real", "Толщина пояса (м)", "", &IsPositive},
};
inline const TItemDecl kSpanLoads[] = {
    {"Uniform", &CreateItem<TElValueList>, "Real", "Равномерная (Па)", ""},
};

template <class Series, class Cylinder>
class TElStepped : public Series {
public:
    // ELEMS becomes an array whose entries create spans (NewSpan).
    TElStepped(TObject* owner, std::string key) : Series(owner, std::move(key)) {
        auto array = std::make_unique<TElemArray>(this, "ELEMS");
        array->OnAddItem = [this] { NewSpan(); };
        this->ReplaceItem(4, std::move(array));
    }

    // The text (which rebuilds the spans), then every span set up.
    void Parse() override {
        Series::Parse();
        SetUpSpans();
    }
    // A span rebuilt on its own gets the compound's loads and conditions again.
    void SubElementRebuilt(TElement&) override { SetUpSpans(); }

    void BuildEquations(TEquationList& equations) override {
        const int n = this->ChildCount();
        if (n == 0) return;
        BeforeRows();
        SpanCyl(0).WriteStartRows(equations);
        SpanCyl(0).WriteInnerRows(equations);
        for (int i = 0; i + 1 < n; ++i) {
            WriteJointRows(equations, i);
            SpanCyl(i + 1).WriteInnerRows(equations);
        }
        SpanCyl(n - 1).WriteEndRows(equations);
    }

    // The domain of span i.
    Cylinder& SpanCyl(int i) const { return static_cast<Cylinder&>(this->SpanDomain(i)); }

protected:
    // Appends span Span<count + 1> with its own items.
    virtual void NewSpan() = 0;
    // Sets span i up from its own items before the compound's loads arrive.
    virtual void PrepareSpan(int i) = 0;
    // Called before the rows are laid out, with at least one span.
    virtual void BeforeRows() {}
    // The rows joining span i (at its top) to span i + 1 (at its bottom).
    virtual void WriteJointRows(TEquationList& equations, int i) = 0;

    // No spans, then the two spans of a new problem.
    void DeclareSpans() {
        this->Elems().ClearItems();
        NewSpan();
        NewSpan();
    }

    void SetUpSpans() {
        const int n = this->ChildCount();
        for (int i = 0; i < n; ++i) PrepareSpan(i);
        if (n == 0) return;
        this->ApplyLoads();
        this->SpanDomain(0).SetBoundary(&this->Bounds());
        this->SpanDomain(n - 1).SetBoundary(&this->Bounds());
    }
};

}  // namespace zem
