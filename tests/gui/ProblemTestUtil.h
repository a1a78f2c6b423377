// Shared pieces of the problem-window, queue and calculation-dialog tests: a
// main window with the problem windows, the dialogs and the queue plugged in,
// the built problem types registered, and scripted answers to every message.
#pragma once

#include "GuiTestUtil.h"

#include "views/CalculForm.h"
#include "views/PbTypeForm.h"
#include "views/ProblemForm.h"
#include "views/TurnForm.h"

#include <QPlainTextEdit>
#include <string>
#include <vector>

class TProblemFixture {
public:
    TProblemFixture();
    ~TProblemFixture();

    TMainForm& Main() { return *F.Main; }
    TCalculForm& Calc();
    TPbTypeForm& Types();
    TTurnForm& Turn();

    // A new problem window of the type, as "&Новая задача" makes it.
    TProblemForm* NewProblem(const std::string& typeName);
    // Saves a new window under Name in the start directory.
    bool SaveAs(TProblemForm* window, const QString& name);
    // Opens a file of the start directory.
    TProblemForm* Open(const QString& name);
    // Runs the event loop until the queue is empty (false after 30 s).
    bool WaitIdle();
    QString Path(const QString& name) const { return F.Dir() + QLatin1Char('/') + name; }

    // The default text of a cylinder with Mesh intervals.
    static std::string CylinderText(int mesh);
    // A cylinder problem file that calculates itself and keeps its results.
    void WriteCylinder(const QString& name, int mesh = 8) const;

    TDialogScript Script;
    TMainFixture F;
};

QString MemoText(const QPlainTextEdit* memo);
QStringList MemoLines(const QPlainTextEdit* memo);
// Types the text: the memo counts as changed.
void TypeInto(QPlainTextEdit* memo, const QString& text);
