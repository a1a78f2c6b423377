// The items of the element tree: every node has a key, a type hint, a caption,
// a value text and the value object parsed from that text, and tells its
// owner when its text changes so that the change ripples up to the root
// element's text.
//
// Ownership: an item belongs to exactly one container (a list of the tree,
// which frees it); Owner is a plain back pointer to the list or element that
// holds the item, or to the problem for the root element, and is not owned.
// The value object is owned by the item.
#pragma once

#include "elements/MyObjecs.h"
#include "platform/object.h"

#include <memory>
#include <string>

namespace zem {

class TElementHost;

class TElemItem : public TObject {
public:
    TElemItem(TObject* owner, std::string key) : owner_(owner), key_(std::move(key)) {}
    TElemItem(const TElemItem&) = delete;
    TElemItem& operator=(const TElemItem&) = delete;
    ~TElemItem() override = default;

    TObject* Owner() const { return owner_; }
    void SetOwner(TObject* owner) { owner_ = owner; }
    // The owner when it is itself an item (a list or element), else null.
    TElemItem* OwnerItem() const { return dynamic_cast<TElemItem*>(owner_); }
    // The problem the tree hangs under: the first owner, walking up, that is
    // not an item; null when the tree is not attached.
    TElementHost* Host() const;
    // Tells the host that the tree changed shape.
    void NoteReshaped() const;

    // The name within the owner (R, PARAMS, Span1); fixed at construction.
    const std::string& Key() const { return key_; }
    // Type hint shown in the editor ("Real", "Integer/RealList"); elements
    // answer their type name ("CylSym").
    virtual std::string TypeName() const { return typeName_; }
    void SetTypeName(std::string s) { typeName_ = std::move(s); }
    // Caption shown in the editor ("Радиус, м"); elements answer their
    // problem description.
    virtual std::string Caption() const { return caption_; }
    void SetCaption(std::string s) { caption_ = std::move(s); }

    // The current value text (empty when no value is given).
    const std::string& Text() const { return text_; }
    // The parsed value, or null (lists keep their children elsewhere and
    // have no value object).
    TObject* Value() const { return value_.get(); }

    // Text := S, parse it, then tell the owner. A text that fails to parse
    // raises and leaves the item as it was (text, value and, for a list, its
    // children), with nothing passed to the owner.
    virtual void SetText(const std::string& s);
    // Tells the owner when it is an item; the ripple stops at the problem.
    virtual void Changed();
    // Takes the value of another item of the same kind.
    virtual void Assign(const TElemItem& source) = 0;
    // Turns Text into Value.
    virtual void Parse() = 0;

protected:
    // Lists empty the texts of their children before reading a new text.
    static void EmptyTextOf(TElemItem& item) { item.text_.clear(); }

    std::string text_;
    std::unique_ptr<TObject> value_;

private:
    TObject* owner_;
    const std::string key_;
    std::string typeName_;
    std::string caption_;
};

// A class reference for items: creates an item of one class with (owner, key).
using TItemClass = std::unique_ptr<TElemItem> (*)(TObject* owner, const std::string& key);

template <class T>
std::unique_ptr<TElemItem> CreateItem(TObject* owner, const std::string& key) {
    return std::make_unique<T>(owner, key);
}

// A scalar parameter whose value can be copied as a value object.
class TElValue : public TElemItem {
public:
    using TElemItem::TElemItem;
    // Copies the text and the value object without parsing the text again.
    void Assign(const TElemItem& source) override;
    // Copies a value object into Value; the wrong class raises std::bad_cast.
    virtual void SetValue(const TObject& value) = 0;
};

// A real parameter: Value is a TReal, or null for the empty text. The text
// may use '.' or ',' as decimal mark and is kept as given; a text that does
// not convert (or lies beyond the range of a 64-bit real) raises
// "Ошибка численного значения".
class TElReal : public TElValue {
public:
    using TElValue::TElValue;
    // A test every number typed must pass (a positive radius, |mu| < 1);
    // a number that fails raises "Ошибка в значении параметра " + key.
    // None when null.
    using TCheck = bool (*)(double);
    TCheck Check = nullptr;

    void Parse() override;
    // Takes a TReal or TWord.
    void SetValue(const TObject& value) override;
    const TReal* RealValue() const { return static_cast<const TReal*>(value_.get()); }

protected:
    void StoreReal(double x);
};

// Tests for TElReal::Check.
bool IsPositive(double x);
bool IsBelowOneInMagnitude(double x);

// An integral parameter from 0 to 65535: Value is a TWord, or null for the
// empty text. The text is a decimal integer with an optional sign and blanks
// around it; anything else, or a number outside the range, raises
// "'<text>' не является целым числом от 0 до 65535".
class TElWord : public TElReal {
public:
    using TElReal::TElReal;
    void Parse() override;
    // Takes a TWord only.
    void SetValue(const TObject& value) override;
    const TWord* WordValue() const { return static_cast<const TWord*>(value_.get()); }

    static constexpr long kMaxWord = 65535;

private:
    void StoreWord(long n);
};

// A parameter holding a list text (mesh, load with several numbers): Value is
// whatever ParseValue gives (a TValueList, TWord, TReal, or null).
class TElValueList : public TElemItem {
public:
    using TElemItem::TElemItem;
    // Copies the text and parses it again.
    void Assign(const TElemItem& source) override;
    void Parse() override;
};

}  // namespace zem
