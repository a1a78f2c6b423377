// Words and units as the windows show them: Russian unit symbols from the
// core's SI ones, the new-problem list, and the field names in the menus
// (the editor's hints: test_editor_input).
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
