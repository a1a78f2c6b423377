// The series window: its file, its members and their windows, the member
// text, the check and the series run.
#include "GuiTestUtil.h"

#include "problem/PbSeries.h"
#include "views/SeriesForm.h"

namespace {

struct TSeriesFixture : TProblemFixture {
    TSeriesFixture() {
        for (const char* name : {"a.zem", "b.zem", "c.zem"}) WriteCylinder(QString::fromLatin1(name));
    }
    // A new series with the members added through its list menu.
    TSeriesForm* NewSeries(const QStringList& members) {
        auto* s = qobject_cast<TSeriesForm*>(Main().NewSeries());
        for (const QString& m : members) {
            Script.OpenNames.push_back(Path(m));
            s->AddItemClick();
        }
        return s;
    }
    std::vector<std::string> File(const QString& name) { return zem::ReadTextFile(Path(name).toStdString()); }
};

std::vector<std::string> Paths(const TSeriesForm& s) {
    std::vector<std::string> paths;
    for (int i = 0; i < s.MemberCount(); ++i) paths.push_back(s.MemberPath(i));
    return paths;
}

}  // namespace

TEST(SeriesForm, FileMembersAndMemberText) {
    TSeriesFixture f;
    TSeriesForm* s = f.NewSeries({"a.zem", "b.zem", "c.zem"});
    ASSERT_TRUE(s);
    // Saved: FILES in list order, then the two texts.
    TypeInto(s->ResDataMemo, QStringLiteral("w(0);"));
    f.Script.SaveNames = {f.Path(QStringLiteral("set.zes"))};
    ASSERT_TRUE(f.Main().SaveChild(s));
    EXPECT_EQ(f.File(QStringLiteral("set.zes")),
              (std::vector<std::string>{"[ZEM SERIES]", "#FILES", "a.zem", "b.zem", "c.zem", "#RESULT DATA", "w(0);",
                                        "#RESULT"}));
    // Deleting the last member selects the new last one.
    f.Script.Answers = {true};
    s->DeleteItemClick();
    EXPECT_EQ(f.Script.Questions, QStringList{"Желаете удалить текущую позицию?"});
    EXPECT_EQ(Paths(*s), (std::vector<std::string>{"a.zem", "b.zem"}));
    EXPECT_EQ(s->FileListBox->currentRow(), 1);
    EXPECT_EQ(MemoLines(s->FileMemo).value(1), QStringLiteral("CylSym"));
    // The member text written back into its file; an empty one is refused;
    // leaving a changed text asks to keep it.
    TypeInto(s->FileMemo, MemoText(s->FileMemo).replace(QStringLiteral("simple"), QStringLiteral("astim")));
    s->FileMemoSaveItemClick();
    EXPECT_EQ(f.File(QStringLiteral("b.zem"))[5], "CalcType= astim");
    TypeInto(s->FileMemo, QString());
    EXPECT_THROW(s->FileMemoSaveItemClick(), zem::ZemError);
    f.Script.Answers = {false};
    s->FileListBox->setCurrentRow(0);
    EXPECT_EQ(f.Script.Questions.size(), 2);
    EXPECT_EQ(f.File(QStringLiteral("b.zem"))[5], "CalcType= astim");
    // A member that is gone shows no text and no error; a file that is no
    // series does not open.
    zem::WriteTextFile(f.Path(QStringLiteral("old.zes")).toStdString(),
                       {"[ZEM SERIES]", "#RESULT", "done", "#FILES", "gone.zem", "a.zem"});
    auto* old = qobject_cast<TSeriesForm*>(f.Main().OpenFile(nullptr, QStringLiteral("old.zes")));
    ASSERT_TRUE(old);
    EXPECT_EQ(Paths(*old), (std::vector<std::string>{"gone.zem", "a.zem"}));
    EXPECT_TRUE(MemoText(old->FileMemo).isEmpty());
    EXPECT_TRUE(f.Script.Messages.isEmpty());
    QFile::copy(f.Path(QStringLiteral("a.zem")), f.Path(QStringLiteral("bad.zes")));
    EXPECT_FALSE(f.Main().OpenFile(nullptr, QStringLiteral("bad.zes")));
    ASSERT_EQ(f.Script.Messages.size(), 1);
    EXPECT_TRUE(f.Script.Messages[0].startsWith(QStringLiteral("Ошибка чтения файла bad.zes\n"))) << "and why";
}

TEST(SeriesForm, MembersOpenAsWindowsOfTheSeries) {
    TSeriesFixture f;
    TSeriesForm* s = f.NewSeries({"a.zem", "b.zem"});
    s->FileListBox->setCurrentRow(0);
    s->OpenItemClick();
    ASSERT_TRUE(s->MemberWindow(0));
    EXPECT_EQ(s->MemberWindow(0)->ParentForm, s);
    // A new member follows its window when that is saved under a name.
    f.F.ChooseType("CylSym");
    s->NewItemClick();
    ASSERT_EQ(s->MemberCount(), 3);
    ASSERT_TRUE(f.SaveAs(qobject_cast<TProblemForm*>(s->MemberWindow(2)), QStringLiteral("d.zem")));
    EXPECT_EQ(s->FileListBox->item(2)->text(), QStringLiteral("d.zem"));
    // Check: every member, those without a window opened for it and closed.
    const int before = f.Main().Children().size();
    s->CheckItemClick();
    ASSERT_EQ(f.Script.Messages.size(), 3);
    for (const QString& m : f.Script.Messages)
        EXPECT_TRUE(m.startsWith(QStringLiteral("Ошибок не найдено"))) << m;  // coarse members add the mesh warning
    QTest::qWait(1);
    EXPECT_EQ(f.Main().Children().size(), before);
    // Deleting a member closes its window.
    s->FileListBox->setCurrentRow(0);
    f.Script.Answers = {true};
    s->DeleteItemClick();
    QTest::qWait(1);
    EXPECT_EQ(f.Main().Children().size(), before - 1);
}

TEST(SeriesForm, RunCalculatesEveryMemberAndFillsTheResult) {
    TSeriesFixture f;
    TSeriesForm* s = f.NewSeries({"a.zem", "b.zem"});
    f.Script.SaveNames = {f.Path(QStringLiteral("run.zes"))};
    ASSERT_TRUE(f.Main().SaveChild(s));
    zem::WriteTextFile(f.Path(QStringLiteral("gone.zem")).toStdString(), {"[ZEM CAD 2]"});
    f.Script.OpenNames = {f.Path(QStringLiteral("gone.zem"))};
    s->AddItemClick();
    QFile::remove(f.Path(QStringLiteral("gone.zem")));
    s->FileListBox->setCurrentRow(0);
    s->OpenItemClick();  // a runs in its window, b from its file
    auto* a = qobject_cast<TProblemForm*>(s->MemberWindow(0));
    ASSERT_TRUE(a);
    s->RunItemClick();
    EXPECT_THROW(s->RunItemClick(), zem::ZemError) << "one run at a time";
    ASSERT_TRUE(f.WaitIdle());
    ASSERT_FALSE(s->Running());
    // The members got their results (the window's member in its window), the
    // series its text: each member by name, the one that is gone with why.
    EXPECT_TRUE(a->Problem->Calculated());
    EXPECT_TRUE(QFile::exists(f.Path(QStringLiteral("b.res"))));
    const QStringList result = MemoLines(s->ResultMemo);
    ASSERT_GE(result.size(), 5);
    EXPECT_EQ(result[0], QStringLiteral("a.zem"));
    EXPECT_TRUE(result.contains(QStringLiteral("b.zem")));
    EXPECT_TRUE(result.last().startsWith(QStringLiteral("gone.zem: "))) << result.last();
    EXPECT_EQ(zem::ReadSeriesFile(f.Path(QStringLiteral("run.zes")).toStdString()).Result.size(),
              static_cast<std::size_t>(result.size()));
    EXPECT_EQ(f.Turn().Turn().Ready(), (std::vector<std::string>{"a.zem", "b.zem"}));
}

TEST(SeriesForm, MemberWindowOpensItsElementEditor) {
    TSeriesFixture f;
    InstallViews(f.Main());
    TSeriesForm* s = f.NewSeries({"a.zem"});
    s->FileListBox->setCurrentRow(0);
    s->OpenItemClick();
    auto* member = qobject_cast<TProblemForm*>(s->MemberWindow(0));
    ASSERT_TRUE(member);
    f.Main().ShowChild(member);
    // A double click on the object text, as "&Объект" does.
    QTest::mouseDClick(member->ObjectMemo->viewport(), Qt::LeftButton);
    QTest::qWait(1);
    QPointer<TElemForm> editor = DependentOf<TElemForm>(member);
    ASSERT_TRUE(editor);
    QTest::qWait(1);
    ASSERT_TRUE(editor) << "the editor stays open";
    EXPECT_EQ(editor->ProblemForm, member);
}
