// Child windows and their families, the window-list dialog and the number
// format dialog.
#include "GuiTestUtil.h"

#include "app/AllDataForm.h"
#include "app/RegIniFile.h"
#include "app/TbOptionForm.h"
#include "app/WindowsMenuItem.h"

#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <gtest/gtest.h>

TEST(ChildForm, AskSaveOnAModifiedWindow) {
    TMainFixture f;
    TTestFileWindow* w = f.Open(QStringLiteral("a.zem"));
    TDialogScript script;
    EXPECT_TRUE(w->AskSave()) << "an unchanged window asks nothing";
    EXPECT_TRUE(script.Questions.isEmpty());

    w->Modified = true;
    script.Answers = {false};
    EXPECT_TRUE(w->AskSave()) << "Cancel skips the save";
    EXPECT_EQ(script.Questions, (QStringList{"a.zem:\nДанные были изменены. Желаете сохранить?"}));
    EXPECT_EQ(w->SaveCount, 0);

    script.Answers = {true};
    EXPECT_TRUE(w->close());
    EXPECT_EQ(w->SaveCount, 1) << "OK saves before the window closes";
    EXPECT_TRUE(f.Main->Children().isEmpty());
}

TEST(ChildForm, ANewWindowAsksForANameWhenSavedOnClose) {
    // A new problem has no file yet: saving it on close goes through the
    // save dialog instead of writing nowhere; Cancel there keeps it open.
    TMainFixture f;
    TMainForm& m = *f.Main;
    m.Hooks.ChooseProblemType = [](QWidget*, std::string& type) {
        type = "CylSym";
        return true;
    };
    auto* w = dynamic_cast<TTestFileWindow*>(m.NewProblem(nullptr));
    ASSERT_NE(w, nullptr);
    w->Modified = true;
    TDialogScript script;
    script.Answers = {true};
    EXPECT_FALSE(w->close()) << "the save dialog was cancelled: the data stays";
    EXPECT_EQ(m.Children().size(), 1);
    script.Answers = {true};
    script.SaveNames.push_back(f.Dir() + QStringLiteral("/kept.zem"));
    EXPECT_TRUE(w->close());
    EXPECT_TRUE(QFile::exists(f.Dir() + QStringLiteral("/kept.zem")));
}

TEST(ChildForm, DependantsCloseFirstAndAreNotDuplicated) {
    TMainFixture f;
    TMainForm& m = *f.Main;
    TTestFileWindow* problem = f.Open(QStringLiteral("p.zem"));
    auto* e1 = dynamic_cast<TTestEditor*>(
        problem->OpenDependent(ChildFactory<TTestEditor>(), QStringLiteral("p.zem: shell"), 0, nullptr));
    auto* e2 = dynamic_cast<TTestEditor*>(
        problem->OpenDependent(ChildFactory<TTestEditor>(), QStringLiteral("p.zem: ring"), 1, nullptr));
    ASSERT_TRUE(e1 && e2);
    EXPECT_EQ(e1->ParentForm, problem);
    EXPECT_EQ(e1->ElemIndex, 0);
    EXPECT_EQ(e2->ElemIndex, 1);
    EXPECT_EQ(e1->ShowCount, 1) << "a window with a parent shows its data at creation";

    // The same caption brings the open editor to the front.
    m.ShowChild(problem);
    EXPECT_EQ(problem->OpenDependent(ChildFactory<TTestEditor>(), QStringLiteral("p.zem: shell"), 0, nullptr), e1);
    EXPECT_EQ(m.Children().size(), 3);
    EXPECT_EQ(m.ActiveChild(), e1);

    // A file opened inside another window (a problem of a series) is its
    // dependant and is not recorded as an open file.
    f.Touch(QStringLiteral("q.zem"));
    TFChildForm* inner = m.OpenFile(problem, QStringLiteral("q.zem"));
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->ParentForm, problem);
    m.SaveConfig();
    EXPECT_EQ(SplitCommaText(m.Store().ReadString("MAIN", "LoadedFiles", {})).size(), 2);

    // Closing the problem closes both editors first, asking about each
    // changed window.
    e1->Modified = problem->Modified = true;
    TDialogScript script;
    script.Answers = {true, true};
    EXPECT_TRUE(problem->close());
    EXPECT_EQ(script.Questions, (QStringList{"p.zem: shell:\nДанные были изменены. Желаете сохранить?",
                                             "p.zem:\nДанные были изменены. Желаете сохранить?"}));
    EXPECT_EQ(e1->SaveCount, 1);
    EXPECT_EQ(problem->SaveCount, 1);
    EXPECT_TRUE(m.Children().isEmpty());
    EXPECT_TRUE(m.WindowItems().isEmpty());
    EXPECT_FALSE(m.WindowSeparator->isVisible());
}

TEST(ChildForm, RefreshFamilyWalksUpAndDownOnce) {
    TMainFixture f;
    TTestFileWindow* problem = f.Open(QStringLiteral("p.zem"));
    auto open = [](TChildForm* parent, const char* caption) {
        return parent->OpenDependent(ChildFactory<TTestEditor>(), QString::fromUtf8(caption), 0, nullptr);
    };
    TChildForm* a = open(problem, "a");
    TChildForm* a1 = open(a, "a1");
    TChildForm* b = open(problem, "b");
    open(b, "b1");
    QStringList log;
    TTestEditor::ShowLog = &log;
    problem->ShowCount = 0;
    TChildForm::RefreshFamily(a1);
    TTestEditor::ShowLog = nullptr;
    // a1 itself, then its parent a (a1 excepted), then the problem: the
    // problem's own data and the b branch; a is not shown twice.
    EXPECT_EQ(log, (QStringList{"a1", "a", "b", "b1"}));
    EXPECT_EQ(problem->ShowCount, 1);
}

TEST(AllDataForm, EntriesMoveWithTheirObjects) {
    TAllDataForm form;
    QObject objects[3];
    form.AddSource(QStringLiteral("one"), &objects[0]);
    form.AddSource(QStringLiteral("two"), &objects[1]);
    form.AddSource(QStringLiteral("three"), &objects[2]);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Открытые файлы"));
    EXPECT_TRUE(form.IncludeBtn->isEnabled());
    EXPECT_FALSE(form.ExcludeBtn->isEnabled());
    EXPECT_FALSE(form.ExcAllBtn->isEnabled());

    // Selected entries arrive in reverse order; the entry now at the old
    // first selection is selected.
    form.SrcList->item(0)->setSelected(true);
    form.SrcList->item(2)->setSelected(true);
    form.IncludeBtnClick();
    ASSERT_EQ(form.DstList->count(), 2);
    EXPECT_EQ(form.DstList->item(0)->text(), QStringLiteral("three"));
    EXPECT_EQ(form.DstList->item(1)->text(), QStringLiteral("one"));
    EXPECT_TRUE(form.SrcList->item(0)->isSelected());
    EXPECT_TRUE(form.ExcAllBtn->isEnabled());

    form.IncAllBtnClick();
    EXPECT_EQ(form.SrcList->count(), 0);
    EXPECT_FALSE(form.IncludeBtn->isEnabled());
    form.ExcAllBtnClick();
    ASSERT_EQ(form.SrcList->count(), 3);
    for (int i = 0; i < 3; ++i) {
        const QString text = form.SrcList->item(i)->text();
        const int k = text == "one" ? 0 : text == "two" ? 1 : 2;
        EXPECT_EQ(TAllDataForm::ObjectOf(form.SrcList->item(i)), &objects[k]) << text.toStdString();
    }
    EXPECT_FALSE(form.ExcludeBtn->isEnabled());
}

TEST(TbOptionForm, NumbersDialogLoadsAndStoresTheDigits) {
    TMainFixture f;
    TMainForm& m = *f.Main;
    TTbOptionForm& d = *m.TbOptionForm;
    int width = 0, decimals = 0;
    QTimer::singleShot(0, [&] {
        width = d.WidthEdit->value();
        decimals = d.DecimalsEdit->value();
        d.WidthEdit->setValue(15);
        d.DecimalsEdit->setValue(-1);
        d.accept();
    });
    m.TableOptionsItem->trigger();
    EXPECT_EQ(width, 11);
    EXPECT_EQ(decimals, 4);
    EXPECT_EQ(m.Store().ReadInteger("Digits", "Width", 0), 15);
    EXPECT_EQ(m.Store().ReadInteger("Digits", "Decimals", 0), -1);
}
