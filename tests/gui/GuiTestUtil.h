// Shared pieces of the window tests: scripted answers to dialogs, test child
// windows, a main window working in a temporary start directory, the same
// with the program's problem windows and the queue, and one with the views
// over a test problem window.
#pragma once

#include "app/Dialogs.h"
#include "app/FChildForm.h"
#include "app/MainForm.h"
#include "app/ProgressForm.h"
#include "app/RegIniFile.h"
#include "elements/Elements.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "problem/PbData.h"
#include "problem/PbTypes.h"
#include "problem/Problems.h"
#include "problemtypes/Register.h"
#include "testutil.h"
#include "views/CalculForm.h"
#include "views/ElementForm.h"
#include "views/GraphForm.h"
#include "views/ListForm.h"
#include "views/PbTypeForm.h"
#include "views/ProblemForm.h"
#include "views/SLAEForms.h"
#include "views/TableForm.h"
#include "views/TurnForm.h"
#include "views/ViewForm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <deque>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

// Makes every dialog shown without a script fail the running test.
void InstallUnexpectedDialogHandlers();

// Records the messages and questions of the windows and answers them from
// a script; gives back the failing handlers when it goes.
class TDialogScript {
public:
    TDialogScript();
    ~TDialogScript();
    QStringList Messages;
    QStringList Questions;
    std::deque<bool> Answers;        // an empty script answers Cancel; for unsaved changes OK saves
    std::deque<QString> SaveNames;   // for the save dialogs; empty: Cancel
    QStringList ProposedNames;       // what the save dialogs proposed
    std::deque<QString> OpenNames;
    std::deque<std::optional<QString>> Texts;  // for the text prompts; empty: Cancel
    QStringList ShownTexts;                    // the text each prompt started from
};

// A file window whose file is a plain text file: LoadData fails when the file
// does not exist, SaveData writes "saved" (or fails when told to). No
// Q_OBJECT here (the test program has no moc): cast with dynamic_cast.
class TTestFileWindow : public TFChildForm {
public:
    explicit TTestFileWindow(TMainForm* main) : TFChildForm(main) { resize(300, 200); }
    void LoadData() override;
    void SaveData() override;
    bool IsModified() const override { return Modified; }
    void ShowData() override { ++ShowCount; }
    bool Modified = false;
    bool FailSave = false;
    int SaveCount = 0;
    int ShowCount = 0;
};

// A dependant window (an element editor).
class TTestEditor : public TChildForm {
public:
    explicit TTestEditor(TMainForm* main) : TChildForm(main) {}
    void ShowData() override;
    void SaveData() override { ++SaveCount; Modified = false; }
    bool IsModified() const override { return Modified; }
    bool Modified = false;
    int SaveCount = 0;
    int ShowCount = 0;
    static QStringList* ShowLog;  // every ShowData of any editor, as window captions
};

// A main window in a fresh temporary start directory with its own store file,
// the test windows plugged in for "zem" and "zes".
class TMainFixture {
public:
    TMainFixture();
    ~TMainFixture();
    void Touch(const QString& name) const;  // makes a file in the start directory
    QString Dir() const { return dir_.path(); }
    QString Path(const QString& name) const { return dir_.filePath(name); }
    // A new main window over the same directory and store (the next run).
    std::unique_ptr<TMainForm> NewMain() const;
    TTestFileWindow* Open(const QString& name);
    // "&Новая задача" answers the type dialog with TypeName from now on.
    void ChooseType(const std::string& typeName);
    std::unique_ptr<TMainForm> Main;
private:
    QTemporaryDir dir_;
    QString oldCurrent_;
};

// The main window with the problem windows, the dialogs and the queue plugged
// in, the built problem types registered, and scripted answers to every message.
class TProblemFixture {
public:
    TProblemFixture();
    ~TProblemFixture();
    TMainForm& Main() { return *F.Main; }
    TCalculForm& Calc();
    TPbTypeForm& Types();
    TTurnForm& Turn();
    TProblemForm* NewProblem(const std::string& typeName);  // as "&Новая задача" makes it
    bool SaveAs(TProblemForm* window, const QString& name);  // into the start directory
    TProblemForm* Open(const QString& name);
    bool WaitIdle();  // runs the event loop until the queue is empty (false after 30 s)
    QString Path(const QString& name) const { return F.Path(name); }
    // The default text of a cylinder with Mesh intervals.
    static std::string CylinderText(int mesh);
    // A cylinder problem file with the calculation lines Calc.
    void WriteCylinder(const QString& name, int mesh = 8,
                       const std::vector<std::string>& calc = {"CalcType= simple", "SaveResult"}) const;
    // The same file written and opened in its window.
    TProblemForm* OpenCylinder(const QString& name, int mesh = 8,
                               const std::vector<std::string>& calc = {"CalcType= simple", "SaveResult"}) {
        return WriteCylinder(name, mesh, calc), Open(name);
    }
    TDialogScript Script;
    TMainFixture F;
};

// A problem window standing for the program's: holds the problem, counts its
// refreshes and the commands that the editors pass to it.
class TTestProblemWindow : public TFChildForm {
public:
    explicit TTestProblemWindow(TMainForm* main) : TFChildForm(main) { resize(300, 200); }
    void ShowData() override { ++ShowCount; }
    std::unique_ptr<zem::TProblem> Problem;
    bool Busy = false;
    int ShowCount = 0;
    int SolveCount = 0;
    bool SolvedWithWindow = false;
    int SystemCount = 0;
};

// The views installed in a main window, over a window "tank.zem" holding a
// problem "tank" of catalogue type Type.
class TViewsFixture : public TMainFixture {
public:
    explicit TViewsFixture(const std::string& type = "CylSym");
    ~TViewsFixture();
    TElemForm* OpenEditor();  // the editor of the root element
    void Calculate();         // solves the problem (band Gauss), as the queue would
    TElemForm* SolvedEditor() { return Calculate(), OpenEditor(); }
    zem::TElement& Root() { return Window->Problem->Root(); }
    std::string Item(const char* section, const char* key);
    TTestProblemWindow* Window = nullptr;
    TViews* Views = nullptr;
};

// The dialog or window of class T that the main window owns.
template <class T>
T& DirectChild(TMainForm& main) {
    return *main.findChild<T*>(QString(), Qt::FindDirectChildrenOnly);
}

// The first dependant of Window that is a T.
template <class T>
T* DependentOf(TChildForm* window) {
    for (TChildForm* d : window->Dependents)
        if (auto* t = dynamic_cast<T*>(d)) return t;
    return nullptr;
}

using zem::test::MessageOf;

// The bytes of a file; empty when it cannot be read.
QByteArray FileBytes(const QString& path);
QString MemoText(const QPlainTextEdit* memo);
QStringList MemoLines(const QPlainTextEdit* memo);
void TypeInto(QPlainTextEdit* memo, const QString& text);  // the memo counts as changed
QStringList Lines(const std::vector<std::string>& lines);
QStringList ListTexts(const QListWidget* list, bool checkedOnly = false);
// The visible, non-separator captions of a menu, with their shortcuts.
QStringList Captions(const QMenu* menu);
QStringList MenuBarTitles(TMainForm& main);
// The row of the largest magnitude in the value column of a table, and the value.
int RowOfLargest(const TStringGrid* grid, double& largest);

int RowOf(const QTableWidget* grid, const QString& key);  // the row whose name is Key
void SetGridValue(QTableWidget* grid, const QString& key, const QString& value);  // in the row of Key
void SelectRow(QTableWidget* grid, const QString& key);
QString GridValue(const QTableWidget* grid, int row);

// Readable failure output for texts of the windows.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) { *os << '[' << l.join(QStringLiteral(" | ")).toStdString() << ']'; }
inline std::ostream& operator<<(std::ostream& os, const QString& s) { return os << s.toStdString(); }
inline std::ostream& operator<<(std::ostream& os, const QStringList& l) { return os << l.join(QStringLiteral(" | ")).toStdString(); }
