#include "views/ProblemForm.h"
#include "app/QtText.h"

#include "app/Dialogs.h"
#include "calc/Calcul.h"
#include "app/MainForm.h"
#include "calc/Calcul.h"
#include "calc/MeshGuard.h"
#include "problem/PbSeries.h"
#include "calc/Queries.h"
#include "problem/CalcSettings.h"
#include "elements/Elements.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "problem/FileNames.h"
#include "problem/PbData.h"
#include "problem/PbTypes.h"
#include "problem/Problems.h"
#include "solvers/Matrises.h"
#include "views/ApproxForm.h"
#include "views/CalculForm.h"
#include "views/PbTypeForm.h"
#include "app/ProgressForm.h"
#include "views/ResultField.h"
#include "views/SeriesForm.h"
#include "views/TurnForm.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>

#include <limits>

namespace {

const char* const kBusyText = "Задача в расчете. Дождитесь его окончания или прервите его";

QPlainTextEdit* Memo(QWidget* parent, bool wrap) {
    auto* memo = new QPlainTextEdit(parent);
    memo->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return memo;
}

// The key of the item whose value holds Position: the last "key=" before
// it; empty when there is none.
QString KeyBefore(const QString& text, int position) {
    static const QRegularExpression kKey(QStringLiteral("([A-Za-z_][A-Za-z0-9_]*)\\s*="));
    QString key;
    auto it = kKey.globalMatch(text.left(std::max(position, 0) + 1));
    while (it.hasNext()) key = it.next().captured(1);
    return key;
}

}  // namespace

TProblemFormHooks& ProblemFormHooks(TMainForm& main) { return main.Wiring<TProblemFormHooks>(); }

// --- Creation. -----------------------------------------------------------------

TProblemForm::TProblemForm(TMainForm* main) : TFChildForm(main) {
    ProblemForm = this;  // the dependants opened from here find their problem window
    setWindowTitle(QStringLiteral("ProblemForm"));
    PageControl = AddPageControl();

    // "Объект": the type, the object text and the description.
    ObjectTabSheet = new QWidget(PageControl);
    Panel1 = new QWidget(ObjectTabSheet);
    TypeComboBox = new QComboBox(Panel1);
    for (int i = 0; i < zem::kProblemTypeCount; ++i) TypeComboBox->addItem(Q(zem::ProblemTypeName(i)));
    TypeComboBox->setCurrentIndex(-1);
    TypeLabel = new QLabel(Panel1);
    TypeLabel->setWordWrap(true);
    auto* panelLayout = new QHBoxLayout(Panel1);
    panelLayout->setContentsMargins(4, 4, 4, 4);
    panelLayout->addWidget(TypeComboBox);
    panelLayout->addWidget(TypeLabel, 1);
    ObjectMemo = Memo(ObjectTabSheet, true);
    // The text is indented by characters: a fixed pitch keeps its columns.
    ObjectMemo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    DescriptMemo = Memo(ObjectTabSheet, true);
    auto* objectSplit = new QSplitter(Qt::Vertical, ObjectTabSheet);
    objectSplit->addWidget(ObjectMemo);
    objectSplit->addWidget(DescriptMemo);
    objectSplit->setStretchFactor(0, 3);
    objectSplit->setStretchFactor(1, 1);
    auto* objectLayout = new QVBoxLayout(ObjectTabSheet);
    objectLayout->setContentsMargins(0, 0, 0, 0);
    objectLayout->setSpacing(0);
    objectLayout->addWidget(Panel1);
    objectLayout->addWidget(objectSplit, 1);
    PageControl->addTab(ObjectTabSheet, QStringLiteral("Объект"));

    // "Расчет": the calculation lines and the report.
    CalculTabSheet = new QWidget(PageControl);
    CalculMemo = Memo(CalculTabSheet, false);
    ProcessMemo = Memo(CalculTabSheet, true);
    ProcessMemo->setReadOnly(true);
    auto* calcSplit = new QSplitter(Qt::Vertical, CalculTabSheet);
    calcSplit->addWidget(CalculMemo);
    calcSplit->addWidget(ProcessMemo);
    calcSplit->setStretchFactor(1, 1);
    calcSplit->setSizes({90, 200});
    auto* calcLayout = new QVBoxLayout(CalculTabSheet);
    calcLayout->setContentsMargins(0, 0, 0, 0);
    calcLayout->addWidget(calcSplit);
    PageControl->addTab(CalculTabSheet, QStringLiteral("Расчет"));

    // "Результаты": requests and their values.
    ResultTabSheet = new QWidget(PageControl);
    ResDataMemo = Memo(ResultTabSheet, false);
    ResDataMemo->setPlaceholderText(QStringLiteral(
        "Запросы, по одному в строке; F5 - ответы (значение, единица, место):\n"
        "M1(0)              в точке x = 0 м\n"
        "max |w|            наибольший модуль; max SigEq4, min M1\n"
        "w(x=4, угол=90)    на поверхности: x и угол по окружности\n"
        "Span2.w(1.5)       в пролете, от его начала (Пояс2 - второй пролет)\n"
        "Ring.N2(90°)       на кольце; Ring.Mr - наибольшее по модулю"));
    ResultMemo = Memo(ResultTabSheet, true);
    auto* resSplit = new QSplitter(Qt::Vertical, ResultTabSheet);
    resSplit->addWidget(ResDataMemo);
    resSplit->addWidget(ResultMemo);
    resSplit->setStretchFactor(1, 1);
    resSplit->setSizes({90, 200});
    auto* resLayout = new QVBoxLayout(ResultTabSheet);
    resLayout->setContentsMargins(0, 0, 0, 0);
    resLayout->addWidget(resSplit);
    PageControl->addTab(ResultTabSheet, QStringLiteral("Результаты"));

    // The state of the last run, kept until the next one, below the pages.
    QWidget* client = PageControl->parentWidget();
    StatusLabel = new QLabel(client);
    StatusLabel->setContentsMargins(4, 1, 4, 1);
    StatusLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    StatusLabel->hide();
    client->layout()->addWidget(StatusLabel);

    // Menus.
    auto guarded = [this](void (TProblemForm::*handler)()) {
        return [this, handler] { RunGuarded(Main, [this, handler] { (this->*handler)(); }); };
    };
    DataMenu = new QMenu(QStringLiteral("&Данные"), this);
    MElementItem = DataMenu->addAction(QStringLiteral("&Объект"), guarded(&TProblemForm::ElementItemClick));
    MElementItem->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3));
    MDataCalculItem = DataMenu->addAction(QStringLiteral("&Установки"), guarded(&TProblemForm::DataCalcItemClick));
    MDataCalculItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F3));
    DataMenu->addSeparator();
    CalculMenu = new QMenu(QStringLiteral("&Расчет"), this);
    CheckItem = CalculMenu->addAction(QStringLiteral("&Проверить"), guarded(&TProblemForm::CheckItemClick));
    CheckItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F9));
    TableSLAEItem = CalculMenu->addAction(QStringLiteral("СЛА&У"), guarded(&TProblemForm::TableSLAEItemClick));
    CalculMenu->addSeparator();
    SolveItem = CalculMenu->addAction(QStringLiteral("&Выполнить"), [this] {
        RunGuarded(Main, [this] { SolveItemClick(true); });
    });
    SolveItem->setShortcut(QKeySequence(Qt::Key_F9));
    TurnSolveItem = CalculMenu->addAction(QStringLiteral("В &очередь"), [this] {
        RunGuarded(Main, [this] { SolveItemClick(false); });
    });
    TurnSolveItem->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F9));
    CalculMenu->addSeparator();
    PlotItem = CalculMenu->addAction(QStringLiteral("&Кривые"), [this] {
        RunGuarded(Main, [this] { if (ProblemFormHooks(*Main).Plot) ProblemFormHooks(*Main).Plot(*this); });
    });
    DeformedItem = CalculMenu->addAction(QStringLiteral("&Деформированный вид"), [this] {
        RunGuarded(Main, [this] { if (ProblemFormHooks(*Main).Deformed) ProblemFormHooks(*Main).Deformed(*this); });
    });
    ReportItem = CalculMenu->addAction(QStringLiteral("О&тчет..."), [this] {
        RunGuarded(Main, [this] { if (ProblemFormHooks(*Main).Report) ProblemFormHooks(*Main).Report(*this); });
    });
    ApproxMenu = new QMenu(QStringLiteral("&Приближения"), this);
    ApproxItem = ApproxMenu->addAction(QStringLiteral("&Открыть"), guarded(&TProblemForm::ApproxItemClick));
    // Check items: a click toggles them. "&Экстраполяция" is kept for the
    // extrapolation of approximations; nothing reads it yet.
    N6 = ApproxMenu->addAction(QStringLiteral("&Экстраполяция"));
    N6->setCheckable(true);
    N6->setChecked(true);
    ApproxMenu->addSeparator();
    ApproxSaveItem = ApproxMenu->addAction(QStringLiteral("Cохранение"));
    ApproxSaveItem->setCheckable(true);
    ApproxSaveItem->setChecked(true);

    ResultPopupMenu = new QMenu(this);
    ResultCalcItem = ResultPopupMenu->addAction(QStringLiteral("&Вычислить"), guarded(&TProblemForm::ResultCalcItemClick));
    ResultCalcItem->setShortcut(QKeySequence(Qt::Key_F5));
    ResultCalcItem->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    ResDataMemo->addAction(ResultCalcItem);
    ResDataMemo->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ResDataMemo, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { ResultPopupMenu->popup(ResDataMemo->mapToGlobal(pos)); });

    connect(TypeComboBox, &QComboBox::activated, this, [this] { RunGuarded(Main, [this] { TypeComboBoxClick(); }); });
    ObjectMemo->viewport()->installEventFilter(this);
    CalculMemo->viewport()->installEventFilter(this);
    connect(Main->MdiArea, &QMdiArea::subWindowActivated, this,
            [this](QMdiSubWindow* w) { MergeMenus(w == this && !Closing()); });

    turnForm_ = TurnForm();
    resize(548, 331);
}

TProblemForm::~TProblemForm() {
    disconnect(Main->MdiArea, nullptr, this, nullptr);
    MergeMenus(false);
    if (turnForm_) turnForm_->Turn().ForgetWindow(this);
}

TCalculForm* TProblemForm::CalculForm() const {
    return Main->findChild<TCalculForm*>(QString(), Qt::FindDirectChildrenOnly);
}

TTurnForm* TProblemForm::TurnForm() const {
    return Main->findChild<TTurnForm*>(QString(), Qt::FindDirectChildrenOnly);
}

QString TProblemForm::BaseName() const {
    return Q(zem::SplitFileName(zem::StoredPath(Std(windowTitle()))).Base);
}

void TProblemForm::MergeMenus(bool active) {
    if (active == merged_) return;
    merged_ = active;
    QMenuBar* bar = Main->menuBar();
    for (QMenu* m : {DataMenu, CalculMenu, ApproxMenu}) {
        if (active)
            bar->insertMenu(Main->OptionsMenu->menuAction(), m);
        else
            bar->removeAction(m->menuAction());
    }
}

bool TProblemForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        // Without an element editor a double click selects a word as usual.
        if (watched == ObjectMemo->viewport() && ProblemFormHooks(*Main).ElementEditor) {
            RunGuarded(Main, [this] { ElementItemClick(); });
            return true;
        }
        if (watched == CalculMemo->viewport()) {
            RunGuarded(Main, [this] { DataCalcItemClick(); });
            return true;
        }
    }
    return TFChildForm::eventFilter(watched, event);
}

// --- State. --------------------------------------------------------------------

void TProblemForm::CheckIdle() const {
    if (busy_) throw zem::ZemError(kBusyText);
}

void TProblemForm::CheckProblem() const {
    CheckIdle();
    if (!Problem) throw zem::ZemError("Тип задачи не выбран");
}

void TProblemForm::SetBusy(bool on) {
    // The worker reads the problem meanwhile: whether its text differs from
    // the file is taken now.
    if (on) busyObjectChanged_ = ObjectChanged();
    busy_ = on;
    for (QPlainTextEdit* memo : {ObjectMemo, CalculMemo}) memo->setReadOnly(on);
    TypeComboBox->setEnabled(!on);
    for (QMenu* m : {DataMenu, CalculMenu, ApproxMenu})
        for (QAction* a : m->actions()) a->setEnabled(!on);
    ResultCalcItem->setEnabled(!on);
}

bool TProblemForm::TextsChanged() const {
    return ObjectMemo->document()->isModified() || CalculMemo->document()->isModified();
}

bool TProblemForm::ObjectChanged() const {
    if (!Problem) return false;
    if (ObjectMemo->document()->isModified()) return true;  // typed, not taken yet
    if (busy_) return busyObjectChanged_;
    return Problem->TypeIndex() != savedType_ || zem::PrintObject(*Problem) != saved_.Object;
}

QStringList TProblemForm::ChangedParts() const {
    QStringList parts;
    if (ObjectChanged()) parts << QStringLiteral("текст объекта");
    if (LinesOf(CalculMemo) != saved_.Calculation) parts << QStringLiteral("установки расчета");
    if (LinesOf(DescriptMemo) != saved_.Description) parts << QStringLiteral("описание");
    if (LinesOf(ResDataMemo) != saved_.ResultData) parts << QStringLiteral("запросы результатов");
    if (approxChanged_) parts << QStringLiteral("список приближений");
    return parts;
}

bool TProblemForm::IsModified() const { return !ChangedParts().isEmpty(); }

void TProblemForm::MarkSaved() {
    saved_.Object = Problem ? zem::PrintObject(*Problem) : std::vector<std::string>{};
    savedType_ = Problem ? Problem->TypeIndex() : -1;
    saved_.Calculation = LinesOf(CalculMemo);
    saved_.Description = LinesOf(DescriptMemo);
    saved_.ResultData = LinesOf(ResDataMemo);
    for (QPlainTextEdit* memo : {ObjectMemo, CalculMemo, DescriptMemo, ResDataMemo}) memo->document()->setModified(false);
    approxChanged_ = false;
}

void TProblemForm::MarkApproxChanged() { approxChanged_ = true; }

void TProblemForm::SetCalculLines(const std::vector<std::string>& lines) {
    if (lines == LinesOf(CalculMemo)) return;
    SetLines(CalculMemo, lines);
    CalculMemo->document()->setModified(true);
}

void TProblemForm::RewriteCalculMemo(bool fromDefaults) {
    TCalculForm* dialog = CalculForm();
    if (!dialog || !Problem) return;
    dialog->FillLists(Problem);
    try {
        if (fromDefaults)
            dialog->LoadDefaults();
        else
            dialog->LoadLines(LinesOf(CalculMemo));
    } catch (const zem::ZemError&) {
        return;  // lines the dialog cannot read stay as they are
    }
    SetCalculLines(dialog->WriteLines(false));
}

// --- File window. ----------------------------------------------------------------

void TProblemForm::ShowData() {
    if (!Problem || busy_) return;
    // The memo now shows the tree as it is: nothing typed is waiting. Whether
    // the tree differs from the file is judged against what was saved.
    SetLines(ObjectMemo, zem::PrintObject(*Problem));
    Problem->SetCalculated(false);
}

void TProblemForm::ApplyObjectText() {
    CheckProblem();
    if (!TextsChanged()) return;
    zem::CheckMeshItemsGiven(Std(ObjectMemo->toPlainText()));
    try {
        Problem->Root().SetLines(LinesOf(ObjectMemo));
    } catch (const zem::ZemError& e) {
        // "<position>, <text>": the caret goes to the position.
        static const QRegularExpression kPositioned(QStringLiteral("^\\s*(\\d+)\\s*,\\s*(.*)$"),
                                                    QRegularExpression::DotMatchesEverythingOption);
        const QRegularExpressionMatch m = kPositioned.match(QString::fromUtf8(e.what()));
        if (!m.hasMatch()) throw;
        QTextCursor c = ObjectMemo->textCursor();
        const int position = std::min(m.captured(1).toInt(), ObjectMemo->document()->characterCount() - 1);
        c.setPosition(position);
        ObjectMemo->setTextCursor(c);
        // The message names the parameter the caret stands in.
        const QString key = KeyBefore(ObjectMemo->toPlainText(), position);
        throw zem::ZemError(Std(key.isEmpty() ? m.captured(2) : key + QStringLiteral(": ") + m.captured(2)));
    }
    ObjectMemo->document()->setModified(false);
    Problem->CollectDomains();
    Problem->SetCalculated(false);
    RefreshDependents();
    RewriteCalculMemo(false);
}

void TProblemForm::SaveData() {
    try {
        CheckProblem();
        ApplyObjectText();
    } catch (const zem::ZemError& e) {
        throw EDataError(e.what());  // nothing written
    }
    if (FileName.isEmpty()) {
        Main->SaveChildAs(this);
        return;
    }
    zem::TProblemTexts texts;
    texts.Object = zem::PrintObject(*Problem);
    texts.Calculation = LinesOf(CalculMemo);
    texts.Process = LinesOf(ProcessMemo);
    texts.ResultData = LinesOf(ResDataMemo);
    texts.Results = LinesOf(ResultMemo);
    texts.Description = LinesOf(DescriptMemo);
    // Under a new name the results go with the copy: the approximations'
    // results files are found under their old names first.
    const std::string startDir = Std(Main->StartDir());
    const std::string name = zem::StoredPath(Std(FileName));
    const bool renamed = !savedName_.isEmpty() && zem::StoredPath(Std(savedName_)) != name;
    std::vector<std::string> oldApprox;
    for (const zem::TApproximation& a : Problem->Approximations())
        oldApprox.push_back(a.Text.empty() ? std::string() : zem::ToAbsolutePath(startDir, a.Text));
    zem::TPbData(startDir).WriteProblemFile(name, *Problem, ApproxSaveItem->isChecked(), texts);
    if (renamed) CopyResults(zem::StoredPath(Std(savedName_)), name, oldApprox);
    savedName_ = FileName;
    MarkSaved();
}

void TProblemForm::CopyResults(const std::string& from, const std::string& to,
                               const std::vector<std::string>& oldApprox) {
    const std::string startDir = Std(Main->StartDir());
    auto copy = [](const std::string& src, const std::string& dst) {
        if (src == dst || !zem::FileCanOpen(src)) return;
        // Replaced only once the copy is whole: a failed copy keeps the old
        // results, and its message gives the file and the system's reason.
        zem::WriteFileAtomic(zem::NativePath(dst),
                             zem::ReadFileBytes(zem::NativePath(src), std::numeric_limits<std::size_t>::max()));
    };
    const std::string res = zem::ChangeFileExtension(to, "res");
    if (Problem->Calculated() && Problem->Solver())
        Problem->SaveResults(zem::NativePath(res));
    else
        copy(zem::ChangeFileExtension(from, "res"), res);
    if (!ApproxSaveItem->isChecked()) return;
    const auto& approx = Problem->Approximations();
    for (std::size_t i = 0; i < approx.size() && i < oldApprox.size(); ++i) {
        const zem::TApproximation& a = approx[i];
        if (!a.Problem || a.Text.empty() || oldApprox[i].empty()) continue;
        if (a.Problem->Calculated() && a.Problem->Solver()) continue;  // written with the file
        copy(zem::ChangeFileExtension(oldApprox[i], "res"),
             zem::ChangeFileExtension(zem::ToAbsolutePath(startDir, a.Text), "res"));
    }
}

void TProblemForm::LoadData() {
    // 1. The problem file.
    zem::TProblemTexts texts;
    // A failure fails the opening: the main window closes the window (so
    // nothing half-read can be saved over the file) and says why.
    Problem = zem::TPbData(Std(Main->StartDir())).ReadProblemFile(Std(FileName), texts);
    TypeComboBox->setCurrentIndex(Problem->TypeIndex());
    TypeLabel->setText(Q(zem::ProblemTypeCaption(Problem->TypeIndex())));
    SetLines(ObjectMemo, texts.Object);
    SetLines(CalculMemo, texts.Calculation);
    SetLines(ProcessMemo, texts.Process);
    SetLines(ResDataMemo, texts.ResultData);
    SetLines(ResultMemo, texts.Results);
    SetLines(DescriptMemo, texts.Description);
    savedName_ = FileName;
    MarkSaved();

    // 2. Its results, solved by the method of its own calculation lines.
    const std::string res = zem::ChangeFileExtension(zem::StoredPath(Std(FileName)), "res");
    if (!zem::FileCanOpen(res)) return;
    try {
        zem::TCalcSettings s;
        try {
            s = zem::ReadCalcSettings(texts.Calculation);
        } catch (const zem::ZemError&) {
        }
        zem::TRealTypeScope realType(s.RealType);
        Problem->BuildEquations();
        Problem->CreateSolver(s.SLAEMethod, *Main->ProgressForm);
        Problem->LoadResults(zem::NativePath(res));
        Problem->SetCalculated(true);
    } catch (const std::exception& e) {
        Problem->SetCalculated(false);
        const zem::TFileNameParts caption = zem::SplitFileName(zem::StoredPath(Std(windowTitle())));
        const std::string dir = caption.Dir.empty() ? std::string() : caption.Dir + "\\";
        const QString shown = Q(zem::NativePath(dir + caption.Base + ".res"));
        ShowMessage(Main, FileErrorText(QStringLiteral("Ошибка загрузки файла ") + shown, e));
    }
}

// --- Type. -----------------------------------------------------------------------

void TProblemForm::SelectType(int index) {
    if (index < 0 || index >= zem::kProblemTypeCount) throw zem::ZemError("Ошибка данных");
    TypeComboBox->setCurrentIndex(index);
    TypeComboBoxClick();
}

void TProblemForm::TypeComboBoxClick() {
    CheckIdle();
    const int index = TypeComboBox->currentIndex();
    if (index < 0) return;
    auto restore = [this] {
        if (Problem) TypeComboBox->setCurrentIndex(Problem->TypeIndex());
    };
    TypeLabel->setText(Q(zem::ProblemTypeCaption(index)));
    const bool fresh = !Problem;
    try {
        if (fresh) {
            Problem = std::make_shared<zem::TProblem>(index, Std(BaseName()));
        } else {
            if (zem::ProblemTypeName(index) == Problem->Root().GetTypeName()) return;
            if (!CloseDependents()) {
                restore();
                return;
            }
            // The new root takes over what it shares with the old one.
            auto next = std::make_shared<zem::TProblem>(index, Problem->Root().Key());
            try {
                next->Root().Assign(Problem->Root());
            } catch (const std::exception&) {
                next = std::make_shared<zem::TProblem>(index, Problem->Root().Key());
            }
            next->CollectDomains();
            Problem = std::move(next);
        }
    } catch (...) {
        restore();
        if (Problem) TypeLabel->setText(Q(zem::ProblemTypeCaption(Problem->TypeIndex())));
        throw;
    }
    ShowData();
    RewriteCalculMemo(fresh);
}

// --- Commands. -----------------------------------------------------------------

void TProblemForm::ElementItemClick() {
    ApplyObjectText();
    const QString caption = Q(Problem->Root().Key());
    for (TChildForm* d : Dependents)
        if (d->windowTitle() == caption) {
            Main->ShowChild(d);
            return;
        }
    if (!ProblemFormHooks(*Main).ElementEditor) {
        ShowMessage(Main, QStringLiteral("Редактора элементов в этой сборке программы нет."), TMsgKind::Information);
        return;
    }
    OpenDependent(ProblemFormHooks(*Main).ElementEditor, caption, 0, nullptr);
}

void TProblemForm::DataCalcItemClick() {
    CheckProblem();
    TCalculForm* dialog = CalculForm();
    if (!dialog) throw zem::ZemError("Диалога расчета в этой сборке программы нет.");
    dialog->setWindowTitle(QStringLiteral("Установки расчета: ") + windowTitle());
    dialog->SetUse(TCalculUse::Settings);
    dialog->FillLists(Problem);
    dialog->LoadLines(LinesOf(CalculMemo));
    if (!dialog->Execute()) return;
    SetCalculLines(dialog->WriteLines());
    CalculMemo->moveCursor(QTextCursor::Start);
}

void TProblemForm::CheckItemClick() {
    ApplyObjectText();
    const std::vector<std::string> warnings = zem::MeshGuardLines(*Problem);
    if (warnings.empty()) {
        ShowMessage(Main, QStringLiteral("Ошибок не найдено !"), TMsgKind::Information);
        return;
    }
    QString text = QStringLiteral("Ошибок не найдено, но сетка может не разрешать решение:");
    for (const std::string& line : warnings) text += QStringLiteral("\n") + Q(line);
    ShowMessage(Main, text, TMsgKind::Warning);
}

void TProblemForm::TableSLAEItemClick() {
    ApplyObjectText();
    Problem->BuildEquations();
    if (ProblemFormHooks(*Main).SystemTable)
        ProblemFormHooks(*Main).SystemTable(*this);
    else
        ShowMessage(Main, QStringLiteral("Окна СЛАУ в этой сборке программы нет."), TMsgKind::Information);
}

void TProblemForm::SolveItemClick(bool withWindow) {
    // 1. The object text. The file is written only once the run is
    // confirmed: a cancelled dialog leaves it as it was.
    ApplyObjectText();
    TCalculForm* dialog = CalculForm();
    TTurnForm* turn = TurnForm();
    if (!dialog || !turn) throw zem::ZemError("Очереди расчетов в этой сборке программы нет.");
    // 3.-4. The dialog, unless the automatic mode runs without it.
    dialog->setWindowTitle(QStringLiteral("Расчет: ") + windowTitle());
    dialog->SetUse(TCalculUse::Run);
    dialog->FillLists(Problem);
    dialog->LoadLines(LinesOf(CalculMemo));
    if (!dialog->AutoMode() && !dialog->Execute()) return;
    // 5. The lines, the file, and the queue.
    SetCalculLines(dialog->WriteLines());
    CalculMemo->moveCursor(QTextCursor::Start);
    if (!Main->SaveChild(this)) return;
    const QString text = Q(zem::StoredPath(Std(windowTitle())));
    turn->AddToQueue(text, withWindow ? this : nullptr);
    ProcessMemo->clear();
}

void TProblemForm::ApproxItemClick() {
    CheckProblem();
    if (ProblemFormHooks(*Main).Approximations)
        ProblemFormHooks(*Main).Approximations(*this);
    else
        ShowMessage(Main, QStringLiteral("Окна приближений в этой сборке программы нет."), TMsgKind::Information);
}

void TProblemForm::ResultCalcItemClick() {
    CheckIdle();
    if (!Problem || !Problem->Calculated()) return;
    // After a mesh selection, the answer on the selected mesh, and which.
    const std::vector<std::string> calculation = LinesOf(CalculMemo);
    std::size_t which = 0;
    zem::TProblem& shown = zem::FinalSolution(*Problem, calculation, which);
    std::vector<std::string> values = zem::AnswerTexts(zem::AnswerRequests(shown, LinesOf(ResDataMemo)));
    if (which) values.insert(values.begin(), zem::ShownMeshText(*Problem, calculation));
    SetLines(ResultMemo, values);
}

// --- The queue. ------------------------------------------------------------------

void TProblemForm::BeginRun(zem::TTurnJob& job) {
    // The run calculates what the window shows: text typed while the run
    // waited is taken first (and would otherwise be lost when the result
    // comes back).
    try {
        ApplyObjectText();
    } catch (const std::exception& e) {
        SetLines(ProcessMemo, {e.what()});
        ReportFailure(Q(e.what()));
        throw;
    }
    job.Problem = Problem;
    job.Calculation = LinesOf(CalculMemo);
    SetBusy(true);
    SetRunState(TRunState::Running);
}

void TProblemForm::EndRun(zem::TTurnJob& job) {
    SetBusy(false);
    if (job.Ok) {
        const std::string unfinished = zem::UnfinishedSelection(job.Process);
        SetRunState(unfinished.empty() ? TRunState::Done : TRunState::Unfinished, Q(unfinished));
        AfterCalculation(job.Process);
        return;
    }
    SetLines(ProcessMemo, job.Process);
    ProcessMemo->moveCursor(QTextCursor::End);
    const QString error = job.Error.empty() ? QStringLiteral("Неизвестная ошибка") : Q(job.Error);
    if (error == QString::fromUtf8(zem::EBreakCalcule().what())) {
        SetRunState(TRunState::Stopped);
        return;
    }
    ReportFailure(error);
}

void TProblemForm::ReportFailure(const QString& error) {
    SetRunState(TRunState::Failed, error);
    // Shown once the queue has finished with the entry (a modal box must not
    // run inside the queue's bookkeeping).
    QTimer::singleShot(0, this, [this, error] {
        if (Closing()) return;
        Main->ShowChild(this);
        ShowMessage(this, QStringLiteral("Расчет ") + windowTitle() + QStringLiteral(" не выполнен:\n") + error);
    });
}

void TProblemForm::SetRunState(TRunState state, const QString& error) {
    runState_ = state;
    QString text;
    switch (state) {
    case TRunState::None: break;
    case TRunState::Running: text = QStringLiteral("Идет расчет"); break;
    case TRunState::Done: text = QStringLiteral("Расчет завершен"); break;
    case TRunState::Unfinished: text = QStringLiteral("Расчет завершен: ") + error; break;
    case TRunState::Stopped: text = QStringLiteral("Расчет прерван"); break;
    case TRunState::Failed: text = QStringLiteral("Расчет не выполнен: ") + error; break;
    }
    StatusLabel->setText(text);
    StatusLabel->setVisible(!text.isEmpty());
    const bool warn = state == TRunState::Failed || state == TRunState::Unfinished;
    StatusLabel->setStyleSheet(warn ? QStringLiteral("color: #b00000; font-weight: bold") : QString());
    if (state != TRunState::None && state != TRunState::Running)
        Main->statusBar()->showMessage(windowTitle() + QStringLiteral(": ") + text);
}

void TProblemForm::AfterCalculation(const std::vector<std::string>& process) {
    SetLines(ProcessMemo, process);
    ShowData();
    Main->SaveChild(this);  // a failure is reported there
    Problem->SetCalculated(true);
    if (ProblemFormHooks(*Main).RefreshViews) ProblemFormHooks(*Main).RefreshViews(*this);
}

void TProblemForm::closeEvent(QCloseEvent* event) {
    if (!Closing() && busy_) {
        Main->ShowChild(this);
        if (!Main->AskStopCalculation()) {
            event->ignore();
            return;
        }
        if (turnForm_) turnForm_->Turn().Stop();
    }
    TFChildForm::closeEvent(event);
    if (Closing()) {
        MergeMenus(false);
        if (turnForm_) turnForm_->Turn().ForgetWindow(this);
    }
}

// --- Installation. ---------------------------------------------------------------

void InstallProblemWindows(TMainForm& main) {
    auto* calc = new TCalculForm(main.Store(), &main);
    auto* types = new TPbTypeForm(&main);
    auto* turn = new TTurnForm(&main);
    main.RegisterPlacement(QStringLiteral("COMMON"), QStringLiteral("TurnForm"), turn, false);
    main.Hooks.ProblemWindow = ChildFactory<TProblemForm>();
    main.Hooks.ChooseProblemType = [types](QWidget*, std::string& typeName) { return types->Execute(typeName); };
    main.Hooks.ApplyProblemType = [](TFChildForm* window, const std::string& typeName) {
        if (auto* form = qobject_cast<TProblemForm*>(window)) form->SelectType(zem::ProblemTypeByName(typeName));
    };
    main.Hooks.CalcOptions = [calc] {
        calc->SetUse(TCalculUse::Defaults);
        calc->Execute();
    };
    main.Hooks.ShowTurn = [turn] {
        turn->show();
        turn->raise();
        turn->activateWindow();
    };
    main.Hooks.StopCalculations = [turn] { turn->Shutdown(); };
    InstallSeriesWindow(main);
    InstallApproxWindow(main);
}
