// Value objects (the parsed form of a parameter text), the owning lists that
// carry objects between the elements, the domains and the windows, and a
// colour holder for the palettes of the graph options.
//
// Every class here derives from TObject so that any owning list can hold it
// and a window can keep it as "the data object" without knowing its class.
#pragma once

#include "platform/canvas.h"
#include "platform/object.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace zem {

// Common base of the scalar value objects.
class TValObject : public TObject {};

// A scalar held as a 64-bit real.
class TReal : public TValObject {
public:
    explicit TReal(double x = 0) : Value(x) {}
    double Value;
};

// An integral scalar, still held in the 64-bit Value.
class TWord : public TReal {
public:
    explicit TWord(double x = 0) : TReal(x) {}
    // Value rounded to the nearest integer (ties to even). Raises
    // "Ошибка значения" when it lies outside the range of int.
    int AsInteger() const;
    // Sets Value from a 16-bit unsigned integer.
    void SetWord(std::uint16_t w) { Value = w; }
};

// A list that owns its entries (null entries allowed); destroying the list
// frees them.
class TFreeList : public TObject {
public:
    TFreeList() = default;
    // Takes the given objects, in order.
    explicit TFreeList(std::vector<std::unique_ptr<TObject>> objects) : items_(std::move(objects)) {}
    TFreeList(const TFreeList&) = delete;
    TFreeList& operator=(const TFreeList&) = delete;

    int Count() const { return static_cast<int>(items_.size()); }
    // Entry i (may be null). Raises std::out_of_range for a bad index.
    TObject* Items(int i) const { return items_.at(static_cast<std::size_t>(i)).get(); }
    TObject* operator[](int i) const { return Items(i); }

    // Appends an object (or null); returns its position.
    int Add(std::unique_ptr<TObject> obj);
    void Insert(int i, std::unique_ptr<TObject> obj);
    // Frees entry i and removes it.
    void Delete(int i);
    // Hands entry i to the caller and removes it.
    std::unique_ptr<TObject> Extract(int i);
    // Position of Obj, or -1.
    int IndexOf(const TObject* obj) const;
    // Frees every entry and empties the list.
    void FreeAll() { items_.clear(); }

private:
    std::vector<std::unique_ptr<TObject>> items_;
};

// A parsed list text: entries are TReal, TWord, TValueList or null. Windows
// and compound elements also use it to hand several data objects at once.
class TValueList : public TFreeList {
public:
    using TFreeList::TFreeList;
    // Entry i's value rounded to the nearest integer, or as a 64-bit real.
    // Entry i must exist and be a TReal or TWord; otherwise both raise
    // "Ошибка значения" (a list value with too few numbers is an input error).
    int AsInteger(int i) const;
    double AsReal(int i) const;
};

// A list of lines, each of which may carry an owned object; clearing or
// destroying the list frees those objects.
class TFreeStringList : public TObject {
public:
    TFreeStringList() = default;
    TFreeStringList(const TFreeStringList&) = delete;
    TFreeStringList& operator=(const TFreeStringList&) = delete;

    int Count() const { return static_cast<int>(lines_.size()); }
    const std::string& Strings(int i) const { return lines_.at(static_cast<std::size_t>(i)).Text; }
    void SetString(int i, std::string s) { lines_.at(static_cast<std::size_t>(i)).Text = std::move(s); }
    TObject* Objects(int i) const { return lines_.at(static_cast<std::size_t>(i)).Object.get(); }
    // Frees the object of line i and attaches Obj instead.
    void SetObject(int i, std::unique_ptr<TObject> obj) {
        lines_.at(static_cast<std::size_t>(i)).Object = std::move(obj);
    }

    int Add(std::string s, std::unique_ptr<TObject> obj = nullptr);
    void Insert(int i, std::string s, std::unique_ptr<TObject> obj = nullptr);
    // Frees the object of line i and removes the line.
    void Delete(int i);
    // Hands the object of line i to the caller (the line stays, without one).
    std::unique_ptr<TObject> ExtractObject(int i);
    // First line equal to S (exact), or -1.
    int IndexOf(const std::string& s) const;
    // The lines alone.
    std::vector<std::string> Lines() const;
    // Frees the object of every line, then removes the lines.
    void Clear() { lines_.clear(); }

private:
    struct TLine {
        std::string Text;
        std::unique_ptr<TObject> Object;
    };
    std::vector<TLine> lines_;
};

// A colour as an object, so that list boxes can own their palette entries.
class TObjColor : public TObject {
public:
    explicit TObjColor(TColor color = clBlack) : Color(color) {}
    TColor Color;
};

}  // namespace zem
