#include "elements/ElItems.h"

#include "elements/ElementHost.h"
#include "elements/MyStr.h"
#include "platform/errors.h"

#include <cfloat>
#include <cmath>
#include <typeinfo>

namespace zem {
namespace {

[[noreturn]] void NotAWord(const std::string& text) {
    throw ZemError("'" + text + "' не является целым числом от 0 до " + std::to_string(TElWord::kMaxWord));
}

// A decimal integer with optional sign and blanks around it, within 0..65535.
long WordFromText(const std::string& text) {
    const std::string t = Trimmed(text);
    std::size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
    if (i == t.size()) NotAWord(text);
    long n = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9') NotAWord(text);
        n = n * 10 + (t[i] - '0');
        if (n > TElWord::kMaxWord) NotAWord(text);
    }
    if (negative && n != 0) NotAWord(text);
    return n;
}

}  // namespace

TElementHost* TElemItem::Host() const {
    const TElemItem* item = this;
    while (TElemItem* up = item->OwnerItem()) item = up;
    return dynamic_cast<TElementHost*>(item->Owner());
}

void TElemItem::NoteReshaped() const {
    if (TElementHost* host = Host()) host->TreeReshaped();
}

void TElemItem::SetText(const std::string& s) {
    // The new value is made beside the old one, which comes back when the
    // text is rejected: a failed text changes nothing.
    // (S may be this item's own text.)
    std::string oldText = text_;
    text_ = s;
    std::unique_ptr<TObject> oldValue = std::move(value_);
    try {
        Parse();
    } catch (...) {
        text_ = std::move(oldText);
        value_ = std::move(oldValue);
        throw;
    }
    Changed();
}

void TElemItem::Changed() {
    if (TElemItem* owner = OwnerItem()) owner->Changed();
}

void TElValue::Assign(const TElemItem& source) {
    text_ = source.Text();
    if (source.Value() != nullptr)
        SetValue(*source.Value());
    else
        value_.reset();
}

void TElReal::StoreReal(double x) {
    if (auto* r = dynamic_cast<TReal*>(value_.get()))
        r->Value = x;
    else
        value_ = std::make_unique<TReal>(x);
}

void TElReal::Parse() {
    if (text_.empty()) {
        value_.reset();
        return;
    }
    const Extended x = StrToReal(text_);
    // Parameters are 64-bit reals; a larger number would turn infinite.
    if (std::fabs(x) > DBL_MAX) throw ZemError("Ошибка численного значения");
    if (Check && !Check(static_cast<double>(x))) throw ZemError("Ошибка в значении параметра " + Key());
    StoreReal(static_cast<double>(x));
}

bool IsPositive(double x) { return x > 0 && std::isfinite(x); }

bool IsBelowOneInMagnitude(double x) { return std::fabs(x) < 1; }

void TElReal::SetValue(const TObject& value) {
    StoreReal(dynamic_cast<const TReal&>(value).Value);
}

void TElWord::StoreWord(long n) {
    if (auto* w = dynamic_cast<TWord*>(value_.get()))
        w->SetWord(static_cast<std::uint16_t>(n));
    else
        value_ = std::make_unique<TWord>(static_cast<double>(n));
}

void TElWord::Parse() {
    if (text_.empty()) {
        value_.reset();
        return;
    }
    StoreWord(WordFromText(text_));
}

void TElWord::SetValue(const TObject& value) {
    const int n = dynamic_cast<const TWord&>(value).AsInteger();
    if (n < 0 || n > kMaxWord) NotAWord(std::to_string(n));
    StoreWord(n);
}

void TElValueList::Assign(const TElemItem& source) {
    text_ = source.Text();
    Parse();
}

void TElValueList::Parse() {
    value_.reset();
    value_ = ParseValue(text_);
}

}  // namespace zem
