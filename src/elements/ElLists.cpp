#include "elements/ElLists.h"

#include "elements/MyStr.h"
#include "platform/errors.h"

#include <cctype>
#include <stdexcept>

namespace zem {
namespace {

bool Enclosed(const std::string& s, char open, char close) {
    return s.size() >= 2 && s.front() == open && s.back() == close;
}

bool Bracketed(const std::string& s) { return Enclosed(s, '{', '}') || Enclosed(s, '[', ']'); }

}  // namespace

// --- Children ------------------------------------------------------------------

void TElemList::ReplaceItem(int i, std::unique_ptr<TElemItem> newItem) {
    items_.at(static_cast<std::size_t>(i)) = std::move(newItem);
    NoteReshaped();
}

void TElemList::ClearItems() {
    items_.clear();
    NoteReshaped();
}

int TElemList::IndexOfItem(const TElemItem* obj) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == obj) return static_cast<int>(i);
    return -1;
}

int TElemList::IndexOfKey(std::string_view key) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i]->Key() == key) return static_cast<int>(i);
    return -1;
}

double TElemList::ItemReal(int i) const {
    const auto* r = dynamic_cast<const TReal*>(ItemValue(i));
    if (r == nullptr) throw ZemError("Ошибка значения");
    return r->Value;
}

bool TElemList::GetReal(std::string_view key, double& x) const {
    const int i = IndexOfKey(key);
    if (i < 0 || ItemValue(i) == nullptr) return false;
    x = ItemReal(i);
    return true;
}

TElemItem& TElemList::AddItem(std::unique_ptr<TElemItem> item) {
    items_.push_back(std::move(item));
    NoteReshaped();
    return *items_.back();
}

void TElemList::DeleteItem(std::string_view key) {
    const int i = IndexOfKey(key);
    if (i < 0) return;
    items_.erase(items_.begin() + i);
    NoteReshaped();
    Changed();
}

TElemItem& TElemList::Declare(TItemClass itemClass, const std::string& key, const std::string& typeName,
                              const std::string& caption, const std::string& defaultText) {
    std::unique_ptr<TElemItem> created = itemClass(this, key);
    created->SetTypeName(typeName);
    created->SetCaption(caption);
    TElemItem& item = AddItem(std::move(created));
    item.SetText(defaultText);
    return item;
}

void TElemList::DeclareAll(std::span<const TItemDecl> decls) {
    for (const TItemDecl& d : decls) {
        TElemItem& item = Declare(d.Kind, d.Key, d.TypeName, d.Caption, d.Default);
        if (d.Check) {
            auto* real = dynamic_cast<TElReal*>(&item);
            ZEM_ASSERT(real, "a check is declared for a number item");
            if (real) real->Check = d.Check;
        }
    }
}

void TElemList::DeclareMany(TItemClass itemClass, const std::vector<std::string>& keys,
                            const std::vector<std::string>& typeNames, const std::vector<std::string>& captions,
                            const std::vector<std::string>& defaults) {
    auto entry = [](const std::vector<std::string>& v, std::size_t i) { return i < v.size() ? v[i] : std::string(); };
    for (std::size_t i = 0; i < keys.size(); ++i)
        Declare(itemClass, keys[i], entry(typeNames, i), entry(captions, i), entry(defaults, i));
}

// --- Text ----------------------------------------------------------------------

void TElemList::FormatError() const { throw ZemError("Ошибка формата в " + Key()); }

std::string TElemList::BuildText() const {
    std::string r;
    if (positional_) {
        for (const auto& child : items_) {
            if (!r.empty()) r += ", ";
            r += child->Text();
        }
        return "[" + r + "]";
    }
    for (const auto& child : items_) {
        if (child->Text().empty()) continue;
        if (!r.empty()) r += ", ";
        r += child->Key() + "=" + child->Text();
    }
    return r.empty() ? r : "{" + r + "}";
}

void TElemList::SetText(const std::string& s) {
    // The format is checked before anything changes, so that a rejected text
    // leaves the list and its children as they were.
    if (!s.empty() && !Bracketed(s)) FormatError();
    const std::string before = text_;
    const bool wasPositional = positional_;
    for (auto& child : items_) EmptyTextOf(*child);
    try {
        TElemItem::SetText(s);
    } catch (...) {
        // The children took part of the rejected text, and sub-elements may
        // have been made afresh: the text read before is read again, which
        // rebuilds the list as it was and tells the owners.
        RestoreText(before, wasPositional);
        throw;
    }
}

void TElemList::RestoreText(const std::string& before, bool wasPositional) noexcept {
    try {
        text_ = before;
        positional_ = wasPositional;
        for (auto& child : items_) EmptyTextOf(*child);
        Parse();
        Changed();
    } catch (...) {
        // The text before was itself never read whole: an item edited alone
        // changes the texts above it without their parse. Nothing sounder
        // than what the read left is at hand; the caller has the error.
    }
}

void TElemList::Changed() {
    // While the list hands a text to its children it rebuilds its own text
    // once, at the end, rather than after every child.
    if (reading_ > 0) return;
    text_ = BuildText();
    TElemItem::Changed();
}

void TElemList::Assign(const TElemItem& source) {
    const auto& from = dynamic_cast<const TElemList&>(source);
    for (auto& child : items_) {
        const int j = from.IndexOfKey(child->Key());
        if (j >= 0) child->Assign(from.Item(j));
    }
    Changed();
}

std::vector<std::string> TElemList::SplitOwnText() {
    if (!Bracketed(text_)) FormatError();
    positional_ = text_.front() == '[';
    return SplitList(std::string_view(text_).substr(1, text_.size() - 2));
}

std::vector<TElemList::TEntry> TElemList::Entries(const std::vector<std::string>& parts) {
    std::vector<TEntry> entries;
    entries.reserve(parts.size());
    for (const std::string& part : parts) {
        const std::size_t eq = part.find('=');
        if (eq == std::string::npos)
            entries.push_back({});
        else
            entries.push_back({Trimmed(std::string_view(part).substr(0, eq)),
                               Trimmed(std::string_view(part).substr(eq + 1)), true});
    }
    return entries;
}

const TElemList::TEntry* TElemList::FindEntry(const std::vector<TEntry>& entries, std::string_view key) {
    for (const TEntry& e : entries)
        if (e.Named && SameKey(e.Name, key)) return &e;
    return nullptr;
}

namespace {

// A value that does not parse names its key: "t: Ошибка численного
// значения". Errors of nested lists (which name their own keys) and errors
// that give a position pass unchanged.
void SetChildText(TElemItem& child, const std::string& text) {
    try {
        child.SetText(text);
    } catch (const ZemError& e) {
        const std::string what = e.what();
        if (dynamic_cast<TElemList*>(&child) || what.empty() || std::isdigit(static_cast<unsigned char>(what[0])))
            throw;
        throw ZemError(child.Key() + ": " + what);
    }
}

}  // namespace

void TElemList::Parse() {
    // Children are visited by index: a child's ripple may read this list,
    // never reshape it. The empty text empties the children like "{}" does,
    // so that no value outlives its text.
    const std::vector<std::string> parts = text_.empty() ? std::vector<std::string>() : SplitOwnText();
    {
        const TReading reading(*this);
        if (parts.empty()) {
            for (std::size_t i = 0; i < items_.size(); ++i) items_[i]->SetText("");
        } else if (positional_) {
            if (parts.size() > items_.size()) FormatError();
            for (std::size_t i = 0; i < parts.size(); ++i) SetChildText(*items_[i], parts[i]);
        } else {
            if (items_.empty()) throw ZemError(Key() + " не определен");
            const std::vector<TEntry> entries = Entries(parts);
            CheckEntries(entries);
            for (std::size_t i = 0; i < items_.size(); ++i) {
                const TEntry* e = FindEntry(entries, items_[i]->Key());
                SetChildText(*items_[i], e ? e->Value : std::string());
            }
        }
    }
    Changed();
}

void TElemList::CheckEntries(const std::vector<TEntry>& entries) const {
    // Every value the text gives must reach a child: a value without a name,
    // under a name no child has, or under a name given before would be lost.
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const TEntry& e = entries[k];
        if (!e.Named) FormatError();
        bool known = false;
        for (const auto& child : items_) known = known || SameKey(e.Name, child->Key());
        if (!known) throw ZemError("Неизвестное имя " + e.Name + " в " + Key());
        if (FindEntry(entries, e.Name) != &e) throw ZemError("Повторное имя " + e.Name + " в " + Key());
    }
}

// --- Arrays ------------------------------------------------------------------------

void TElemArray::Parse() {
    if (text_.empty()) {
        TElemList::Parse();
        return;
    }
    const std::vector<std::string> parts = SplitOwnText();
    if (parts.empty() || positional_) {
        TElemList::Parse();
        return;
    }
    if (!OnAddItem) throw ZemError(Key() + " не определен");
    const std::vector<TEntry> entries = Entries(parts);
    {
        const TReading reading(*this);
        ClearItems();
        for (std::size_t i = 0; i < entries.size(); ++i) {
            OnAddItem();
            if (items_.size() <= i) throw ZemError(Key() + " не определен");
            TElemItem& child = *items_[i];
            // Entries usually come in span order.
            const TEntry* e = entries[i].Named && SameKey(entries[i].Name, child.Key())
                                  ? &entries[i]
                                  : FindEntry(entries, child.Key());
            if (e == nullptr) throw ZemError(child.Key() + "не определен");
            child.SetText(e->Value);
        }
    }
    Changed();
}

std::string TElemArray::BuildText() const {
    if (positional_ || items_.empty()) return TElemList::BuildText();
    std::string r;
    for (const auto& child : items_) {
        if (!r.empty()) r += ", ";
        const bool isList = dynamic_cast<const TElemList*>(child.get()) != nullptr;
        r += child->Key() + "=" + (child->Text().empty() && isList ? "{}" : child->Text());
    }
    return "{" + r + "}";
}

void TElemArray::Assign(const TElemItem& source) {
    const auto& from = dynamic_cast<const TElemList&>(source);
    if (from.Text().empty() || !OnAddItem) {
        TElemList::Assign(source);
        return;
    }
    text_ = from.Text();
    Parse();
    Changed();
}

}  // namespace zem
