// Element types for the tests: an axisymmetric cylinder with its default
// items, a span, a compound of spans held in an element array, and a problem
// that records what the tree asks of it.
#pragma once

#include "domains/model_elements.h"
#include "elements/Elements.h"
#include "testutil.h"

#include <string>
#include <vector>

namespace zem::test {

class TElTestCyl : public TElement {
public:
    using TElement::TElement;
    std::string GetCaption() const override { return "Цилиндрическая оболочка. Радиальная осесимметричная нагрузка"; }
    std::string GetTypeName() const override { return "CylSym"; }
    void DeclareItems() override {
        Params().DeclareMany(&CreateItem<TElReal>, {"R", "H", "t", "E", "mu"}, {"Real"},
                             {"Радиус, м", "Высота, м", "Толщина, м", "Модуль Юнга (Па)", "Коэфициент Пуассона"},
                             {"10.0", "10.0", "0.01", "2.06e11", "0.3"});
        Bounds().DeclareMany(&CreateItem<TElValueList>, {"w_bot", "dw_bot", "Q1_top", "M1_top"}, {}, {},
                             {"0", "0", "0", "0"});
        Loads().DeclareMany(&CreateItem<TElValueList>, {"Uniform", "Gidr"}, {"Real", "[Real,Real]"}, {}, {"", "10000"});
        Mesh().Declare<TElValueList>("mesh_x", "Integer/RealList", "Сетка в продольном направлении", "4");
    }
    void ApplyLoad(const std::string& key, const TObject*) override { applied.push_back(key); }
    std::vector<std::string> applied;
};

// A span passes its own identity upward, so the compound can add its offset.
class TElTestSpan : public TElement {
public:
    using TElement::TElement;
    std::string GetCaption() const override { return "Пояс"; }
    std::string GetTypeName() const override { return "CylSym"; }
    void DeclareItems() override {
        Params().DeclareMany(&CreateItem<TElReal>, {"H", "t"}, {}, {"Высота пояса (м)"}, {});
        Loads().Declare<TElValueList>("Uniform", "Real", "Равномерная (Па)", "");
        Mesh().Declare<TElValueList>("mesh_x", "Integer/RealList", "Сетка в продольном направлении", "4");
    }
    void AddCoef(TElement*, std::size_t index, Extended x) override { TElemList::AddCoef(this, index, x); }
    Extended GetUnknown(TElement*, std::size_t index) override { return TElemList::GetUnknown(this, index); }
};

// Spans in ELEMS (an element array); every span before a child adds
// kSpanUnknowns to the child's unknown numbers.
class TElTestComp : public TElement {
public:
    static constexpr std::size_t kSpanUnknowns = 10;

    TElTestComp(TObject* owner, std::string key) : TElement(owner, std::move(key)) {
        auto elems = std::make_unique<TElemArray>(this, "ELEMS");
        elems->OnAddItem = [this] { AddSpan(); };
        AddItem(std::move(elems));
    }
    std::string GetCaption() const override { return "Ступенчатая оболочка"; }
    std::string GetTypeName() const override { return "CompCylSym"; }
    void DeclareItems() override {
        Params().DeclareMany(&CreateItem<TElReal>, {"R", "E", "mu"}, {}, {}, {"1.0", "2.01e11", "0.3"});
        Loads().Declare<TElValueList>("Gidr", "[Real,Real]", "Гидростатика", "10000");
        Elems().ClearItems();
        AddSpan();
        AddSpan();
    }
    TElemArray& Elems() const { return dynamic_cast<TElemArray&>(Item(4)); }
    TElTestSpan& Span(int i) const { return dynamic_cast<TElTestSpan&>(Elems().Item(i)); }
    void AddSpan() {
        TElemArray& elems = Elems();
        elems.AddItem(std::make_unique<TElTestSpan>(&elems, "Span" + std::to_string(elems.Count() + 1)));
        Span(elems.Count() - 1).DeclareItems();
    }
    std::size_t UnknownOffset(const TElement* child, std::size_t index) const override {
        for (int i = 0; i < Elems().Count() && &Elems().Item(i) != child; ++i) index += kSpanUnknowns;
        return index;
    }
    void AddCoef(TElement* element, std::size_t index, Extended x) override {
        TElemList::AddCoef(this, UnknownOffset(element, index), x);
    }
    Extended GetUnknown(TElement* element, std::size_t index) override {
        return TElemList::GetUnknown(this, UnknownOffset(element, index));
    }
};

// A problem that records the row being built and the windows asked for.
using dmtest::TTestHost;

// A new element of type T owned by Host, with its defaults declared and parsed.
template <class T>
std::unique_ptr<T> NewElement(TObject* host, const std::string& key) {
    auto e = std::make_unique<T>(host, key);
    e->DeclareItems();
    e->Parse();
    return e;
}

}  // namespace zem::test
