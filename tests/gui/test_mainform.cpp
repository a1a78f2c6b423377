// The main window: menus, file commands, the recent files, the window menu
// and closing during a calculation.
#include "GuiTestUtil.h"

#include "app/AllDataForm.h"
#include "app/WindowsMenuItem.h"

#include <QMdiArea>

namespace {

QStringList WindowItemTexts(const TMainForm& main) {
    QStringList list;
    for (TWindowsMenuItem* item : main.WindowItems()) list << item->text();
    return list;
}

}  // namespace

TEST(MainForm, RecentFilesKeepFourNewestFirstWithoutDuplicates) {
    TMainFixture f;
    TMainForm& m = *f.Main;
    for (const char* name : {"a.zem", "b.zem", "c.zem", "d.zem", "e.zem"}) ASSERT_TRUE(f.Open(name));
    EXPECT_EQ(m.RecentFiles(), (QStringList{"e.zem", "d.zem", "c.zem", "b.zem"}));
    EXPECT_EQ(Captions(m.FileMenu).mid(5, 4), (QStringList{"&1 e.zem", "&2 d.zem", "&3 c.zem", "&4 b.zem"}));
    m.AddRecentFile(QStringLiteral("c.zem"));
    EXPECT_EQ(m.RecentFiles(), (QStringList{"c.zem", "e.zem", "d.zem", "b.zem"}));
    // An "&" in a name shows as itself, and the item opens its file.
    f.Touch(QStringLiteral("R&D.zem"));
    m.AddRecentFile(QStringLiteral("R&D.zem"));
    ASSERT_EQ(Captions(m.FileMenu).value(5), QStringLiteral("&1 R&&D.zem"));
    for (QAction* a : m.FileMenu->actions())
        if (a->text() == QStringLiteral("&1 R&&D.zem")) a->trigger();
    EXPECT_EQ(m.ActiveChild()->windowTitle(), QStringLiteral("R&D.zem"));
}

TEST(MainForm, OpenFailuresCloseTheWindowAndReportTheRelativePath) {
    TMainFixture f;
    TMainForm& m = *f.Main;
    TDialogScript script;
    f.Touch(QStringLiteral("big.ZEM"));
    EXPECT_EQ(m.OpenFile(nullptr, QStringLiteral("big.ZEM")), nullptr) << "extensions compare exactly";
    EXPECT_EQ(m.OpenFile(nullptr, QStringLiteral("missing.zem")), nullptr);
    // Each failure says why, and neither file becomes a recent one.
    EXPECT_EQ(script.Messages,
              (QStringList{"Ошибка чтения файла big.ZEM\nНеизвестный тип файла (ожидается .zem или .zes)",
                           "Ошибка чтения файла missing.zem\nФайл не найден"}));
    QApplication::processEvents();
    EXPECT_TRUE(m.MdiArea->subWindowList().isEmpty()) << "the half-open window is gone";
    EXPECT_TRUE(m.RecentFiles().isEmpty());
    // The open dialog gives a full path; the window shows it relative.
    QDir(f.Dir()).mkdir(QStringLiteral("sub"));
    f.Touch(QStringLiteral("sub/p.zem"));
    script.OpenNames.push_back(f.Path(QStringLiteral("sub/p.zem")));
    m.OpenItem->trigger();
    ASSERT_NE(m.ActiveChild(), nullptr);
    EXPECT_EQ(m.ActiveChild()->windowTitle(), QStringLiteral("sub/p.zem"));
    EXPECT_EQ(m.RecentFiles(), (QStringList{"sub\\p.zem"})) << "stored with \\ separators";
}

TEST(MainForm, NewProblemsAreNumberedAndSaveAsProposesTheStartDirectory) {
    TMainFixture f;
    TMainForm& m = *f.Main;
    f.ChooseType("CylSym");
    TFChildForm* first = m.NewProblem(nullptr);
    TFChildForm* second = m.NewProblem(nullptr);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(second->windowTitle(), QStringLiteral("Noname2.zem"));
    EXPECT_FALSE(QFile::exists(f.Path(QStringLiteral("Noname1.zem")))) << "nothing written to disk";
    EXPECT_EQ(m.NewSeries()->windowTitle(), QStringLiteral("Noname1.zes"));
    first->close();
    EXPECT_EQ(m.NewProblem(nullptr)->windowTitle(), QStringLiteral("Noname3.zem")) << "names are never reused";
    // Save on a window never saved asks for a name, proposing its full path.
    TDialogScript script;
    m.ShowChild(second);
    dynamic_cast<TTestFileWindow*>(second)->Modified = true;
    script.SaveNames.push_back(f.Path(QStringLiteral("shell.zem")));
    m.SaveItemClick();
    EXPECT_EQ(script.ProposedNames, (QStringList{f.Path(QStringLiteral("Noname2.zem"))}));
    EXPECT_TRUE(second->Item->text().endsWith(QStringLiteral(" shell.zem")));
    EXPECT_EQ(m.RecentFiles().first(), QStringLiteral("shell.zem"));
    EXPECT_TRUE(QFile::exists(f.Path(QStringLiteral("shell.zem"))));
    // A failed save keeps the old name and reports the chosen one.
    dynamic_cast<TTestFileWindow*>(second)->FailSave = true;
    script.SaveNames.push_back(f.Path(QStringLiteral("other.zem")));
    EXPECT_FALSE(m.SaveChildAs(second));
    EXPECT_EQ(script.Messages, (QStringList{"Ошибка записи в файл other.zem\ncannot write"}));
    EXPECT_EQ(second->windowTitle(), QStringLiteral("shell.zem"));
}

TEST(MainForm, WindowMenuListsNineAndOffersAllWindowsBeyond) {
    TMainFixture f;
    TMainForm& m = *f.Main;
    QList<TChildForm*> windows;
    for (int i = 1; i <= 9; ++i) windows << f.Open(QStringLiteral("w%1.zem").arg(i));
    EXPECT_FALSE(m.AllWindowsItem->isVisible());
    windows << f.Open(QStringLiteral("w10.zem"));
    ASSERT_EQ(m.WindowItems().size(), 9);
    EXPECT_TRUE(m.AllWindowsItem->isVisible());
    EXPECT_EQ(WindowItemTexts(m).first(), QStringLiteral("&1 w10.zem"));
    EXPECT_EQ(WindowItemTexts(m).last(), QStringLiteral("&9 w2.zem")) << "the oldest item left the menu";
    TChildForm* dropped = windows[0];
    // "Вс&е окна ..." lists the ten; choosing the dropped one puts its item
    // back into the menu and brings it to the front.
    int listed = 0;
    QTimer::singleShot(0, [&] {
        QListWidget* list = m.AllDataForm->SrcList;
        listed = list->count();
        for (int i = 0; i < list->count(); ++i)
            if (TAllDataForm::ObjectOf(list->item(i)) == dropped) list->setCurrentRow(i);
        m.AllDataForm->accept();
    });
    m.AllWindowsItem->trigger();
    EXPECT_EQ(listed, 10);
    EXPECT_EQ(m.ActiveChild(), dropped);
    EXPECT_EQ(m.WindowItems().first(), dropped->Item);
    // Closing one of ten: the remaining nine are all in the menu again, renumbered.
    windows[5]->close();
    EXPECT_FALSE(m.AllWindowsItem->isVisible());
    ASSERT_EQ(m.WindowItems().size(), 9);
    EXPECT_EQ(WindowItemTexts(m).last().section(QLatin1Char(' '), 0, 0), QStringLiteral("&9"));
}

TEST(MainForm, ClosingDuringACalculationStopsItFirst) {
    TMainFixture f;
    TMainForm& m = *f.Main;
    m.ProgressForm->SetRunning(true);
    TDialogScript script;
    script.Answers = {false, true};
    EXPECT_FALSE(m.close()) << "Cancel: the calculation and the program go on";
    EXPECT_TRUE(m.ProgressForm->Running());
    EXPECT_TRUE(m.close());
    EXPECT_FALSE(m.ProgressForm->Running());
    EXPECT_EQ(script.Questions.last(), QStringLiteral("Вы действительно хотите прервать расчет?"));
    // The progress window stays on top of everything: the question comes up
    // over it, not behind it.
    m.ProgressForm->show();
    m.ProgressForm->SetRunning(true);
    QWidget* parent = nullptr;
    DialogHandlers().Ask = [&](QWidget* p, const QString&, TMsgKind) {
        parent = p;
        return false;
    };
    EXPECT_FALSE(m.close());
    EXPECT_EQ(parent, m.ProgressForm);
    m.ProgressForm->SetRunning(false);
    m.ProgressForm->hide();
}
