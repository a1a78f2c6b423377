// Input help of the element editor: formats with examples, the fixings of
// the ends, Apply that keeps the results of an unchanged text, undo and redo.
#include "GuiTestUtil.h"

#include "app/QtText.h"
#include "views/ElementHelp.h"

#include <QGroupBox>
#include <QRegularExpression>

namespace {

double LargestDeflection(TViewsFixture& f, TElemForm* e) {
    e->TableItemClick(true, 0);
    double largest = 0;
    RowOfLargest(f.Views->TableForm->Grid, largest);
    return largest;
}

}  // namespace

// Every item's hint names the right Russian unit without typos, and its
// format comes with an example.
TEST(ElementInput, EveryItemOfEveryTypeShowsItsUnitAndAFormatWithAnExample) {
    zem::RegisterProblemTypes();
    for (int i = 0; i < zem::kProblemTypeCount; ++i) {
        if (!zem::ProblemTypeAvailable(i)) continue;
        const std::string type = zem::ProblemTypeName(i);
        TViewsFixture f(type);
        TElemForm* e = f.OpenEditor();
        ASSERT_TRUE(e);
        int rows = 0;
        for (QWidget* sheet : {e->ParameterSheet, e->BoundSheet, e->LoadSheet, e->MeshSheet}) {
            if (!e->PageControl->isTabVisible(e->PageControl->indexOf(sheet))) continue;
            e->PageControl->setCurrentWidget(sheet);
            QTableWidget* grid = e->ActiveGrid();
            for (int r = 0; r < grid->rowCount(); ++r, ++rows) {
                grid->setCurrentCell(r, 1);
                const QString key = grid->item(r, 0)->text(), hint = e->HintLabel->text();
                SCOPED_TRACE(type + " " + Std(key) + ": " + Std(hint));
                EXPECT_TRUE(e->TypeLabel->text().contains(QStringLiteral("Пример: "))) << Std(e->TypeLabel->text());
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
        EXPECT_GT(rows, 0) << type;
    }
    // The region loads, which carry no hint of their own, and the values
    // around a circumference of a surface.
    EXPECT_NE(ItemFormatText("q_Rect", "", true).find("x0, y0, x1, y1, q"), std::string::npos);
    EXPECT_NE(ItemFormatText("w_Rect", "", true).find("квадрат радиуса"), std::string::npos);
    EXPECT_NE(ItemFormatText("w_top", "Real", true).find("ряд Фурье"), std::string::npos);
    EXPECT_EQ(ItemFormatText("w_top", "Real", false).find("ряд Фурье"), std::string::npos);
}

TEST(ElementInput, FixingsFillTheirEndAndTheProblemSolves) {
    zem::RegisterProblemTypes();
    for (const char* type : {"CylSym", "CompCylSym", "CylSym2", "CylTech", "CompCylTech", "CylTech2_1", "CylTech2_2",
                             "CylLave", "CylRing", "CylPanel"}) {
        const int index = zem::ProblemTypeByName(type);
        if (index < 0 || !zem::ProblemTypeAvailable(index)) continue;
        TViewsFixture f(type);
        TElemForm* e = f.OpenEditor();
        const std::vector<TBoundEnd> ends = BoundEndsOf(f.Root().Bounds());
        const int count = static_cast<int>(ends.size());
        ASSERT_GT(count, 0) << type;
        EXPECT_EQ(e->PresetPanel->findChildren<QGroupBox*>().size(), count) << "one group of buttons per end";
        for (int end = 0; end < count; ++end) {
            const TBoundEnd& bound = ends[static_cast<std::size_t>(end)];
            for (int p = 0; p < static_cast<int>(bound.Presets.size()); ++p) {
                // The opposite end clamped, so that every fixing of this one
                // leaves the shell held.
                if (count > 1 && bound.Caption != "Лево" && bound.Caption != "Право") e->PresetClick(end == 0 ? 1 : 0, 0);
                e->PresetClick(end, p);
                const TBoundPreset& preset = bound.Presets[static_cast<std::size_t>(p)];
                for (const auto& [key, value] : preset.Values)
                    EXPECT_EQ(f.Item("BOUNDS", key.c_str()), value) << type << " " << preset.Caption << " " << key;
                EXPECT_FALSE(e->IsModified());
                // A lone end left free (or free to slide) lets the shell move as a whole.
                if (count == 1 && p >= 2) continue;
                EXPECT_NO_THROW(f.Calculate()) << type << " " << bound.Caption << " " << preset.Caption;
                EXPECT_TRUE(f.Window->Problem->Calculated());
            }
        }
    }
}

TEST(ElementInput, ApplyKeepsTheResultsUntilTheTextReallyChanges) {
    TViewsFixture f("CylSym");
    TElemForm* e = f.OpenEditor();
    f.Calculate();
    const double solved = LargestDeflection(f, e);
    const int shown = f.Window->ShowCount;
    // The same value written another way, and the same text retyped.
    SetGridValue(e->ParamGrid, QStringLiteral("R"), QStringLiteral("10.0"));
    e->GridsChanged = true;  // as a key typed in the grid marks it
    e->ApplyItemClick();
    TypeInto(e->DataMemo, e->DataMemo->toPlainText());
    e->ApplyBtn->click();
    EXPECT_FALSE(e->IsModified());
    EXPECT_TRUE(f.Window->Problem->Calculated());
    EXPECT_EQ(f.Window->ShowCount, shown) << "nothing to show anew";
    EXPECT_FALSE(e->CanUndo()) << "no step was made";
    EXPECT_DOUBLE_EQ(LargestDeflection(f, e), solved) << "the results read as before";
    // A real change throws them away.
    SetGridValue(e->ParamGrid, QStringLiteral("t"), QStringLiteral("0.012"));
    e->ApplyItem->trigger();
    EXPECT_FALSE(f.Window->Problem->Calculated());
    EXPECT_GT(f.Window->ShowCount, shown);
}

TEST(ElementInput, UndoAndRedoStepThroughGridAndTextEdits) {
    TViewsFixture f("CylSym");
    TElemForm* e = f.OpenEditor();
    const std::string original = f.Root().Text();
    SetGridValue(e->ParamGrid, QStringLiteral("R"), QStringLiteral("12"));
    e->SaveData();
    const std::string afterGrid = f.Root().Text();
    // A text edit not applied yet is the step that undo takes back.
    QString text = e->DataMemo->toPlainText();
    text.replace(QStringLiteral("H=10.0"), QStringLiteral("H=7"));
    TypeInto(e->DataMemo, text);
    e->UndoItem->trigger();
    EXPECT_EQ(f.Root().Text(), afterGrid);
    EXPECT_EQ(GridValue(e->ParamGrid, 1), QStringLiteral("10.0")) << "the grids follow";
    EXPECT_FALSE(e->DataMemo->toPlainText().contains(QStringLiteral("H=7")));
    e->UndoItemClick();
    EXPECT_EQ(f.Root().Text(), original);
    EXPECT_FALSE(e->CanUndo());
    e->UndoItemClick();  // nothing left: nothing happens
    EXPECT_EQ(f.Root().Text(), original);
    e->RedoItemClick();
    EXPECT_EQ(f.Item("PARAMS", "R"), "12");
    e->RedoItem->trigger();
    EXPECT_EQ(f.Item("PARAMS", "H"), "7");
    EXPECT_FALSE(e->CanRedo());
    // A new edit after an undo ends the redo history.
    e->UndoItemClick();
    SetGridValue(e->ParamGrid, QStringLiteral("mu"), QStringLiteral("0.25"));
    e->RedoItemClick();
    EXPECT_EQ(f.Item("PARAMS", "mu"), "0.25");
    EXPECT_EQ(f.Item("PARAMS", "H"), "10.0");
    EXPECT_FALSE(e->CanRedo());
}
