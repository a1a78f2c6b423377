#include "app/ChildForm.h"

#include "app/Dialogs.h"
#include "app/MainForm.h"
#include "app/WindowsMenuItem.h"
#include "platform/files.h"

#include <QCloseEvent>
#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QPixmap>
#include <exception>

TChildForm::TChildForm(TMainForm* main) : Main(main) {
    setAttribute(Qt::WA_DeleteOnClose);
    // No toolkit logo in the title bar.
    QPixmap blank(16, 16);
    blank.fill(Qt::transparent);
    setWindowIcon(QIcon(blank));
    // Ctrl+W (and the other keys of closing) belong to the main window's
    // "&Закрыть", which closes the active window whichever has the focus.
    if (QMenu* menu = systemMenu())
        for (QAction* a : menu->actions())
            for (const QKeySequence& key : QKeySequence::keyBindings(QKeySequence::Close))
                if (a->shortcuts().contains(key)) a->setShortcuts({});
}

TChildForm::~TChildForm() = default;

void TChildForm::Create(const QString& caption, int elemIndex, zem::TElemList* elemList, TChildForm* parent,
                        TWindowsMenuItem* item) {
    Item = item;
    setWindowTitle(caption);
    if (parent) {
        ParentForm = parent;
        parent->Dependents.append(this);
        // A problem window is its own family's problem window, also when a
        // series window opened it.
        if (!ProblemForm) ProblemForm = parent->ProblemForm;
        ElemList = elemList;
        ElemIndex = elemIndex;
        ShowData();
    }
}

TChildForm* TChildForm::OpenDependent(const TChildFactory& factory, const QString& caption, int elemIndex,
                                      zem::TElemList* elemList) {
    for (TChildForm* d : Dependents) {
        if (d->windowTitle() == caption) {
            Main->ShowChild(d);
            return d;
        }
    }
    return Main->CreateChild(factory, caption, elemIndex, elemList, this);
}

bool TChildForm::CloseDependents() {
    while (!Dependents.isEmpty()) {
        TChildForm* first = Dependents.first();
        if (!first->close()) return false;  // it kept its unsaved data
        // A closed dependant has removed itself; never loop on one that did not.
        Dependents.removeOne(first);
    }
    return true;
}

void TChildForm::RefreshDependents() {
    for (TChildForm* d : QList<TChildForm*>(Dependents)) {
        d->ShowData();
        d->RefreshDependents();
    }
}

void TChildForm::RefreshFamily(TChildForm* window, TChildForm* except) {
    while (window) {
        window->ShowData();
        for (TChildForm* d : QList<TChildForm*>(window->Dependents)) {
            if (d == except) continue;
            d->ShowData();
            d->RefreshDependents();
        }
        except = window;
        window = window->ParentForm;
    }
}

bool TChildForm::AskSave() {
    if (!IsModified()) return true;
    Main->ShowChild(this);
    QString text = windowTitle() + QStringLiteral(":\nДанные были изменены. Желаете сохранить?");
    if (const QStringList parts = ChangedParts(); !parts.isEmpty())
        text += QStringLiteral("\nИзменено: ") + parts.join(QStringLiteral(", ")) + QLatin1Char('.');
    switch (AskSaveChanges(Main, text)) {
    case TSaveAnswer::Save: return SaveForClose();
    case TSaveAnswer::Discard: return true;
    case TSaveAnswer::Cancel: return false;
    }
    return false;
}

bool TChildForm::SaveForClose() {
    try {
        SaveData();
        return true;
    } catch (const EDataError& e) {
        ShowMessage(Main, QString::fromUtf8(e.what()));
    } catch (const std::exception& e) {
        ShowMessage(Main, FileErrorText(QStringLiteral("Ошибка записи в файл ") + windowTitle(), e));
    }
    return false;
}

QString FileErrorText(const QString& context, const std::exception& cause) {
    const QString why = QString::fromUtf8(zem::ErrorMessage(cause)).trimmed();
    if (why.isEmpty() || context.startsWith(why) || why.startsWith(context)) return why.size() > context.size() ? why : context;
    return context + QLatin1Char('\n') + why;
}

void TChildForm::Discard() {
    discard_ = true;
    close();
}

void TChildForm::closeEvent(QCloseEvent* event) {
    if (closing_) {
        QMdiSubWindow::closeEvent(event);
        return;
    }
    if (!CloseDependents() || (!discard_ && !AskSave())) {
        event->ignore();
        return;
    }
    closing_ = true;
    Main->RemoveWindowItem(this);
    if (ParentForm) ParentForm->Dependents.removeOne(this);
    // Dependants still listed (none after CloseDependents) lose their parent.
    for (TChildForm* d : Dependents) d->ParentForm = nullptr;
    Dependents.clear();
    QMdiSubWindow::closeEvent(event);
}
