// Meshes in the windows: the guard's warning in "Проверить" and in the
// calculation dialog, an emptied mesh item, and after a mesh selection the
// stale approximations, the results page on the selected mesh and the mesh
// taken over from an approximation.
#include "GuiTestUtil.h"

#include "domains/ElDomain.h"
#include "views/ApproxForm.h"

namespace {

// The water tank of R = 6 m, H = 9 m, t = 10 mm with a mesh of MeshX.
QString TankText(const QString& meshX) {
    return QStringLiteral("{PARAMS={R=6, H=9, t=0.01, E=2.06e11, mu=0.3}, BOUNDS={w_bot=0, dw_bot=0, Q1_top=0, "
                          "M1_top=0}, LOADS={Gidr=9810}, MESH={mesh_x=%1}}")
        .arg(meshX);
}

}  // namespace

TEST(MeshGuardWindows, CheckAndTheDialogWarnAboutACoarseMeshAndAnEmptiedOneIsRefused) {
    TProblemFixture f;
    TProblemForm* w = f.NewProblem("CylSym");
    ASSERT_TRUE(w);
    w->CheckItem->trigger();
    ASSERT_EQ(f.Script.Messages, QStringList{QStringLiteral("Ошибок не найдено !")}) << "a new problem's mesh passes";
    f.Calc().FillLists(w->Problem);
    EXPECT_TRUE(f.Calc().MeshWarningLabel->isHidden());

    TypeInto(w->ObjectMemo, TankText(QStringLiteral("4")));
    w->CheckItem->trigger();
    ASSERT_EQ(f.Script.Messages.size(), 2);
    const QString warning = f.Script.Messages[1];
    EXPECT_TRUE(warning.startsWith(QStringLiteral("Ошибок не найдено, но сетка может не разрешать решение:\n"
                                                  "Предупреждение: сетка mesh_x слишком редка: у края x = 0 м шаг 2.25 м")))
        << warning;
    EXPECT_TRUE(warning.contains(QStringLiteral("2.5·sqrt(R·t) = 0.61237 м"))) << warning;
    EXPECT_TRUE(warning.contains(QStringLiteral("; предлагается mesh_x = [[24, "))) << warning;
    f.Calc().FillLists(w->Problem);
    EXPECT_FALSE(f.Calc().MeshWarningLabel->isHidden());
    EXPECT_EQ(f.Calc().MeshWarningLabel->text(), warning.section(QLatin1Char('\n'), 1));

    // An emptied mesh item: a message, and the problem keeps its mesh.
    TypeInto(w->ObjectMemo, TankText(QString()));
    w->CheckItem->trigger();
    ASSERT_EQ(f.Script.Messages.size(), 3);
    EXPECT_TRUE(f.Script.Messages[2].startsWith(QStringLiteral("Сетка mesh_x не задана: "))) << f.Script.Messages[2];
    EXPECT_EQ(w->Problem->Domains()[0]->Domain->StepCount(0), 4);
}

TEST(MeshGuardWindows, SelectionAfterAChangedMeshShowsItsOwnApproximationAndItsMeshIsAdopted) {
    TProblemFixture f;
    InstallViews(f.Main());
    const QString band = QStringLiteral("SLAEMethod= ") + QString::fromStdString(zem::SLAEMethodNames()[2]);
    TProblemForm* w = f.OpenCylinder(QStringLiteral("tank.zem"), 4,
                                     {"AutoMode", "CalcType= astim", "AstimList= M1", band.toStdString()});
    ASSERT_TRUE(w);
    w->ApproxSaveItem->setChecked(false);  // the entries keep their captions
    TypeInto(w->ObjectMemo, TankText(QStringLiteral("4")));
    w->SolveItem->trigger();
    ASSERT_TRUE(f.WaitIdle());
    ASSERT_EQ(w->Problem->Approximations().size(), 1u);

    // The steps: mesh_x = 20, then an automatic mesh selection.
    TypeInto(w->ObjectMemo, TankText(QStringLiteral("20")));
    TypeInto(w->CalculMemo, QStringLiteral("AutoMode\nCalcType= choose\nPrec= 1\nPrecChar= M1\nPrecList= mesh_x\n"
                                           "ErrorNorma= uniform\n") + band);
    w->SolveItem->trigger();
    ASSERT_TRUE(f.WaitIdle());
    const QStringList process = MemoLines(w->ProcessMemo);
    EXPECT_TRUE(process.contains(
        QStringLiteral("Приближения сделаны для другого текста задачи и не использованы: Сетка удвоенной густоты")))
        << process.join(QLatin1Char('\n')).toStdString();
    const auto& list = w->Problem->Approximations();
    ASSERT_GE(list.size(), 3u);
    EXPECT_GT(list[1].Problem->Domains()[0]->Domain->StepCount(0), 20) << "refined from the problem's 20 steps";

    // The approximation window: the stale entry is grey and offered for removal.
    w->ApproxItem->trigger();
    TApproxForm& a = DirectChild<TApproxForm>(f.Main());
    EXPECT_FALSE(a.ListBox->item(0)->toolTip().isEmpty());
    EXPECT_TRUE(a.ListBox->item(1)->toolTip().isEmpty());

    // The results page gives the selected mesh's answer and says so.
    TypeInto(w->ResDataMemo, QStringLiteral("M1(0);"));
    w->ResultCalcItemClick();
    const QStringList results = MemoLines(w->ResultMemo);
    ASSERT_FALSE(results.isEmpty());
    EXPECT_EQ(results[0], QStringLiteral("Результаты на сетке приближения %1 (Приближение %2)")
                              .arg(list.size())
                              .arg(list.size() - 1));

    // The last mesh into the problem: one edit of the object page, undone
    // as any other.
    const QString before = MemoText(w->ObjectMemo);
    a.ListBox->setCurrentRow(a.ListBox->count() - 1);
    EXPECT_EQ(a.AdoptItem->text(), QStringLiteral("Принять сетку приближения %1").arg(list.size()));
    const std::string finest = list.back().Problem->Domains()[0]->Mesh().ItemText(0);
    const int steps = list.back().Problem->Domains()[0]->Domain->StepCount(0);
    a.AdoptItemClick();
    EXPECT_EQ(w->Problem->Domains()[0]->Mesh().ItemText(0), finest);
    EXPECT_EQ(w->Problem->Domains()[0]->Domain->StepCount(0), steps);
    EXPECT_TRUE(w->IsModified());
    w->ObjectMemo->undo();
    EXPECT_EQ(MemoText(w->ObjectMemo), before);
    w->CheckItem->trigger();
    EXPECT_EQ(w->Problem->Domains()[0]->Domain->StepCount(0), 20) << "the old mesh is back";

    // Removing the stale ones leaves the selection's.
    f.Script.Answers = {true};
    const std::size_t count = list.size();
    a.StaleDeleteItemClick();
    EXPECT_EQ(list.size(), count - 1);
    EXPECT_EQ(a.ListBox->count(), static_cast<int>(count - 1));
}
