// The program: the application title, the main window (which makes the
// single windows of the shell), and the message loop until the main window
// closes. The windows of the problem, series, queue and views are plugged
// into TMainForm::Hooks here as they become available.
#include "app/MainForm.h"
#include "problemtypes/Register.h"
#include "views/ProblemForm.h"
#include "views/ViewForm.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    zem::RegisterProblemTypes();
    QApplication::setApplicationName(QStringLiteral("ZEM CAD 2"));
    QApplication::setOrganizationName(QStringLiteral("ZEM CAD 2"));
    TMainForm mainForm;
    InstallProblemWindows(mainForm);
    InstallViews(mainForm);
    mainForm.show();
    return app.exec();
}
