#include "views/ReportWriter.h"

#include "app/Dialogs.h"
#include "app/MainForm.h"
#include "app/QtText.h"
#include "calc/Calcul.h"
#include "calc/MeshGuard.h"
#include "problem/PbSeries.h"
#include "problem/FileNames.h"
#include "views/GraphForm.h"
#include "views/DeformedForm.h"
#include "views/PlotForm.h"
#include "views/ProblemForm.h"
#include "views/ViewForm.h"
#include "elements/ElComp.h"
#include "elements/Elements.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "problem/Problems.h"
#include "views/ResultField.h"

#include <QSaveFile>
#include <QFont>
#include <QFontMetrics>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace {

// The marker of a heading line.
const QString kHeading = QStringLiteral("\x01");

void Section(std::vector<QString>& lines, const QString& title, const zem::TElemList& list) {
    if (list.Count() == 0) return;
    lines.push_back(kHeading + title);
    for (int i = 0; i < list.Count(); ++i) {
        const zem::TElemItem& item = list.Item(i);
        QString line = Q(item.Key()) + QStringLiteral(" = ") + (item.Text().empty() ? QStringLiteral("—") : Q(item.Text()));
        if (!item.Caption().empty()) line += QStringLiteral("   (") + Q(item.Caption()) + QStringLiteral(")");
        lines.push_back(line);
    }
}

void Lines(std::vector<QString>& lines, const QString& title, const std::vector<std::string>& text) {
    bool any = false;
    for (const std::string& s : text) any = any || !s.empty();
    if (!any) return;
    lines.push_back(kHeading + title);
    for (const std::string& s : text) lines.push_back(Q(s));
}

}  // namespace

std::vector<QString> ReportLines(const TReportInput& input) {
    std::vector<QString> lines;
    lines.push_back(kHeading + QStringLiteral("Отчет о расчете: ") + input.Title);
    if (zem::TProblem* problem = input.Problem) {
        zem::TElement& root = problem->Root();
        lines.push_back(QStringLiteral("Тип задачи: ") + Q(root.GetTypeName()));
        lines.push_back(Q(root.GetCaption()));
        Lines(lines, QStringLiteral("Описание"), input.Description);
        Section(lines, QStringLiteral("Параметры"), root.Params());
        Section(lines, QStringLiteral("Граничные условия"), root.Bounds());
        Section(lines, QStringLiteral("Нагрузка"), root.Loads());
        Section(lines, QStringLiteral("Сетка"), root.Mesh());
        // The spans of a stepped element, each with its own lists.
        if (auto* comp = dynamic_cast<zem::TElComp*>(&root)) {
            for (int s = 0; s < comp->ChildCount(); ++s) {
                zem::TElement& span = comp->Child(s);
                const QString name = Q(span.Key()) + QStringLiteral(": ");
                Section(lines, name + QStringLiteral("параметры"), span.Params());
                Section(lines, name + QStringLiteral("граничные условия"), span.Bounds());
                Section(lines, name + QStringLiteral("нагрузка"), span.Loads());
                Section(lines, name + QStringLiteral("сетка"), span.Mesh());
            }
        }
        Lines(lines, QStringLiteral("Установки расчета"), input.Calculation);
        Lines(lines, QStringLiteral("Проверка сетки"), zem::MeshGuardLines(*problem));
        Lines(lines, QStringLiteral("Протокол расчета"), input.Process);
        lines.push_back(kHeading + QStringLiteral("Наибольшие и наименьшие значения"));
        // After a mesh selection, the answer on the selected mesh.
        std::size_t which = 0;
        zem::TProblem& shown = zem::FinalSolution(*problem, input.Calculation, which);
        zem::TElement& shownRoot = shown.Root();
        if (!shown.Calculated()) {
            lines.push_back(QStringLiteral("Задача не рассчитана."));
        } else {
            lines.push_back(Q(zem::ShownMeshText(*problem, input.Calculation)));
            for (int i = 0; i < static_cast<int>(shownRoot.GraphResults.size()); ++i) {
                try {
                    const TResultField field = ResultField(shownRoot, i);
                    lines.push_back(Q(field.Title()) + QStringLiteral(":  max ") + Q(ExtremeText(field, LargestOf(field))) +
                                    QStringLiteral(";  min ") + Q(ExtremeText(field, SmallestOf(field))));
                } catch (const std::exception& e) {
                    lines.push_back(Q(shownRoot.GraphResults[static_cast<std::size_t>(i)]) + QStringLiteral(": ") +
                                    Q(e.what()));
                }
            }
        }
    }
    return lines;
}

int WriteReport(const QString& fileName, const TReportInput& input) {
    const std::vector<QString> lines = ReportLines(input);
    // Written beside the target and put in its place when whole, so that a
    // failure leaves an existing file as it was.
    zem::CheckWritable(Std(fileName));  // the system's reason for a place that takes no file
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        zem::RaiseFileFailure(zem::kWriteFailure, Std(fileName), Std(file.errorString()));
    int pages = 1;
    {
        QPdfWriter writer(&file);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setResolution(96);
        writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        writer.setTitle(QStringLiteral("Отчет: ") + input.Title);
        writer.setCreator(QStringLiteral("ZEM CAD 2"));
        QPainter painter;
        if (!painter.begin(&writer))
            zem::RaiseFileFailure(zem::kWriteFailure, Std(fileName), "документ PDF не создан");
        const int width = writer.width(), height = writer.height();
        QFont body(QStringLiteral("DejaVu Sans"), 9);
        QFont heading = body;
        heading.setBold(true);
        heading.setPointSize(11);
        int y = 0;
        for (const QString& raw : lines) {
            const bool isHeading = raw.startsWith(kHeading);
            const QString text = isHeading ? raw.mid(1) : raw;
            painter.setFont(isHeading ? heading : body);
            const QFontMetrics fm(painter.font());
            const QRect bounds = fm.boundingRect(QRect(0, 0, width, 100000), Qt::TextWordWrap, text);
            const int need = bounds.height() + (isHeading ? fm.height() / 2 : 0);
            if (y + need > height && y > 0) {
                writer.newPage();
                ++pages;
                y = 0;
            }
            if (isHeading) y += fm.height() / 2;
            painter.drawText(QRect(0, y, width, bounds.height()), Qt::TextWordWrap, text);
            y += bounds.height();
        }
        for (const auto& [caption, image] : input.Pictures) {
            writer.newPage();
            ++pages;
            painter.setFont(heading);
            const QFontMetrics fm(painter.font());
            painter.drawText(0, fm.ascent(), caption);
            if (image.isNull()) continue;
            const QSize fit = image.size().scaled(width, height - 2 * fm.height(), Qt::KeepAspectRatio);
            painter.drawImage(QRect(QPoint(0, 2 * fm.height()), fit), image);
        }
        if (!painter.end()) zem::RaiseFileFailure(zem::kWriteFailure, Std(fileName), Std(file.errorString()));
    }
    if (!file.commit()) zem::RaiseFileFailure(zem::kWriteFailure, Std(fileName), Std(file.errorString()));
    return pages;
}

TReportInput ReportInputOf(TProblemForm& form, TViews& views) {
    TReportInput input;
    input.Title = form.windowTitle();
    input.Problem = form.Problem.get();
    input.Description = LinesOf(form.DescriptMemo);
    input.Calculation = LinesOf(form.CalculMemo);
    input.Process = LinesOf(form.ProcessMemo);
    if (!input.Problem) return input;
    const QSize size(900, 620);
    if (views.PlotForm->isVisible() && views.PlotForm->Ref().IsOf(input.Problem))
        input.Pictures.emplace_back(views.PlotForm->windowTitle(), views.PlotForm->RenderPicture(size));
    if (views.GraphForm->isVisible() && views.GraphForm->Ref().IsOf(input.Problem))
        input.Pictures.emplace_back(views.GraphForm->windowTitle(), views.GraphForm->RenderPicture(size));
    if (views.DeformedForm->isVisible() && views.DeformedForm->Ref().IsOf(input.Problem))
        input.Pictures.emplace_back(views.DeformedForm->windowTitle(), views.DeformedForm->RenderPicture(size));
    return input;
}

void ReportItemClick(TProblemForm& form, TViews& views) {
    form.ApplyObjectText();
    const QString full = form.Main->ToAbsolutePath(Q(zem::StoredPath(Std(form.windowTitle()))));
    const QString proposed = Q(zem::NativePath(zem::ChangeFileExtension(Std(full), "pdf")));
    const QString chosen =
        AskSaveFileName(&form, proposed, QStringLiteral("Отчет PDF (*.pdf)|*.pdf"), QStringLiteral("pdf"));
    if (chosen.isEmpty()) return;
    WriteReport(chosen, ReportInputOf(form, views));
}
