// GoogleTest entry for the window tests: one QApplication for the whole run,
// the per-user configuration store moved into a temporary directory, and no
// real message box or file dialog (an unexpected one fails the test).
#include "GuiTestUtil.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    InstallUnexpectedDialogHandlers();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
