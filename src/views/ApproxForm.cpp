#include "views/ApproxForm.h"
#include "app/QtText.h"

#include "app/Dialogs.h"
#include "app/MainForm.h"
#include "app/RegIniFile.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "problem/FileNames.h"
#include "problem/PbData.h"
#include "problem/Problems.h"
#include "calc/Calcul.h"
#include "views/ProblemForm.h"
#include "views/ViewForm.h"

#include <QAction>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QVBoxLayout>
#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace {

const char* const kBusyText = "Задача в расчете. Дождитесь его окончания или прервите его";
constexpr int kMinPart = 50;  // least height of the panel and of the text below it
constexpr int kGrip = 4;      // the panel's bottom strip that drags the boundary

QString TextOf(const std::vector<std::string>& lines) {
    QStringList list;
    for (const std::string& l : lines) list << Q(l);
    return list.join(QLatin1Char('\n'));
}

}  // namespace

TApproxForm::TApproxForm(TMainForm* main) : QWidget(main, Qt::Tool), main_(main) {
    setWindowTitle(QStringLiteral("Приближения"));
    Panel = new QWidget(this);
    Panel->setMouseTracking(true);
    Panel->installEventFilter(this);
    ListBox = new QListWidget(Panel);
    auto* panelLayout = new QVBoxLayout(Panel);
    panelLayout->setContentsMargins(0, 0, 0, kGrip);
    panelLayout->addWidget(ListBox);
    Memo = new QPlainTextEdit(this);
    Memo->setReadOnly(true);
    Memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    auto guarded = [this](void (TApproxForm::*handler)()) {
        return [this, handler] { RunGuarded(this, [this, handler] { (this->*handler)(); }); };
    };
    PopupMenu = new QMenu(this);
    SaveItem = PopupMenu->addAction(QStringLiteral("&Сохранить"), guarded(&TApproxForm::SaveItemClick));
    OpenItem = PopupMenu->addAction(QStringLiteral("&Открыть"), guarded(&TApproxForm::OpenItemClick));
    DeleteItem = PopupMenu->addAction(QStringLiteral("&Удалить"), guarded(&TApproxForm::DeleteItemClick));
    DeleteItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
    DeleteItem->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(DeleteItem);
    AllDeleteItem = PopupMenu->addAction(QStringLiteral("Удалить &все"), guarded(&TApproxForm::AllDeleteItemClick));
    StaleDeleteItem =
        PopupMenu->addAction(QStringLiteral("Удалить &устаревшие"), guarded(&TApproxForm::StaleDeleteItemClick));
    PopupMenu->addSeparator();
    AdoptItem = PopupMenu->addAction(QStringLiteral("Принять сетку приближения"), guarded(&TApproxForm::AdoptItemClick));
    for (QWidget* w : {static_cast<QWidget*>(ListBox), static_cast<QWidget*>(Memo)}) {
        w->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(w, &QWidget::customContextMenuRequested, this, [this, w](const QPoint& pos) {
            const bool selected = ListBox->currentRow() >= 0;
            for (QAction* a : PopupMenu->actions()) a->setEnabled(selected);
            StaleDeleteItem->setEnabled(std::find(stale_.begin(), stale_.end(), true) != stale_.end());
            PopupMenu->popup(w->mapToGlobal(pos));
        });
    }
    // Shortcuts stay usable whatever the menu showed last.
    connect(PopupMenu, &QMenu::aboutToHide, this, [this] {
        for (QAction* a : PopupMenu->actions()) a->setEnabled(true);
    });
    connect(ListBox, &QListWidget::currentRowChanged, this, [this] { ListBoxClick(); });
    connect(ListBox, &QListWidget::itemDoubleClicked, this, guarded(&TApproxForm::OpenItemClick));

    setMinimumSize(160, 3 * kMinPart);
    resize(320, 380);
    panelHeight_ = height() / 3;
    Layout();
}

TApproxForm::~TApproxForm() = default;

// --- The list. -------------------------------------------------------------------

void TApproxForm::ShowApprox(TProblemForm& window) {
    if (window_ != &window) {
        disconnect(windowGone_);
        window_ = &window;
        windowGone_ = connect(&window, &QObject::destroyed, this, [this] { Clear(); });
    }
    setWindowTitle(QStringLiteral("Приближения: ") + window.windowTitle());
    Fill();
    show();
    raise();
}

void TApproxForm::Fill() {
    const QSignalBlocker block(ListBox);
    ListBox->clear();
    texts_.clear();
    stale_.clear();
    problem_.reset();
    if (window_ && window_->Problem && !window_->Busy()) {
        problem_ = window_->Problem;
        zem::TProblem& problem = *window_->Problem;
        for (const zem::TApproximation& a : problem.Approximations()) {
            std::vector<std::string> text;
            bool stale = false;
            try {
                if (a.Problem) {
                    text = zem::PrintObject(*a.Problem);
                    stale = !zem::MadeFromProblem(problem, *a.Problem);
                }
            } catch (const std::exception& e) {
                text = {e.what()};
            }
            texts_.push_back(std::move(text));
            stale_.push_back(stale);
            auto* item = new QListWidgetItem(Q(zem::NativePath(a.Text)), ListBox);
            if (stale) {
                item->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
                item->setToolTip(QStringLiteral("Сделано для другого текста задачи: подбор сетки его не продолжит"));
            }
        }
    }
    ListBox->setCurrentRow(ListBox->count() - 1);
    ListBoxClick();
}

void TApproxForm::Clear() {
    window_ = nullptr;
    setWindowTitle(QStringLiteral("Приближения"));
    Fill();
}

void TApproxForm::ListBoxClick() {
    const int row = ListBox->currentRow();
    AdoptItem->setText(row >= 0 ? QStringLiteral("Принять сетку приближения ") + QString::number(row + 1)
                                : QStringLiteral("Принять сетку приближения"));
    Memo->setPlainText(row >= 0 && row < static_cast<int>(texts_.size()) ? TextOf(texts_[row]) : QString());
}

std::vector<zem::TApproximation>* TApproxForm::Current() {
    TProblemForm* w = window_;
    if (!w || !w->Problem) return nullptr;
    if (w->Busy()) throw zem::ZemError(kBusyText);
    auto& list = w->Problem->Approximations();
    if (w->Problem != problem_.lock() || static_cast<int>(list.size()) != ListBox->count()) {
        Fill();
        return nullptr;
    }
    return &list;
}

zem::TApproximation* TApproxForm::Selected() {
    std::vector<zem::TApproximation>* list = Current();
    const int row = ListBox->currentRow();
    if (!list || row < 0) return nullptr;
    return &(*list)[static_cast<std::size_t>(row)];
}

// --- Commands. -------------------------------------------------------------------

bool TApproxForm::Save(QString* chosen) {
    // 1. The selected approximation.
    zem::TApproximation* a = Selected();
    if (!a) return false;
    if (!a->Problem) throw zem::ZemError("Данные отсутствуют");
    TProblemForm& w = *window_;
    // 2. The name; the file it would get beside the problem is proposed.
    const std::string startDir = Std(main_->StartDir());
    const std::string proposed = zem::ToAbsolutePath(
        startDir, zem::TPbData::ApproxFileName(zem::StoredPath(Std(w.windowTitle())),
                                               static_cast<std::size_t>(ListBox->currentRow())));
    const QString name = AskSaveFileName(this, Q(zem::NativePath(proposed)), QStringLiteral("Задача МКР (*.zem)|*.zem"),
                                         QStringLiteral("zem"));
    if (name.isEmpty()) return false;
    const std::string stored = zem::StoredPath(Std(name));
    // 3.-4. The problem file with the shown text and the owner's other
    // lines, and its results beside it.
    try {
        zem::TProblemTexts texts;
        texts.Object = LinesOf(Memo);
        texts.Calculation = LinesOf(w.CalculMemo);
        texts.ResultData = LinesOf(w.ResDataMemo);
        texts.Description = LinesOf(w.DescriptMemo);
        zem::TPbData(startDir).WriteProblemFile(stored, *a->Problem, false, texts);
        const std::string res = zem::NativePath(zem::ChangeFileExtension(stored, "res"));
        if (a->Problem->Calculated() && a->Problem->Solver())
            a->Problem->SaveResults(res);
        else if (std::remove(res.c_str()) != 0 && errno != ENOENT)
            // The results of another problem would be read with this one.
            zem::RaiseFileFailure(zem::kRemoveFailure, res, errno);
    } catch (const std::exception& e) {
        zem::RethrowFileFailure(zem::kWriteFailure, Std(name), e);
    }
    if (chosen) *chosen = Q(stored);
    return true;
}

void TApproxForm::SaveItemClick() {
    if (Save()) ShowMessage(this, QStringLiteral("Данное приближение сохранено"), TMsgKind::Information);
}

void TApproxForm::OpenItemClick() {
    zem::TApproximation* a = Selected();
    if (!a) return;
    const QString text = Q(a->Text);
    if (!a->Text.empty() && zem::FileCanOpen(Std(main_->ToAbsolutePath(text)))) {
        main_->OpenFile(nullptr, text);
        return;
    }
    // Never saved: it gets a file first.
    QString chosen;
    if (Save(&chosen)) main_->OpenFile(nullptr, main_->ToRelativePath(chosen));
}

void TApproxForm::DeleteItemClick() {
    std::vector<zem::TApproximation>* list = Current();
    const int row = ListBox->currentRow();
    if (!list || row < 0) return;
    const std::size_t count = list->size();
    if (!AskOkCancel(this, QStringLiteral("Желаете удалить данное приближение?"), TMsgKind::Information)) return;
    // A calculation may have ended meanwhile and filled the list again.
    list = Current();
    if (!list || list->size() != count || ListBox->currentRow() != row) return;
    {
        const QSignalBlocker block(ListBox);
        delete ListBox->takeItem(row);
        texts_.erase(texts_.begin() + row);
        ListBox->setCurrentRow(std::min(row, ListBox->count() - 1));
    }
    ListBoxClick();
    list->erase(list->begin() + row);
    if (window_) window_->MarkApproxChanged();
}

void TApproxForm::AllDeleteItemClick() {
    std::vector<zem::TApproximation>* list = Current();
    if (!list || ListBox->currentRow() < 0) return;
    if (!AskOkCancel(this, QStringLiteral("Вы действительно желаете удалить все приближения?"), TMsgKind::Warning))
        return;
    list = Current();
    if (!list) return;
    list->clear();
    if (window_) window_->MarkApproxChanged();
    Fill();
}

void TApproxForm::StaleDeleteItemClick() {
    Fill();  // judged against the problem's text as it stands now
    std::vector<zem::TApproximation>* list = Current();
    if (!list || std::find(stale_.begin(), stale_.end(), true) == stale_.end()) return;
    const std::size_t count = list->size();
    if (!AskOkCancel(this, QStringLiteral("Удалить приближения, сделанные для другого текста задачи?"),
                     TMsgKind::Warning))
        return;
    list = Current();
    if (!list || list->size() != count) return;
    for (std::size_t i = count; i-- > 0;)
        if (stale_[i]) list->erase(list->begin() + static_cast<std::ptrdiff_t>(i));
    if (window_) window_->MarkApproxChanged();
    Fill();
}

void TApproxForm::AdoptItemClick() {
    zem::TApproximation* a = Selected();
    if (!a) return;
    if (!a->Problem) throw zem::ZemError("Данные отсутствуют");
    TProblemForm& w = *window_;
    w.ApplyObjectText();
    const std::vector<std::string> lines = zem::ObjectWithMeshesOf(*w.Problem, *a->Problem);
    QStringList text;
    for (const std::string& l : lines) text << Q(l);
    // One edit of the page: Ctrl+Z there gives the old meshes back.
    QTextCursor cursor(w.ObjectMemo->document());
    cursor.select(QTextCursor::Document);
    cursor.insertText(text.join(QLatin1Char('\n')));
    w.ApplyObjectText();
    Fill();
}

// --- The panel. ------------------------------------------------------------------

void TApproxForm::SetPanelHeight(int height) {
    panelHeight_ = std::max(kMinPart, std::min(height, this->height() - kMinPart));
    Layout();
}

void TApproxForm::Layout() {
    Panel->setGeometry(0, 0, width(), panelHeight_);
    Memo->setGeometry(0, panelHeight_, width(), height() - panelHeight_);
}

void TApproxForm::resizeEvent(QResizeEvent* event) {
    if (height() - panelHeight_ < kMinPart) panelHeight_ = std::max(0, height() - kMinPart);
    Layout();
    QWidget::resizeEvent(event);
}

void TApproxForm::showEvent(QShowEvent* event) {
    if (!panelRead_) StoreState(false);  // shown before the first activation
    PlaceToolWindow(this, *main_, 7);
    QWidget::showEvent(event);
}

bool TApproxForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched != Panel) return QWidget::eventFilter(watched, event);
    const auto type = event->type();
    if (type != QEvent::MouseMove && type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease)
        return QWidget::eventFilter(watched, event);
    const int y = static_cast<QMouseEvent*>(event)->position().toPoint().y();
    const bool onGrip = y >= Panel->height() - kGrip && y < Panel->height();
    switch (type) {
        case QEvent::MouseMove:
            if (dragging_)
                SetPanelHeight(y);
            else if (onGrip)
                Panel->setCursor(Qt::SizeVerCursor);
            else
                Panel->unsetCursor();
            return dragging_;
        case QEvent::MouseButtonPress:
            dragging_ = onGrip && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
            return dragging_;
        default:  // release
            if (!dragging_) return false;
            dragging_ = false;
            SetPanelHeight(y);
            return true;
    }
}

// --- The store. ------------------------------------------------------------------

void TApproxForm::StoreState(bool save) {
    TRegIniFile& store = main_->Store();
    const QString section = QStringLiteral("ApproxForm");
    if (save) {
        store.WriteInteger(section, QStringLiteral("PanelHeight"), panelHeight_);
        return;
    }
    panelRead_ = true;
    SetPanelHeight(store.ReadInteger(section, QStringLiteral("PanelHeight"), height() / 3));
}

void TApproxForm::closeEvent(QCloseEvent* event) {
    main_->Store().WriteString(QStringLiteral("ApproxForm"), QStringLiteral("WinOptions"), PlacementText(this));
    StoreState(true);
    QWidget::closeEvent(event);
}

void InstallApproxWindow(TMainForm& main) {
    QPointer<TApproxForm> form = new TApproxForm(&main);
    main.RegisterPlacement(QStringLiteral("ApproxForm"), QStringLiteral("WinOptions"), form, true,
                           [form](bool save) {
                               if (form) form->StoreState(save);
                           });
    TProblemFormHooks& hooks = ProblemFormHooks(main);
    hooks.Approximations = [form](TProblemForm& window) {
        if (form) form->ShowApprox(window);
    };
    // After a calculation, as the approximation command does when it is open.
    hooks.RefreshViews = [form, previous = hooks.RefreshViews](TProblemForm& window) {
        if (previous) previous(window);
        if (form && form->isVisible()) form->ShowApprox(window);
    };
}
