// The calculation dialog: the lists it takes from a problem, the lines it
// reads and writes, the stored defaults and the number check (its settings
// and run uses are driven by the problem window tests).
#include "GuiTestUtil.h"

#include "solvers/SLCLass.h"
#include "solvers/SLEstimate.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QStackedWidget>
#include <regex>

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
    // Several domains: qualified names, by type or by domain.
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
    steps.reset();
    d.ByTypeItemClick();  // the problem is gone: the lists stay empty
    EXPECT_EQ(d.PrecListBox->count(), 0);
    // OK refuses a value that is no number, then a criterion the problem
    // does not offer (a misspelt one selects nothing); the dialog stays open.
    d.FillLists(one);
    d.LoadLines({"CalcType= choose", "Prec= 1", "PrecChar= W", "PrecList= mesh_x"});
    EXPECT_EQ(d.PrecCharComboBox->currentIndex(), -1);
    d.PrecEdit->setText(QStringLiteral("1.5%"));
    int openAfter = 0;
    QTimer::singleShot(0, &d, [&] {
        d.OKButton->click();
        openAfter += d.isVisible();
        d.PrecEdit->setText(QStringLiteral("1.5"));
        d.OKButton->click();
        openAfter += d.isVisible();
        d.PrecCharComboBox->setCurrentIndex(d.PrecCharComboBox->findText(QStringLiteral("M1")));
        d.OKButton->click();
    });
    EXPECT_TRUE(d.Execute());
    EXPECT_EQ(openAfter, 2);
    EXPECT_EQ(f.Script.Messages, (QStringList{"Ошибочное значение параметра", "Неизвестная характеристика (не задана)"}));
    EXPECT_TRUE(Lines(d.WriteLines()).contains("PrecChar= M1"));
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
    // A new problem takes the user's stored method over the one its size suggests.
    TProblemForm* w = f.NewProblem("CylSym");
    ASSERT_TRUE(w);
    EXPECT_TRUE(MemoLines(w->CalculMemo).contains(QStringLiteral("SLAEMethod= ") + Lines(zem::SLAEMethodNames())[9]));
}

namespace {

// A "CylTech" problem file with a mesh of Axial × Around steps, solved by the
// dense method in single precision.
void WriteShell(const TProblemFixture& f, const QString& name, int axial, int around) {
    std::string text = zem::TProblem(zem::ProblemTypeByName("CylTech"), "Shell").Root().Text();
    text = std::regex_replace(text, std::regex(R"(mesh_x=(\[\[[^}]*\]\]|[0-9]+))"), "mesh_x=" + std::to_string(axial));
    text = std::regex_replace(text, std::regex("mesh_y=4"), "mesh_y=" + std::to_string(around));
    zem::WriteTextFile(f.Path(name).toStdString(),
                       {"[ZEM CAD 2]", "CylTech", "#OBJECT", text, "#CALCULATION", "CalcType= simple",
                        "RealType= REAL", "SLAEMethod= " + zem::SLAEMethodNames()[0]});
}

std::vector<std::string> LinesOf(const QPlainTextEdit* memo) {
    std::vector<std::string> lines;
    for (const QString& line : MemoLines(memo)) lines.push_back(line.toStdString());
    return lines;
}

struct TMemoryLimit {
    explicit TMemoryLimit(std::uint64_t bytes) { zem::SetMemoryLimit(bytes); }
    ~TMemoryLimit() { zem::SetMemoryLimit(std::nullopt); }
};

}  // namespace

TEST(CalculForm, ADenseMethodThatCannotFitIsRefusedAndTheOfferedMethodSolves) {
    TProblemFixture f;
    InstallViews(f.Main());
    TMemoryLimit limit(16ull << 30);
    TCalculForm& d = f.Calc();
    // A 400 × 128 technical-theory cylinder: far beyond a full matrix in 16 GB.
    WriteShell(f, QStringLiteral("big.zem"), 400, 128);
    TProblemForm* big = f.Open(QStringLiteral("big.zem"));
    ASSERT_TRUE(big);
    d.SetUse(TCalculUse::Run);
    d.FillLists(big->Problem);
    d.LoadLines(LinesOf(big->CalculMemo));
    const std::optional<zem::TSolverEstimate> e = d.Estimate();
    ASSERT_TRUE(e);
    EXPECT_EQ(e->Unknowns, 3u * 128 * 405);
    EXPECT_FALSE(e->Fits);
    ASSERT_GE(e->Suggested, 0);
    const QString offered = QString::fromStdString(zem::SLAEMethodNames()[static_cast<std::size_t>(e->Suggested)]);
    const QString cost = QString::fromStdString(zem::MemoryText(e->MemoryBytes));
    // Refused before anything is solved; Cancel keeps the dialog and the method.
    bool stillOpen = false;
    QTimer::singleShot(0, &d, [&] {
        EXPECT_TRUE(d.EstimateLabel->text().contains(cost)) << d.EstimateLabel->text();
        d.OKButton->click();
        stillOpen = d.isVisible();
        // The estimate's faster method is one click away.
        EXPECT_TRUE(d.UseMethodBtn->isVisible());
        EXPECT_EQ(d.UseMethodBtn->text(), QStringLiteral("Использовать «%1»").arg(offered));
        d.UseMethodBtn->click();
        EXPECT_EQ(d.SLAEMethodBox->currentIndex(), e->Suggested);
        EXPECT_FALSE(d.UseMethodBtn->isVisible()) << "nothing faster to offer any more";
        d.SLAEMethodBox->setCurrentIndex(0);
        d.reject();
    });
    EXPECT_FALSE(d.Execute());
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(f.Script.Questions.size(), 1);
    EXPECT_TRUE(f.Script.Questions[0].contains(cost) && f.Script.Questions[0].contains(offered)) << f.Script.Questions[0];
    EXPECT_EQ(d.SLAEMethodBox->currentIndex(), 0);
    EXPECT_FALSE(big->Problem->Calculated());
    // Under a lower limit a small mesh is refused too; accepting the offer
    // solves with the offered method, which the file keeps.
    f.Script.Questions.clear();
    WriteShell(f, QStringLiteral("small.zem"), 40, 32);
    TProblemForm* small = f.Open(QStringLiteral("small.zem"));
    ASSERT_TRUE(small);
    TMemoryLimit lower(40ull << 20);  // a full matrix of 4320 single reals needs 75 MB
    f.Script.Answers = {true};
    QTimer::singleShot(0, &d, [&] { d.OKButton->click(); });
    small->SolveItemClick(true);
    ASSERT_TRUE(f.WaitIdle());
    ASSERT_EQ(f.Script.Questions.size(), 1);
    EXPECT_TRUE(f.Script.Messages.isEmpty()) << f.Script.Messages;
    EXPECT_TRUE(small->Problem->Calculated());
    EXPECT_NE(d.SLAEMethodBox->currentIndex(), 0);
    EXPECT_TRUE(MemoText(small->CalculMemo).contains(QStringLiteral("SLAEMethod= ") + d.SLAEMethodBox->currentText()));
}
