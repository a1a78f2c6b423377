#include "test_views.h"

#include "elements/ElLists.h"
#include "views/SLAEForms.h"

#include <gtest/gtest.h>

TViewsFixture::TViewsFixture(const std::string& type) {
    zem::RegisterProblemTypes();
    savedHooks_ = ProblemFormHooks();
    Views = &InstallViews(*Main);
    TViewLinks& links = ViewLinks();
    links.ProblemOf = [](TChildForm* w) -> zem::TProblem* {
        auto* p = dynamic_cast<TTestProblemWindow*>(w);
        return p ? p->Problem.get() : nullptr;
    };
    links.Busy = [](TChildForm* w) {
        auto* p = dynamic_cast<TTestProblemWindow*>(w);
        return p && p->Busy;
    };
    links.Solve = [](TChildForm* w, bool withWindow) {
        auto* p = dynamic_cast<TTestProblemWindow*>(w);
        ++p->SolveCount;
        p->SolvedWithWindow = withWindow;
    };
    links.SystemTable = [this](TChildForm* w) {
        auto* p = dynamic_cast<TTestProblemWindow*>(w);
        ++p->SystemCount;
        p->Problem->BuildEquations();
        Views->SLAEForm->ShowSystem(p, *p->Problem);
    };
    Window = dynamic_cast<TTestProblemWindow*>(
        Main->CreateChild(ChildFactory<TTestProblemWindow>(), QStringLiteral("tank.zem"), 0, nullptr, nullptr));
    Window->ProblemForm = Window;
    Window->Problem = std::make_unique<zem::TProblem>(zem::ProblemTypeByName(type), "tank");
}

TViewsFixture::~TViewsFixture() {
    // The windows go with the main window, before the links they use.
    Main.reset();
    ViewLinks() = {};
    ProblemFormHooks() = savedHooks_;
}

TElemForm* TViewsFixture::OpenEditor() {
    return dynamic_cast<TElemForm*>(Window->OpenDependent(ElementEditorFactory(), QStringLiteral("tank"), 0, nullptr));
}

void TViewsFixture::Calculate() {
    zem::TProgressLog log;
    Window->Problem->Calculate(2, false, log);
}

std::string TViewsFixture::Item(const char* section, const char* key) {
    auto& list = dynamic_cast<zem::TElemList&>(Root().Item(Root().IndexOfKey(section)));
    return list.ItemText(list.IndexOfKey(key));
}

static int RowOf(const QTableWidget* grid, const QString& key) {
    for (int r = 0; r < grid->rowCount(); ++r)
        if (grid->item(r, 0) && grid->item(r, 0)->text() == key) return r;
    ADD_FAILURE() << "no row " << key.toStdString();
    return 0;
}

void SetGridValue(QTableWidget* grid, const QString& key, const QString& value) {
    grid->item(RowOf(grid, key), 1)->setText(value);
}

void SelectRow(QTableWidget* grid, const QString& key) { grid->setCurrentCell(RowOf(grid, key), 1); }

QString GridValue(const QTableWidget* grid, int row) {
    const QTableWidgetItem* item = grid->item(row, 1);
    return item ? item->text() : QString();
}
