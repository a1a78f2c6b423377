// Child windows and their families: the questions about unsaved changes on
// closing a window, "&Закрыть все" and exit; dependants.
#include "GuiTestUtil.h"

#include "app/WindowsMenuItem.h"

#include <QAbstractButton>
#include <QMessageBox>

namespace {

const QString kAsk = QStringLiteral(":\nДанные были изменены. Желаете сохранить?");

// Answers the next question about unsaved changes by clicking the button
// with Caption in the real message box, as a user would.
class TClickAnswer {
public:
    TClickAnswer() : saved_(DialogHandlers().AskSave) { DialogHandlers().AskSave = nullptr; }
    ~TClickAnswer() { DialogHandlers().AskSave = saved_; }
    void Next(const QString& caption) {
        QTimer::singleShot(0, [this, caption] { Click(caption, 0); });
    }
    QStringList Texts;
private:
    void Click(const QString& caption, int tries) {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            if (tries < 200) QTimer::singleShot(10, [this, caption, tries] { Click(caption, tries + 1); });
            return;
        }
        Texts << box->text();
        for (QAbstractButton* b : box->buttons())
            if (b->text() == caption) return QTest::mouseClick(b, Qt::LeftButton);
        ADD_FAILURE() << "no button " << caption.toStdString();
        box->reject();
    }
    std::function<TSaveAnswer(QWidget*, const QString&)> saved_;
};

}  // namespace

TEST(ChildForm, SaveDiscardOrCancelOnCloseCloseAllAndExit) {
    TMainFixture f;
    TMainForm& m = *f.Main;
    TTestFileWindow* a = f.Open(QStringLiteral("a.zem"));
    TTestFileWindow* b = f.Open(QStringLiteral("b.zem"));
    a->Modified = b->Modified = true;
    TClickAnswer answer;
    // Cancel keeps the window open and its data unchanged: on exit, on
    // "&Закрыть все" (which then leaves the other window alone too) and on
    // closing the window itself.
    answer.Next(QStringLiteral("Отмена"));
    EXPECT_FALSE(m.close());
    EXPECT_EQ(answer.Texts, QStringList{"b.zem" + kAsk});
    answer.Next(QStringLiteral("Отмена"));
    m.CloseAllItem->trigger();
    EXPECT_EQ(answer.Texts.size(), 2) << "one question, then the command ends";
    answer.Next(QStringLiteral("Отмена"));
    EXPECT_FALSE(a->close());
    EXPECT_EQ(m.Children().size(), 2);
    EXPECT_TRUE(a->Modified && b->Modified);
    EXPECT_EQ(a->SaveCount + b->SaveCount, 0);
    // Discard closes without writing; save writes first.
    answer.Next(QStringLiteral("Не сохранять"));
    EXPECT_TRUE(a->close());
    EXPECT_EQ(FileBytes(f.Path(QStringLiteral("a.zem"))), QByteArray("x")) << "the file stays as it was";
    answer.Next(QStringLiteral("Сохранить"));
    m.CloseAllItem->trigger();
    EXPECT_TRUE(m.Children().isEmpty());
    EXPECT_EQ(FileBytes(f.Path(QStringLiteral("b.zem"))), QByteArray("saved"));
    // A changed window whose save fails keeps the program open.
    TTestFileWindow* d = f.Open(QStringLiteral("d.zem"));
    d->Modified = d->FailSave = true;
    {
        TDialogScript script;
        script.Answers = {true, false};
        EXPECT_FALSE(m.close());
        EXPECT_EQ(script.Messages, (QStringList{"Ошибка записи в файл d.zem\ncannot write"}));
        EXPECT_TRUE(m.close()) << "declining the save lets the program end";
    }
}

TEST(ChildForm, SaveWritesOnlyAChangedWindowAndANewOneAsksForAName) {
    TMainFixture f;
    TMainForm& m = *f.Main;
    TTestFileWindow* w = f.Open(QStringLiteral("a.zem"));
    TDialogScript script;
    EXPECT_TRUE(w->AskSave()) << "an unchanged window asks nothing";
    m.FileMenuClick();
    EXPECT_FALSE(m.SaveItem->isEnabled());
    w->Modified = true;
    m.FileMenuClick();
    EXPECT_TRUE(m.SaveItem->isEnabled());
    // Ctrl+S keeps to the menu's rule: an unchanged window is not written.
    w->Modified = false;
    QTest::keyClick(&m, Qt::Key_S, Qt::ControlModifier);
    m.SaveItem->trigger();
    EXPECT_EQ(w->SaveCount, 0);
    // A new window has no file yet: saving it on close goes through the save
    // dialog instead of writing nowhere; Cancel there keeps it open.
    f.ChooseType("CylSym");
    auto* n = dynamic_cast<TTestFileWindow*>(m.NewProblem(nullptr));
    ASSERT_NE(n, nullptr);
    n->Modified = true;
    script.Answers = {true};
    EXPECT_FALSE(n->close()) << "the save dialog was cancelled: the data stays";
    script.Answers = {true};
    script.SaveNames.push_back(f.Path(QStringLiteral("kept.zem")));
    EXPECT_TRUE(n->close());
    EXPECT_TRUE(QFile::exists(f.Path(QStringLiteral("kept.zem"))));
}

TEST(ChildForm, DependantsCloseFirstAndAreNotDuplicated) {
    TMainFixture f;
    TMainForm& m = *f.Main;
    TTestFileWindow* problem = f.Open(QStringLiteral("p.zem"));
    auto open = [](TChildForm* parent, const char* caption, int index = 0) {
        return dynamic_cast<TTestEditor*>(
            parent->OpenDependent(ChildFactory<TTestEditor>(), QString::fromUtf8(caption), index, nullptr));
    };
    TTestEditor* e1 = open(problem, "p.zem: shell");
    ASSERT_TRUE(e1 && open(problem, "p.zem: ring", 1));
    EXPECT_EQ(e1->ShowCount, 1) << "a window with a parent shows its data at creation";
    // The same caption brings the open editor to the front.
    m.ShowChild(problem);
    EXPECT_EQ(open(problem, "p.zem: shell"), e1);
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
    // Closing the problem closes the editors first, asking about each changed window.
    e1->Modified = problem->Modified = true;
    TDialogScript script;
    script.Answers = {true, true};
    EXPECT_TRUE(problem->close());
    EXPECT_EQ(script.Questions, (QStringList{"p.zem: shell" + kAsk, "p.zem" + kAsk}));
    EXPECT_EQ(e1->SaveCount + problem->SaveCount, 2);
    EXPECT_TRUE(m.WindowItems().isEmpty());
}

TEST(ChildForm, RefreshFamilyWalksUpAndDownOnce) {
    TMainFixture f;
    TTestFileWindow* problem = f.Open(QStringLiteral("p.zem"));
    auto open = [](TChildForm* parent, const char* caption) {
        return parent->OpenDependent(ChildFactory<TTestEditor>(), QString::fromUtf8(caption), 0, nullptr);
    };
    TChildForm* a1 = open(open(problem, "a"), "a1");
    open(open(problem, "b"), "b1");
    QStringList log;
    TTestEditor::ShowLog = &log;
    problem->ShowCount = 0;
    TChildForm::RefreshFamily(a1);
    TTestEditor::ShowLog = nullptr;
    // a1 itself, then its parent a (a1 excepted), then the problem: its own
    // data and the b branch; a is not shown twice.
    EXPECT_EQ(log, (QStringList{"a1", "a", "b", "b1"}));
    EXPECT_EQ(problem->ShowCount, 1);
}
