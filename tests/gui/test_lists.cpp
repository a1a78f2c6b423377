// The queue and series windows as a user works them: titled lists, buttons
// for the pop-up commands, several files from one dialog or dropped from a
// file manager, and the state and time of every entry.
#include "GuiTestUtil.h"

#include "calc/Turn.h"
#include "views/SeriesForm.h"

#include <QMimeData>
#include <QUrl>

namespace {

// Drops Files (full paths) from outside the program onto Target at Pos.
void DropFiles(QWidget* target, const QStringList& files, QPoint pos = {5, 5}) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& f : files) urls << QUrl::fromLocalFile(f);
    data.setUrls(urls);
    QDragEnterEvent enter(pos, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    ASSERT_TRUE(enter.isAccepted()) << "problem files are taken";
    QDropEvent drop(QPointF(pos), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    EXPECT_TRUE(drop.isAccepted());
}

QStringList States(const QListWidget* list) {
    QStringList states;
    for (int i = 0; i < list->count(); ++i) states << EntryState(list->item(i));
    return states;
}

}  // namespace

TEST(QueueWindow, LabelledListsButtonsSeveralFilesAndEntryStates) {
    TProblemFixture f;
    TTurnForm& turn = f.Turn();
    for (const char* name : {"a.zem", "b.zem", "c.zem"}) f.WriteCylinder(QString::fromLatin1(name));
    zem::WriteTextFile(f.Path(QStringLiteral("bad.zem")).toStdString(), {"not a problem"});
    EXPECT_FALSE(turn.WDeleteBtn->isEnabled()) << "nothing selected";

    // Two files from one dialog, through the button.
    f.Script.OpenNames.push_back(f.Path(QStringLiteral("a.zem")) + QLatin1Char('\n') + f.Path(QStringLiteral("b.zem")));
    QTest::mouseClick(turn.WAddBtn, Qt::LeftButton);
    EXPECT_EQ(ListTexts(turn.WaitingListBox), (QStringList{"a.zem", "b.zem"}));
    EXPECT_TRUE(EntryState(turn.WaitingListBox->item(0)).startsWith(QStringLiteral("считается с ")));
    EXPECT_TRUE(EntryState(turn.WaitingListBox->item(1)).startsWith(QStringLiteral("ожидает с ")));
    // A file dropped from a file manager, and one that cannot be calculated.
    DropFiles(turn.WaitingListBox->viewport(), {f.Path(QStringLiteral("c.zem")), f.Path(QStringLiteral("bad.zem"))},
              QPoint(5, 5000));  // below the last entry
    ASSERT_TRUE(f.WaitIdle());
    EXPECT_EQ(ListTexts(turn.ReadyListBox), (QStringList{"a.zem", "b.zem", "c.zem"}));
    for (const QString& state : States(turn.ReadyListBox))
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^рассчитана \\d\\d:\\d\\d:\\d\\d за \\d\\d:\\d\\d$")).match(state).hasMatch())
            << state;
    EXPECT_TRUE(turn.StatusLabel->isVisibleTo(&turn));
    EXPECT_TRUE(turn.StatusLabel->text().startsWith(QStringLiteral("Не рассчитана: bad.zem — "))) << turn.StatusLabel->text();

    // The buttons of the finished list: delete after the question.
    turn.ReadyListBox->setCurrentRow(1);
    ASSERT_TRUE(turn.RDeleteBtn->isEnabled());
    f.Script.Answers = {true};
    QTest::mouseClick(turn.RDeleteBtn, Qt::LeftButton);
    EXPECT_EQ(ListTexts(turn.ReadyListBox), (QStringList{"a.zem", "c.zem"}));
    // A file already waiting is named; the others of the same choice go in.
    f.Script.Messages.clear();
    f.Script.OpenNames.push_back(f.Path(QStringLiteral("a.zem")) + QLatin1Char('\n') + f.Path(QStringLiteral("a.zem")) +
                                 QLatin1Char('\n') + f.Path(QStringLiteral("b.zem")));
    QTest::mouseClick(turn.WAddBtn, Qt::LeftButton);
    ASSERT_EQ(f.Script.Messages.size(), 1);
    EXPECT_EQ(f.Script.Messages[0], QStringLiteral("a.zem: Файл с таким именем в очереди уже есть!"));
    EXPECT_EQ(ListTexts(turn.WaitingListBox), (QStringList{"a.zem", "b.zem"}));
    ASSERT_TRUE(f.WaitIdle());
}

TEST(SeriesWindow, LabelledListButtonsSeveralFilesAndMemberStates) {
    TProblemFixture f;
    for (const char* name : {"a.zem", "b.zem", "c.zem"}) f.WriteCylinder(QString::fromLatin1(name));
    auto* s = qobject_cast<TSeriesForm*>(f.Main().NewSeries());
    ASSERT_TRUE(s);
    EXPECT_FALSE(s->RunBtn->isEnabled()) << "an empty series has nothing to run";
    f.Script.OpenNames.push_back(f.Path(QStringLiteral("a.zem")) + QLatin1Char('\n') + f.Path(QStringLiteral("b.zem")));
    QTest::mouseClick(s->AddBtn, Qt::LeftButton);
    DropFiles(s->FileListBox->viewport(), {f.Path(QStringLiteral("c.zem")), f.Path(QStringLiteral("missing.zem"))});
    ASSERT_EQ(s->MemberCount(), 3) << "only existing files join";
    EXPECT_EQ(s->MemberPath(2), "c.zem");
    EXPECT_TRUE(s->IsModified());
    ASSERT_TRUE(s->RunBtn->isEnabled());
    QTest::mouseClick(s->RunBtn, Qt::LeftButton);
    EXPECT_EQ(EntryState(s->FileListBox->item(2)), QStringLiteral("в очереди"));
    EXPECT_FALSE(s->RunBtn->isEnabled()) << "one run at a time";
    ASSERT_TRUE(f.WaitIdle());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !s->Running(); }, 30000)) << "members on the worker pool";
    for (const QString& state : States(s->FileListBox)) EXPECT_TRUE(state.startsWith(QStringLiteral("рассчитана "))) << state;
    EXPECT_TRUE(s->RunBtn->isEnabled());
    EXPECT_FALSE(MemoText(s->ResultMemo).isEmpty());
}
