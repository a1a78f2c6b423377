// The problem window: the type dialog and a new problem, the type selector,
// checking, the menus it brings, reading a file with and without its results,
// and the results calculator.
#include "ProblemTestUtil.h"

#include "elements/Elements.h"
#include "platform/cp1251.h"
#include "problem/FileNames.h"
#include "problem/PbData.h"
#include "problem/PbTypes.h"
#include "problem/Problems.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QStringList MenuTitles(TMainForm& main) {
    QStringList titles;
    for (QAction* a : main.menuBar()->actions()) titles << a->text();
    return titles;
}

}  // namespace

TEST(ProblemForm, TypeDialogOpensANewProblemWithTheDefaultsOfItsType) {
    TProblemFixture f;
    TPbTypeForm& types = f.Types();
    ASSERT_EQ(types.ListBox->count(), 15);
    EXPECT_EQ(types.ListBox->item(14)->text(), QStringLiteral("CylRingP"));
    EXPECT_EQ(types.TypeIndex(), 0) << "the dialog opens on CylSym";
    EXPECT_EQ(types.DescriptText->text(),
              QStringLiteral("Цилиндрическая оболочка. Радиальная осесимметричная нагрузка"));
    types.ListBox->setCurrentRow(2);
    EXPECT_EQ(types.DescriptText->text(), QString::fromStdString(zem::ProblemTypeCaption(2)));

    // "&Новая задача": a double click on CylSym chooses it.
    QTimer::singleShot(0, &types, [&] {
        types.ListBox->setCurrentRow(0);
        types.ListBoxDblClick();
    });
    f.Main().NewProblemItem->trigger();
    auto* w = qobject_cast<TProblemForm*>(f.Main().ActiveChild());
    ASSERT_TRUE(w);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Noname1.zem"));
    EXPECT_TRUE(w->FileName.isEmpty()) << "nothing is on disk yet";
    EXPECT_EQ(w->TypeComboBox->currentText(), QStringLiteral("CylSym"));
    EXPECT_EQ(w->TypeLabel->text(), types.DescriptText->text());
    const zem::TProblem defaults(0, "Noname1");
    QStringList expected;
    for (const std::string& line : zem::PrintObject(defaults)) expected << QString::fromStdString(line);
    EXPECT_EQ(MemoLines(w->ObjectMemo), expected);
    EXPECT_TRUE(w->IsModified());
    EXPECT_EQ(MemoLines(w->CalculMemo),
              (QStringList{"CalcType= simple", "RealType= REAL", "SLAEMethod= Метод Гауcса", "IsSLAEError",
                           "SaveResult"}))
        << "a new problem takes the stored defaults";

    // Its menus join the menu bar while it is active.
    EXPECT_EQ(MenuTitles(f.Main()),
              (QStringList{"&Файл", "&Данные", "&Расчет", "&Приближения", "&Установки", "&Окно", "&Помощь"}));

    // Cancel makes nothing.
    QTimer::singleShot(0, &types, [&] { types.reject(); });
    f.Main().NewProblemItem->trigger();
    EXPECT_EQ(f.Main().Children().size(), 1);
    w->ObjectMemo->document()->setModified(false);
    w->CalculMemo->document()->setModified(false);
    w->close();
    EXPECT_EQ(MenuTitles(f.Main()), (QStringList{"&Файл", "&Установки", "&Окно", "&Помощь"}));
}

TEST(ProblemForm, TypeSelectorCheckAndResultsCalculator) {
    TProblemFixture f;
    TProblemForm* w = f.NewProblem("CylSym");
    ASSERT_TRUE(w);
    ASSERT_TRUE(f.SaveAs(w, QStringLiteral("Shell.zem")));
    EXPECT_FALSE(w->IsModified());

    // The type it has already: nothing changes.
    w->TypeComboBox->setCurrentIndex(0);
    w->TypeComboBoxClick();
    EXPECT_FALSE(w->IsModified());

    // Check: a good text, then a broken one.
    TypeInto(w->ObjectMemo, MemoText(w->ObjectMemo).replace(QStringLiteral("t=0.01"), QStringLiteral("t=0.02")));
    w->CheckItem->trigger();
    EXPECT_EQ(f.Script.Messages, QStringList{"Ошибок не найдено !"});
    EXPECT_FALSE(w->ObjectMemo->document()->isModified());
    TypeInto(w->ObjectMemo, QStringLiteral("{PARAMS={R=abc}}"));
    w->CheckItem->trigger();
    ASSERT_EQ(f.Script.Messages.size(), 2);
    EXPECT_NE(f.Script.Messages[1], QStringLiteral("Ошибок не найдено !"));
    EXPECT_FALSE(f.Script.Messages[1].isEmpty());
    EXPECT_TRUE(w->ObjectMemo->document()->isModified()) << "the text stays to be mended";

    // The results calculator does nothing on an unsolved problem.
    TypeInto(w->ObjectMemo, QString::fromStdString(TProblemFixture::CylinderText(4)));
    w->ResDataMemo->setPlainText(QStringLiteral("w;"));
    w->ResultMemo->setPlainText(QStringLiteral("old"));
    w->ResultCalcItemClick();
    EXPECT_EQ(MemoText(w->ResultMemo), QStringLiteral("old"));

    // Another type: the new root takes over what the two share.
    TypeInto(w->ObjectMemo, MemoText(w->ObjectMemo).replace(QStringLiteral("t=0.01"), QStringLiteral("t=0.03")));
    w->ApplyObjectText();
    w->TypeComboBox->setCurrentIndex(2);
    w->TypeComboBoxClick();
    EXPECT_EQ(w->Problem->Root().GetTypeName(), "CompCylSym");
    EXPECT_NE(MemoText(w->ObjectMemo).indexOf(QStringLiteral("t=0.03")), -1);
    EXPECT_NE(MemoText(w->ObjectMemo).indexOf(QStringLiteral("Span2")), -1);
    EXPECT_TRUE(w->IsModified());

    // Commands whose windows come later say so.
    f.Script.Messages.clear();
    w->TableSLAEItem->trigger();
    EXPECT_EQ(f.Script.Messages, (QStringList{"Окна СЛАУ в этой сборке программы нет."}));
    bool tableShown = false;
    ProblemFormHooks().SystemTable = [&](TProblemForm& form) {
        tableShown = form.Problem->UnknownCount() > 0;
    };
    w->TableSLAEItem->trigger();
    EXPECT_TRUE(tableShown) << "the system is built before its table is shown";
}

TEST(ProblemForm, ReadsTheFileAndItsResults) {
    TProblemFixture f;
    // A solved problem on disk: its results file beside it.
    zem::TProgressLog progress;
    {
        zem::TPbData data(zem::StoredPath(f.F.Dir().toStdString()));
        f.WriteCylinder(QStringLiteral("Shell.zem"));
        data.RunFile("Shell.zem", progress);
    }
    ASSERT_TRUE(QFile::exists(f.Path(QStringLiteral("Shell.res"))));
    TProblemForm* w = f.Open(QStringLiteral("Shell.zem"));
    ASSERT_TRUE(w);
    EXPECT_TRUE(f.Script.Messages.isEmpty()) << f.Script.Messages.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(w->Problem->Calculated());
    EXPECT_FALSE(w->IsModified());
    EXPECT_EQ(MemoLines(w->ProcessMemo).last(), QString(47, QLatin1Char('-')));
    w->ResDataMemo->setPlainText(QStringLiteral("w;\ndwx:"));
    w->ResultCalcItemClick();
    EXPECT_EQ(MemoLines(w->ResultMemo), (QStringList{"w = ", "dwx = "}));
    w->close();

    // A results file shorter than the unknowns need.
    QFile res(f.Path(QStringLiteral("Shell.res")));
    ASSERT_TRUE(res.resize(25));
    w = f.Open(QStringLiteral("Shell.zem"));
    ASSERT_TRUE(w);
    EXPECT_EQ(f.Script.Messages, QStringList{"Ошибка загрузки файла Shell.res"});
    EXPECT_FALSE(w->Problem->Calculated());
    w->close();

    // No results file: unsolved, and no message.
    f.Script.Messages.clear();
    ASSERT_TRUE(res.remove());
    w = f.Open(QStringLiteral("Shell.zem"));
    ASSERT_TRUE(w);
    EXPECT_TRUE(f.Script.Messages.isEmpty());
    EXPECT_FALSE(w->Problem->Calculated());
    w->close();

    // A file that is not a problem file: the window does not stay.
    zem::WriteTextFile(f.Path(QStringLiteral("Bad.zem")).toStdString(), {"[ZEM CAD 2]", "cylsym"});
    f.Open(QStringLiteral("Bad.zem"));
    EXPECT_EQ(f.Script.Messages, QStringList{"Ошибка данных Bad.zem"});
    EXPECT_TRUE(f.Main().Children().isEmpty());
}

TEST(ProblemForm, SettingsCommandRewritesTheCalculationLines) {
    TProblemFixture f;
    TProblemForm* w = f.NewProblem("CylSym");
    ASSERT_TRUE(w);
    TCalculForm& dialog = f.Calc();
    bool wasSettings = false;
    QTimer::singleShot(0, &dialog, [&] {
        wasSettings = dialog.OKButton->text() == QStringLiteral("ОК") &&
                      dialog.windowTitle() == QStringLiteral("Установки расчета: Noname1.zem");
        dialog.AstRadioButton->setChecked(true);
        dialog.AstListBox->item(0)->setCheckState(Qt::Checked);
        dialog.accept();
    });
    w->MDataCalculItem->trigger();
    EXPECT_TRUE(wasSettings);
    EXPECT_EQ(MemoLines(w->CalculMemo),
              (QStringList{"CalcType= astim", "AstimList= w", "ErrorNorma= semisqr", "RealType= REAL",
                           "SLAEMethod= Метод Гауcса", "IsSLAEError", "SaveResult"}));
}
