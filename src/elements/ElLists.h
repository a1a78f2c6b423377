// Inner nodes of the element tree: lists of items that read and write their
// children as one text.
//
// Text syntax. Named form: "{Key=Text, Key=Text}" over the children whose text
// is not empty, in child order, ", " between entries, no blanks around '=';
// a list whose children all have empty texts has the empty text. Positional
// form: "[Text, Text]", the children's texts in order. Reading a named text,
// every child takes the entry whose name equals its key without regard to
// letter case (blanks around the name and the value are dropped); a child
// without an entry gets the empty text. A value the text gives is never
// dropped: an entry without a name, with a name no child has, or with a name
// given before is rejected. Reading a positional text, entry i goes to
// child i.
//
// Every change of a child rebuilds the list's text and is passed to the owner,
// so the root element's text always reflects its leaves.
#pragma once

#include "elements/ElItems.h"

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zem {


// One item as a table declares it: its key, its class, the type hint and
// caption the editor shows, its default text and, for a number, the test a
// typed value must pass (TElReal::Check; null for none).
struct TItemDecl {
    const char* Key;
    TItemClass Kind;
    const char* TypeName;
    const char* Caption;
    const char* Default;
    bool (*Check)(double) = nullptr;
};

class TElemList : public TElemItem {
public:
    TElemList(TObject* owner, std::string key) : TElemItem(owner, std::move(key)) {}

    int Count() const { return static_cast<int>(items_.size()); }
    // Child i; a bad index raises std::out_of_range.
    TElemItem& Item(int i) const { return *items_.at(static_cast<std::size_t>(i)); }
    // Frees child i and puts NewItem in its place (no notification).
    void ReplaceItem(int i, std::unique_ptr<TElemItem> newItem);
    // Frees every child.
    void ClearItems();
    // Position of Obj among the children, or -1.
    int IndexOfItem(const TElemItem* obj) const;
    // Position of the first child whose key equals Key exactly (letter case
    // counts), or -1.
    int IndexOfKey(std::string_view key) const;
    const std::string& ItemKey(int i) const { return Item(i).Key(); }
    const std::string& ItemText(int i) const { return Item(i).Text(); }
    TObject* ItemValue(int i) const { return Item(i).Value(); }
    // The number held by child i; raises "Ошибка значения" unless its value is
    // a TReal or TWord.
    double ItemReal(int i) const;
    // X := the number of the child with Key when there is one and it has a
    // value (returns true); otherwise X is left as it is. A value that is not
    // a number raises "Ошибка значения".
    bool GetReal(std::string_view key, double& x) const;

    // True when the last text read was positional ('[' first).
    bool Positional() const { return positional_; }

    // Creates an item of ItemClass with (this list, Key), sets its type hint
    // and caption, appends it and gives it the default text.
    TElemItem& Declare(TItemClass itemClass, const std::string& key, const std::string& typeName,
                       const std::string& caption, const std::string& defaultText);
    template <class T>
    T& Declare(const std::string& key, const std::string& typeName, const std::string& caption,
               const std::string& defaultText) {
        return static_cast<T&>(Declare(&CreateItem<T>, key, typeName, caption, defaultText));
    }
    // Declare for every entry of a table, in order.
    void DeclareAll(std::span<const TItemDecl> decls);
    // Declare for every key, taking entry i of each array; a shorter array
    // gives the empty text for the missing entries.
    void DeclareMany(TItemClass itemClass, const std::vector<std::string>& keys,
                     const std::vector<std::string>& typeNames, const std::vector<std::string>& captions,
                     const std::vector<std::string>& defaults);

    // Rejects a text that is neither "{...}" nor "[...]" with
    // "Ошибка формата в " + key; otherwise empties the children's texts and
    // reads S. Whatever rejects S, the list, its children and their domains
    // are left as they were (as the text before reads, see RestoreText).
    void SetText(const std::string& s) override;
    // Rebuilds the text from the children, then tells the owner.
    void Changed() override;
    // Every child assigns from the source child with the same key; the
    // source must be a list (else std::bad_cast).
    void Assign(const TElemItem& source) override;
    // Distributes the text to the children (see the syntax above); the empty
    // text, "{}" and "[]" give every child the empty text. A named
    // text for a list without children raises key + " не определен"; a
    // positional text with more entries than children raises
    // "Ошибка формата в " + key.
    void Parse() override;

    // Appends Item (no notification).
    virtual TElemItem& AddItem(std::unique_ptr<TElemItem> item);
    // Frees the child with Key (exact) and rebuilds the text.
    virtual void DeleteItem(std::string_view key);

protected:
    // The text in the list's current form, built from the children.
    virtual std::string BuildText() const;
    [[noreturn]] void FormatError() const;
    // Reads the text the list held before, after a rejected one. That text
    // may itself fail when an item below was edited alone and never read
    // with the rest; the list is then left as the read left it.
    void RestoreText(const std::string& before, bool wasPositional) noexcept;
    // The text without its outer brackets, split at top-level commas; sets
    // Positional. Raises the format error when the text is not bracketed.
    std::vector<std::string> SplitOwnText();

    // One entry of a named text: the name before the first '=' and the value
    // after it; an entry without '=' names nothing.
    struct TEntry {
        std::string Name;
        std::string Value;
        bool Named = false;
    };
    static std::vector<TEntry> Entries(const std::vector<std::string>& parts);
    static const TEntry* FindEntry(const std::vector<TEntry>& entries, std::string_view key);
    // Raises unless every entry of a named text goes to a child: an entry
    // without '=' is a format error, a name no child has raises
    // "Неизвестное имя " + name + " в " + key, a name given twice
    // "Повторное имя " + name + " в " + key.
    void CheckEntries(const std::vector<TEntry>& entries) const;

    std::vector<std::unique_ptr<TElemItem>> items_;
    bool positional_ = false;

    // Marks a read of the list's own text: the children's changes do not
    // rebuild it one by one (Changed).
    struct TReading {
        explicit TReading(TElemList& list) : list_(list) { ++list_.reading_; }
        ~TReading() { --list_.reading_; }
        TReading(const TReading&) = delete;
        TReading& operator=(const TReading&) = delete;

    private:
        TElemList& list_;
    };
    int reading_ = 0;
};

// A list whose children are created while a named text is read: every entry
// calls OnAddItem, which appends one child with a generated key (Span1,
// Span2, ...); the entries must carry those keys, in any order.
class TElemArray : public TElemList {
public:
    using TElemList::TElemList;

    // Appends one new child at the end; set by the compound element owning
    // the array.
    std::function<void()> OnAddItem;

    // Named: recreates the children, one per entry. A generated key that no
    // entry carries raises key + "не определен"; a missing OnAddItem, or one
    // that adds no child, raises the array's key + " не определен".
    void Parse() override;
    // Rebuilds the children from the source's text, so that a copy has as
    // many children as the source (by keys alone when there is nothing to
    // rebuild from, or no OnAddItem).
    void Assign(const TElemItem& source) override;

protected:
    // The named form writes every child, an empty one as "Key={}" (a list) or
    // "Key=" (a leaf), since the number of entries is the number of children
    // when the text is read back.
    std::string BuildText() const override;
};

}  // namespace zem
