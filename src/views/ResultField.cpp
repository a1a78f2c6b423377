#include "views/ResultField.h"

#include "domains/Domains.h"
#include "domains/ElDomain.h"
#include "domains/ElSeries.h"
#include "domains/FieldKinds.h"
#include "elements/ElComp.h"
#include "elements/Elements.h"
#include "elements/MyObjecs.h"
#include "elements/MyStr.h"
#include "platform/errors.h"
#include "platform/numtext.h"
#include "problemtypes/DmCylTech.h"
#include "problemtypes/DmRing.h"
#include "solvers/Matrises.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

using zem::Extended;

// --- Units. ------------------------------------------------------------------------

namespace {

// The domain that names the fields of Element: its own, or its first span's.
const zem::TDomain* DomainOf(const zem::TElement& element) {
    if (const auto* dm = dynamic_cast<const zem::TDmElement*>(&element)) return dm->Domain.get();
    if (const auto* series = dynamic_cast<const zem::TElCompSeries*>(&element); series && series->ChildCount() > 0)
        return &series->SpanDomain(0);
    return nullptr;
}

}  // namespace

std::string DisplayUnit(std::string_view si) {
    static constexpr std::pair<std::string_view, std::string_view> kSymbols[] = {
        {"m", "м"},     {"rad", "рад"},     {"1/m", "1/м"},   {"N", "Н"},          {"N·m", "Н·м"},
        {"N/m", "Н/м"}, {"N·m/m", "Н·м/м"}, {"Pa", "Па"},     {"N/m3", "Н/м³"},
    };
    for (const auto& [from, to] : kSymbols)
        if (si == from) return std::string(to);
    return std::string(si);
}

std::string AxisTitle(const std::string& name, bool angular) {
    return angular ? std::string("θ, °") : name + ", " + DisplayUnit("m");
}

std::string ResultUnit(const zem::TElement& element, const std::string& name) {
    const zem::TDomain* domain = DomainOf(element);
    return domain ? DisplayUnit(zem::FieldUnit(*domain, name)) : std::string();
}

std::string FieldTitle(const zem::TElement& element, const std::string& name) {
    const std::string unit = ResultUnit(element, name);
    return unit.empty() ? name : name + ", " + unit;
}

std::string FieldMenuText(const zem::TElement& element, const std::string& name) {
    const zem::TDomain* domain = DomainOf(element);
    std::string caption;
    if (domain) {
        caption = zem::FieldCaption(*domain, zem::TFieldGroup::Result, name);
        if (caption.empty()) caption = zem::FieldCaption(*domain, zem::TFieldGroup::Input, name);
    }
    // Inside a line the caption starts with a small letter (Cyrillic А-Я
    // are the two-byte D0 90 ... D0 AF).
    if (caption.size() >= 2 && static_cast<unsigned char>(caption[0]) == 0xD0) {
        const auto c = static_cast<unsigned char>(caption[1]);
        if (c >= 0x90 && c <= 0x9F) caption[1] = static_cast<char>(c + 0x20);
        else if (c >= 0xA0 && c <= 0xAF) caption[0] = static_cast<char>(0xD1), caption[1] = static_cast<char>(c - 0x20);
    }
    const std::string unit = ResultUnit(element, name);
    std::string text = name;
    if (!caption.empty()) text += " — " + caption;
    if (!unit.empty()) text += ", " + unit;
    return text;
}

// --- Fields. -----------------------------------------------------------------------

bool TResultField::Surface() const {
    return std::any_of(Blocks.begin(), Blocks.end(), [](const TFieldBlock& b) { return b.Cols > 1; });
}

std::size_t TResultField::NodeCount() const {
    std::size_t n = 0;
    for (const TFieldBlock& b : Blocks) n += b.V.size();
    return n;
}

std::string TResultField::Title() const { return Unit.empty() ? Name : Name + ", " + Unit; }

namespace {

// The radius of a domain whose direction goes round a circle; 0 otherwise.
double RadiusOf(const zem::TDomain& domain) {
    if (const auto* ring = dynamic_cast<const zem::TDmRing*>(&domain)) return ring->R;
    if (const auto* cyl = dynamic_cast<const zem::TDmCylTech*>(&domain)) return cyl->R;
    return 0;
}

Extended Coord(const zem::TDomain& domain, int d, int i, bool angular, double radius) {
    const Extended c = domain.NodeCoord(d, i);
    return angular ? c / radius * 180 / std::numbers::pi_v<Extended> : c;
}

// One block from a domain and its values (a line or a matrix); false when the
// values have another shape.
bool FillBlock(const zem::TDomain& domain, const zem::TObject* values, Extended offset, TFieldBlock& block) {
    const double radius = RadiusOf(domain);
    block.Offset = offset;
    if (const auto* line = dynamic_cast<const zem::TLineItem*>(values)) {
        block.Rows = static_cast<int>(line->Count());
        block.Cols = 1;
        block.AngularX = radius > 0 && domain.Periodic[0];
        block.Y = {0};
        block.ExtentX = (block.AngularX ? domain.Extent(0) / radius * 180 / std::numbers::pi_v<Extended> : domain.Extent(0));
        for (int i = 0; i < block.Rows; ++i) {
            block.X.push_back(Coord(domain, 0, i, block.AngularX, radius) + offset);
            block.V.push_back(line->GetItem(static_cast<std::size_t>(i)));
        }
        return true;
    }
    if (const auto* matrix = dynamic_cast<const zem::TMatrix*>(values)) {
        block.Rows = static_cast<int>(matrix->Rows());
        block.Cols = static_cast<int>(matrix->Cols());
        block.AngularY = radius > 0 && domain.Periodic[1];
        block.Line = false;
        block.ExtentX = domain.Extent(0);
        block.ExtentY = block.AngularY ? domain.Extent(1) / radius * 180 / std::numbers::pi_v<Extended> : domain.Extent(1);
        for (int i = 0; i < block.Rows; ++i) block.X.push_back(Coord(domain, 0, i, false, radius) + offset);
        for (int j = 0; j < block.Cols; ++j) block.Y.push_back(Coord(domain, 1, j, block.AngularY, radius));
        for (int i = 0; i < block.Rows; ++i)
            for (int j = 0; j < block.Cols; ++j)
                block.V.push_back(matrix->GetItem(static_cast<std::size_t>(i), static_cast<std::size_t>(j)));
        return block.Rows > 0;
    }
    return false;
}

}  // namespace

TResultField SampleField(zem::TElement& element, const zem::TObject* values, const std::string& name) {
    TResultField field;
    field.Name = name;
    field.Unit = ResultUnit(element, name);
    if (!values) return field;
    if (auto* dm = dynamic_cast<zem::TDmElement*>(&element)) {
        TFieldBlock block;
        if (FillBlock(*dm->Domain, values, 0, block)) field.Blocks.push_back(std::move(block));
    } else if (auto* series = dynamic_cast<zem::TElCompSeries*>(&element)) {
        const auto* list = dynamic_cast<const zem::TValueList*>(values);
        for (int s = 0; list && s < list->Count() && s < series->ChildCount(); ++s) {
            TFieldBlock block;
            block.Span = series->Child(s).Key();
            if (FillBlock(series->SpanDomain(s), list->Items(s), series->HeightUpTo(s - 1), block))
                field.Blocks.push_back(std::move(block));
        }
    }
    return field;
}

std::unique_ptr<zem::TObject> FieldData(const TResultField& field) {
    auto blockData = [](const TFieldBlock& b) -> std::unique_ptr<zem::TObject> {
        if (b.Line) return std::make_unique<zem::TALineItem>(std::span<const Extended>(b.V));
        auto matrix = std::make_unique<zem::TAMatrix>(static_cast<std::size_t>(b.Rows), static_cast<std::size_t>(b.Cols));
        for (int i = 0; i < b.Rows; ++i)
            for (int j = 0; j < b.Cols; ++j)
                matrix->SetItem(static_cast<std::size_t>(i), static_cast<std::size_t>(j), b.At(i, j));
        return matrix;
    };
    const bool stepped = !field.Blocks.empty() && !field.Blocks.front().Span.empty();
    if (!stepped) return field.Blocks.empty() ? nullptr : blockData(field.Blocks.front());
    auto list = std::make_unique<zem::TValueList>();
    for (const TFieldBlock& b : field.Blocks) list->Add(blockData(b));
    return list;
}

TResultField ResultField(zem::TElement& element, int i) {
    const std::unique_ptr<zem::TObject> values = element.ResultValues(i);
    return SampleField(element, values.get(), element.GraphResults.at(static_cast<std::size_t>(i)));
}

// --- Curves. -----------------------------------------------------------------------

TCurve AlongAxis(const TResultField& field, int col) {
    TCurve curve;
    for (const TFieldBlock& b : field.Blocks) {
        const int j = std::clamp(col, 0, b.Cols - 1);
        for (int i = 0; i < b.Rows; ++i) {
            curve.X.push_back(b.X[static_cast<std::size_t>(i)]);
            curve.V.push_back(b.At(i, j));
        }
    }
    return curve;
}

TCurve AroundAt(const TResultField& field, int row) {
    TCurve curve;
    const int total = AxisNodeCount(field);
    if (total == 0) return curve;
    row = std::clamp(row, 0, total - 1);
    for (const TFieldBlock& b : field.Blocks) {
        if (row >= b.Rows) {
            row -= b.Rows;
            continue;
        }
        for (int j = 0; j < b.Cols; ++j) {
            curve.X.push_back(b.Y[static_cast<std::size_t>(j)]);
            curve.V.push_back(b.At(row, j));
        }
        break;
    }
    return curve;
}

int AxisNodeCount(const TResultField& field) {
    int n = 0;
    for (const TFieldBlock& b : field.Blocks) n += b.Rows;
    return n;
}

int AroundNodeCount(const TResultField& field) {
    int n = 0;
    for (const TFieldBlock& b : field.Blocks) n = std::max(n, b.Cols);
    return n;
}

// --- Extremes. ---------------------------------------------------------------------

namespace {

template <class Better>
TExtreme FindExtreme(const TResultField& field, Better better) {
    TExtreme e;
    for (const TFieldBlock& b : field.Blocks)
        for (int i = 0; i < b.Rows; ++i)
            for (int j = 0; j < b.Cols; ++j) {
                const Extended v = b.At(i, j);
                if (std::isnan(v)) continue;
                if (!e.Found || better(v, e.Value)) {
                    e = {v, b.X[static_cast<std::size_t>(i)], b.Y[static_cast<std::size_t>(j)], b.Span, true};
                }
            }
    return e;
}

std::string Short(Extended x) { return zem::RealToStrGen(6, 2, x); }

const TFieldBlock* BlockOf(const TResultField& field, const std::string& span) {
    for (const TFieldBlock& b : field.Blocks)
        if (b.Span == span) return &b;
    return field.Blocks.empty() ? nullptr : &field.Blocks.front();
}

}  // namespace

TExtreme LargestOf(const TResultField& field) {
    return FindExtreme(field, [](Extended v, Extended best) { return v > best; });
}

TExtreme SmallestOf(const TResultField& field) {
    return FindExtreme(field, [](Extended v, Extended best) { return v < best; });
}

std::string ExtremeText(const TResultField& field, const TExtreme& e) {
    if (!e.Found) return "нет данных";
    std::string text = Short(e.Value);
    if (!field.Unit.empty()) text += " " + field.Unit;
    const TFieldBlock* b = BlockOf(field, e.Span);
    const bool angularX = b && b->AngularX;
    const std::string metres = " " + DisplayUnit("m");
    text += angularX ? " при θ = " + Short(e.X) + "°" : " при x = " + Short(e.X) + metres;
    if (field.Surface()) text += b && b->AngularY ? ", θ = " + Short(e.Y) + "°" : ", y = " + Short(e.Y) + metres;
    if (!e.Span.empty()) text += " (" + e.Span + ")";
    return text;
}

// --- Text. -------------------------------------------------------------------------

std::string FullText(Extended x) {
    if (!std::isfinite(x)) return std::isnan(x) ? "nan" : (x > 0 ? "inf" : "-inf");
    // The shortest text that reads back to the same value, whatever the locale.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, x);
    return std::string(buffer, result.ptr);
}

namespace {

std::string CsvField(const std::string& text, char separator) {
    if (text.find_first_of(std::string{separator, '"', '\r', '\n'}) == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

}  // namespace

std::vector<std::string> FieldCsv(const TResultField& field, char separator, bool decimalComma) {
    std::vector<std::string> lines;
    const bool stepped = std::any_of(field.Blocks.begin(), field.Blocks.end(), [](const TFieldBlock& b) { return !b.Span.empty(); });
    const bool surface = field.Surface();
    const bool angularX = !field.Blocks.empty() && field.Blocks.front().AngularX;
    const bool angularY = !field.Blocks.empty() && field.Blocks.front().AngularY;
    const std::string sep(1, separator);
    auto cell = [separator](const std::string& text) { return CsvField(text, separator); };
    auto number = [&](Extended x) {
        std::string text = FullText(x);
        if (decimalComma) std::replace(text.begin(), text.end(), '.', ',');
        return cell(text);
    };
    std::string header;
    if (stepped) header += cell("Участок") + sep;
    header += cell(AxisTitle("x", angularX));
    if (surface) header += sep + cell(AxisTitle("y", angularY));
    header += sep + cell(field.Title());
    lines.push_back(header);
    for (const TFieldBlock& b : field.Blocks)
        for (int i = 0; i < b.Rows; ++i)
            for (int j = 0; j < b.Cols; ++j) {
                std::string line;
                if (stepped) line += cell(b.Span) + sep;
                line += number(b.X[static_cast<std::size_t>(i)]);
                if (surface) line += sep + number(b.Y[static_cast<std::size_t>(j)]);
                line += sep + number(b.At(i, j));
                lines.push_back(std::move(line));
            }
    return lines;
}

// --- Result requests. --------------------------------------------------------------

namespace {

int FieldIndex(zem::TElement& element, const std::string& name) {
    for (std::size_t i = 0; i < element.GraphResults.size(); ++i)
        if (element.GraphResults[i] == name) return static_cast<int>(i);
    throw zem::ZemError("Неизвестная величина " + name);
}

std::string ValueText(const TResultField& field, Extended v) {
    std::string text = Short(v);
    if (!field.Unit.empty()) text += " " + field.Unit;
    return text;
}

// Linear interpolation along direction 0 at X over the blocks, column Col.
bool ValueAt(const TResultField& field, Extended x, int col, Extended& v) {
    const TCurve curve = AlongAxis(field, col);
    for (std::size_t k = 0; k + 1 < curve.X.size(); ++k) {
        const Extended a = curve.X[k], b = curve.X[k + 1];
        if (x < a || x > b) continue;
        v = b > a ? curve.V[k] + (curve.V[k + 1] - curve.V[k]) * (x - a) / (b - a) : curve.V[k];
        return true;
    }
    if (curve.X.size() == 1 && x == curve.X.front()) {
        v = curve.V.front();
        return true;
    }
    return false;
}

}  // namespace

std::string EvaluateRequest(zem::TElement& element, const std::string& request) {
    std::string text = zem::Trimmed(request);
    enum { kLargestMagnitude, kMax, kMin } kind = kLargestMagnitude;
    if (text.rfind("max ", 0) == 0) {
        kind = kMax;
        text = zem::Trimmed(text.substr(4));
    } else if (text.rfind("min ", 0) == 0) {
        kind = kMin;
        text = zem::Trimmed(text.substr(4));
    }
    std::vector<Extended> at;
    const std::size_t open = text.find('(');
    std::string name = text;
    if (open != std::string::npos) {
        if (text.back() != ')') throw zem::ZemError("Ошибка в формате результатов");
        name = zem::Trimmed(text.substr(0, open));
        std::string args = text.substr(open + 1, text.size() - open - 2);
        for (std::size_t start = 0;;) {
            const std::size_t comma = args.find(',', start);
            at.push_back(zem::StrToReal(args.substr(start, comma == std::string::npos ? std::string::npos : comma - start)));
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
        if (at.size() > 2) throw zem::ZemError("Ошибка в формате результатов");
    }
    const TResultField field = ResultField(element, FieldIndex(element, name));
    if (field.Empty()) return "нет данных";
    if (at.empty()) {
        const TExtreme hi = LargestOf(field), lo = SmallestOf(field);
        const TExtreme& e = kind == kMax ? hi : kind == kMin ? lo : (std::fabs(hi.Value) >= std::fabs(lo.Value) ? hi : lo);
        return ExtremeText(field, e);
    }
    if (kind != kLargestMagnitude) throw zem::ZemError("Ошибка в формате результатов");
    if (at.size() == 1) {
        Extended v = 0;
        if (!ValueAt(field, at[0], 0, v)) throw zem::ZemError("Точка вне области: " + Short(at[0]));
        return ValueText(field, v);
    }
    // The node nearest to (x, y).
    const TFieldBlock* best = nullptr;
    int bi = 0, bj = 0;
    Extended bestD = 0;
    for (const TFieldBlock& b : field.Blocks)
        for (int i = 0; i < b.Rows; ++i)
            for (int j = 0; j < b.Cols; ++j) {
                const Extended dx = b.X[static_cast<std::size_t>(i)] - at[0], dy = b.Y[static_cast<std::size_t>(j)] - at[1];
                const Extended d = dx * dx + dy * dy;
                if (!best || d < bestD) best = &b, bi = i, bj = j, bestD = d;
            }
    return ValueText(field, best->At(bi, bj));
}

void ComputeResultExpressions(zem::TElement& element, const std::vector<std::string>& source,
                              std::vector<std::string>& dest) {
    // The listing cuts the requests (and refuses unfinished text): each of its
    // lines is the requests ending there, each followed by " = ".
    std::vector<std::string> listed;
    zem::ListResultExpressions(element, source, listed);
    dest.clear();
    for (const std::string& line : listed) {
        std::string out;
        for (std::size_t start = 0, end; (end = line.find(" = ", start)) != std::string::npos; start = end + 3) {
            const std::string request = zem::Trimmed(std::string_view(line).substr(start, end - start));
            std::string answer;
            try {
                answer = EvaluateRequest(element, request);
            } catch (const std::exception& e) {
                answer = e.what();
            }
            if (!out.empty()) out += "; ";
            out += request + " = " + answer;
        }
        dest.push_back(std::move(out));
    }
}
