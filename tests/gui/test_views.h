// Shared pieces of the tests of the element editor and the views: a problem
// window standing for the program's, over a problem of the type catalogue,
// with the views installed in a main window.
#pragma once

#include "GuiTestUtil.h"

#include "app/ChildForm.h"
#include "platform/progress.h"
#include "problem/PbTypes.h"
#include "problem/Problems.h"
#include "problemtypes/Register.h"
#include "views/ElementForm.h"
#include "views/ListForm.h"
#include "views/ProblemForm.h"
#include "views/ViewForm.h"

#include <QTableWidget>
#include <memory>
#include <string>

// A problem window: holds the problem, counts its refreshes and the commands
// that the editors pass to it. No Q_OBJECT (the test program has no moc).
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

class TViewsFixture : public TMainFixture {
public:
    // A window "tank.zem" over a problem "tank" of catalogue type Type.
    explicit TViewsFixture(const std::string& type = "CylSym");
    ~TViewsFixture();

    // The editor of the root element, as the problem window opens it.
    TElemForm* OpenEditor();
    // Solves the problem (band Gauss), as the queue would.
    void Calculate();
    zem::TElement& Root() { return Window->Problem->Root(); }
    std::string Item(const char* section, const char* key);

    TTestProblemWindow* Window = nullptr;
    TViews* Views = nullptr;

private:
    TProblemFormHooks savedHooks_;
};

// Sets the value cell of the row whose key is Key.
void SetGridValue(QTableWidget* grid, const QString& key, const QString& value);
// Makes the row whose key is Key the current one.
void SelectRow(QTableWidget* grid, const QString& key);
QString GridValue(const QTableWidget* grid, int row);
