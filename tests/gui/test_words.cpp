// Words and units as the windows show them: Russian unit symbols from the
// core's SI ones, the captions of the items in the editor, the new-problem
// list, and the field names in the menus.
#include "GuiTestUtil.h"

#include "views/PlotForm.h"
#include "views/ResultField.h"
#include "app/QtText.h"
#include "platform/numtext.h"

TEST(Words, UnitSymbolsShowInRussian) {
    const std::pair<const char*, const char*> symbols[] = {
        {"m", "м"},     {"N", "Н"},         {"N/m", "Н/м"}, {"N·m/m", "Н·м/м"}, {"Pa", "Па"},
        {"rad", "рад"}, {"N/m3", "Н/м³"},   {"1/m", "1/м"}, {"", ""},           {"°", "°"},
    };
    for (const auto& [si, shown] : symbols) EXPECT_EQ(DisplayUnit(si), shown) << si;
    // Every view learns units through ResultUnit: the table, the curves, the
    // map and the results page all read the same Russian symbols.
    TViewsFixture f;
    TElemForm* e = f.SolvedEditor();
    EXPECT_EQ(ResultUnit(f.Root(), "M1"), "Н·м/м");
    EXPECT_EQ(FieldTitle(f.Root(), "w"), "w, м");
    e->TableItemClick(true, 0);
    TTableForm* t = f.Views->TableForm;
    EXPECT_EQ(t->Grid->Cell(0, 0), QStringLiteral("x, м"));
    EXPECT_EQ(t->Grid->Cell(1, 0), QStringLiteral("w, м"));
    EXPECT_TRUE(t->windowTitle().contains(QStringLiteral("w, м"))) << t->windowTitle();
    e->GraphItemClick(true, 4);
    EXPECT_TRUE(f.Views->GraphForm->windowTitle().contains(QStringLiteral("M1, Н·м/м"))) << f.Views->GraphForm->windowTitle();
    for (const QString& text : {t->windowTitle(), f.Views->GraphForm->windowTitle()})
        for (const char* latin : {", m", "N/m", "Pa", "rad"}) EXPECT_FALSE(text.contains(QLatin1String(latin))) << text;
    // The menus name what a field is, with its unit.
    EXPECT_EQ(FieldMenuText(f.Root(), "w"), "w — радиальный прогиб, м");
    EXPECT_THAT(Captions(e->TableResultItem), ::testing::Contains(QStringLiteral("M1 — изгибающий момент, Н·м/м")));
}

TEST(Words, RingTableShowsTheAngleBesideTheArcLength) {
    TViewsFixture f("Ring");
    TElemForm* e = f.SolvedEditor();
    e->TableItemClick(true, 0);
    TTableForm* t = f.Views->TableForm;
    t->ReadableItemClick(false);  // every digit of the arc length
    const int rows = t->Grid->RowCount();
    ASSERT_GT(rows, 3);
    EXPECT_EQ(t->Grid->Cell(0, 0), QStringLiteral("s, м"));
    EXPECT_EQ(t->Grid->Cell(1, 0), QStringLiteral("θ, °"));
    // Angle = arc length / R in degrees, the last node on top as the rest.
    const double r = std::stod(f.Item("PARAMS", "R"));
    for (int row : {1, rows - 1}) {
        const double s = zem::StrToReal(Std(t->Grid->Cell(0, row)));
        EXPECT_NEAR(static_cast<double>(zem::StrToReal(Std(t->Grid->Cell(1, row)))), static_cast<double>(s) / r * 180 / M_PI, 1e-3) << row;
    }
    // The values stay in their column and "&MinMax" lands on a value cell.
    EXPECT_EQ(t->Grid->Cell(2, 1), QString::fromStdString(t->Table().Text(1, 1)));
    EXPECT_EQ(t->Grid->CurrentCell().Col, 2);
    EXPECT_EQ(t->Table().ColCount(), 2) << "the export and the copy read the element's table";
}

TEST(Words, EditorCaptionsNameTheRightUnitsAndNoTypos) {
    zem::RegisterProblemTypes();
    for (const char* type : {"CylSym", "CylTech", "CompCylTech", "CylPanel"}) {
        TViewsFixture f(type);
        TElemForm* e = f.OpenEditor();
        ASSERT_TRUE(e);
        QStringList seen;
        for (QWidget* sheet : {e->ParameterSheet, e->BoundSheet, e->LoadSheet}) {
            if (!e->PageControl->isTabVisible(e->PageControl->indexOf(sheet))) continue;
            e->PageControl->setCurrentWidget(sheet);
            QTableWidget* grid = e->ActiveGrid();
            for (int r = 0; r < grid->rowCount(); ++r) {
                grid->setCurrentCell(r, 1);
                const QString key = grid->item(r, 0)->text(), hint = e->HintLabel->text();
                seen << hint;
                SCOPED_TRACE(std::string(type) + " " + Std(key) + ": " + Std(hint));
                EXPECT_FALSE(hint.contains(QStringLiteral("(H)"))) << "a Latin H for newtons";
                for (const char* typo : {"Гидростатат", "Коэфициент", "плотность"})
                    EXPECT_FALSE(hint.contains(QString::fromUtf8(typo)));
                if (key.startsWith(QLatin1Char('M')) && key.contains(QLatin1Char('_'))) {
                    EXPECT_TRUE(hint.contains(QStringLiteral("(Н·м/м)")));
                }
                if (QRegularExpression(QStringLiteral("^[NSQ][12]_")).match(key).hasMatch()) {
                    EXPECT_TRUE(hint.contains(QStringLiteral("(Н/м)")));
                }
                if (key.startsWith(QStringLiteral("dw_"))) {
                    EXPECT_TRUE(hint.contains(QStringLiteral("(рад)")));
                }
                if (key == QStringLiteral("Gidr")) {
                    EXPECT_TRUE(hint.contains(QStringLiteral("удельный вес")));
                    EXPECT_TRUE(hint.contains(QStringLiteral("9 810")));
                }
            }
        }
        EXPECT_FALSE(seen.isEmpty()) << type;
    }
}

TEST(Words, NewProblemListShowsCaptionsPurposesAndSketches) {
    TProblemFixture f;
    TPbTypeForm& types = f.Types();
    ASSERT_EQ(types.ListBox->count(), zem::kProblemTypeCount);
    for (int i = 0; i < zem::kProblemTypeCount; ++i) {
        const QListWidgetItem* item = types.ListBox->item(i);
        const QString code = QString::fromStdString(zem::ProblemTypeName(i));
        SCOPED_TRACE(Std(code));
        const QStringList lines = item->text().split(QLatin1Char('\n'));
        ASSERT_EQ(lines.size(), 2);
        EXPECT_EQ(lines[0], code + QStringLiteral(" — ") + QString::fromStdString(zem::ProblemTypeCaption(i)));
        EXPECT_GT(lines[1].trimmed().size(), 10) << "what the type is for";
        EXPECT_FALSE(item->icon().isNull());
    }
    // The sketch tells a ring from a cylinder.
    const QImage ring = DrawShellSketch(TShellSketch::Ring, QSize(44, 40)).toImage();
    const QImage cylinder = DrawShellSketch(TShellSketch::Cylinder, QSize(44, 40)).toImage();
    EXPECT_NE(ring, cylinder);
    EXPECT_EQ(ShellSketchOf("CylRingP"), TShellSketch::CylinderRing);
    // The row is still the type index.
    types.ListBox->setCurrentRow(zem::ProblemTypeByName("Ring"));
    EXPECT_TRUE(types.DescriptText->text().contains(QStringLiteral("Для чего: ")));
    EXPECT_EQ(types.TypeIndex(), zem::ProblemTypeByName("Ring"));
}
