#include "calc/Queries.h"

#include "elements/MyStr.h"
#include "platform/errors.h"
#include "platform/numtext.h"
#include "problem/Problems.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <numbers>
#include <optional>

namespace zem {

namespace {

constexpr Extended kDegree = std::numbers::pi_v<Extended> / 180;
const std::string kDegreeSign = "°";

std::string Short(Extended x) { return RealToStrGen(6, 0, x); }

bool StartsWith(const std::string& s, const std::string& head) { return s.rfind(head, 0) == 0; }

// A request that cannot be answered: the message goes into the answer.
struct TRefusal {
    std::string Message;
};

[[noreturn]] void Refuse(const std::string& message) { throw TRefusal{message}; }
[[noreturn]] void BadForm(const std::string& detail) { Refuse("ошибка в записи запроса: " + detail); }

// --- Reading a request ---------------------------------------------------------------

enum class TKind { Largest, Max, Min, MaxAbs, MinAbs, Point };

struct TArg {
    std::string Name;     // "x", "угол", "y"; empty when positional
    Extended Value = 0;
    bool Degrees = false;  // written with "°", or named as an angle
};

struct TRequest {
    TKind Kind = TKind::Largest;
    std::string Domain;   // as written, empty when not given
    std::string Field;
    std::vector<TArg> Args;
};

TArg ReadArg(std::string text) {
    TArg a;
    text = Trimmed(text);
    if (const std::size_t eq = text.find('='); eq != std::string::npos) {
        a.Name = Trimmed(text.substr(0, eq));
        text = Trimmed(text.substr(eq + 1));
        if (a.Name == "θ" || a.Name == "theta" || a.Name == "угол") {
            a.Name = "угол";
            a.Degrees = true;
        } else if (a.Name != "x" && a.Name != "y") {
            BadForm("неизвестная координата " + a.Name + " (есть x, y, угол)");
        }
    }
    if (text.size() >= kDegreeSign.size() && text.compare(text.size() - kDegreeSign.size(), kDegreeSign.size(), kDegreeSign) == 0) {
        a.Degrees = true;
        text = Trimmed(text.substr(0, text.size() - kDegreeSign.size()));
    }
    if (a.Name == "y" && a.Degrees) BadForm("y задается в метрах, угол - как угол=");
    try {
        a.Value = StrToReal(text);
    } catch (const ZemError&) {
        BadForm("не число: " + text);
    }
    if (!std::isfinite(a.Value)) BadForm("не число: " + text);
    return a;
}

TRequest ReadRequest(const std::string& request) {
    TRequest r;
    std::string text = request;
    for (const auto& [word, kind] : {std::pair{std::string("max "), TKind::Max}, std::pair{std::string("min "), TKind::Min}})
        if (StartsWith(text, word)) {
            r.Kind = kind;
            text = Trimmed(text.substr(word.size()));
        }
    std::string target = text, args;
    if (const std::size_t open = text.find('('); open != std::string::npos) {
        if (text.back() != ')') BadForm("нет закрывающей скобки");
        target = Trimmed(text.substr(0, open));
        args = text.substr(open + 1, text.size() - open - 2);
        if (Trimmed(args).empty()) BadForm("пустые скобки");
        if (r.Kind != TKind::Largest) BadForm("max и min ищут по всему полю, без точки");
        r.Kind = TKind::Point;
        for (std::size_t start = 0;;) {
            const std::size_t comma = args.find(',', start);
            r.Args.push_back(ReadArg(args.substr(start, comma == std::string::npos ? std::string::npos : comma - start)));
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
        if (r.Args.size() > 2) BadForm("больше двух координат");
    }
    if (target.size() >= 2 && target.front() == '|' && target.back() == '|') {
        if (r.Kind == TKind::Max) r.Kind = TKind::MaxAbs;
        else if (r.Kind == TKind::Min) r.Kind = TKind::MinAbs;
        else BadForm("|...| пишется после max или min");
        target = Trimmed(target.substr(1, target.size() - 2));
    }
    if (const std::size_t dot = target.rfind('.'); dot != std::string::npos) {
        r.Domain = Trimmed(target.substr(0, dot));
        target = Trimmed(target.substr(dot + 1));
        if (r.Domain.empty()) BadForm("нет имени области перед точкой");
    }
    if (target.empty() || target.find_first_of(" |()=") != std::string::npos) BadForm("нет имени величины");
    r.Field = target;
    return r;
}

// --- Finding the domains -------------------------------------------------------------

std::string Joined(const std::vector<std::string>& names) {
    std::string s;
    for (const std::string& n : names) s += (s.empty() ? "" : ", ") + n;
    return s;
}

const TNodeField* FieldOf(const TDomainResults& d, const std::string& name) {
    for (const TNodeField& f : d.Fields)
        if (f.Name == name) return &f;
    return nullptr;
}

bool IsRing(const TDomainResults& d) { return d.Shape == TDomainResults::TShape::Ring; }

// "Пояс2" or "Span2": the second domain that is not a ring, counted from the
// bottom; otherwise the domain of that key.
const TDomainResults* NamedDomain(const std::vector<TDomainResults>& results, const std::string& name) {
    for (const TDomainResults& d : results)
        if (d.Domain == name) return &d;
    for (const std::string& word : {std::string("Пояс"), std::string("пояс"), std::string("Span")})
        if (StartsWith(name, word) && name.size() > word.size()) {
            const std::string digits = name.substr(word.size());
            if (digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 3) continue;
            int n = std::stoi(digits);
            for (const TDomainResults& d : results)
                if (!IsRing(d) && --n == 0) return &d;
        }
    if (name == "Кольцо")
        for (const TDomainResults& d : results)
            if (IsRing(d)) return &d;
    std::vector<std::string> names;
    for (const TDomainResults& d : results)
        if (!d.Domain.empty()) names.push_back(d.Domain);
    Refuse("нет области " + name + (names.empty() ? std::string(" (в задаче одна область)") : " (есть: " + Joined(names) + ")"));
}

// The domains a request reads, with the field in each: the named one, or
// every domain that has the field in the unit of its first appearance, the
// shell's before a ring's (a shell's N2 is per metre, its ring's is whole).
std::vector<std::pair<const TDomainResults*, const TNodeField*>> Domains(const std::vector<TDomainResults>& results,
                                                                      const TRequest& r) {
    std::vector<std::pair<const TDomainResults*, const TNodeField*>> found;
    if (!r.Domain.empty()) {
        const TDomainResults* d = NamedDomain(results, r.Domain);
        if (const TNodeField* f = FieldOf(*d, r.Field)) found.emplace_back(d, f);
    } else {
        for (bool ring : {false, true})
            for (const TDomainResults& d : results)
                if (IsRing(d) == ring)
                    if (const TNodeField* f = FieldOf(d, r.Field); f && (found.empty() || f->Unit == found.front().second->Unit))
                        found.emplace_back(&d, f);
    }
    if (found.empty()) {
        std::vector<std::string> names;
        for (const TDomainResults& d : results)
            if (r.Domain.empty() || &d == NamedDomain(results, r.Domain))
                for (const TNodeField& f : d.Fields)
                    if (std::find(names.begin(), names.end(), f.Name) == names.end()) names.push_back(f.Name);
        Refuse("неизвестная величина " + r.Field + (names.empty() ? std::string() : " (есть: " + Joined(names) + ")"));
    }
    return found;
}

// --- Places and values ---------------------------------------------------------------

void SetPlace(TQueryAnswer& a, const TDomainResults& d, Extended x, Extended y) {
    a.Domain = d.Domain;
    a.X = IsRing(d) ? x : d.AxialOffset + x;
    a.Y = y;
    a.Around = d.Cols > 1;
    std::string place = d.Domain.empty() ? std::string() : d.Domain + ", ";
    if (IsRing(d) && d.Radius > 0) {
        place += Short(x / d.Radius / kDegree) + kDegreeSign;
    } else {
        place += "x = " + Short(a.X) + " m";
        if (a.Around) {
            if (d.Shape == TDomainResults::TShape::Cylinder && d.Radius > 0)
                place += ", угол " + Short(y / d.Radius / kDegree) + kDegreeSign;
            else
                place += ", y = " + Short(y) + " m";
        }
    }
    a.Place = place;
}

void Extreme(const std::vector<std::pair<const TDomainResults*, const TNodeField*>>& domains, TKind kind,
             TQueryAnswer& a) {
    // Which of two candidates wins: the comparison on the value or on its magnitude.
    const std::function<Extended(Extended)> key = kind == TKind::MaxAbs || kind == TKind::MinAbs || kind == TKind::Largest
                                                      ? std::function<Extended(Extended)>([](Extended v) { return std::fabs(v); })
                                                      : std::function<Extended(Extended)>([](Extended v) { return v; });
    const bool larger = kind != TKind::Min && kind != TKind::MinAbs;
    const TDomainResults* best = nullptr;
    std::size_t at = 0;
    Extended bestKey = 0;
    for (const auto& [d, f] : domains)
        for (std::size_t k = 0; k < f->Values.size(); ++k) {
            const Extended v = key(f->Values[k]);
            if (std::isnan(v)) continue;
            if (!best || (larger ? v > bestKey : v < bestKey)) best = d, at = k, bestKey = v;
        }
    if (!best) Refuse("нет значений");
    const TNodeField* f = FieldOf(*best, a.Field);
    a.Value = kind == TKind::MaxAbs || kind == TKind::MinAbs ? std::fabs(f->Values[at]) : f->Values[at];
    SetPlace(a, *best, best->X[at], best->Y[at]);
}

// Where T falls among the ascending node coordinates C: nodes I0 and I1 and
// the weight W of I1. A closed direction of Period wraps round; an open one
// refuses what lies beyond its ends.
bool Bracket(const std::vector<Extended>& c, bool closed, Extended period, Extended t, int& i0, int& i1, Extended& w) {
    const int n = static_cast<int>(c.size());
    const Extended span = closed ? period : c.back() - c.front();
    const Extended eps = 1e-9 * (std::fabs(span) + 1);
    if (closed && period > 0) {
        t = std::fmod(t - c.front(), period);
        if (t < 0) t += period;
        t += c.front();
        if (t >= c.back()) {
            i0 = n - 1, i1 = 0;
            const Extended gap = c.front() + period - c.back();
            w = gap > 0 ? (t - c.back()) / gap : 0;
            return true;
        }
    } else {
        if (t < c.front() - eps || t > c.back() + eps) return false;
        t = std::clamp(t, c.front(), c.back());
    }
    if (n == 1) {
        i0 = i1 = 0, w = 0;
        return true;
    }
    const auto it = std::upper_bound(c.begin(), c.end(), t);
    i1 = std::clamp(static_cast<int>(it - c.begin()), 1, n - 1);
    i0 = i1 - 1;
    w = (t - c[static_cast<std::size_t>(i0)]) / (c[static_cast<std::size_t>(i1)] - c[static_cast<std::size_t>(i0)]);
    return true;
}

void Point(const std::vector<std::pair<const TDomainResults*, const TNodeField*>>& domains, const TRequest& r,
           TQueryAnswer& a) {
    // The place along direction 0 and round or across.
    std::optional<Extended> x, y;
    bool xDegrees = false, yAngle = false, yBare = false;
    for (std::size_t k = 0; k < r.Args.size(); ++k) {
        const TArg& arg = r.Args[k];
        const bool isX = arg.Name == "x" || (arg.Name.empty() && k == 0);
        std::optional<Extended>& slot = isX ? x : y;
        if (slot) BadForm("координата задана дважды");
        slot = arg.Value;
        if (isX) {
            xDegrees = arg.Degrees;
        } else {
            yAngle = arg.Name != "y";
            yBare = arg.Name.empty() && !arg.Degrees;
        }
    }
    if (!x) BadForm("не задана координата x");

    // The domain: the named one (x from its start), else the one of the whole
    // shell that holds x.
    const TDomainResults* d = nullptr;
    const TNodeField* f = nullptr;
    Extended local = *x;
    for (const auto& [dd, ff] : domains) {
        const bool ring = IsRing(*dd);
        Extended t = *x;
        if (xDegrees) {
            if (!ring) BadForm("x задается в метрах, угол в градусах - только на кольце");
            t = *x * kDegree * dd->Radius;
        } else if (!ring && r.Domain.empty()) {
            t = *x - dd->AxialOffset;
        }
        const Extended eps = 1e-9 * (dd->Length + 1);
        if (ring || (t >= -eps && t <= dd->Length + eps)) {
            d = dd, f = ff, local = t;
            break;
        }
        if (!r.Domain.empty()) break;
    }
    if (!d) {
        const TDomainResults& first = *domains.front().first;
        Extended from = first.AxialOffset, to = first.AxialOffset + first.Length;
        for (const auto& [dd, ff] : domains)
            if (!IsRing(*dd) && r.Domain.empty()) from = std::min(from, dd->AxialOffset), to = std::max(to, dd->AxialOffset + dd->Length);
        if (!r.Domain.empty()) from = 0, to = first.Length;
        Refuse("точка вне оболочки: x = " + Short(*x) + " m, а оболочка от " + Short(from) + " до " + Short(to) + " m");
    }

    std::vector<Extended> rows(static_cast<std::size_t>(d->Rows)), cols(static_cast<std::size_t>(d->Cols));
    for (int i = 0; i < d->Rows; ++i) rows[static_cast<std::size_t>(i)] = d->X[static_cast<std::size_t>(i * d->Cols)];
    for (int j = 0; j < d->Cols; ++j) cols[static_cast<std::size_t>(j)] = d->Y[static_cast<std::size_t>(j)];
    int i0 = 0, i1 = 0, j0 = 0, j1 = 0;
    Extended wi = 0, wj = 0;
    if (!Bracket(rows, d->ClosedRows, d->Length, local, i0, i1, wi))
        Refuse("точка вне оболочки: x = " + Short(*x) + " m");
    Extended around = 0;
    if (y) {
        if (d->Cols == 1) {
            // A line: axisymmetric, every angle alike; an offset on a flat line is outside.
            if (!(d->Shape == TDomainResults::TShape::Cylinder) && *y != 0) Refuse("точка вне оболочки: у линии нет второй координаты");
        } else {
            const bool round = d->Shape == TDomainResults::TShape::Cylinder && d->Radius > 0;
            if (yAngle && !round && !yBare) BadForm("у плоской области вторая координата - y в метрах");
            const bool yDegrees = yAngle && round;
            around = yDegrees ? *y * kDegree * d->Radius : *y;
            const Extended period = round ? 2 * std::numbers::pi_v<Extended> * d->Radius : 0;
            if (!Bracket(cols, d->ClosedCols, period, around, j0, j1, wj))
                Refuse("точка вне оболочки: y = " + Short(around) + " m");
            if (d->ClosedCols && period > 0) {
                around = std::fmod(around, period);
                if (around < 0) around += period;
            }
        }
    } else if (d->Cols > 1) {
        BadForm("на поверхности нужны две координаты: x и угол (или y)");
    }
    const auto at = [&](int i, int j) { return f->Values[static_cast<std::size_t>(i * d->Cols + j)]; };
    a.Value = (1 - wi) * ((1 - wj) * at(i0, j0) + wj * at(i0, j1)) + wi * ((1 - wj) * at(i1, j0) + wj * at(i1, j1));
    if (d->ClosedRows && d->Length > 0) {
        local = std::fmod(local, d->Length);
        if (local < 0) local += d->Length;
    }
    SetPlace(a, *d, local, around);
}

}  // namespace

std::vector<std::string> SplitRequests(const std::vector<std::string>& lines) {
    std::vector<std::string> requests;
    for (std::string line : lines) {
        if (const std::size_t comment = line.find("//"); comment != std::string::npos) line.erase(comment);
        for (std::size_t start = 0;;) {
            const std::size_t cut = line.find_first_of(";:", start);
            std::string piece = Trimmed(std::string_view(line).substr(start, cut == std::string::npos ? std::string::npos : cut - start));
            if (!piece.empty()) requests.push_back(std::move(piece));
            if (cut == std::string::npos) break;
            start = cut + 1;
        }
    }
    return requests;
}

std::vector<TDomainResults> QueryResults(TProblem& problem) { return CollectResults(problem); }

TQueryAnswer AnswerRequest(const std::vector<TDomainResults>& results, const std::string& request) {
    TQueryAnswer a;
    a.Request = Trimmed(request);
    try {
        const TRequest r = ReadRequest(a.Request);
        a.Field = r.Field;
        const auto domains = Domains(results, r);
        a.Unit = domains.front().second->Unit;
        if (r.Kind == TKind::Point)
            Point(domains, r, a);
        else
            Extreme(domains, r.Kind, a);
        a.Answered = true;
    } catch (const TRefusal& e) {
        a.Error = e.Message;
    }
    return a;
}

std::vector<TQueryAnswer> AnswerRequests(TProblem& problem, const std::vector<std::string>& lines) {
    const std::vector<std::string> requests = SplitRequests(lines);
    std::vector<TQueryAnswer> answers;
    if (!problem.Calculated()) {
        for (const std::string& r : requests) {
            TQueryAnswer a;
            a.Request = r;
            a.Error = "задача не рассчитана";
            answers.push_back(std::move(a));
        }
        return answers;
    }
    const std::vector<TDomainResults> results = QueryResults(problem);
    for (const std::string& r : requests) answers.push_back(AnswerRequest(results, r));
    return answers;
}

std::string AnswerText(const TQueryAnswer& a) {
    if (!a.Answered) return a.Request + ": " + a.Error;
    std::string text = a.Request + " = " + Short(a.Value);
    if (!a.Unit.empty()) text += " " + a.Unit;
    return text + "   (" + a.Place + ")";
}

std::vector<std::string> AnswerTexts(const std::vector<TQueryAnswer>& answers) {
    std::vector<std::string> lines;
    for (const TQueryAnswer& a : answers) lines.push_back(AnswerText(a));
    return lines;
}

std::string JsonText(const std::string& text) {
    std::string j = "\"";
    for (const char c : text) {
        switch (c) {
            case '"': j += "\\\""; break;
            case '\\': j += "\\\\"; break;
            case '\n': j += "\\n"; break;
            case '\r': j += "\\r"; break;
            case '\t': j += "\\t"; break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
                    j += buf;
                } else {
                    j += c;
                }
        }
    }
    return j + "\"";
}

namespace {
// A number as JSON reads it: a non-finite one is null.
std::string JsonNumber(Extended x) { return std::isfinite(x) ? ExactText(x) : std::string("null"); }
}  // namespace

std::string AnswerJson(const TQueryAnswer& a) {
    std::string j = "{\"request\": " + JsonText(a.Request);
    if (!a.Answered) return j + ", \"value\": null, \"error\": " + JsonText(a.Error) + "}";
    j += ", \"value\": " + JsonNumber(a.Value) + ", \"unit\": " + JsonText(a.Unit) + ", \"field\": " + JsonText(a.Field) +
         ", \"domain\": " + JsonText(a.Domain) + ", \"x\": " + JsonNumber(a.X);
    if (a.Around) j += ", \"y\": " + JsonNumber(a.Y);
    return j + ", \"place\": " + JsonText(a.Place) + ", \"error\": null}";
}

}  // namespace zem
