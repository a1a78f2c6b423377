// The report of a problem as a PDF document for the engineer's files: the
// problem's type, its parameters, boundary conditions, loads and meshes, the
// calculation settings and the calculation's own report, the largest and
// smallest value of every result field with its place, and the pictures the
// user has open (plots and colour maps), one to a page.
#pragma once

#include <QImage>
#include <QString>
#include <string>
#include <utility>
#include <vector>

namespace zem {
class TProblem;
}

struct TReportInput {
    QString Title;                              // the problem's file
    zem::TProblem* Problem = nullptr;
    std::vector<std::string> Description;
    std::vector<std::string> Calculation;       // the settings lines
    std::vector<std::string> Process;           // the calculation's report
    std::vector<std::pair<QString, QImage>> Pictures;
};

// The text lines of the report, before pagination.
std::vector<QString> ReportLines(const TReportInput& input);
// Writes the PDF; returns the number of pages. A file that cannot be written
// raises "Ошибка записи в файл " with its name and the cause.
int WriteReport(const QString& fileName, const TReportInput& input);

class TProblemForm;
class TViews;
// What the report of a problem window holds: its texts, and the plot and
// colour map when they are open on its problem.
TReportInput ReportInputOf(TProblemForm& form, TViews& views);
// "О&тчет...": asks for a file name (the problem's with the extension "pdf")
// and writes the report there.
void ReportItemClick(TProblemForm& form, TViews& views);
