// A stepped technical-theory cylinder whose object text is rejected: the
// settings dialog opened afterwards reads every span's mesh, so a span lost
// to the rejected text would show up here (under the address sanitizer as a
// use after free).
#include "GuiTestUtil.h"

#include "domains/ElDomain.h"

namespace {

// What the settings dialog offers for the window's problem, read while it is open.
QStringList DialogLists(TProblemFixture& f, TProblemForm* w) {
    TCalculForm& dialog = f.Calc();
    QStringList seen;
    QTimer::singleShot(0, &dialog, [&] {
        seen = ListTexts(dialog.AstListBox) + QStringList{QStringLiteral("|")} + ListTexts(dialog.PrecListBox);
        dialog.reject();
    });
    w->MDataCalculItem->trigger();
    return seen;
}

}  // namespace

TEST(ProblemForm, RejectedSpanMeshLeavesTheSteppedCylinderReadable) {
    TProblemFixture f;
    TProblemForm* w = f.NewProblem("CompCylTech");
    ASSERT_TRUE(w);
    const std::string text = w->Problem->Root().Text();
    const std::size_t spans = w->Problem->Domains().size();
    const QStringList offered = DialogLists(f, w);
    ASSERT_GT(spans, 1u);
    ASSERT_FALSE(offered.isEmpty());
    const QStringList calcLines = MemoLines(w->CalculMemo);

    const QString good = MemoText(w->ObjectMemo);
    const QString bad = QString(good).replace(QStringLiteral("mesh_x=4"), QStringLiteral("mesh_x=abc"));
    ASSERT_NE(bad, good) << "the default text names the span mesh";
    TypeInto(w->ObjectMemo, bad);
    w->CheckItem->trigger();
    ASSERT_EQ(f.Script.Messages.size(), 1);
    EXPECT_NE(f.Script.Messages[0], QStringLiteral("Ошибок не найдено !"));
    EXPECT_TRUE(f.Script.Messages[0].contains(QStringLiteral("mesh_x"))) << f.Script.Messages[0];

    EXPECT_EQ(DialogLists(f, w), offered);
    EXPECT_EQ(f.Script.Messages.size(), 1) << f.Script.Messages.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(w->Problem->Root().Text(), text);
    ASSERT_EQ(w->Problem->Domains().size(), spans);
    for (zem::TDmElement* dm : w->Problem->Domains()) EXPECT_EQ(dm->Domain->StepCount(0), 4);
    EXPECT_EQ(MemoLines(w->CalculMemo), calcLines);
    EXPECT_EQ(MemoText(w->ObjectMemo), bad) << "the text stays to be mended";

    // Mended, the text is taken.
    TypeInto(w->ObjectMemo, good);
    w->CheckItem->trigger();
    EXPECT_EQ(f.Script.Messages.value(1), QStringLiteral("Ошибок не найдено !"));
}
