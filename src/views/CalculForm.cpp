#include "views/CalculForm.h"
#include "app/QtText.h"

#include "app/Dialogs.h"
#include "app/HelpForm.h"
#include "app/RegIniFile.h"
#include "problem/CalcSettings.h"
#include "calc/Calcul.h"
#include "calc/MeshGuard.h"
#include "calc/Turn.h"
#include "platform/numtext.h"
#include "problem/PbHarmonic.h"
#include "problem/Problems.h"
#include "solvers/Matrises.h"
#include "solvers/SLCLass.h"
#include "domains/Domains.h"
#include "domains/ElDomain.h"
#include "elements/Elements.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace {

const QString kSection = QStringLiteral("CALCULATION");

QListWidget* CheckList(QWidget* parent, const QString& hint) {
    auto* list = new QListWidget(parent);
    list->setToolTip(hint);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    return list;
}

void AddChecked(QListWidget* list, const std::string& name, bool checked) {
    auto* item = new QListWidgetItem(Q(name), list);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

int Clamped(int v, int count) { return v < 0 || v >= count ? 0 : v; }

}  // namespace

TCalculForm::TCalculForm(TRegIniFile& store, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint), store_(store) {
    setWindowTitle(QStringLiteral("Расчет"));

    // The type of calculation.
    CalcTypeGroup = new QGroupBox(QStringLiteral("Тип расчета"), this);
    SimpleRadioButton = new QRadioButton(QStringLiteral("Простой расчет"), CalcTypeGroup);
    AstRadioButton = new QRadioButton(QStringLiteral("Оценка погрешности"), CalcTypeGroup);
    PrecRadioButton = new QRadioButton(QStringLiteral("Подбор сетки"), CalcTypeGroup);
    SimpleRadioButton->setChecked(true);
    auto* typeLayout = new QVBoxLayout(CalcTypeGroup);
    for (QRadioButton* b : {SimpleRadioButton, AstRadioButton, PrecRadioButton}) {
        typeLayout->addWidget(b);
        connect(b, &QRadioButton::toggled, this, [this](bool on) {
            if (on) CalcTypeClick();
        });
    }

    // The mesh-error norm.
    NormaGroupBox = new QGroupBox(QStringLiteral("Погрешность сетки"), this);
    SqrNormRadioButton = new QRadioButton(QStringLiteral("Среднеквадратичная норма"), NormaGroupBox);
    UniNormRadioButton = new QRadioButton(QStringLiteral("Равномерная норма"), NormaGroupBox);
    UniNormRadioButton->setChecked(true);
    auto* normLayout = new QVBoxLayout(NormaGroupBox);
    normLayout->addWidget(SqrNormRadioButton);
    normLayout->addWidget(UniNormRadioButton);
    QSizePolicy keep = NormaGroupBox->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    NormaGroupBox->setSizePolicy(keep);

    // The characteristics of the estimate, or the error, criterion and axes
    // of the mesh selection, in one place.
    Panels = new QStackedWidget(this);
    Panels->addWidget(new QWidget(Panels));
    AstPanel = new QWidget(Panels);
    AstListBox = CheckList(AstPanel, QStringLiteral("Оценивать характеристики"));
    auto* astLayout = new QVBoxLayout(AstPanel);
    astLayout->setContentsMargins(0, 0, 0, 0);
    astLayout->addWidget(AstListBox);
    Panels->addWidget(AstPanel);
    PrecPanel = new QWidget(Panels);
    PrecEdit = new QLineEdit(PrecPanel);
    PrecEdit->setToolTip(QStringLiteral("Погрешность при загущении сетки"));
    PrecCharComboBox = new QComboBox(PrecPanel);
    PrecCharComboBox->setToolTip(QStringLiteral("Критерий погрешности"));
    PrecListBox = CheckList(PrecPanel, QStringLiteral("Подбор в направлении осей"));
    auto* precRow = new QHBoxLayout;
    precRow->addWidget(PrecEdit, 1);
    precRow->addWidget(new QLabel(QStringLiteral("%"), PrecPanel));
    precRow->addWidget(PrecCharComboBox, 2);
    auto* precLayout = new QVBoxLayout(PrecPanel);
    precLayout->setContentsMargins(0, 0, 0, 0);
    precLayout->addLayout(precRow);
    precLayout->addWidget(PrecListBox);
    Panels->addWidget(PrecPanel);

    // The linear system.
    SLAEGroupBox = new QGroupBox(QStringLiteral("СЛАУ"), this);
    RealTypeBox = new QComboBox(SLAEGroupBox);
    RealTypeBox->setToolTip(QStringLiteral("Базовый вещественный тип"));
    for (const std::string& n : zem::RealTypeNames()) RealTypeBox->addItem(Q(n));
    SLAEMethodBox = new QComboBox(SLAEGroupBox);
    SLAEMethodBox->setToolTip(QStringLiteral("Метод решения СЛАУ"));
    for (const std::string& n : zem::SLAEMethodNames()) SLAEMethodBox->addItem(Q(n));
    SLAEErrorCheckBox = new QCheckBox(QStringLiteral("Оценка погрешности "), SLAEGroupBox);
    SLAEErrorCheckBox->setChecked(true);
    SLAEPrecEdit = new QLineEdit(SLAEGroupBox);
    SLAEPrecEdit->setToolTip(QStringLiteral("Погрешность решения СЛАУ"));
    SLAEPrecEdit->hide();
    RelaxEdit = new QLineEdit(SLAEGroupBox);
    RelaxEdit->setToolTip(QStringLiteral("Параметр релаксации"));
    RelaxEdit->hide();
    auto* slaeLayout = new QGridLayout(SLAEGroupBox);
    slaeLayout->addWidget(RealTypeBox, 0, 0);
    slaeLayout->addWidget(SLAEErrorCheckBox, 0, 1);
    slaeLayout->addWidget(SLAEMethodBox, 1, 0, 1, 2);
    EstimateLabel = new QLabel(SLAEGroupBox);
    EstimateLabel->setWordWrap(true);
    EstimateLabel->setMinimumHeight(EstimateLabel->fontMetrics().lineSpacing() * 3);
    EstimateLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    EstimateLabel->setToolTip(QStringLiteral("Порядок системы, полуширина ленты, память метода и число операций"));
    slaeLayout->addWidget(EstimateLabel, 2, 0, 1, 2);
    // Shown while the estimate names a faster method: switches to it.
    UseMethodBtn = new QPushButton(SLAEGroupBox);
    UseMethodBtn->setAutoDefault(false);
    UseMethodBtn->hide();
    slaeLayout->addWidget(UseMethodBtn, 3, 0, 1, 2, Qt::AlignLeft);
    connect(UseMethodBtn, &QPushButton::clicked, this, [this] {
        if (const std::optional<zem::TSolverEstimate> e = Estimate(); e && e->Suggested >= 0)
            SLAEMethodBox->setCurrentIndex(e->Suggested);
    });
    for (QComboBox* box : {SLAEMethodBox, RealTypeBox})
        connect(box, &QComboBox::currentIndexChanged, this, [this] { ShowEstimate(); });
    for (QLineEdit* e : {PrecEdit, SLAEPrecEdit, RelaxEdit}) e->installEventFilter(this);

    // The switches and the buttons.
    ModeCheckBox = new QCheckBox(QStringLiteral("Автоматический режим"), this);
    ModeCheckBox->setToolTip(QStringLiteral("Режим расчета"));
    DefaultCheckBox = new QCheckBox(QStringLiteral("Сохранение установок"), this);
    ResultCheckBox = new QCheckBox(QStringLiteral("Сохранение результатов"), this);
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Отмена"), this);
    connect(OKButton, &QPushButton::clicked, this, &TCalculForm::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    // The pop-up menu of the two check lists.
    ListPopupMenu = new QMenu(this);
    SelectAllItem = ListPopupMenu->addAction(QStringLiteral("&Выделить все"), this, &TCalculForm::SelectAllItemClick);
    ClearAllItem = ListPopupMenu->addAction(QStringLiteral("&Снять все"), this, &TCalculForm::ClearAllItemClick);
    ByTypeItem = ListPopupMenu->addAction(QStringLiteral("По типу"), this, &TCalculForm::ByTypeItemClick);
    ByTypeItem->setCheckable(true);
    ByTypeItem->setChecked(true);
    ByTypeItem->setEnabled(false);
    for (QListWidget* list : {AstListBox, PrecListBox})
        connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint& pos) {
            popupList_ = list;
            ListPopupMenu->exec(list->viewport()->mapToGlobal(pos));
        });

    auto* left = new QVBoxLayout;
    left->addWidget(CalcTypeGroup);
    left->addWidget(NormaGroupBox);
    left->addStretch();
    auto* top = new QHBoxLayout;
    top->addLayout(left);
    top->addWidget(Panels, 1);
    auto* switches = new QGridLayout;
    switches->addWidget(ModeCheckBox, 0, 0);
    switches->addWidget(DefaultCheckBox, 0, 1);
    switches->addWidget(ResultCheckBox, 1, 0);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    // The mesh guard's warnings about the problem shown; hidden when none.
    MeshWarningLabel = new QLabel(this);
    MeshWarningLabel->setWordWrap(true);
    MeshWarningLabel->setStyleSheet(QStringLiteral("color: #b00000"));
    MeshWarningLabel->setToolTip(QStringLiteral("Сетка может не разрешать решение: расчет возможен, но ответ неточен"));
    MeshWarningLabel->hide();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(SLAEGroupBox);
    layout->addWidget(MeshWarningLabel);
    layout->addLayout(switches);
    layout->addLayout(buttons);
    Panels->setMinimumSize(220, 150);
    setFixedSize(sizeHint().expandedTo(QSize(480, 0)));

    new QShortcut(QKeySequence(Qt::Key_F1), this, [this] { ShowHelpFor(this); });

    CalcTypeClick();
    LoadDefaults();
}

// --- Uses. ---------------------------------------------------------------------

void TCalculForm::SetUse(TCalculUse use) {
    use_ = use;
    OKButton->setText(use == TCalculUse::Run ? QStringLiteral("Расчет") : QStringLiteral("ОК"));
    if (use == TCalculUse::Defaults) {
        setWindowTitle(QStringLiteral("Расчет"));
        FillLists(nullptr);
        LoadDefaults();
    }
}

void TCalculForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ShowEstimate();
}

bool TCalculForm::Execute() {
    const bool ok = exec() == QDialog::Accepted;
    if (ok && use_ == TCalculUse::Defaults) StoreDefaults();
    return ok;
}

bool TCalculForm::AutoMode() const { return ModeCheckBox->isChecked(); }

void TCalculForm::accept() {
    if (CalcType() == zem::ctChoose && !NumberEditExit(PrecEdit)) return;
    // The characteristics must be ones the problem offers (a mesh selection
    // without a criterion would otherwise fail only when it runs).
    if (const std::shared_ptr<zem::TProblem> problem = problem_.lock()) {
        try {
            zem::TCalcSettings s = zem::ReadCalcSettings(WriteLines(false));
            zem::CheckCharacteristics(*problem, s);
        } catch (const std::exception& e) {
            ShowMessage(this, Q(e.what()));
            return;
        }
    }
    if (use_ == TCalculUse::Run && !CheckMethodFits()) return;
    QDialog::accept();
}

// --- The cost of the method. ---------------------------------------------------

bool TCalculForm::SizeProblem() {
    const std::shared_ptr<zem::TProblem> problem = problem_.lock();
    if (!problem) {
        sized_ = false;
        sizedText_.clear();
        return false;
    }
    const std::string text = problem->Root().Text();
    if (!sizedText_.empty() && text == sizedText_) return sized_;
    sizedText_ = text;
    sized_ = false;
    try {
        std::unique_ptr<zem::TProblem> copy = problem->Clone();
        copy->CollectDomains();
        copy->BuildEquations();
        unknowns_ = copy->UnknownCount();
        halfBand_ = zem::HalfBandWidth(unknowns_, [&copy](std::size_t r, zem::TRowItems& items, zem::Extended& free) {
            free = copy->GetRow(r, items);
        });
        surface_ = false;
        for (const zem::TDmElement* dm : copy->Domains())
            if (dm->Domain && dm->Domain->DimCount == 2) surface_ = true;
        circulant_ = surface_ && zem::HarmonicApplies(*copy);
        sized_ = unknowns_ > 0;
    } catch (const std::exception&) {
        // A text that does not set up: no estimate until it is mended.
    }
    return sized_;
}

std::optional<zem::TSolverEstimate> TCalculForm::Estimate() {
    if (!SizeProblem() || SLAEMethodBox->currentIndex() < 0) return std::nullopt;
    return zem::EstimateSolver(SLAEMethodBox->currentIndex(), unknowns_, halfBand_,
                               static_cast<zem::TRealType>(std::max(0, RealTypeBox->currentIndex())));
}

void TCalculForm::ShowEstimate() {
    // Sizing a large problem pulls every row of its system: only for the
    // dialog in view.
    if (!isVisible()) return;
    const std::optional<zem::TSolverEstimate> e = Estimate();
    UseMethodBtn->hide();
    if (!e) {
        EstimateLabel->clear();
        return;
    }
    const int digits = e->Operations >= 1 ? static_cast<int>(std::floor(std::log10(e->Operations))) : 0;
    QString text = QStringLiteral("Порядок %1, лента ±%2: память %3 из %4 доступных, ~10^%5 операций")
                       .arg(e->Unknowns)
                       .arg(e->HalfBand)
                       .arg(Q(zem::MemoryText(e->MemoryBytes)))
                       .arg(Q(zem::MemoryText(e->AvailableBytes)))
                       .arg(digits);
    if (!e->Fits)
        text += QStringLiteral(" — не поместится");
    if (e->Suggested >= 0 && e->Suggested != e->Method) {
        const QString faster = Q(zem::SLAEMethodNames()[static_cast<std::size_t>(e->Suggested)]);
        text += QStringLiteral("; быстрее: «%1»").arg(faster);
        UseMethodBtn->setText(QStringLiteral("Использовать «%1»").arg(faster));
        UseMethodBtn->show();
    }
    EstimateLabel->setText(text);
    EstimateLabel->setStyleSheet(e->Fits ? QString() : QStringLiteral("color: #b00000"));
}

bool TCalculForm::CheckMethodFits() {
    const std::optional<zem::TSolverEstimate> e = Estimate();
    if (!e || e->Fits) return true;
    const QString refusal = Q(zem::NotEnoughMemoryText(*e));
    if (e->Suggested < 0) {
        ShowMessage(this, refusal);
        return false;
    }
    const QString offered = Q(zem::SLAEMethodNames()[static_cast<std::size_t>(e->Suggested)]);
    if (!AskOkCancel(this, refusal + QStringLiteral("\n\nРешить методом «") + offered + QStringLiteral("»?"),
                     TMsgKind::Warning))
        return false;
    SLAEMethodBox->setCurrentIndex(e->Suggested);
    return true;
}

// --- Lists. --------------------------------------------------------------------

int TCalculForm::ListType() const { return ByTypeItem->isChecked() ? zem::ltByType : zem::ltByDomain; }

void TCalculForm::FillLists(const std::shared_ptr<zem::TProblem>& problem) {
    problem_ = problem;
    manyDomains_ = problem && problem->Domains().size() > 1;
    if (!manyDomains_) ByTypeItem->setChecked(false);
    ByTypeItem->setEnabled(manyDomains_);
    RefillLists();
    ShowEstimate();
    ShowMeshWarnings();
}

void TCalculForm::ShowMeshWarnings() {
    QStringList lines;
    if (const std::shared_ptr<zem::TProblem> problem = problem_.lock()) {
        try {
            for (const std::string& line : zem::MeshGuardLines(*problem)) lines << Q(line);
        } catch (const std::exception&) {
            // A problem whose domains cannot be judged is left to the run.
        }
    }
    MeshWarningLabel->setText(lines.join(QStringLiteral("\n")));
    MeshWarningLabel->setVisible(!lines.isEmpty());
    layout()->activate();
    setFixedSize(sizeHint().expandedTo(QSize(480, 0)));
}

void TCalculForm::RefillLists() {
    AstListBox->clear();
    PrecCharComboBox->clear();
    PrecListBox->clear();
    const std::shared_ptr<zem::TProblem> problem = problem_.lock();
    if (!problem) return;
    for (const std::string& n : zem::CharacteristicNames(*problem, ListType())) {
        AddChecked(AstListBox, n, false);
        PrecCharComboBox->addItem(Q(n));
    }
    PrecCharComboBox->setCurrentIndex(-1);
    for (const std::string& n : zem::AxisNames(*problem, ListType())) AddChecked(PrecListBox, n, true);
}

std::vector<std::string> TCalculForm::Checked(const QListWidget* list) {
    std::vector<std::string> names;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->checkState() == Qt::Checked) names.push_back(list->item(i)->text().toStdString());
    return names;
}

void TCalculForm::CheckEntries(QListWidget* list, const std::vector<std::string>& names) {
    for (int i = 0; i < list->count(); ++i) {
        const std::string text = list->item(i)->text().toStdString();
        const bool in = std::any_of(names.begin(), names.end(),
                                    [&](const std::string& n) { return zem::SameEntryText(n, text); });
        list->item(i)->setCheckState(in ? Qt::Checked : Qt::Unchecked);
    }
}

// --- Lines and defaults. -------------------------------------------------------

int TCalculForm::CalcType() const {
    if (AstRadioButton->isChecked()) return zem::ctAstim;
    if (PrecRadioButton->isChecked()) return zem::ctChoose;
    return zem::ctSimple;
}

void TCalculForm::SetCalcType(int type) {
    (type == zem::ctAstim ? AstRadioButton : type == zem::ctChoose ? PrecRadioButton : SimpleRadioButton)
        ->setChecked(true);
    CalcTypeClick();
}

void TCalculForm::LoadDefaults() {
    LoadStoredDefaults();
    // Without a method of the user's own, the one that suits the size.
    if (store_.ValueExists(kSection, QStringLiteral("SLAEMethod")) || !SizeProblem()) return;
    const int method = zem::DefaultSLAEMethod(unknowns_, halfBand_, surface_, circulant_);
    SLAEMethodBox->setCurrentIndex(method);
    if (!store_.ValueExists(kSection, QStringLiteral("RealType")))
        RealTypeBox->setCurrentIndex(zem::DefaultRealType(method, unknowns_, halfBand_));
}

void TCalculForm::LoadStoredDefaults() {
    DefaultCheckBox->setChecked(store_.ReadBool(kSection, QStringLiteral("DefaultMode"), false));
    ModeCheckBox->setChecked(store_.ReadBool(kSection, QStringLiteral("AutoMode"), false));
    SetCalcType(Clamped(store_.ReadInteger(kSection, QStringLiteral("CalcType"), 0), 3));
    const bool uniform = store_.ReadInteger(kSection, QStringLiteral("ErrorNorma"), 0) == 1;
    (uniform ? UniNormRadioButton : SqrNormRadioButton)->setChecked(true);
    PrecEdit->setText(store_.ReadString(kSection, QStringLiteral("Prec"), QStringLiteral("0.5")));
    RealTypeBox->setCurrentIndex(Clamped(store_.ReadInteger(kSection, QStringLiteral("RealType"), 0), RealTypeBox->count()));
    SLAEMethodBox->setCurrentIndex(
        Clamped(store_.ReadInteger(kSection, QStringLiteral("SLAEMethod"), 0), SLAEMethodBox->count()));
    SLAEErrorCheckBox->setChecked(store_.ReadBool(kSection, QStringLiteral("IsSLAEError"), true));
    ResultCheckBox->setChecked(store_.ReadBool(kSection, QStringLiteral("SaveResult"), true));
}

void TCalculForm::StoreDefaults() {
    store_.WriteBool(kSection, QStringLiteral("DefaultMode"), DefaultCheckBox->isChecked());
    store_.WriteBool(kSection, QStringLiteral("AutoMode"), ModeCheckBox->isChecked());
    const int type = CalcType();
    store_.WriteInteger(kSection, QStringLiteral("CalcType"), type);
    if (type != zem::ctSimple)
        store_.WriteInteger(kSection, QStringLiteral("ErrorNorma"), SqrNormRadioButton->isChecked() ? 0 : 1);
    if (type == zem::ctChoose) store_.WriteString(kSection, QStringLiteral("Prec"), PrecEdit->text());
    store_.WriteInteger(kSection, QStringLiteral("RealType"), RealTypeBox->currentIndex());
    store_.WriteInteger(kSection, QStringLiteral("SLAEMethod"), SLAEMethodBox->currentIndex());
    store_.WriteBool(kSection, QStringLiteral("IsSLAEError"), SLAEErrorCheckBox->isChecked());
    store_.WriteBool(kSection, QStringLiteral("SaveResult"), ResultCheckBox->isChecked());
    store_.Flush();
}

void TCalculForm::LoadLines(const std::vector<std::string>& lines) {
    // A file's lines name their method; one that names none reads as before.
    LoadStoredDefaults();
    const zem::TCalcSettings s = zem::ReadCalcSettings(lines);
    ModeCheckBox->setChecked(s.AutoMode);
    SetCalcType(s.CalcType);
    if (ByTypeItem->isEnabled() && ByTypeItem->isChecked() != (s.ListType == zem::ltByType)) {
        ByTypeItem->setChecked(s.ListType == zem::ltByType);
        RefillLists();
    }
    (s.ErrorNorma == zem::enSemiSqr ? SqrNormRadioButton : UniNormRadioButton)->setChecked(true);
    CheckEntries(AstListBox, s.AstimList);
    PrecEdit->setText(Q(zem::RealToStrGen(5, 3, s.Prec)));
    PrecCharComboBox->setCurrentIndex(PrecCharComboBox->findText(Q(s.PrecChar), Qt::MatchExactly | Qt::MatchCaseSensitive));
    CheckEntries(PrecListBox, s.PrecList);
    RealTypeBox->setCurrentIndex(Clamped(s.RealType, RealTypeBox->count()));
    SLAEMethodBox->setCurrentIndex(Clamped(s.SLAEMethod, SLAEMethodBox->count()));
    SLAEErrorCheckBox->setChecked(s.IsSLAEError);
    ResultCheckBox->setChecked(s.SaveResult);
}

std::vector<std::string> TCalculForm::WriteLines(bool storeDefaults) {
    if (storeDefaults && DefaultCheckBox->isChecked()) StoreDefaults();
    zem::TCalcSettings s;
    s.AutoMode = ModeCheckBox->isChecked();
    s.CalcType = CalcType();
    s.ListType = ListType();
    s.AstimList = Checked(AstListBox);
    s.PrecChar = PrecCharComboBox->currentIndex() < 0 ? std::string() : PrecCharComboBox->currentText().toStdString();
    s.PrecList = Checked(PrecListBox);
    s.ErrorNorma = SqrNormRadioButton->isChecked() ? zem::enSemiSqr : zem::enUniform;
    s.RealType = RealTypeBox->currentIndex();
    s.SLAEMethod = SLAEMethodBox->currentIndex();
    s.IsSLAEError = SLAEErrorCheckBox->isChecked();
    s.SaveResult = ResultCheckBox->isChecked();
    return zem::WriteCalcSettings(s, manyDomains_, PrecEdit->text().trimmed().toStdString());
}

// --- Handlers. -----------------------------------------------------------------

void TCalculForm::CalcTypeClick() {
    const int type = CalcType();
    Panels->setCurrentIndex(type);  // blank, AstPanel, PrecPanel
    NormaGroupBox->setVisible(type != zem::ctSimple);
}

void TCalculForm::SelectAllItemClick() {
    if (QListWidget* list = popupList_ ? popupList_ : qobject_cast<QListWidget*>(focusWidget()))
        for (int i = 0; i < list->count(); ++i) list->item(i)->setCheckState(Qt::Checked);
}

void TCalculForm::ClearAllItemClick() {
    if (QListWidget* list = popupList_ ? popupList_ : qobject_cast<QListWidget*>(focusWidget()))
        for (int i = 0; i < list->count(); ++i) list->item(i)->setCheckState(Qt::Unchecked);
}

void TCalculForm::ByTypeItemClick() { RefillLists(); }

bool TCalculForm::NumberEditExit(QLineEdit* edit) {
    const std::string text = edit->text().trimmed().toStdString();
    bool ok = !text.empty();
    if (ok) {
        try {
            (void)zem::StrToReal(text);
        } catch (const std::exception&) {
            ok = false;
        }
    }
    if (ok) return true;
    ShowMessage(this, QStringLiteral("Ошибочное значение параметра"));
    QTimer::singleShot(0, edit, [edit] { edit->setFocus(); });
    return false;
}

bool TCalculForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        auto* edit = qobject_cast<QLineEdit*>(watched);
        // A focus lost to the message box itself, or to Cancel, is not a leave.
        if (edit && isVisible() && QApplication::activeModalWidget() == this && !CancelButton->hasFocus())
            NumberEditExit(edit);
    }
    return QDialog::eventFilter(watched, event);
}
