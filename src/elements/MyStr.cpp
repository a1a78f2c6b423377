#include "elements/MyStr.h"

#include "elements/MyObjecs.h"
#include "platform/cp1251.h"
#include "platform/errors.h"

#include <cfloat>
#include <cmath>

namespace zem {
namespace {

[[noreturn]] void BalanceBroken() { throw ZemError("Нарушен баланс скобок"); }
[[noreturn]] void ValueError() { throw ZemError("Ошибка значения"); }

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Depth counts every list level and every pair of outer brackets taken off,
// so that a hostile text cannot exhaust the stack.
std::unique_ptr<TObject> ParseValueAt(std::string_view s, int depth) {
    if (depth > kMaxListDepth) ValueError();
    const std::string t = Trimmed(s);
    if (t.empty()) return nullptr;
    const std::vector<std::string> items = SplitList(t);
    if (items.size() != 1) {
        auto list = std::make_unique<TValueList>();
        for (const std::string& item : items) list->Add(ParseValueAt(item, depth + 1));
        return list;
    }
    if (t.front() == '[') {
        if (t.back() != ']') BalanceBroken();
        return ParseValueAt(std::string_view(t).substr(1, t.size() - 2), depth + 1);
    }
    Extended x = 0;
    if (!TryParseScalar(t, x)) ValueError();
    // The value is kept as a 64-bit real; beyond its range it would become infinite.
    if (std::fabs(x) > DBL_MAX) ValueError();
    const Extended n = std::nearbyint(x);  // ties to even in the default rounding mode
    if (x == n) return std::make_unique<TWord>(static_cast<double>(n));
    return std::make_unique<TReal>(static_cast<double>(x));
}

}  // namespace

void TrimSpaces(std::string& s) {
    const std::size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) {
        s.clear();
        return;
    }
    s.erase(0, b);
    s.erase(s.find_last_not_of(' ') + 1);
}

std::string Trimmed(std::string_view s) {
    std::string t(s);
    TrimSpaces(t);
    return t;
}

std::vector<std::string> SplitList(std::string_view text) {
    std::vector<std::string> out;
    const std::string s = Trimmed(text);
    const std::size_t n = s.size();
    // Counters of { } [ ] ( ) seen so far, kept over the whole scan.
    std::size_t braceOpen = 0, braceClose = 0, squareOpen = 0, squareClose = 0, parenOpen = 0, parenClose = 0;
    auto balanced = [&] {
        return braceOpen == braceClose && squareOpen == squareClose && parenOpen == parenClose;
    };
    std::size_t i = 0;
    while (i < n) {
        std::string item;
        // An item takes at least one character before a separating comma is sought.
        do {
            const char c = s[i];
            switch (c) {
                case '{': ++braceOpen; break;
                case '}': ++braceClose; break;
                case '[': ++squareOpen; break;
                case ']': ++squareClose; break;
                case '(': ++parenOpen; break;
                case ')': ++parenClose; break;
                default: break;
            }
            if (braceClose > braceOpen || squareClose > squareOpen || parenClose > parenOpen) BalanceBroken();
            item += c;
            ++i;
        } while (i < n && !(balanced() && s[i] == ','));
        if (!balanced()) BalanceBroken();  // the text ended inside a bracket
        TrimSpaces(item);
        out.push_back(std::move(item));
        ++i;  // past the comma
    }
    return out;
}

std::unique_ptr<TObject> ParseValue(std::string_view s) { return ParseValueAt(s, 0); }

std::string Unbracket(std::string_view s) {
    std::string t = Trimmed(s);
    if (SplitList(t).size() == 1 && t.front() == '[' && t.back() == ']') return t.substr(1, t.size() - 2);
    return t;
}

std::string Bracket(std::string_view s) {
    std::string r = Trimmed(s);
    if (SplitList(r).size() > 1) r = "[" + r + "]";
    return r;
}

std::string JoinList(const std::vector<std::string>& lines) {
    std::string r;
    for (const std::string& line : lines) {
        const std::size_t count = SplitList(line).size();
        if (count == 0) continue;
        if (!r.empty()) r += ", ";
        r += count > 1 ? "[" + Trimmed(line) + "]" : Trimmed(line);
    }
    return r;
}

bool IsList(std::string_view s) { return SplitList(s).size() > 1; }

std::string Spaces(std::size_t n) { return std::string(n, ' '); }

std::vector<std::string> TextToLines(std::string_view s) {
    std::vector<std::string> lines;
    std::string line;
    std::vector<std::size_t> indents;  // column after the brace of each open block
    std::size_t squareOpen = 0, squareClose = 0;
    std::size_t i = 0;
    const std::size_t n = s.size();
    while (i < n) {
        const char c = s[i++];
        line += c;
        switch (c) {
            case ',':
                if (squareOpen != squareClose) break;  // a comma inside [ ] stays on the line
                if (indents.empty()) BalanceBroken();  // a comma outside every block
                lines.push_back(std::move(line));
                line = Spaces(indents.back());
                while (i < n && s[i] == ' ') ++i;
                break;
            case '[': ++squareOpen; break;
            case ']': ++squareClose; break;
            case '{': indents.push_back(Utf8Length(line)); break;
            case '}':
                if (indents.empty()) BalanceBroken();
                indents.pop_back();
                break;
            default: break;
        }
    }
    if (!line.empty()) lines.push_back(std::move(line));
    return lines;
}

std::string LinesToText(const std::vector<std::string>& lines) {
    std::string r;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) r += ' ';
        r += Trimmed(lines[i]);
    }
    return r;
}

std::vector<std::string> SplitWords(std::string_view s) {
    std::vector<std::string> out;
    std::string rest = Trimmed(s);
    for (std::size_t p; (p = rest.find(' ')) != std::string::npos;) {
        out.push_back(rest.substr(0, p));
        rest = Trimmed(std::string_view(rest).substr(p));
    }
    out.push_back(std::move(rest));
    return out;
}

int IndexOfText(std::string_view s, const std::vector<std::string>& texts) {
    for (std::size_t i = 0; i < texts.size(); ++i)
        if (texts[i] == s) return static_cast<int>(i);
    return -1;
}

void SplitPath(std::string_view s, std::string& head, std::string& tail) {
    const std::size_t dot = s.find('.');
    if (dot == std::string_view::npos) {
        head.clear();
        tail = std::string(s);
    } else {
        head = std::string(s.substr(0, dot));
        tail = std::string(s.substr(dot + 1));
    }
}

void AddStrings(const std::vector<std::string>& texts, std::vector<std::string>& list) {
    list.insert(list.end(), texts.begin(), texts.end());
}

bool SameKey(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

}  // namespace zem
