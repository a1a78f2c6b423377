// The series window: its file, its members and their windows, the member
// text, the check and the series run.
#include "GuiTestUtil.h"

#include "problem/PbSeries.h"
#include "views/SeriesForm.h"

#include <QComboBox>
#include <QTableWidget>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include "views/PlotZoom.h"

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
    ASSERT_TRUE(QTest::qWaitFor([&] { return !s->Running(); }, 30000));
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
    EXPECT_EQ(f.Turn().Turn().Ready(), (std::vector<std::string>{"a.zem"})) << "b went to the pool, not the queue";
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

TEST(SeriesForm, ASweepRunsAsAStudyTableWithItsCurve) {
    TSeriesFixture f;
    TSeriesForm* s = f.NewSeries({"a.zem"});
    s->FileListBox->setCurrentRow(0);
    EXPECT_THROW(s->Sweep("t=1:2"), zem::ZemError);
    EXPECT_THROW(s->Sweep("nosuch=1:2:2"), zem::ZemError);
    ASSERT_EQ(s->MemberCount(), 1) << "a refused sweep adds nothing";
    s->Sweep("t=0.01:0.02:3");
    ASSERT_EQ(Paths(*s), (std::vector<std::string>{"a.zem", "a_t0.01.zem", "a_t0.015.zem", "a_t0.02.zem"}));
    EXPECT_EQ(s->Parameters(), std::vector<std::string>{"t"});
    // The template leaves; a member that cannot be read joins.
    s->FileListBox->setCurrentRow(0);
    f.Script.Answers = {true};
    s->DeleteItemClick();
    zem::WriteTextFile(f.Path(QStringLiteral("gone.zem")).toStdString(), {"[ZEM CAD 2]"});
    f.Script.OpenNames = {f.Path(QStringLiteral("gone.zem"))};
    s->AddItemClick();
    TypeInto(s->ResDataMemo, QStringLiteral("max |w|\nw(0)"));
    f.Script.SaveNames = {f.Path(QStringLiteral("study.zes"))};
    ASSERT_TRUE(f.Main().SaveChild(s));
    s->RunItemClick();
    ASSERT_TRUE(f.WaitIdle());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !s->Running(); }, 30000));

    // A row per member, a column per request with its unit; the failed row says why.
    const QStringList table = MemoLines(s->ResultMemo);
    ASSERT_EQ(table.size(), 5) << table.join('\n').toStdString();
    EXPECT_EQ(table[0], QStringLiteral("member,t,mesh,mesh guard,max |w| [m],w(0) [m],error"));
    std::vector<double> wmax;
    for (int r = 1; r <= 3; ++r) {
        const QStringList cells = table[r].split(',');
        EXPECT_EQ(cells[1].toDouble(), 0.01 + 0.005 * (r - 1)) << table[r].toStdString();
        wmax.push_back(cells[4].toDouble());
        EXPECT_TRUE(cells[6].isEmpty()) << table[r].toStdString();
    }
    EXPECT_GT(wmax[0], wmax[1]);
    EXPECT_GT(wmax[1], wmax[2]) << "a thicker wall bends less";
    EXPECT_TRUE(table[4].startsWith(QStringLiteral("gone.zem,,,,,,"))) << table[4].toStdString();
    EXPECT_GT(table[4].size(), QStringLiteral("gone.zem,,,,,,").size()) << "the reason is given";

    // The grid and the curve of the chosen request against t, the failed member left out.
    EXPECT_EQ(s->ResultGrid->rowCount(), 4);
    EXPECT_EQ(s->ResultGrid->columnCount(), 7);
    EXPECT_EQ(s->ResultGrid->item(2, 4)->toolTip(), table[3].split(',')[4]) << "every digit in the tip";
    EXPECT_LE(s->ResultGrid->item(2, 4)->text().size(), 10) << "a readable answer";
    ASSERT_EQ(s->ChartFieldBox->count(), 2);
    EXPECT_EQ(s->ChartFieldBox->currentText(), QStringLiteral("max |w| [m]"));
    const auto series = static_cast<QChartView*>(s->ResultChart)->chart()->series();
    ASSERT_FALSE(series.isEmpty());
    const QList<QPointF> points = static_cast<QLineSeries*>(series.front())->points();
    ASSERT_EQ(points.size(), 3);
    EXPECT_EQ(points[2], QPointF(0.02, wmax[2]));

    // Saved with the series, parameters included; exported as it stands.
    const zem::TSeriesFile saved = zem::ReadSeriesFile(f.Path(QStringLiteral("study.zes")).toStdString());
    EXPECT_EQ(saved.Parameters, std::vector<std::string>{"t"});
    EXPECT_EQ(saved.Result.size(), 5u);
    s->ExportTable(f.Path(QStringLiteral("t.csv")).toStdString());
    QFile csv(f.Path(QStringLiteral("t.csv")));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(csv.readAll()), table.join('\n') + '\n');
}

TEST(SeriesForm, SeveralRequestsAndMembersShareTheChartsOfAStudy) {
    TSeriesFixture f;
    TSeriesForm* s = f.NewSeries({"a.zem"});
    s->FileListBox->setCurrentRow(0);
    s->Sweep("t=0.01:0.02:3 R=4:6:2");
    s->FileListBox->setCurrentRow(0);
    f.Script.Answers = {true};
    s->DeleteItemClick();  // the template leaves
    ASSERT_EQ(s->MemberCount(), 6);
    TypeInto(s->ResDataMemo, QStringLiteral("max |w|\nM1(0)\nw(0)"));
    f.Script.SaveNames = {f.Path(QStringLiteral("study.zes"))};
    ASSERT_TRUE(f.Main().SaveChild(s));
    s->RunItemClick();
    ASSERT_TRUE(f.WaitIdle());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !s->Running(); }, 60000));
    const QStringList table = MemoLines(s->ResultMemo);
    ASSERT_EQ(table.size(), 7) << table.join('\n').toStdString();
    // header: member,t,R,mesh,mesh guard,max |w| [m],M1(0) [N·m/m],w(0) [m],error
    auto cell = [&](int row, int col) { return table[row].split(',')[col].toDouble(); };

    // Against t, a curve per value of R; further requests on the axis of their unit.
    s->SetMoreColumns({QStringLiteral("M1(0) [N·m/m]"), QStringLiteral("w(0) [m]")});
    QChart* chart = static_cast<QChartView*>(s->ResultChart)->chart();
    const QList<QAbstractSeries*> curves = chart->series();
    ASSERT_EQ(curves.size(), 6);
    const QList<QAbstractAxis*> vertical = chart->axes(Qt::Vertical);
    ASSERT_EQ(vertical.size(), 2);
    EXPECT_EQ(vertical[0]->titleText(), QStringLiteral("max |w|, w(0), м"));
    EXPECT_EQ(vertical[1]->titleText(), QStringLiteral("M1(0), Н·м/м"));
    struct TExpected {
        const char* Name;
        int Column;
        int Axis;
    };
    const TExpected expected[] = {{"max |w|; R = 4", 5, 0}, {"max |w|; R = 6", 5, 0}, {"M1(0); R = 4", 6, 1},
                                  {"M1(0); R = 6", 6, 1},   {"w(0); R = 4", 7, 0},    {"w(0); R = 6", 7, 0}};
    for (int k = 0; k < 6; ++k) {
        auto* line = static_cast<QLineSeries*>(curves[k]);
        EXPECT_EQ(line->name(), QString::fromUtf8(expected[k].Name));
        EXPECT_TRUE(line->attachedAxes().contains(vertical[expected[k].Axis])) << expected[k].Name;
        const QList<QPointF> points = line->points();
        ASSERT_EQ(points.size(), 3) << expected[k].Name;
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(points[i].x(), 0.01 + 0.005 * i, 1e-12);
            // The member of that t and R in the table.
            const QString r = QString::fromUtf8(expected[k].Name).section(QStringLiteral("R = "), 1);
            int row = 1;
            while (row < 7 && !(cell(row, 1) == points[i].x() && table[row].split(',')[2] == r)) ++row;
            ASSERT_LT(row, 7) << expected[k].Name << " " << i;
            EXPECT_EQ(points[i].y(), cell(row, expected[k].Column)) << expected[k].Name << " " << i;
        }
    }

    // M1 along the axis for every member on one chart: a curve per member,
    // named by its values, whose bottom value is the table's M1(0).
    s->ResultPages->setCurrentWidget(s->AlongPage);
    const int m1 = s->AlongFieldBox->findData(QStringLiteral("M1"));
    ASSERT_GE(m1, 0);
    s->AlongFieldBox->setCurrentIndex(m1);
    QChart* along = static_cast<QChartView*>(s->AlongChart)->chart();
    ASSERT_EQ(along->series().size(), 6);
    EXPECT_EQ(along->axes(Qt::Vertical).value(0)->titleText(), QStringLiteral("M1, Н·м/м"));
    for (int row = 1; row <= 6; ++row) {
        const QStringList cells = table[row].split(',');
        const QString name = QStringLiteral("t = %1, R = %2").arg(cells[1], cells[2]);
        QLineSeries* line = nullptr;
        for (QAbstractSeries* a : along->series())
            if (a->name() == name) line = static_cast<QLineSeries*>(a);
        ASSERT_NE(line, nullptr) << name.toStdString();
        ASSERT_GT(line->count(), 2);
        EXPECT_EQ(line->at(0).x(), 0.0);
        EXPECT_NEAR(line->at(0).y(), cell(row, 6), 1e-9 * std::fabs(cell(row, 6))) << name.toStdString();
    }
    EXPECT_TRUE(along->legend()->isVisible());
    EXPECT_FALSE(s->AlongZoom->Zoomed());
}
