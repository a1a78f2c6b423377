// The program: the application title, the main window (which makes the
// single windows of the shell), and the message loop until the main window
// closes. The windows of the problem, series, queue and views are plugged
// into TMainForm::Hooks here, the manual into the help menu. Files named
// on the command line are opened.
#include "app/HelpForm.h"
#include "app/MainForm.h"
#include "app/Translations.h"
#include "platform/signals.h"
#include "problem/FileNames.h"
#include "problemtypes/Register.h"
#include "views/ProblemForm.h"
#include "views/ViewForm.h"

#include <QApplication>
#include <QFileInfo>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // Qt's own dialogs speak the program's language.
    InstallQtTranslations();
    zem::RegisterProblemTypes();
    QApplication::setApplicationName(QStringLiteral("ZEM CAD 2"));
    QApplication::setOrganizationName(QStringLiteral("ZEM CAD 2"));
    TMainForm mainForm;
    InstallProblemWindows(mainForm);
    InstallViews(mainForm);
    InstallHelp(mainForm);
    mainForm.show();
    // Ctrl+C, a kill or a closed terminal ends the program; a running calculation stops and cleans up.
    zem::OnStopSignals([](int) {
        if (qApp) QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    // Problem and series files named on the command line open as windows.
    const QStringList args = QApplication::arguments();
    for (int i = 1; i < args.size(); ++i)
        if (!args[i].startsWith(QLatin1Char('-')))
            mainForm.OpenFile(nullptr, mainForm.ToRelativePath(QString::fromStdString(
                                           zem::StoredPath(QFileInfo(args[i]).absoluteFilePath().toStdString()))));
    return app.exec();
}
