#include "app/MainForm.h"
#include "app/QtText.h"

#include "app/AboutBox.h"
#include "app/AllDataForm.h"
#include "app/Dialogs.h"
#include "app/FChildForm.h"
#include "app/RegIniFile.h"
#include "app/Shortcuts.h"
#include "app/TbOptionForm.h"
#include "app/WindowsMenuItem.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "problem/FileNames.h"
#include "solvers/SLEstimate.h"
#include "app/ProgressForm.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QListWidget>
#include <QMdiArea>
#include <QPointer>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSpinBox>
#include <QTimer>
#include <exception>
#include <stdexcept>

namespace {

constexpr int kMaxRecentFiles = 4;
constexpr int kMaxWindowItems = 9;

// "&n text", an "&" inside the text doubled so that it shows as itself.
QString NumberedCaption(int n, const QString& text) {
    QString shown = text;
    shown.replace(QLatin1String("&"), QLatin1String("&&"));
    return QLatin1Char('&') + QString::number(n) + QLatin1Char(' ') + shown;
}

}  // namespace

TMainForm::TMainForm(QWidget* parent, std::unique_ptr<TRegIniFile> store)
    : QMainWindow(parent), store_(std::move(store)) {
    setWindowTitle(QStringLiteral("ZEM CAD 2"));
    startDir_ = Q(zem::CurrentDirStored());
    if (!store_) store_ = std::make_unique<TRegIniFile>();

    MdiArea = new QMdiArea(this);
    MdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    MdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(MdiArea);
    connect(MdiArea, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* w) {
        if (auto* child = qobject_cast<TChildForm*>(w); child && child->Item) child->Item->setChecked(true);
        UpdateSaveItems(false);
    });

    AboutBox = new TAboutBox(this);
    AllDataForm = new TAllDataForm(this);
    ProgressForm = new TSLProgrForm(this);
    TbOptionForm = new TTbOptionForm(this);

    CreateActions();
    CreateMenus();
    InstallOwnShortcuts();
    resize(900, 640);
    LoadConfig();
}

TMainForm::~TMainForm() {
    if (Hooks.StopCalculations) Hooks.StopCalculations();
    // The child windows go first, while the lists they appear in still exist;
    // they are freed without closing (the questions were asked on close).
    // Windows already closed but not yet deleted are among them too.
    MdiArea->disconnect(this);
    QList<QPointer<QMdiSubWindow>> children;
    for (QMdiSubWindow* w : MdiArea->findChildren<QMdiSubWindow*>()) children.append(w);
    for (const QPointer<QMdiSubWindow>& w : children) delete w.data();
}

// --- Menus. ------------------------------------------------------------------

void TMainForm::CreateActions() {
    auto action = [this](const QString& text, void (TMainForm::*handler)(), const QKeySequence& key = {}) {
        auto* a = new QAction(text, this);
        if (!key.isEmpty()) a->setShortcut(key);
        connect(a, &QAction::triggered, this, [this, handler] { RunGuarded(this, [this, handler] { (this->*handler)(); }); });
        return a;
    };
    // The desktop's usual keys where the program has none of its own: Ctrl+N,
    // Ctrl+O beside F3, Ctrl+W, Ctrl+Tab and Ctrl+Shift+Tab, Ctrl+Q.
    NewProblemItem = action(QStringLiteral("&Новая задача"), &TMainForm::NewProblemItemClick,
                            QKeySequence(Qt::CTRL | Qt::Key_N));
    NewSeriesItem = action(QStringLiteral("&Новая серия"), &TMainForm::NewSeriesItemClick);
    OpenItem = action(QStringLiteral("&Открыть"), &TMainForm::OpenClick, QKeySequence(Qt::Key_F3));
    OpenItem->setShortcuts({QKeySequence(Qt::Key_F3), QKeySequence(Qt::CTRL | Qt::Key_O)});
    SaveItem = action(QStringLiteral("Со&хранить"), &TMainForm::SaveItemClick, QKeySequence(Qt::CTRL | Qt::Key_S));
    SaveAsItem = action(QStringLiteral("Сохранить &как"), &TMainForm::SaveAsItemClick);
    SaveItem->setEnabled(false);
    SaveAsItem->setEnabled(false);
    ExitItem = new QAction(QStringLiteral("&Выход"), this);
    ExitItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(ExitItem, &QAction::triggered, this, &QWidget::close);

    CalcOptionsItem = action(QStringLiteral("&Расчет"), &TMainForm::CalcOptionsItemClick);
    TableOptionsItem = action(QStringLiteral("&Числа"), &TMainForm::TableOptionsItemClick);
    GraphOptionsItem = action(QStringLiteral("&Графика"), &TMainForm::GraphOptionsItemClick);
    MemoryLimitItem = action(QStringLiteral("&Память"), &TMainForm::MemoryLimitItemClick);
    ConfigSaveItem = action(QStringLiteral("&Сохранить"), &TMainForm::ConfigSaveItemClick);
    AutoSaveItem = new QAction(QStringLiteral("&Автосохранение"), this);
    AutoSaveItem->setCheckable(true);
    AutoSaveItem->setChecked(true);
    ConfigFaultItem = action(QStringLiteral("С&бросить конфигурацию"), &TMainForm::ConfigFaultItemClick);

    TurnItem = action(QStringLiteral("&Очередь"), &TMainForm::TurnItemClick, QKeySequence(Qt::Key_F12));
    CascadItem = action(QStringLiteral("&Каскад"), &TMainForm::CascadItemClick);
    TileItem = action(QStringLiteral("&Мозаика"), &TMainForm::TileItemClick);
    AllWindowsItem = action(QStringLiteral("Вс&е окна ..."), &TMainForm::AllWindowsItemClick);
    NextWindowItem = action(QStringLiteral("С&ледующее"), &TMainForm::NextWindowItemClick);
    NextWindowItem->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Tab)});
    PrevWindowItem = action(QStringLiteral("&Предыдущее"), &TMainForm::PrevWindowItemClick);
    PrevWindowItem->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
                                  QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab)});
    CloseItem = action(QStringLiteral("&Закрыть"), &TMainForm::CloseItemClick, QKeySequence(Qt::CTRL | Qt::Key_W));
    CloseAllItem =
        action(QStringLiteral("&Закрыть все"), &TMainForm::CloseAllClick, QKeySequence(Qt::SHIFT | Qt::Key_F4));
    AboutItem = action(QStringLiteral("&О программе"), &TMainForm::AboutItemClick);

    windowGroup_ = new QActionGroup(this);
    windowGroup_->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
}

void TMainForm::CreateMenus() {
    FileMenu = menuBar()->addMenu(QStringLiteral("&Файл"));
    FileMenu->addAction(NewProblemItem);
    FileMenu->addAction(NewSeriesItem);
    FileMenu->addAction(OpenItem);
    FileMenu->addAction(SaveItem);
    FileMenu->addAction(SaveAsItem);
    FileSeparator = FileMenu->addSeparator();
    FileSeparator->setVisible(false);
    FileEndSeparator = FileMenu->addSeparator();
    FileMenu->addAction(ExitItem);
    connect(FileMenu, &QMenu::aboutToShow, this, &TMainForm::FileMenuClick);
    connect(FileMenu, &QMenu::aboutToHide, this, [this] { UpdateSaveItems(false); });

    OptionsMenu = menuBar()->addMenu(QStringLiteral("&Установки"));
    OptionsMenu->addAction(CalcOptionsItem);
    OptionsMenu->addAction(TableOptionsItem);
    OptionsMenu->addAction(GraphOptionsItem);
    OptionsMenu->addAction(MemoryLimitItem);
    OptionsMenu->addSeparator();
    OptionsMenu->addAction(ConfigSaveItem);
    OptionsMenu->addAction(AutoSaveItem);
    OptionsMenu->addSeparator();
    OptionsMenu->addAction(ConfigFaultItem);

    WindowMenu = menuBar()->addMenu(QStringLiteral("&Окно"));
    WindowMenu->addAction(TurnItem);
    WindowMenu->addSeparator();
    WindowMenu->addAction(CascadItem);
    WindowMenu->addAction(TileItem);
    WindowMenu->addAction(NextWindowItem);
    WindowMenu->addAction(PrevWindowItem);
    WindowSeparator = WindowMenu->addSeparator();
    WindowSeparator->setVisible(false);
    AllWindowsSeparator = WindowMenu->addSeparator();
    AllWindowsSeparator->setVisible(false);
    WindowMenu->addAction(AllWindowsItem);
    AllWindowsItem->setVisible(false);
    CloseAllSeparator = WindowMenu->addSeparator();
    WindowMenu->addAction(CloseItem);
    WindowMenu->addAction(CloseAllItem);

    HelpMenu = menuBar()->addMenu(QStringLiteral("&Помощь"));
    HelpMenu->addAction(AboutItem);
}

void TMainForm::UpdateSaveItems(bool fromMenu) {
    TChildForm* active = ActiveChild();
    const bool isFile = qobject_cast<TFChildForm*>(active) != nullptr;
    // Opening the menu shows whether the active window has unsaved changes;
    // otherwise "Со&хранить" stays usable by its shortcut whenever a window
    // is active.
    SaveItem->setEnabled(active && (!fromMenu || active->IsModified()));
    SaveAsItem->setEnabled(isFile);
}

void TMainForm::FileMenuClick() { UpdateSaveItems(true); }

void TMainForm::NotAvailable(const QString& text) { ShowMessage(this, text, TMsgKind::Information); }

// --- Paths. ------------------------------------------------------------------

QString TMainForm::ToAbsolutePath(const QString& path) const {
    return Q(zem::ToAbsolutePath(Std(startDir_), Std(path)));
}

QString TMainForm::ToRelativePath(const QString& path) const {
    return Q(zem::ToRelativePath(Std(startDir_), Std(path)));
}

QString TMainForm::DisplayPath(const QString& stored) const { return Q(zem::NativePath(Std(stored))); }

// --- Child windows. ----------------------------------------------------------

QList<TChildForm*> TMainForm::Children() const {
    QList<TChildForm*> children;
    const QList<QMdiSubWindow*> stacked = MdiArea->subWindowList(QMdiArea::StackingOrder);
    for (auto it = stacked.rbegin(); it != stacked.rend(); ++it)
        if (auto* child = qobject_cast<TChildForm*>(*it); child && !child->Closing()) children << child;
    return children;
}

TChildForm* TMainForm::ActiveChild() const {
    auto* child = qobject_cast<TChildForm*>(MdiArea->activeSubWindow());
    return child && !child->Closing() ? child : nullptr;
}

void TMainForm::ShowChild(TChildForm* window) {
    if (!window) return;
    if (window->isMinimized()) window->showNormal();
    window->show();
    MdiArea->setActiveSubWindow(window);
    if (window->Item) window->Item->setChecked(true);
}

TChildForm* TMainForm::CreateChild(const TChildFactory& factory, const QString& caption, int number,
                                   zem::TElemList* elemList, TChildForm* parent) {
    // 1. The active window's item loses its check.
    if (TChildForm* active = ActiveChild(); active && active->Item) active->Item->setChecked(false);
    // 2. The window's item: a radio item that shows the window.
    auto* item = new TWindowsMenuItem(caption, this);
    windowGroup_->addAction(item);
    connect(item, &QAction::triggered, this, [this, item] { ShowChild(item->Window); });
    // 3. The window itself.
    TChildForm* child = nullptr;
    try {
        child = factory(this);
        child->Create(caption, number, elemList, parent, item);
    } catch (...) {
        if (child && child->ParentForm) child->ParentForm->Dependents.removeOne(child);
        delete child;
        delete item;
        throw;
    }
    item->Window = child;
    MdiArea->addSubWindow(child);
    child->show();
    MdiArea->setActiveSubWindow(child);
    // 4. The item goes first in the window menu, checked.
    AddWindowItem(item);
    item->setChecked(true);
    // 5. Beyond nine windows the menu offers the list of all of them.
    UpdateAllWindowsItem();
    return child;
}

TFChildForm* TMainForm::CreateFileWindow(TFChildForm* owner, const QString& fullPath) {
    const QString ext = Q(zem::SplitFileName(Std(fullPath)).Ext);
    TChildFactory factory;
    if (ext == QLatin1String("zem"))
        factory = Hooks.ProblemWindow;
    else if (ext == QLatin1String("zes"))
        factory = Hooks.SeriesWindow;
    if (!factory) return nullptr;
    TChildForm* child = CreateChild(factory, DisplayPath(ToRelativePath(fullPath)), 0, nullptr, owner);
    if (auto* file = qobject_cast<TFChildForm*>(child)) return file;
    child->close();
    return nullptr;
}

TFChildForm* TMainForm::FileWindow(const QString& fullPath) const {
    const std::string stored = zem::StoredPath(Std(fullPath));
    const QString canonical = QFileInfo(DisplayPath(fullPath)).canonicalFilePath();
    for (TChildForm* child : Children()) {
        auto* file = qobject_cast<TFChildForm*>(child);
        if (!file || file->FileName.isEmpty()) continue;
        if (zem::StoredPath(Std(file->FileName)) == stored) return file;
        if (!canonical.isEmpty() && QFileInfo(DisplayPath(file->FileName)).canonicalFilePath() == canonical)
            return file;
    }
    return nullptr;
}

TFChildForm* TMainForm::OpenFile(TFChildForm* owner, const QString& relativePath) {
    // 1. The full path. Two windows of one file would overwrite each other's
    // saves: an open file is shown, not read again.
    const QString full = ToAbsolutePath(relativePath);
    if (TFChildForm* open = FileWindow(full)) {
        ShowChild(open);
        AddRecentFile(relativePath);
        return open;
    }
    TFChildForm* window = nullptr;
    try {
        // 2. The window reads its file; the file becomes the newest recent one.
        window = CreateFileWindow(owner, full);
        if (!window) throw zem::ZemError("Неизвестный тип файла (ожидается .zem или .zes)");
        window->FileName = full;
        window->LoadData();
        AddRecentFile(relativePath);
        return window;
    } catch (const std::exception& e) {
        // 3. Nothing half-read stays open, and the file does not become a
        // recent one; the message says why.
        if (window) window->Discard();
        const QString context = QStringLiteral("Ошибка чтения файла ") + DisplayPath(relativePath);
        const QFileInfo info(DisplayPath(full));
        QString text;
        if (!info.exists())
            text = context + QStringLiteral("\nФайл не найден");
        else if (!info.isReadable())
            text = context + QStringLiteral("\nНет доступа к файлу");
        else
            text = FileErrorText(context, e);
        const QString ext = Q(zem::SplitFileName(Std(full)).Ext);
        if ((ext == QLatin1String("zem") && !Hooks.ProblemWindow) ||
            (ext == QLatin1String("zes") && !Hooks.SeriesWindow))
            text += QStringLiteral("\nОкна ") + (ext == QLatin1String("zem") ? QStringLiteral("задач")
                                                                                : QStringLiteral("серий")) +
                    QStringLiteral(" в этой сборке программы нет.");
        ShowMessage(this, text);
        return nullptr;
    }
}

void TMainForm::ShowSaveError(const QString& name, const std::exception& e) {
    if (dynamic_cast<const EDataError*>(&e))
        ShowMessage(this, QString::fromUtf8(e.what()));
    else
        ShowMessage(this, FileErrorText(QStringLiteral("Ошибка записи в файл ") + name, e));
}

TFChildForm* TMainForm::NewProblem(TFChildForm* owner) {
    if (!Hooks.ProblemWindow || !Hooks.ChooseProblemType) {
        NotAvailable(QStringLiteral("Окна задач в этой сборке программы нет."));
        return nullptr;
    }
    std::string typeName;
    if (!Hooks.ChooseProblemType(this, typeName)) return nullptr;
    ++newProblemCount_;
    const QString full = ToAbsolutePath(QStringLiteral("Noname%1.zem").arg(newProblemCount_));
    TFChildForm* window = CreateFileWindow(owner, full);
    if (window && Hooks.ApplyProblemType) {
        try {
            Hooks.ApplyProblemType(window, typeName);
        } catch (...) {
            window->Discard();
            throw;
        }
    }
    return window;
}

TFChildForm* TMainForm::NewSeries() {
    if (!Hooks.SeriesWindow) {
        NotAvailable(QStringLiteral("Окна серий в этой сборке программы нет."));
        return nullptr;
    }
    ++newSeriesCount_;
    return CreateFileWindow(nullptr, ToAbsolutePath(QStringLiteral("Noname%1.zes").arg(newSeriesCount_)));
}

bool TMainForm::SaveChild(TFChildForm* window) {
    if (window->FileName.isEmpty()) return SaveChildAs(window);
    try {
        window->SaveData();
        return true;
    } catch (const std::exception& e) {
        ShowSaveError(window->windowTitle(), e);
        return false;
    }
}

bool TMainForm::SaveChildAs(TFChildForm* window) {
    // 1. The caption made full is the proposed name.
    const QString proposed = ToAbsolutePath(Q(zem::StoredPath(Std(window->windowTitle()))));
    const QString chosen =
        AskSaveFileName(this, DisplayPath(proposed), window->SaveFilter(), window->DefaultExt());
    if (chosen.isEmpty()) return false;
    const QString stored = Q(zem::StoredPath(Std(chosen)));
    const QString relative = ToRelativePath(stored);
    if (TFChildForm* other = FileWindow(stored); other && other != window) {
        ShowMessage(this, QStringLiteral("Ошибка записи в файл ") + DisplayPath(relative) +
                              QStringLiteral("\nФайл открыт в другом окне: сохраните или закройте его там"));
        return false;
    }
    const QString previous = window->FileName;
    try {
        // 2. The window writes under the chosen name.
        window->FileName = stored;
        window->SaveData();
    } catch (const std::exception& e) {
        window->FileName = previous;
        ShowSaveError(DisplayPath(relative), e);
        return false;
    }
    // 3. The window and its item take the new name.
    window->setWindowTitle(DisplayPath(relative));
    if (window->Item) window->Item->SetText(window->windowTitle());
    AddRecentFile(relative);
    return true;
}

// --- Menu lists. -------------------------------------------------------------

QAction* TMainForm::MakeRecentItem(const QString& path) {
    auto* item = new QAction(this);
    item->setData(path);
    connect(item, &QAction::triggered, this, [this, item] {
        const QString path = item->data().toString();  // the item may go while the file opens
        OpenFile(nullptr, path);
    });
    return item;
}

QStringList TMainForm::RecentFiles() const {
    QStringList paths;
    for (QAction* a : recentItems_) paths << a->data().toString();
    return paths;
}

void TMainForm::AddRecentFile(const QString& relativePath) {
    for (int i = recentItems_.size() - 1; i >= 0; --i) {
        if (recentItems_[i]->data().toString() == relativePath) {
            FileMenu->removeAction(recentItems_[i]);
            recentItems_[i]->deleteLater();
            recentItems_.removeAt(i);
        }
    }
    recentItems_.prepend(MakeRecentItem(relativePath));
    while (recentItems_.size() > kMaxRecentFiles) {
        FileMenu->removeAction(recentItems_.last());
        recentItems_.last()->deleteLater();
        recentItems_.removeLast();
    }
    for (int i = 0; i < recentItems_.size(); ++i) {
        QAction* a = recentItems_[i];
        a->setText(NumberedCaption(i + 1, DisplayPath(a->data().toString())));
        FileMenu->removeAction(a);
        FileMenu->insertAction(FileEndSeparator, a);
    }
    FileSeparator->setVisible(true);
}

void TMainForm::ClearRecentFiles() {
    for (QAction* a : recentItems_) {
        FileMenu->removeAction(a);
        a->deleteLater();
    }
    recentItems_.clear();
    FileSeparator->setVisible(false);
}

void TMainForm::RenumberWindowItems() {
    for (int i = 0; i < windowItems_.size(); ++i) {
        TWindowsMenuItem* item = windowItems_[i];
        item->SetNumber(i + 1);
        WindowMenu->removeAction(item);
        WindowMenu->insertAction(AllWindowsSeparator, item);
    }
    WindowSeparator->setVisible(!windowItems_.isEmpty());
}

void TMainForm::AddWindowItem(TWindowsMenuItem* item) {
    windowItems_.removeOne(item);
    windowItems_.prepend(item);
    while (windowItems_.size() > kMaxWindowItems) {
        // The window of the dropped item stays open.
        WindowMenu->removeAction(windowItems_.last());
        windowItems_.removeLast();
    }
    RenumberWindowItems();
}

void TMainForm::RemoveWindowItem(TChildForm* window) {
    TWindowsMenuItem* item = window->Item;
    window->Item = nullptr;
    if (item) {
        windowItems_.removeOne(item);
        WindowMenu->removeAction(item);
        item->deleteLater();
    }
    // A window left out of the full menu takes the freed place.
    if (windowItems_.size() < kMaxWindowItems) {
        for (TChildForm* child : Children()) {
            if (child == window || !child->Item || windowItems_.contains(child->Item)) continue;
            windowItems_.append(child->Item);
            break;
        }
    }
    RenumberWindowItems();
    UpdateAllWindowsItem();
}

void TMainForm::UpdateAllWindowsItem() {
    const bool many = Children().size() > kMaxWindowItems;
    AllWindowsSeparator->setVisible(many);
    AllWindowsItem->setVisible(many);
}

// --- Configuration. ----------------------------------------------------------

bool TMainForm::AutoSave() const { return AutoSaveItem->isChecked(); }

void TMainForm::RegisterPlacement(const QString& section, const QString& ident, QWidget* window,
                                  bool onlyVisible, std::function<void(bool save)> state) {
    placed_.push_back({section, ident, window, onlyVisible, std::move(state)});
}

void TMainForm::SaveConfig() {
    TRegIniFile& s = *store_;
    // 1-4. The main window, the recent files, the open files, the check mark.
    s.WriteString(QStringLiteral("MAIN"), QStringLiteral("MainOptions"), PlacementText(this));
    s.WriteString(QStringLiteral("MAIN"), QStringLiteral("FileMenu"), CommaText(RecentFiles()));
    QStringList loaded;
    const QList<TChildForm*> children = Children();
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        auto* file = qobject_cast<TFChildForm*>(*it);
        if (!file || file->ParentForm) continue;
        loaded << Q(zem::StoredPath(Std(file->windowTitle()))) << PlacementText(file);
    }
    s.WriteString(QStringLiteral("MAIN"), QStringLiteral("LoadedFiles"), CommaText(loaded));
    s.WriteBool(QStringLiteral("MAIN"), QStringLiteral("AutoSave"), AutoSave());
    // 5-7. The single windows of other parts.
    for (const TPlacedWindow& p : placed_)
        if (p.Window && (!p.OnlyVisible || p.Window->isVisible())) {
            s.WriteString(p.Section, p.Ident, PlacementText(p.Window));
            if (p.State) p.State(true);
        }
    // 8. The progress window.
    s.WriteString(QStringLiteral("ProcessForm"), QStringLiteral("WinOptions"), PlacementText(ProgressForm));
    s.WriteBool(QStringLiteral("ProcessForm"), QStringLiteral("Mode"), ProgressForm->InfoMode());
    if (!s.Flush()) ShowMessage(this, s.WriteFailureText());
}

void TMainForm::LoadConfig() {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect r = frameGeometry();
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
    ApplyPlacement(this, store_->ReadString(QStringLiteral("MAIN"), QStringLiteral("MainOptions"), QString()));
    AutoSaveItem->setChecked(store_->ReadBool(QStringLiteral("MAIN"), QStringLiteral("AutoSave"), true));
    ClearRecentFiles();
    const QStringList paths =
        SplitCommaText(store_->ReadString(QStringLiteral("MAIN"), QStringLiteral("FileMenu"), QString()));
    // Added last to first, so that the first stays first.
    QStringList kept;
    for (const QString& p : paths)
        if (!p.isEmpty() && !kept.contains(p) && kept.size() < kMaxRecentFiles) kept << p;
    for (auto it = kept.rbegin(); it != kept.rend(); ++it) AddRecentFile(*it);
    ApplyMemoryLimit();
}

namespace {
const QString kCalcSection = QStringLiteral("Calc");
const QString kMemoryLimit = QStringLiteral("MemoryLimit");
}  // namespace

void TMainForm::ApplyMemoryLimit() {
    const QString text = store_->ReadString(kCalcSection, kMemoryLimit, QString()).trimmed();
    zem::SetMemoryLimit(text.isEmpty() ? std::nullopt : zem::ParseMemorySize(Std(text)));
}

void TMainForm::RestoreLastRun() {
    if (!firstActivation_) return;
    firstActivation_ = false;
    const QStringList loaded =
        SplitCommaText(store_->ReadString(QStringLiteral("MAIN"), QStringLiteral("LoadedFiles"), QString()));
    for (int i = 0; i < loaded.size(); i += 2)
        if (!loaded[i].isEmpty()) OpenFile(nullptr, loaded[i]);
    for (const TPlacedWindow& p : placed_)
        if (p.Window) {
            ApplyPlacement(p.Window, store_->ReadString(p.Section, p.Ident, QString()));
            if (p.State) p.State(false);
        }
    ApplyPlacement(ProgressForm, store_->ReadString(QStringLiteral("ProcessForm"), QStringLiteral("WinOptions"), {}));
    ProgressForm->SetInfoMode(store_->ReadBool(QStringLiteral("ProcessForm"), QStringLiteral("Mode"), false));
}

void TMainForm::ResetConfig() {
    const bool erased = store_->EraseAll();
    ClearRecentFiles();
    LoadConfig();
    const QList<TChildForm*> children = Children();
    for (auto it = children.rbegin(); it != children.rend(); ++it) ShowChild(*it);
    if (!erased) ShowMessage(this, store_->WriteFailureText());
}

// --- Handlers. ---------------------------------------------------------------

void TMainForm::NewProblemItemClick() { NewProblem(nullptr); }

void TMainForm::NewSeriesItemClick() { NewSeries(); }

void TMainForm::OpenClick() {
    const QString chosen =
        AskOpenFileName(this, QStringLiteral("Задача МКР (*.zem)|*.zem|Серия задач МКР (*.zes)|*.zes"),
                        DisplayPath(startDir_));
    if (chosen.isEmpty()) return;
    OpenFile(nullptr, ToRelativePath(Q(zem::StoredPath(Std(chosen)))));
}

void TMainForm::SaveItemClick() {
    TChildForm* active = ActiveChild();
    // The shortcut keeps to the rule of the menu: nothing to save, no save.
    if (!active || !active->IsModified()) return;
    if (auto* file = qobject_cast<TFChildForm*>(active)) {
        SaveChild(file);
        return;
    }
    try {
        active->SaveData();
    } catch (const std::exception& e) {
        ShowMessage(this, QString::fromUtf8(zem::ErrorMessage(e)));
    }
}

void TMainForm::SaveAsItemClick() {
    if (auto* file = qobject_cast<TFChildForm*>(ActiveChild())) SaveChildAs(file);
}

void TMainForm::CalcOptionsItemClick() {
    if (Hooks.CalcOptions)
        Hooks.CalcOptions();
    else
        NotAvailable(QStringLiteral("Диалога расчета в этой сборке программы нет."));
}

void TMainForm::TableOptionsItemClick() {
    TbOptionForm->WidthEdit->setValue(store_->ReadInteger(QStringLiteral("Digits"), QStringLiteral("Width"), 11));
    TbOptionForm->DecimalsEdit->setValue(
        store_->ReadInteger(QStringLiteral("Digits"), QStringLiteral("Decimals"), 4));
    if (TbOptionForm->exec() != QDialog::Accepted) return;
    store_->WriteInteger(QStringLiteral("Digits"), QStringLiteral("Width"), TbOptionForm->WidthEdit->value());
    store_->WriteInteger(QStringLiteral("Digits"), QStringLiteral("Decimals"), TbOptionForm->DecimalsEdit->value());
    store_->Flush();
}

void TMainForm::GraphOptionsItemClick() {
    if (Hooks.GraphOptions)
        Hooks.GraphOptions();
    else
        NotAvailable(QStringLiteral("Настройки графики в этой сборке программы нет."));
}

void TMainForm::MemoryLimitItemClick() {
    const std::optional<QString> text =
        AskText(this, QStringLiteral("Предел памяти для расчета (например 512M или 4G; пусто - без предела):"),
                store_->ReadString(kCalcSection, kMemoryLimit, QString()));
    if (!text) return;
    const QString size = text->trimmed();
    if (!size.isEmpty() && !zem::ParseMemorySize(Std(size))) {
        ShowMessage(this, QStringLiteral("Неверный размер памяти \"") + size +
                              QStringLiteral("\": нужно целое число байт или число с K, M, G или T"));
        return;
    }
    store_->WriteString(kCalcSection, kMemoryLimit, size);
    if (!store_->Flush()) ShowMessage(this, store_->WriteFailureText());
    ApplyMemoryLimit();
}

void TMainForm::ConfigSaveItemClick() { SaveConfig(); }

void TMainForm::ConfigFaultItemClick() {
    if (AskOkCancel(this, QStringLiteral("Хотите сбросить текущую конфигурацию системы?"), TMsgKind::Warning))
        ResetConfig();
}

void TMainForm::TurnItemClick() {
    if (Hooks.ShowTurn)
        Hooks.ShowTurn();
    else
        NotAvailable(QStringLiteral("Очереди расчетов в этой сборке программы нет."));
}

void TMainForm::CascadItemClick() { MdiArea->cascadeSubWindows(); }

void TMainForm::TileItemClick() { MdiArea->tileSubWindows(); }

void TMainForm::NextWindowItemClick() {
    MdiArea->activateNextSubWindow();
    if (TChildForm* active = ActiveChild()) ShowChild(active);
}

void TMainForm::PrevWindowItemClick() {
    MdiArea->activatePreviousSubWindow();
    if (TChildForm* active = ActiveChild()) ShowChild(active);
}

void TMainForm::CloseItemClick() {
    if (TChildForm* active = ActiveChild()) active->close();
}

void TMainForm::AllWindowsItemClick() {
    AllDataForm->Clear();
    AllDataForm->SetPickMode(true);
    TChildForm* active = ActiveChild();
    for (TChildForm* child : Children()) {
        QListWidgetItem* entry = AllDataForm->AddSource(child->windowTitle(), child);
        if (child == active) AllDataForm->SrcList->setCurrentItem(entry);
    }
    const bool ok = AllDataForm->exec() == QDialog::Accepted;
    auto* chosen = qobject_cast<TChildForm*>(TAllDataForm::ObjectOf(AllDataForm->SrcList->currentItem()));
    AllDataForm->Clear();
    AllDataForm->SetPickMode(false);
    if (!ok || !chosen || chosen->Closing()) return;
    if (chosen->Item && !windowItems_.contains(chosen->Item)) AddWindowItem(chosen->Item);
    ShowChild(chosen);
}

void TMainForm::CloseAllClick() {
    // A window the user keeps (cancel, or a save that did not happen) ends
    // the command: the others stay open too.
    QList<QPointer<TChildForm>> children;
    for (TChildForm* child : Children()) children << child;
    for (const QPointer<TChildForm>& child : children) {
        if (!child || child->Closing()) continue;  // gone with its parent
        bool kept = false;
        RunGuarded(this, [&] { kept = !child->close(); });
        if (kept && child && !child->Closing()) return;
    }
}

void TMainForm::AboutItemClick() { AboutBox->exec(); }

// --- Events. -----------------------------------------------------------------

bool TMainForm::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate && firstActivation_)
        QTimer::singleShot(0, this, [this] { RunGuarded(this, [this] { RestoreLastRun(); }); });
    return QMainWindow::event(e);
}

void TMainForm::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    // Without a window manager the frame may never be activated.
    if (firstActivation_)
        QTimer::singleShot(0, this, [this] { RunGuarded(this, [this] { RestoreLastRun(); }); });
}

bool TMainForm::AskStopCalculation() {
    QWidget* parent = ProgressForm->isVisible() ? static_cast<QWidget*>(ProgressForm) : this;
    return AskOkCancel(parent, QStringLiteral("Вы действительно хотите прервать расчет?"), TMsgKind::Warning);
}

void TMainForm::closeEvent(QCloseEvent* e) {
    if (ProgressForm->Running()) {
        if (!AskStopCalculation()) {
            e->ignore();
            return;
        }
        ProgressForm->SetRunning(false);
    }
    for (TChildForm* child : Children()) {
        if (!child->AskSave()) {
            e->ignore();
            return;
        }
    }
    if (AutoSave()) SaveConfig();
    store_->Flush();
    e->accept();
}
