#include "problem/CalcSettings.h"

#include "elements/MyStr.h"
#include "platform/errors.h"
#include "platform/numtext.h"
#include "solvers/Matrises.h"
#include "solvers/SLCLass.h"
#include "solvers/SLEstimate.h"

#include <cctype>

namespace zem {
namespace {

bool SameNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The value of the first line whose part before the first "=" is Key, or
// false when no line has that key.
bool FindValue(const std::vector<std::string>& lines, const std::string& key, std::string& value) {
    for (const std::string& line : lines) {
        std::size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        if (SameNoCase(line.substr(0, eq), key)) {
            value = Trimmed(line.substr(eq + 1));
            return true;
        }
    }
    return false;
}

int TableValue(const std::vector<std::string>& lines, const std::string& key,
               const std::vector<std::string>& table) {
    std::string value;
    if (!FindValue(lines, key, value)) return 0;
    int i = IndexOfText(value, table);
    return i < 0 ? 0 : i;
}

bool HasFlag(const std::vector<std::string>& lines, const std::string& key) {
    for (const std::string& line : lines)
        if (SameNoCase(line, key)) return true;
    return false;
}

}  // namespace

const std::vector<std::string>& CalcTypeNames() {
    static const std::vector<std::string> names = {"simple", "astim", "choose"};
    return names;
}
const std::vector<std::string>& ErrorNormaNames() {
    static const std::vector<std::string> names = {"semisqr", "uniform"};
    return names;
}
const std::vector<std::string>& ListTypeNames() {
    static const std::vector<std::string> names = {"by type", "by domain"};
    return names;
}

std::vector<std::string> SplitCommaText(const std::string& text) {
    std::vector<std::string> items;
    std::size_t i = 0, n = text.size();
    auto skipBlanks = [&] {
        while (i < n && static_cast<unsigned char>(text[i]) <= ' ') ++i;
    };
    skipBlanks();
    while (i < n) {
        std::string item;
        if (text[i] == '"') {
            ++i;
            while (i < n) {
                if (text[i] == '"') {
                    if (i + 1 < n && text[i + 1] == '"') {  // a doubled quote stands for one
                        item += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text[i++];
            }
        } else {
            while (i < n && static_cast<unsigned char>(text[i]) > ' ' && text[i] != ',') item += text[i++];
        }
        items.push_back(item);
        skipBlanks();
        if (i < n && text[i] == ',') {
            ++i;
            skipBlanks();
            if (i >= n) items.emplace_back();  // a trailing comma leaves an empty item
        }
    }
    return items;
}

std::string JoinCommaList(const std::vector<std::string>& items) {
    std::string s;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i) s += ", ";
        const std::string& it = items[i];
        bool quote = it.empty() || it.find_first_of(" ,\"") != std::string::npos;
        if (!quote) {
            s += it;
            continue;
        }
        s += '"';
        for (char c : it) s += c == '"' ? std::string("\"\"") : std::string(1, c);
        s += '"';
    }
    return s;
}

TCalcSettings ReadCalcSettings(const std::vector<std::string>& lines) {
    TCalcSettings s;
    s.AutoMode = HasFlag(lines, "AutoMode");
    s.IsSLAEError = HasFlag(lines, "IsSLAEError");
    s.SaveResult = HasFlag(lines, "SaveResult");
    s.RealType = TableValue(lines, "RealType", RealTypeNames());
    s.SLAEMethod = TableValue(lines, "SLAEMethod", SLAEMethodNames());
    s.CalcType = TableValue(lines, "CalcType", CalcTypeNames());
    s.ErrorNorma = TableValue(lines, "ErrorNorma", ErrorNormaNames());
    s.ListType = TableValue(lines, "ListType", ListTypeNames());
    std::string value;
    if (FindValue(lines, "AstimList", value)) s.AstimList = SplitCommaText(value);
    if (FindValue(lines, "PrecList", value)) s.PrecList = SplitCommaText(value);
    if (FindValue(lines, "Prec", value) && !value.empty()) {
        try {
            s.Prec = static_cast<double>(StrToReal(value));
        } catch (const ZemError& e) {
            throw ZemError("Prec: " + std::string(e.what()));
        }
    }
    if (FindValue(lines, "PrecChar", value)) s.PrecChar = value;
    return s;
}

void ApplySizeDefaults(TCalcSettings& s, const std::vector<std::string>& lines, std::size_t n, std::size_t m,
                       bool twoDimensional, bool circulant) {
    std::string value;
    if (!FindValue(lines, "SLAEMethod", value)) s.SLAEMethod = DefaultSLAEMethod(n, m, twoDimensional, circulant);
    if (!FindValue(lines, "RealType", value)) s.RealType = DefaultRealType(s.SLAEMethod, n, m);
}

std::vector<std::string> WriteCalcSettings(const TCalcSettings& s, bool hasManyDomains,
                                           const std::string& precText) {
    std::vector<std::string> lines;
    if (s.AutoMode) lines.push_back("AutoMode");
    lines.push_back("CalcType= " + CalcTypeNames()[s.CalcType]);
    const bool estimating = s.CalcType == ctAstim || s.CalcType == ctChoose;
    if (estimating && hasManyDomains) lines.push_back("ListType= " + ListTypeNames()[s.ListType]);
    if (s.CalcType == ctAstim) lines.push_back("AstimList= " + JoinCommaList(s.AstimList));
    if (s.CalcType == ctChoose) {
        lines.push_back("Prec= " + precText);
        lines.push_back("PrecChar= " + s.PrecChar);
        lines.push_back("PrecList= " + JoinCommaList(s.PrecList));
    }
    if (estimating) lines.push_back("ErrorNorma= " + ErrorNormaNames()[s.ErrorNorma]);
    lines.push_back("RealType= " + RealTypeNames()[s.RealType]);
    lines.push_back("SLAEMethod= " + SLAEMethodNames()[s.SLAEMethod]);
    if (s.IsSLAEError) lines.push_back("IsSLAEError");
    if (s.SaveResult) lines.push_back("SaveResult");
    return lines;
}

}  // namespace zem
