#include "ProblemTestUtil.h"

#include "elements/Elements.h"
#include "platform/cp1251.h"
#include "problem/Problems.h"
#include "problemtypes/Register.h"

#include <QTest>
#include <regex>

TProblemFixture::TProblemFixture() {
    zem::RegisterProblemTypes();
    InstallProblemWindows(Main());
}

TProblemFixture::~TProblemFixture() { ProblemFormHooks() = TProblemFormHooks(); }

TCalculForm& TProblemFixture::Calc() {
    return *Main().findChild<TCalculForm*>(QString(), Qt::FindDirectChildrenOnly);
}
TPbTypeForm& TProblemFixture::Types() {
    return *Main().findChild<TPbTypeForm*>(QString(), Qt::FindDirectChildrenOnly);
}
TTurnForm& TProblemFixture::Turn() { return *Main().findChild<TTurnForm*>(QString(), Qt::FindDirectChildrenOnly); }

TProblemForm* TProblemFixture::NewProblem(const std::string& typeName) {
    auto chooser = Main().Hooks.ChooseProblemType;
    Main().Hooks.ChooseProblemType = [typeName](QWidget*, std::string& t) {
        t = typeName;
        return true;
    };
    auto* window = qobject_cast<TProblemForm*>(Main().NewProblem(nullptr));
    Main().Hooks.ChooseProblemType = chooser;
    return window;
}

bool TProblemFixture::SaveAs(TProblemForm* window, const QString& name) {
    Script.SaveNames.push_back(Path(name));
    return Main().SaveChild(window);
}

TProblemForm* TProblemFixture::Open(const QString& name) {
    return qobject_cast<TProblemForm*>(Main().OpenFile(nullptr, name));
}

bool TProblemFixture::WaitIdle() {
    return QTest::qWaitFor(
        [this] { return !Turn().Turn().Running() && Turn().Turn().Waiting().empty(); }, 30000);
}

std::string TProblemFixture::CylinderText(int mesh) {
    const std::string text = zem::TProblem(0, "Shell").Root().Text();
    return std::regex_replace(text, std::regex("mesh_x=4"), "mesh_x=" + std::to_string(mesh));
}

void TProblemFixture::WriteCylinder(const QString& name, int mesh) const {
    zem::WriteTextFile(Path(name).toStdString(), {"[ZEM CAD 2]", "CylSym", "#OBJECT", CylinderText(mesh),
                                                  "#CALCULATION", "CalcType= simple", "SaveResult"});
}

QString MemoText(const QPlainTextEdit* memo) { return memo->toPlainText(); }

QStringList MemoLines(const QPlainTextEdit* memo) {
    const QString text = memo->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

void TypeInto(QPlainTextEdit* memo, const QString& text) {
    memo->setPlainText(text);
    memo->document()->setModified(true);
}
