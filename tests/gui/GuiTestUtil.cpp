#include "GuiTestUtil.h"

#include "domains/ElDomain.h"
#include "elements/ElLists.h"
#include "platform/numtext.h"
#include "platform/progress.h"
#include "problem/FileNames.h"

#include <QMenuBar>
#include <regex>

QStringList* TTestEditor::ShowLog = nullptr;

void InstallUnexpectedDialogHandlers() {
    static const auto fail = [](const QString& what) { ADD_FAILURE() << "unexpected " << what.toStdString(); };
    TDialogHandlers& h = DialogHandlers();
    h.Message = [](QWidget*, const QString& text, TMsgKind) { fail(text); };
    h.Ask = [](QWidget*, const QString& text, TMsgKind) { return fail(text), false; };
    h.AskSave = [](QWidget*, const QString& text) { return fail(text), TSaveAnswer::Cancel; };
    h.OpenName = [](QWidget*, const QString&, const QString&) { return fail(QStringLiteral("open dialog")), QString(); };
    h.SaveName = [](QWidget*, const QString&, const QString&, const QString&) {
        return fail(QStringLiteral("save dialog")), QString();
    };
    h.Text = [](QWidget*, const QString& label, const QString&) { return fail(label), std::optional<QString>(); };
}

template <class T>
static T Next(std::deque<T>& script, T none) {
    if (script.empty()) return none;
    T value = script.front();
    script.pop_front();
    return value;
}

TDialogScript::TDialogScript() {
    TDialogHandlers& h = DialogHandlers();
    h.Message = [this](QWidget*, const QString& text, TMsgKind) { Messages << text; };
    h.Ask = [this](QWidget*, const QString& text, TMsgKind) {
        Questions << text;
        return Next(Answers, false);
    };
    h.AskSave = [this](QWidget*, const QString& text) {
        Questions << text;
        return Next(Answers, false) ? TSaveAnswer::Save : TSaveAnswer::Discard;
    };
    h.OpenName = [this](QWidget*, const QString&, const QString&) { return Next(OpenNames, QString()); };
    h.SaveName = [this](QWidget*, const QString& proposed, const QString&, const QString&) {
        ProposedNames << proposed;
        return Next(SaveNames, QString());
    };
    h.Text = [this](QWidget*, const QString&, const QString& text) {
        ShownTexts << text;
        return Next(Texts, std::optional<QString>());
    };
}

TDialogScript::~TDialogScript() { InstallUnexpectedDialogHandlers(); }

void TTestFileWindow::LoadData() {
    if (!zem::FileCanOpen(FileName.toStdString())) throw zem::ZemError("cannot read");
}

void TTestFileWindow::SaveData() {
    if (FailSave) throw zem::ZemError("cannot write");
    QFile f(QString::fromStdString(zem::NativePath(FileName.toStdString())));
    if (!f.open(QIODevice::WriteOnly)) throw zem::ZemError("cannot write");
    f.write("saved");
    ++SaveCount;
    Modified = false;
}

void TTestEditor::ShowData() {
    ++ShowCount;
    if (ShowLog) *ShowLog << windowTitle();
}

// --- TMainFixture ----------------------------------------------------------

TMainFixture::TMainFixture() {
    oldCurrent_ = QDir::currentPath();
    QDir::setCurrent(dir_.path());
    Main = NewMain();
}

TMainFixture::~TMainFixture() {
    Main.reset();
    QDir::setCurrent(oldCurrent_);
}

std::unique_ptr<TMainForm> TMainFixture::NewMain() const {
    auto main = std::make_unique<TMainForm>(nullptr, std::make_unique<TRegIniFile>(dir_.filePath(QStringLiteral("store.ini"))));
    main->Hooks.ProblemWindow = ChildFactory<TTestFileWindow>();
    main->Hooks.SeriesWindow = ChildFactory<TTestFileWindow>();
    return main;
}

void TMainFixture::Touch(const QString& name) const {
    QFile f(dir_.filePath(name));
    f.open(QIODevice::WriteOnly);
    f.write("x");
}

TTestFileWindow* TMainFixture::Open(const QString& name) {
    Touch(name);
    return dynamic_cast<TTestFileWindow*>(Main->OpenFile(nullptr, name));
}

void TMainFixture::ChooseType(const std::string& typeName) {
    Main->Hooks.ChooseProblemType = [typeName](QWidget*, std::string& t) {
        t = typeName;
        return true;
    };
}

// --- TProblemFixture -------------------------------------------------------

TProblemFixture::TProblemFixture() {
    zem::RegisterProblemTypes();
    InstallProblemWindows(Main());
}

TProblemFixture::~TProblemFixture() {
    F.Main.reset();
}

TCalculForm& TProblemFixture::Calc() { return DirectChild<TCalculForm>(Main()); }
TPbTypeForm& TProblemFixture::Types() { return DirectChild<TPbTypeForm>(Main()); }
TTurnForm& TProblemFixture::Turn() { return DirectChild<TTurnForm>(Main()); }

TProblemForm* TProblemFixture::NewProblem(const std::string& typeName) {
    auto chooser = Main().Hooks.ChooseProblemType;
    F.ChooseType(typeName);
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
    return QTest::qWaitFor([this] { return !Turn().Turn().Running() && Turn().Turn().Waiting().empty(); }, 30000);
}

std::string TProblemFixture::CylinderText(int mesh) {
    const std::string text = zem::TProblem(0, "Shell").Root().Text();
    return std::regex_replace(text, std::regex(R"(mesh_x=(\[\[[^}]*\]\]|[0-9]+))"), "mesh_x=" + std::to_string(mesh));
}

void TProblemFixture::WriteCylinder(const QString& name, int mesh, const std::vector<std::string>& calc) const {
    std::vector<std::string> lines = {"[ZEM CAD 2]", "CylSym", "#OBJECT", CylinderText(mesh), "#CALCULATION"};
    lines.insert(lines.end(), calc.begin(), calc.end());
    zem::WriteTextFile(Path(name).toStdString(), lines);
}

// --- TViewsFixture ---------------------------------------------------------

static TTestProblemWindow* TestWindow(TChildForm* w) { return dynamic_cast<TTestProblemWindow*>(w); }

TViewsFixture::TViewsFixture(const std::string& type) {
    zem::RegisterProblemTypes();
    Views = &InstallViews(*Main);
    TViewLinks& links = ViewLinks(*Main);
    links.ProblemOf = [](TChildForm* w) -> zem::TProblem* { return TestWindow(w) ? TestWindow(w)->Problem.get() : nullptr; };
    links.Busy = [](TChildForm* w) { return TestWindow(w) && TestWindow(w)->Busy; };
    links.Solve = [](TChildForm* w, bool withWindow) {
        ++TestWindow(w)->SolveCount;
        TestWindow(w)->SolvedWithWindow = withWindow;
    };
    links.SystemTable = [this](TChildForm* w) {
        TTestProblemWindow* p = TestWindow(w);
        ++p->SystemCount;
        p->Problem->BuildEquations();
        Views->SLAEForm->ShowSystem(p, *p->Problem);
    };
    Window = TestWindow(
        Main->CreateChild(ChildFactory<TTestProblemWindow>(), QStringLiteral("tank.zem"), 0, nullptr, nullptr));
    Window->ProblemForm = Window;
    Window->Problem = std::make_unique<zem::TProblem>(zem::ProblemTypeByName(type), "tank");
    // The views are tried on a small mesh: 4 steps in every direction.
    zem::TProblem& p = *Window->Problem;
    for (std::size_t i = 0; i < p.Domains().size(); ++i)
        for (int j = 0; j < p.Domains()[i]->Mesh().Count(); ++j) p.Domains()[i]->Mesh().Item(j).SetText("4");
    p.Root().SetText(std::string(p.Root().Text()));
    p.CollectDomains();
}

TViewsFixture::~TViewsFixture() {
    // The windows go with the main window, before the links they use.
    Main.reset();
}

TElemForm* TViewsFixture::OpenEditor() {
    return dynamic_cast<TElemForm*>(Window->OpenDependent(ElementEditorFactory(), QStringLiteral("tank"), 0, nullptr));
}

void TViewsFixture::Calculate() {
    zem::TProgressLog log;
    Window->Problem->Calculate(2, false, log);
}

std::string TViewsFixture::Item(const char* section, const char* key) {
    auto& list = dynamic_cast<zem::TElemList&>(Root().Item(Root().IndexOfKey(section)));
    return list.ItemText(list.IndexOfKey(key));
}

QByteArray FileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// --- Widget texts ----------------------------------------------------------

QString MemoText(const QPlainTextEdit* memo) { return memo->toPlainText(); }

QStringList MemoLines(const QPlainTextEdit* memo) {
    const QString text = memo->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

void TypeInto(QPlainTextEdit* memo, const QString& text) {
    memo->setPlainText(text);
    memo->document()->setModified(true);
}

QStringList Lines(const std::vector<std::string>& lines) {
    QStringList list;
    for (const std::string& l : lines) list << QString::fromStdString(l);
    return list;
}

QStringList ListTexts(const QListWidget* list, bool checkedOnly) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        if (!checkedOnly || list->item(i)->checkState() == Qt::Checked) texts << list->item(i)->text();
    return texts;
}

QStringList Captions(const QMenu* menu) {
    QStringList list;
    for (QAction* a : menu->actions()) {
        if (a->isSeparator() || !a->isVisible()) continue;
        QString text = a->text();
        if (!a->shortcut().isEmpty()) text += QLatin1Char('\t') + a->shortcut().toString();
        list << text;
    }
    return list;
}

QStringList MenuBarTitles(TMainForm& main) {
    QStringList titles;
    for (QAction* a : main.menuBar()->actions()) titles << a->text();
    return titles;
}

int RowOfLargest(const TStringGrid* grid, double& largest) {
    int row = -1;
    largest = 0;
    for (int r = 1; r < grid->RowCount(); ++r) {
        const double v = static_cast<double>(zem::StrToReal(grid->Cell(1, r).toStdString()));
        if (row < 0 || std::fabs(v) > std::fabs(largest)) row = r, largest = v;
    }
    return row;
}

int RowOf(const QTableWidget* grid, const QString& key) {
    for (int r = 0; r < grid->rowCount(); ++r)
        if (grid->item(r, 0) && grid->item(r, 0)->text() == key) return r;
    ADD_FAILURE() << "no row " << key.toStdString();
    return 0;
}

void SetGridValue(QTableWidget* grid, const QString& key, const QString& value) {
    grid->item(RowOf(grid, key), 1)->setText(value);
}

void SelectRow(QTableWidget* grid, const QString& key) { grid->setCurrentCell(RowOf(grid, key), 1); }

QString GridValue(const QTableWidget* grid, int row) {
    const QTableWidgetItem* item = grid->item(row, 1);
    return item ? item->text() : QString();
}
