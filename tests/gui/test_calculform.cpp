// The calculation dialog: the lists it takes from a problem, the lines it
// reads and writes, the stored defaults and the number check (its settings
// and run uses are driven by the problem window tests).
#include "GuiTestUtil.h"

#include "app/RegIniFile.h"
#include "platform/errors.h"
#include "solvers/SLCLass.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QStackedWidget>

TEST(CalculForm, ListsAndLinesFromTheProblem) {
    TProblemFixture f;
    TCalculForm& d = f.Calc();
    auto one = std::make_shared<zem::TProblem>(0, "Shell");
    d.FillLists(one);
    EXPECT_EQ(ListTexts(d.AstListBox), (QStringList{"w", "dwx", "N2", "Q1", "M1", "Sig1", "Sig2", "SigEq"}));
    EXPECT_EQ(ListTexts(d.PrecListBox, true), QStringList{"mesh_x"}) << "every axis starts checked";
    EXPECT_FALSE(d.ByTypeItem->isEnabled());

    // Empty lines: every control from the empty record.
    d.LoadLines({});
    EXPECT_FALSE(d.NormaGroupBox->isVisibleTo(&d)) << "simple shows neither panel nor norm";
    EXPECT_EQ(d.PrecEdit->text(), QStringLiteral("0")) << "a file without Prec shows 0";
    EXPECT_FALSE(d.ResultCheckBox->isChecked());

    // An estimate: checked characteristics whatever their case.
    d.LoadLines({"AutoMode", "CalcType= astim", "AstimList= W, M1", "ErrorNorma= uniform", "RealType= DOUBLE",
                 "SLAEMethod= Метод последовательной релаксации", "IsSLAEError", "SaveResult"});
    EXPECT_EQ(d.Panels->currentWidget(), d.AstPanel);
    EXPECT_TRUE(d.NormaGroupBox->isVisibleTo(&d));
    EXPECT_EQ(Lines(d.WriteLines()),
              (QStringList{"AutoMode", "CalcType= astim", "AstimList= w, M1", "ErrorNorma= uniform", "RealType= DOUBLE",
                           "SLAEMethod= Метод последовательной релаксации", "IsSLAEError", "SaveResult"}));
    EXPECT_THROW(d.LoadLines({"Prec= abc"}), zem::ZemError);

    // Several domains: qualified names, by type or by domain; a criterion
    // that is not offered is left empty.
    auto steps = std::make_shared<zem::TProblem>(2, "Steps");
    d.FillLists(steps);
    d.ByTypeItem->setChecked(true);
    d.ByTypeItemClick();
    EXPECT_EQ(ListTexts(d.PrecListBox), QStringList{"CylSym.mesh_x"});
    d.LoadLines({"CalcType= choose", "ListType= by domain", "PrecChar= Span1.w", "PrecList= Span2.mesh_x", "Prec= 2"});
    EXPECT_EQ(ListTexts(d.PrecListBox), (QStringList{"Span1.mesh_x", "Span2.mesh_x"}));
    EXPECT_EQ(Lines(d.WriteLines()),
              (QStringList{"CalcType= choose", "ListType= by domain", "Prec= 2", "PrecChar= Span1.w",
                           "PrecList= Span2.mesh_x", "ErrorNorma= semisqr", "RealType= REAL", "SLAEMethod= Метод Гауcса"}));
    d.LoadLines({"CalcType= choose", "Prec= 0.25", "PrecChar= nothing", "PrecList= "});
    EXPECT_EQ(d.PrecCharComboBox->currentIndex(), -1);
    steps.reset();
    d.ByTypeItemClick();  // the problem is gone: the lists stay empty
    EXPECT_EQ(d.PrecListBox->count(), 0);

    // The accepted error must be a number: the dialog does not close.
    d.PrecRadioButton->setChecked(true);
    d.PrecEdit->setText(QStringLiteral("1.5%"));
    bool stillOpen = false;
    QTimer::singleShot(0, &d, [&] {
        d.OKButton->click();
        stillOpen = d.isVisible();
        d.PrecEdit->setText(QStringLiteral("1.5"));
        d.OKButton->click();
    });
    EXPECT_TRUE(d.Execute());
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(f.Script.Messages, QStringList{"Ошибочное значение параметра"});
}

TEST(CalculForm, DefaultsAreKeptInTheStore) {
    TProblemFixture f;
    TCalculForm& d = f.Calc();
    TRegIniFile& store = f.Main().Store();
    const QString s = QStringLiteral("CALCULATION");

    // The defaults use ("&Расчет" of the options): the stored values, OK stores them.
    auto one = std::make_shared<zem::TProblem>(0, "Shell");
    d.FillLists(one);
    store.WriteInteger(s, QStringLiteral("SLAEMethod"), 2);
    store.WriteString(s, QStringLiteral("Prec"), QStringLiteral("0.7"));
    QTimer::singleShot(0, &d, [&] {
        d.PrecRadioButton->setChecked(true);
        d.UniNormRadioButton->setChecked(true);
        d.ResultCheckBox->setChecked(false);
        d.accept();
    });
    f.Main().CalcOptionsItem->trigger();
    EXPECT_EQ(d.OKButton->text(), QStringLiteral("ОК"));
    EXPECT_EQ(d.AstListBox->count(), 0) << "no problem's lists";
    EXPECT_EQ(d.SLAEMethodBox->currentIndex(), 2);
    EXPECT_EQ(store.ReadInteger(s, QStringLiteral("CalcType"), -1), 2);
    EXPECT_EQ(store.ReadInteger(s, QStringLiteral("ErrorNorma"), -1), 1);
    EXPECT_FALSE(store.ReadBool(s, QStringLiteral("SaveResult"), true));

    // Writing lines with "Сохранение установок" checked stores them too;
    // without it the store is left alone.
    d.SetUse(TCalculUse::Settings);
    d.FillLists(one);
    d.LoadLines({"CalcType= simple", "SLAEMethod= " + zem::SLAEMethodNames()[9]});
    d.WriteLines();
    EXPECT_EQ(store.ReadInteger(s, QStringLiteral("SLAEMethod"), -1), 2);
    d.DefaultCheckBox->setChecked(true);
    d.WriteLines();
    EXPECT_EQ(store.ReadInteger(s, QStringLiteral("SLAEMethod"), -1), 9);
    EXPECT_EQ(store.ReadString(s, QStringLiteral("Prec"), {}), QStringLiteral("0.7"))
        << "the accepted error is stored only for a mesh selection";
}

TEST(CalculForm, RefusesACharacteristicTheProblemDoesNotOffer) {
    TProblemFixture f;
    TCalculForm& d = f.Calc();
    auto one = std::make_shared<zem::TProblem>(0, "Shell");
    d.FillLists(one);
    d.LoadLines({"CalcType= choose", "Prec= 1", "PrecChar= W", "PrecList= mesh_x"});
    ASSERT_EQ(d.PrecCharComboBox->currentIndex(), -1) << "the misspelt criterion selects nothing";
    // OK keeps the dialog open with the message a run would give; choosing a
    // criterion lets it close.
    bool stillOpen = false;
    QTimer::singleShot(0, &d, [&] {
        d.OKButton->click();
        stillOpen = d.isVisible();
        d.PrecCharComboBox->setCurrentIndex(d.PrecCharComboBox->findText(QStringLiteral("M1")));
        d.OKButton->click();
    });
    EXPECT_TRUE(d.Execute());
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(f.Script.Messages, QStringList{"Неизвестная характеристика (не задана)"});
    EXPECT_TRUE(Lines(d.WriteLines()).contains("PrecChar= M1"));
}
