#include "elements/MyObjecs.h"

#include "platform/errors.h"

#include <algorithm>
#include <climits>
#include <stdexcept>
#include <cmath>

namespace zem {
namespace {

// Rounds to the nearest integer, ties to even; out of the range of int (or
// not finite) is an error of value.
int RoundToInt(double x) {
    const double n = std::nearbyint(x);
    if (!(n >= static_cast<double>(INT_MIN) && n <= static_cast<double>(INT_MAX)))
        throw ZemError("Ошибка значения");
    return static_cast<int>(n);
}

const TReal& ScalarEntry(const TFreeList& list, int i) {
    if (i < 0 || i >= list.Count()) throw ZemError("Ошибка значения");
    const auto* r = dynamic_cast<const TReal*>(list.Items(i));
    if (r == nullptr) throw ZemError("Ошибка значения");
    return *r;
}

}  // namespace

int TWord::AsInteger() const { return RoundToInt(Value); }

int TFreeList::Add(std::unique_ptr<TObject> obj) {
    items_.push_back(std::move(obj));
    return Count() - 1;
}

void TFreeList::Insert(int i, std::unique_ptr<TObject> obj) {
    if (i < 0 || i > Count()) throw std::out_of_range("TFreeList::Insert");
    items_.insert(items_.begin() + i, std::move(obj));
}

void TFreeList::Delete(int i) {
    Extract(i);  // the extracted object dies here
}

std::unique_ptr<TObject> TFreeList::Extract(int i) {
    std::unique_ptr<TObject> obj = std::move(items_.at(static_cast<std::size_t>(i)));
    items_.erase(items_.begin() + i);
    return obj;
}

int TFreeList::IndexOf(const TObject* obj) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == obj) return static_cast<int>(i);
    return -1;
}

int TValueList::AsInteger(int i) const { return RoundToInt(ScalarEntry(*this, i).Value); }

double TValueList::AsReal(int i) const { return ScalarEntry(*this, i).Value; }

int TFreeStringList::Add(std::string s, std::unique_ptr<TObject> obj) {
    lines_.push_back({std::move(s), std::move(obj)});
    return Count() - 1;
}

void TFreeStringList::Insert(int i, std::string s, std::unique_ptr<TObject> obj) {
    if (i < 0 || i > Count()) throw std::out_of_range("TFreeStringList::Insert");
    lines_.insert(lines_.begin() + i, TLine{std::move(s), std::move(obj)});
}

void TFreeStringList::Delete(int i) {
    lines_.at(static_cast<std::size_t>(i));  // range check
    lines_.erase(lines_.begin() + i);
}

std::unique_ptr<TObject> TFreeStringList::ExtractObject(int i) {
    return std::move(lines_.at(static_cast<std::size_t>(i)).Object);
}

int TFreeStringList::IndexOf(const std::string& s) const {
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].Text == s) return static_cast<int>(i);
    return -1;
}

std::vector<std::string> TFreeStringList::Lines() const {
    std::vector<std::string> out;
    out.reserve(lines_.size());
    for (const TLine& l : lines_) out.push_back(l.Text);
    return out;
}

}  // namespace zem
