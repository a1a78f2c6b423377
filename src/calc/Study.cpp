#include "calc/Study.h"

#include "calc/MeshGuard.h"

#include "elements/MyStr.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/numtext.h"
#include "problem/FileNames.h"
#include "problem/PbData.h"
#include "problem/PbSeries.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace zem {

namespace {

std::string CsvCell(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string q = "\"";
    for (char c : text) q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
}

bool NameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || (c & 0x80); }

// Where key Name is set in Text between From and To: the position of its
// value and the value's end (a ',' or a closing bracket at depth 0).
bool FindKey(const std::string& text, const std::string& name, std::size_t from, std::size_t to, std::size_t& value,
             std::size_t& end) {
    for (std::size_t at = text.find(name, from); at != std::string::npos && at < to; at = text.find(name, at + 1)) {
        if (at > 0 && NameChar(text[at - 1])) continue;
        std::size_t p = at + name.size();
        while (p < to && (text[p] == ' ' || text[p] == '\n')) ++p;
        if (p >= to || text[p] != '=') continue;
        value = ++p;
        int depth = 0;
        for (; p < to; ++p) {
            const char c = text[p];
            if (c == '[' || c == '{') ++depth;
            else if (c == ']' || c == '}') {
                if (depth == 0) break;
                --depth;
            } else if (c == ',' && depth == 0) {
                break;
            }
        }
        end = p;
        return true;
    }
    return false;
}

// The value of parameter Name ("t", "Span2.t") in Text: its position and end.
bool Locate(const std::string& text, const std::string& name, std::size_t& value, std::size_t& end) {
    std::size_t from = 0, to = text.size();
    std::string key = name;
    if (const std::size_t dot = name.rfind('.'); dot != std::string::npos) {
        // The child element's braces bound the search.
        std::size_t v = 0, e = 0;
        if (!FindKey(text, name.substr(0, dot), 0, text.size(), v, e)) return false;
        const std::size_t open = text.find('{', v);
        if (open == std::string::npos || open >= e) return false;
        from = open, to = e;
        key = name.substr(dot + 1);
    }
    return FindKey(text, key, from, to, value, end);
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) text += (i ? "\n" : "") + lines[i];
    return text;
}

// A parameter value as a file would show it: the shortest exact text of a double.
std::string ValueText(double x) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, x);
    return std::string(buf, r.ptr);
}

// A file-name part for a value: "t0.008", "mesh_x160".
std::string NamePart(const std::string& name, double value) {
    std::string part;
    for (char c : name) part += c == '.' ? '-' : c;
    return part + ValueText(value);
}

}  // namespace

std::string TStudyTable::Unit(std::size_t k) const {
    for (const TStudyRow& row : Rows)
        if (k < row.Answers.size() && row.Answers[k].Answered) return row.Answers[k].Unit;
    return {};
}

std::vector<std::string> TStudyTable::Csv() const {
    std::string header = "member";
    for (const std::string& p : Parameters) header += "," + CsvCell(p);
    header += ",mesh,mesh guard";
    for (std::size_t k = 0; k < Requests.size(); ++k) {
        const std::string unit = Unit(k);
        header += "," + CsvCell(unit.empty() ? Requests[k] : Requests[k] + " [" + unit + "]");
    }
    std::vector<std::string> lines = {header + ",error"};
    for (const TStudyRow& row : Rows) {
        std::string line = CsvCell(row.Member);
        for (std::size_t p = 0; p < Parameters.size(); ++p)
            line += "," + CsvCell(p < row.Parameters.size() ? row.Parameters[p] : std::string());
        line += "," + CsvCell(row.Mesh) + "," + CsvCell(row.MeshGuard);
        std::string errors = row.Failure;
        for (std::size_t k = 0; k < Requests.size(); ++k) {
            line += ",";
            if (k >= row.Answers.size()) continue;
            const TQueryAnswer& a = row.Answers[k];
            if (a.Answered) line += ExactText(a.Value);
            else if (row.Failure.empty()) errors += (errors.empty() ? "" : "; ") + AnswerText(a);
        }
        lines.push_back(line + "," + CsvCell(errors));
    }
    return lines;
}

std::vector<std::vector<std::string>> ReadCsvLines(const std::vector<std::string>& lines) {
    std::vector<std::vector<std::string>> rows;
    for (const std::string& line : lines) {
        std::vector<std::string> cells(1);
        bool quoted = false;
        for (std::size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            if (quoted) {
                if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') cells.back() += '"', ++i;
                else if (c == '"') quoted = false;
                else cells.back() += c;
            } else if (c == '"') {
                quoted = true;
            } else if (c == ',') {
                cells.emplace_back();
            } else {
                cells.back() += c;
            }
        }
        rows.push_back(std::move(cells));
    }
    return rows;
}

std::string MeshText(const std::vector<TDomainResults>& results) {
    std::string text;
    for (const TDomainResults& d : results) {
        std::string mesh = std::to_string(d.ClosedRows ? d.Rows : d.Rows - 1);
        if (d.Cols > 1 || d.ClosedCols) mesh += "x" + std::to_string(d.ClosedCols ? d.Cols : d.Cols - 1);
        if (results.size() > 1) mesh = (d.Domain.empty() ? std::string("shell") : d.Domain) + " " + mesh;
        text += (text.empty() ? "" : ", ") + mesh;
    }
    return text;
}

std::string MeshGuardText(TProblem& problem) {
    const std::vector<TMeshAdvice> advice = CheckMeshResolution(problem);
    if (advice.empty()) return "да";
    std::string axes;
    for (const TMeshAdvice& a : advice) axes += (axes.empty() ? "" : ", ") + a.Axis;
    return "нет (" + axes + ")";
}

TStudyRow StudyRow(const std::string& member, TProblem& problem, const std::vector<std::string>& objectLines,
                   const std::vector<std::string>& parameters, const std::vector<std::string>& requests) {
    TStudyRow row;
    row.Member = member;
    for (const std::string& p : parameters) row.Parameters.push_back(ObjectParameter(objectLines, p));
    row.Answers = AnswerRequests(problem, requests);
    row.Mesh = MeshText(QueryResults(problem));
    row.MeshGuard = MeshGuardText(problem);
    return row;
}

std::vector<double> TSweepParam::Values() const {
    std::vector<double> v;
    for (int i = 0; i < Count; ++i) v.push_back(Count == 1 ? From : From + (To - From) * i / (Count - 1));
    if (Count > 1) v.back() = To;
    return v;
}

TSweepParam ParseSweep(const std::string& text) {
    const std::string form = "ожидается ИМЯ=от:до:число, например t=0.008:0.014:4";
    const std::size_t eq = text.find('=');
    if (eq == std::string::npos) throw ZemError("Ошибка в задании перебора " + text + ": " + form);
    TSweepParam p;
    p.Name = Trimmed(text.substr(0, eq));
    const std::string range = text.substr(eq + 1);
    const std::size_t c1 = range.find(':'), c2 = c1 == std::string::npos ? c1 : range.find(':', c1 + 1);
    if (p.Name.empty() || c2 == std::string::npos || range.find(':', c2 + 1) != std::string::npos)
        throw ZemError("Ошибка в задании перебора " + text + ": " + form);
    try {
        p.From = static_cast<double>(StrToReal(range.substr(0, c1)));
        p.To = static_cast<double>(StrToReal(range.substr(c1 + 1, c2 - c1 - 1)));
        const Extended n = StrToReal(range.substr(c2 + 1));
        if (n < 1 || n > 1000 || n != std::floor(n)) throw ZemError("число значений - целое от 1 до 1000");
        p.Count = static_cast<int>(n);
    } catch (const ZemError& e) {
        throw ZemError("Ошибка в задании перебора " + text + ": " + e.what());
    }
    if (!std::isfinite(p.From) || !std::isfinite(p.To)) throw ZemError("Ошибка в задании перебора " + text + ": " + form);
    return p;
}

std::string ObjectParameter(const std::vector<std::string>& lines, const std::string& name) {
    const std::string text = Joined(lines);
    std::size_t value = 0, end = 0;
    if (!Locate(text, name, value, end)) return {};
    return Trimmed(text.substr(value, end - value));
}

std::vector<std::string> WithObjectParameter(const std::vector<std::string>& lines, const std::string& name,
                                             const std::string& value) {
    std::string text = Joined(lines);
    std::size_t at = 0, end = 0;
    if (!Locate(text, name, at, end)) throw ZemError("В объекте задачи нет параметра " + name);
    text.replace(at, end - at, value);
    std::vector<std::string> out;
    for (std::size_t start = 0;;) {
        const std::size_t nl = text.find('\n', start);
        out.push_back(text.substr(start, nl == std::string::npos ? std::string::npos : nl - start));
        if (nl == std::string::npos) break;
        start = nl + 1;
    }
    return out;
}

std::vector<std::string> MakeSweepMembers(const TPbData& data, const std::string& templateName,
                                          const std::vector<TSweepParam>& params, std::vector<std::string>& requests,
                                          std::string& base) {
    if (params.empty() || params.size() > 2) throw ZemError("Перебирать можно один или два параметра");
    const std::string full = ToAbsolutePath(data.StartDir(), StoredPath(templateName));
    const std::vector<std::string> file = ReadTextFile(NativePath(full));
    CheckMagicLine(file, "[ZEM CAD 2]");
    if (file.size() < 2) throw ZemError("Неизвестный формат файла");
    const std::vector<std::string> object = ReadSection(file, "OBJECT");
    const std::vector<std::string> calculation = ReadSection(file, "CALCULATION");
    requests = ReadSection(file, "RESULT DATA");
    const std::vector<std::string> description = ReadSection(file, "DESCRIPTION");
    for (const TSweepParam& p : params)
        if (ObjectParameter(object, p.Name).empty()) throw ZemError("В объекте задачи нет параметра " + p.Name);

    const std::size_t dot = full.rfind('.');
    base = dot != std::string::npos && dot > full.find_last_of("\\/") + 1 ? full.substr(0, dot) : full;
    const std::vector<double> first = params[0].Values();
    const std::vector<double> second = params.size() > 1 ? params[1].Values() : std::vector<double>{0};
    // Every member is made before any is written, so that a bad value writes nothing.
    std::vector<std::pair<std::string, std::vector<std::string>>> members;
    for (double a : first)
        for (double b : second) {
            std::vector<std::string> obj = WithObjectParameter(object, params[0].Name, ValueText(a));
            std::string name = base + "_" + NamePart(params[0].Name, a);
            if (params.size() > 1) {
                obj = WithObjectParameter(obj, params[1].Name, ValueText(b));
                name += "_" + NamePart(params[1].Name, b);
            }
            std::vector<std::string> out = {file[0], file[1]};
            WriteSection(out, "OBJECT", &obj);
            WriteSection(out, "CALCULATION", &calculation);
            WriteSection(out, "RESULT DATA", &requests);
            WriteSection(out, "DESCRIPTION", &description);
            members.emplace_back(name + ".zem", std::move(out));
        }
    std::vector<std::string> names;
    for (const auto& [name, lines] : members) {
        WriteTextFile(NativePath(name), lines);
        names.push_back(ToRelativePath(data.StartDir(), name));
    }
    return names;
}

std::string MakeSweep(const TPbData& data, const std::string& templateName, const std::vector<TSweepParam>& params) {
    TSeriesFile series;
    std::string base;
    series.Files = MakeSweepMembers(data, templateName, params, series.ResultData, base);
    for (const TSweepParam& p : params) series.Parameters.push_back(p.Name);
    const std::string seriesName = base + "-sweep.zes";
    WriteSeriesFile(seriesName, series);
    return ToRelativePath(data.StartDir(), seriesName);
}

}  // namespace zem
