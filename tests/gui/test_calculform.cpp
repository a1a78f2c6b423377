// The calculation dialog: its three uses, the lists it takes from a problem,
// the lines it reads and writes, the stored defaults and the number check.
#include "ProblemTestUtil.h"

#include "app/RegIniFile.h"
#include "platform/errors.h"
#include "solvers/SLCLass.h"
#include "problem/Problems.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

QStringList Items(const QListWidget* list, bool checkedOnly = false) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        if (!checkedOnly || list->item(i)->checkState() == Qt::Checked) texts << list->item(i)->text();
    return texts;
}

QStringList Q(const std::vector<std::string>& lines) {
    QStringList list;
    for (const std::string& l : lines) list << QString::fromStdString(l);
    return list;
}

}  // namespace

TEST(CalculForm, ListsComeFromTheProblemsDomains) {
    TProblemFixture f;
    TCalculForm& d = f.Calc();
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Расчет"));
    EXPECT_EQ(d.SLAEMethodBox->count(), 11);
    EXPECT_EQ(d.RealTypeBox->itemText(2), QStringLiteral("EXTENDED"));

    auto one = std::make_shared<zem::TProblem>(0, "Shell");
    d.FillLists(one);
    EXPECT_EQ(Items(d.AstListBox),
              (QStringList{"w", "dwx", "N2", "Q1", "M1", "Sig1", "Sig2", "SigEq"}));
    EXPECT_EQ(d.PrecCharComboBox->count(), 8);
    EXPECT_EQ(Items(d.PrecListBox, true), QStringList{"mesh_x"}) << "every axis starts checked";
    EXPECT_FALSE(d.ByTypeItem->isEnabled());
    EXPECT_FALSE(d.ByTypeItem->isChecked());

    // Several domains: qualified names, by type or by domain.
    auto steps = std::make_shared<zem::TProblem>(2, "Steps");
    d.FillLists(steps);
    EXPECT_TRUE(d.ByTypeItem->isEnabled());
    d.ByTypeItem->setChecked(true);
    d.ByTypeItemClick();
    EXPECT_EQ(Items(d.PrecListBox), QStringList{"CylSym.mesh_x"});
    d.LoadLines({"CalcType= choose", "ListType= by domain", "PrecChar= Span1.w", "PrecList= Span2.mesh_x",
                 "Prec= 2"});
    EXPECT_FALSE(d.ByTypeItem->isChecked());
    EXPECT_EQ(Items(d.PrecListBox), (QStringList{"Span1.mesh_x", "Span2.mesh_x"}));
    EXPECT_EQ(Items(d.PrecListBox, true), QStringList{"Span2.mesh_x"});
    EXPECT_EQ(d.PrecCharComboBox->currentText(), QStringLiteral("Span1.w"));
    EXPECT_EQ(Q(d.WriteLines()),
              (QStringList{"CalcType= choose", "ListType= by domain", "Prec= 2", "PrecChar= Span1.w",
                           "PrecList= Span2.mesh_x", "ErrorNorma= semisqr", "RealType= REAL",
                           "SLAEMethod= Метод Гауcса"}));

    // "&Выделить все" and "&Снять все" act on the list the menu was opened on.
    d.ClearAllItemClick();
    d.AstListBox->setFocus();
    d.SelectAllItemClick();
    d.FillLists(nullptr);
    EXPECT_EQ(d.AstListBox->count(), 0);
    steps.reset();
    d.ByTypeItemClick();  // the problem is gone: the lists stay empty
    EXPECT_EQ(d.PrecListBox->count(), 0);
}

TEST(CalculForm, LinesReadAndWritten) {
    TProblemFixture f;
    TCalculForm& d = f.Calc();
    auto one = std::make_shared<zem::TProblem>(0, "Shell");
    d.FillLists(one);

    // Empty lines: every control from the empty record.
    d.LoadLines({});
    EXPECT_TRUE(d.SimpleRadioButton->isChecked());
    EXPECT_FALSE(d.NormaGroupBox->isVisibleTo(&d)) << "simple shows neither panel nor norm";
    EXPECT_EQ(d.PrecEdit->text(), QStringLiteral("0")) << "a file without Prec shows 0";
    EXPECT_FALSE(d.SLAEErrorCheckBox->isChecked());
    EXPECT_FALSE(d.ResultCheckBox->isChecked());

    // An estimate: checked characteristics whatever their case.
    const std::vector<std::string> astim = {"AutoMode", "CalcType= astim", "AstimList= W, M1", "ErrorNorma= uniform",
                                            "RealType= DOUBLE", "SLAEMethod= Метод последовательной релаксации",
                                            "IsSLAEError", "SaveResult"};
    d.LoadLines(astim);
    EXPECT_TRUE(d.AstRadioButton->isChecked());
    EXPECT_EQ(d.Panels->currentWidget(), d.AstPanel);
    EXPECT_TRUE(d.NormaGroupBox->isVisibleTo(&d));
    EXPECT_EQ(Items(d.AstListBox, true), (QStringList{"w", "M1"}));
    EXPECT_TRUE(d.UniNormRadioButton->isChecked());
    EXPECT_EQ(d.SLAEMethodBox->currentIndex(), 10);
    EXPECT_TRUE(d.AutoMode());
    EXPECT_EQ(Q(d.WriteLines()),
              (QStringList{"AutoMode", "CalcType= astim", "AstimList= w, M1", "ErrorNorma= uniform", "RealType= DOUBLE",
                           "SLAEMethod= Метод последовательной релаксации", "IsSLAEError", "SaveResult"}));

    // A mesh selection; the criterion that is not offered is left empty.
    d.LoadLines({"CalcType= choose", "Prec= 0.25", "PrecChar= nothing", "PrecList= "});
    EXPECT_EQ(d.Panels->currentWidget(), d.PrecPanel);
    EXPECT_EQ(d.PrecEdit->text(), QStringLiteral("0.25"));
    EXPECT_EQ(d.PrecCharComboBox->currentIndex(), -1);
    EXPECT_TRUE(Items(d.PrecListBox, true).isEmpty());
    EXPECT_EQ(Q(d.WriteLines()),
              (QStringList{"CalcType= choose", "Prec= 0.25", "PrecChar= ", "PrecList= ", "ErrorNorma= semisqr",
                           "RealType= REAL", "SLAEMethod= Метод Гауcса"}));
    EXPECT_THROW(d.LoadLines({"Prec= abc"}), zem::ZemError);

    // The accepted error must be a number: the dialog does not close.
    d.PrecRadioButton->setChecked(true);
    d.PrecEdit->setText(QStringLiteral("1.5%"));
    EXPECT_FALSE(d.NumberEditExit(d.PrecEdit));
    EXPECT_EQ(f.Script.Messages, QStringList{"Ошибочное значение параметра"});
    bool stillOpen = false;
    QTimer::singleShot(0, &d, [&] {
        d.OKButton->click();
        stillOpen = d.isVisible();
        d.PrecEdit->setText(QStringLiteral("1.5"));
        d.OKButton->click();
    });
    EXPECT_TRUE(d.Execute());
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(f.Script.Messages.size(), 2);
}

TEST(CalculForm, DefaultsAreKeptInTheStore) {
    TProblemFixture f;
    TCalculForm& d = f.Calc();
    TRegIniFile& store = f.Main().Store();
    const QString s = QStringLiteral("CALCULATION");

    // The defaults use: empty lists, the stored values, OK stores them.
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
    EXPECT_EQ(d.AstListBox->count(), 0);
    EXPECT_EQ(d.SLAEMethodBox->currentIndex(), 2);
    EXPECT_EQ(store.ReadInteger(s, QStringLiteral("CalcType"), -1), 2);
    EXPECT_EQ(store.ReadInteger(s, QStringLiteral("ErrorNorma"), -1), 1);
    EXPECT_EQ(store.ReadString(s, QStringLiteral("Prec"), {}), QStringLiteral("0.7"));
    EXPECT_FALSE(store.ReadBool(s, QStringLiteral("SaveResult"), true));
    EXPECT_TRUE(store.ReadBool(s, QStringLiteral("IsSLAEError"), false));

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
    EXPECT_TRUE(store.ReadBool(s, QStringLiteral("DefaultMode"), false));
    EXPECT_EQ(store.ReadString(s, QStringLiteral("Prec"), {}), QStringLiteral("0.7"))
        << "the accepted error is stored only for a mesh selection";
}
