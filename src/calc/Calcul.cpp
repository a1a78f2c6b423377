#include "calc/Calcul.h"

#include "calc/MeshGuard.h"
#include "calc/RunFile.h"
#include "domains/ElDomain.h"
#include "elements/MyStr.h"
#include "platform/errors.h"
#include "platform/numtext.h"
#include "platform/progress.h"
#include "problem/FileNames.h"
#include "problem/PbHarmonic.h"
#include "problem/PbData.h"
#include "problem/PbSeries.h"
#include "problem/Problems.h"
#include "solvers/Matrises.h"

#include <algorithm>
#include <cmath>

namespace zem {
namespace {

// An automatic mesh selection stops after this many stages even when the
// error still exceeds the accepted one: where the mesh steps change abruptly
// the composed higher differences stop converging, and the selection would
// otherwise refine the same spot until memory runs out.
const std::string kSelectionStopped = "Подбор остановлен: выполнено этапов ";

int CharacteristicIndex(const TDmElement& dm, const std::string& name) {
    const auto& names = dm.TableResults;
    auto it = std::find(names.begin(), names.end(), name);
    if (it == names.end()) throw ZemError("Неизвестная характеристика " + name);
    return static_cast<int>(it - names.begin());
}

bool Contains(const std::vector<std::string>& list, const std::string& s) {
    return std::find(list.begin(), list.end(), s) != list.end();
}

bool Selected(const TProblem& p, std::size_t i, const std::string& prefix, int listType) {
    if (p.Domains().size() == 1) return true;
    const TDmElement& dm = *p.Domains()[i];
    return listType == ltByType ? dm.GetTypeName() == prefix : dm.Key() == prefix;
}

TDmElement& FineDomain(TProblem& fine, std::size_t i) {
    if (i >= fine.Domains().size()) throw ZemError("Уточненная задача не соответствует исходной");
    return *fine.Domains()[i];
}

// Raises a clear message when halving the steps of domain D along axis J (of
// every domain and axis when D is -1) would exceed the mesh's step limit.
void CheckRefinable(TProblem& problem, int d, int j = -1) {
    for (std::size_t i = 0; i < problem.Domains().size(); ++i) {
        if (d >= 0 && static_cast<int>(i) != d) continue;
        const TDomain& domain = *problem.Domains()[i]->Domain;
        for (int a = 0; a < domain.DimCount; ++a)
            if ((j < 0 || a == j) && 2L * domain.StepCount(a) > kMaxSteps)
                throw ZemError("Уточненная сетка " + problem.AxisNameByDomain(static_cast<int>(i), a) + " (" +
                               std::to_string(2L * domain.StepCount(a)) + " шагов) превышает предел в " +
                               std::to_string(kMaxSteps) + " шагов");
    }
}

}  // namespace

std::optional<double> MeshErrorPercent(TProblem& problem, int norm, const std::string& characteristic,
                                       TProblem& fine, int listType) {
    std::string prefix, name;
    SplitPath(characteristic, prefix, name);
    const auto& domains = problem.Domains();
    // The error of domain I, or none when the field vanishes on the fine mesh.
    auto domainError = [&](std::size_t i) -> std::optional<double> {
        TDmElement& dm = *domains[i];
        const int comp = CharacteristicIndex(dm, name);
        TDomain& f = *FineDomain(fine, i).Domain;
        if (f.ResultIsRoundingZero(comp, static_cast<int>(dm.TableResults.size()))) return std::nullopt;
        return static_cast<double>(dm.Domain->MeshError(norm, comp, f));
    };
    if (domains.empty()) return 0.0;
    if (domains.size() == 1) return domainError(0);
    std::optional<double> worst;
    bool matched = false;
    for (std::size_t i = 0; i < domains.size(); ++i) {
        if (!Selected(problem, i, prefix, listType)) continue;
        matched = true;
        const std::optional<double> e = domainError(i);
        if (listType == ltByDomain) return e;
        if (e) worst = std::max(worst.value_or(0.0), *e);
    }
    if (!matched) return 0.0;
    return worst;
}

std::string LargestDifferenceLine(TProblem& problem, const std::string& characteristic, TProblem& fine,
                                  int listType) {
    std::string prefix, name;
    SplitPath(characteristic, prefix, name);
    const auto& domains = problem.Domains();
    // Of the domains the characteristic names, the one whose difference is
    // the largest share of its field.
    std::optional<std::size_t> worst;
    TDomain::TLargestDifference found;
    double share = -1, magnitude = 0;
    for (std::size_t i = 0; i < domains.size(); ++i) {
        if (!Selected(problem, i, prefix, listType)) continue;
        TDmElement& dm = *domains[i];
        const int comp = CharacteristicIndex(dm, name);
        TDomain& f = *FineDomain(fine, i).Domain;
        const TDomain::TLargestDifference d = dm.Domain->LargestDifference(comp, f);
        const double m = f.MaxAbsResult(comp);
        const double s = m > 0 ? static_cast<double>(std::fabs(d.Fine - d.Coarse)) / m : 0;
        if (s > share) {
            share = s;
            magnitude = m;
            found = d;
            worst = i;
        }
        if (listType == ltByDomain && domains.size() > 1) break;
    }
    if (!worst) return characteristic + ": нет узлов для сравнения";
    const TDmElement& dm = *domains[*worst];
    const TDomain& d = *dm.Domain;
    std::string place = domains.size() > 1 ? dm.Key() + ", " : std::string();
    for (int j = 0; j < d.DimCount; ++j) {
        const std::string key = dm.MeshItemKey(j);
        const std::string axis = key.rfind("mesh_", 0) == 0 ? key.substr(5) : "s";
        place += (j ? ", " : "") + axis + " = " +
                 RealToStrGen(5, 2, d.NodeCoord(j, found.Node[static_cast<std::size_t>(j)])) + " м";
    }
    const std::string percent = magnitude > 0 ? RealToStrGen(3, 2, 100 * share) + " %" : "поле равно нулю";
    return characteristic + ": наибольшая разность при " + place + ": " + RealToStrGen(5, 2, found.Coarse) + " -> " +
           RealToStrGen(5, 2, found.Fine) + " (" + percent + ")";
}

std::vector<std::string> ObjectWithMeshesOf(const TProblem& problem, TProblem& approx) {
    std::unique_ptr<TProblem> copy = problem.Clone();
    const std::size_t count = copy->Domains().size();
    if (approx.Domains().size() != count) throw ZemError("Приближение не соответствует задаче");
    for (std::size_t i = 0; i < count; ++i) {
        TElemList& from = approx.Domains()[i]->Mesh();
        if (copy->Domains().at(i)->Mesh().Count() != from.Count()) throw ZemError("Приближение не соответствует задаче");
        // Setting an item may rebuild the tree: the domain is found again.
        for (int j = 0; j < from.Count(); ++j) copy->Domains().at(i)->Mesh().Item(j).SetText(from.ItemText(j));
    }
    copy->Root().SetText(std::string(copy->Root().Text()));
    return PrintObject(*copy);
}

std::vector<std::size_t> StaleApproximations(TProblem& problem) {
    std::vector<std::size_t> stale;
    auto& approx = problem.Approximations();
    for (std::size_t i = 0; i < approx.size(); ++i)
        if (approx[i].Problem && !MadeFromProblem(problem, *approx[i].Problem)) stale.push_back(i);
    return stale;
}

std::string ShownMeshText(TProblem& problem, const std::vector<std::string>& calcLines) {
    std::size_t which = 0;
    FinalSolution(problem, calcLines, which);
    if (which == 0) return "Результаты на сетке задачи";
    return "Результаты на сетке приближения " + std::to_string(which) + " (" + problem.Approximations()[which - 1].Text +
           ")";
}

std::string MeshErrorText(const std::optional<double>& percent) {
    if (!percent) return "0 (поле равно нулю)";
    return RealToStrExp(5, 0, *percent) + " %";
}

void CheckCharacteristics(TProblem& problem, const TCalcSettings& settings) {
    std::vector<std::string> wanted;
    if (settings.CalcType == ctAstim) {
        if (settings.AstimList.empty()) throw ZemError("Не отмечено ни одной характеристики для оценки погрешности");
        wanted = settings.AstimList;
    }
    if (settings.CalcType == ctChoose) wanted.push_back(settings.PrecChar);
    const std::vector<std::string> offered = CharacteristicNames(problem, settings.ListType);
    for (const std::string& c : wanted) {
        if (Contains(offered, c)) continue;
        // With one domain a qualified name is read by its last part.
        std::string prefix, name;
        SplitPath(c, prefix, name);
        if (problem.Domains().size() == 1 && !name.empty() && Contains(offered, name)) continue;
        throw ZemError("Неизвестная характеристика " + (c.empty() ? std::string("(не задана)") : c));
    }
}

std::unique_ptr<TProblem> RefineStage(TProblem& start, int norm, const std::string& criterion, int method,
                                      const std::vector<std::string>& axes, double prec, int listType,
                                      TProgress& progress, std::vector<std::string>* lines) {
    std::string prefix, name;
    SplitPath(criterion, prefix, name);
    std::unique_ptr<TProblem> result = start.Clone();
    bool refined = false;
    for (std::size_t i = 0; i < start.Domains().size(); ++i) {
        if (!Selected(start, i, prefix, listType)) continue;
        TDmElement& dm = *start.Domains()[i];
        const int comp = CharacteristicIndex(dm, name);
        for (int j = 0; j < dm.Domain->DimCount; ++j) {
            const int d = static_cast<int>(i);
            const std::string axis =
                listType == ltByType ? start.AxisNameByType(d, j) : start.AxisNameByDomain(d, j);
            if (!Contains(axes, axis)) continue;
            // 1. A test copy with every interval along axis j halved, solved.
            CheckRefinable(start, static_cast<int>(i), j);
            std::unique_ptr<TProblem> test = start.Clone();
            test->Domains().at(i)->RefineMesh(j, nullptr);
            test->CollectDomains();
            test->Calculate(MethodForCopy(*test, method), false, progress);
            // 2.-3. Halve exactly the intervals whose error is too large; a
            // criterion that vanishes to rounding has no error to refine by.
            TDomain& f = *test->Domains().at(i)->Domain;
            if (f.ResultIsRoundingZero(comp, static_cast<int>(dm.TableResults.size()))) continue;
            if (lines) lines->push_back(LargestDifferenceLine(start, criterion, *test, listType));
            auto marks = dm.Domain->MarkSteps(norm, comp, prec, j, f);
            if (marks) {
                result->Domains().at(i)->RefineMesh(j, &*marks);
                result->CollectDomains();
                refined = true;
            }
        }
    }
    if (!refined) return nullptr;
    return result;
}

void ReportAxes(TProblem& problem, const std::vector<std::string>& axes, std::vector<std::string>& lines) {
    for (std::size_t i = 0; i < problem.Domains().size(); ++i) {
        TDmElement& dm = *problem.Domains()[i];
        for (int j = 0; j < dm.Domain->DimCount; ++j) {
            const std::string axis = problem.AxisNameByDomain(static_cast<int>(i), j);
            if (!Contains(axes, axis)) continue;
            const std::string text = Unbracket(dm.Mesh().ItemText(j));
            lines.push_back(axis + ": " + std::to_string(dm.Domain->StepCount(j)) + ": " + text);
        }
    }
}

std::vector<std::string> CharacteristicNames(TProblem& problem, int listType) {
    std::vector<std::string> names;
    const auto& domains = problem.Domains();
    for (TDmElement* dm : domains) {
        for (const std::string& n : dm->TableResults) {
            std::string q = n;
            if (domains.size() > 1) q = (listType == ltByType ? dm->GetTypeName() : dm->Key()) + "." + n;
            if (!Contains(names, q)) names.push_back(q);
        }
    }
    return names;
}

std::vector<std::string> AxisNames(TProblem& problem, int listType) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < problem.Domains().size(); ++i)
        for (int j = 0; j < problem.Domains()[i]->Domain->DimCount; ++j) {
            const int d = static_cast<int>(i);
            std::string q = listType == ltByType ? problem.AxisNameByType(d, j) : problem.AxisNameByDomain(d, j);
            if (!Contains(names, q)) names.push_back(q);
        }
    return names;
}

void CalculateBySettings(const std::string& fileName, TProblem& problem, std::vector<std::string>& process,
                         const std::vector<std::string>& calcLines, TProgress& progress) {
    // 1.-2. Settings, and the real type of the matrices made from now on.
    process.clear();
    const TCalcSettings s = ReadCalcSettings(calcLines);
    CheckCalcSettings(s);
    CheckCharacteristics(problem, s);
    CheckInputMagnitudes(problem);
    TRealTypeScope realType(s.RealType);
    for (const std::string& line : MeshGuardLines(problem)) process.push_back(line);
    const std::string digest = problem.ObjectDigest();
    const char* normText = s.ErrorNorma == enSemiSqr ? "Среднеквадратичная норма" : "Равномерная норма";

    // 3.-4. The problem itself, unless an estimate continues on a solved one.
    // Its results file is written at the end, once the whole run succeeded.
    const bool solved = s.CalcType == ctSimple || !problem.Calculated();
    if (s.CalcType == ctAstim) CheckRefinable(problem, -1);
    if (solved) {
        problem.Calculate(s.SLAEMethod, s.IsSLAEError, progress);
        for (const std::string& line : progress.Lines()) process.push_back(line);
    }

    if (s.CalcType == ctAstim) {
        // 5. The same problem on a mesh of doubled density.
        std::unique_ptr<TProblem> fine = problem.Clone();
        fine->DoubleMesh();
        fine->Calculate(MethodForCopy(*fine, s.SLAEMethod), s.IsSLAEError, progress);
        process.push_back(std::string("Погрешность сетки. ") + normText);
        for (const std::string& c : s.AstimList)
            process.push_back(c + ": " + MeshErrorText(MeshErrorPercent(problem, s.ErrorNorma, c, *fine, s.ListType)));
        for (const std::string& c : s.AstimList) process.push_back(LargestDifferenceLine(problem, c, *fine, s.ListType));
        process.push_back(std::string(25, '-'));
        fine->MadeFrom = digest;
        problem.Approximations().push_back(TApproximation{"Сетка удвоенной густоты", std::move(fine)});
    } else if (s.CalcType == ctChoose) {
        // 6. Stage by stage from the last approximation.
        process.push_back(std::string("Подбор сетки. ") + normText);
        process.push_back("Погрешность " + RealToStrGen(5, 3, s.Prec) + " %");
        // The last approximation made from the problem as it stands; those
        // made from another text of it are no start for its mesh.
        TProblem* start = &problem;
        std::string stale;
        for (auto& a : problem.Approximations()) {
            if (!a.Problem) continue;
            if (MadeFromProblem(problem, *a.Problem))
                start = a.Problem.get();
            else
                stale += (stale.empty() ? "" : ", ") + a.Text;
        }
        if (!stale.empty())
            process.push_back("Приближения сделаны для другого текста задачи и не использованы: " + stale);
        // The stage compares the start's own solution with a finer one: an
        // approximation read from a file without its results is solved first.
        if (!start->Calculated()) {
            start->Calculate(start == &problem ? s.SLAEMethod : MethodForCopy(*start, s.SLAEMethod), false, progress);
            process.push_back("Расчет последнего приближения:");
            for (const std::string& line : progress.Lines()) process.push_back(line);
        }
        const std::string caption = progress.Caption();
        int stage = 1;
        bool produced = false;
        do {
            progress.SetCaption(caption + ": этап " + std::to_string(stage) + ".I");
            std::vector<std::string> differences;
            std::unique_ptr<TProblem> copy = RefineStage(*start, s.ErrorNorma, s.PrecChar, s.SLAEMethod, s.PrecList,
                                                         s.Prec, s.ListType, progress, &differences);
            process.insert(process.end(), differences.begin(), differences.end());
            produced = static_cast<bool>(copy);
            if (copy) {
                progress.SetCaption(caption + ": этап " + std::to_string(stage) + ".II");
                copy->Calculate(MethodForCopy(*copy, s.SLAEMethod), s.IsSLAEError, progress);
                process.push_back("Заключительный расчет:");
                for (const std::string& line : progress.Lines()) process.push_back(line);
                ReportAxes(*copy, s.PrecList, process);
                copy->MadeFrom = digest;
                start = copy.get();
                problem.Approximations().push_back(
                    TApproximation{"Приближение " + std::to_string(stage), std::move(copy)});
            } else {
                process.push_back("Требуемая густота сетки достигнута");
            }
            process.push_back(std::string(22, '-'));
            ++stage;
            if (s.AutoMode && produced && stage > kMaxAutoStages) {
                process.push_back(kSelectionStopped + std::to_string(kMaxAutoStages));
                break;
            }
        } while (s.AutoMode && produced);
        progress.SetCaption(caption);
    }
    // An overflow is a failure, never a result to keep.
    CheckFiniteSolution(problem);
    if (solved && s.SaveResult) problem.SaveResults(NativePath(ChangeFileExtension(StoredPath(fileName), "res")));
}

std::string UnfinishedSelection(const std::vector<std::string>& process) {
    for (const std::string& line : process)
        if (line.starts_with(kSelectionStopped)) return line;
    return {};
}

}  // namespace zem
