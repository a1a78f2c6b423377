// Child windows of the main window.
//
// Every window inside the main window is a TChildForm. The windows of one
// problem form a tree: a window records the window that opened it (its parent
// form) and the windows it opened (its dependants, not owned). Closing a
// window closes its dependants first and asks to save its own changes; a
// change in one window can refresh the whole family.
//
// Life cycle: a window is created bare by a factory (TChildFactory) and then
// set up by TMainForm::CreateChild, which calls Create. The window frees
// itself when it closes; the main window frees the windows still open when it
// is destroyed (without closing them).
#pragma once

#include <QList>
#include <QMdiSubWindow>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <stdexcept>

class TMainForm;
class TWindowsMenuItem;
class TChildForm;
namespace zem {
class TElemList;
}

// What a window's SaveData raises when its data cannot be taken (a value
// that does not parse): nothing was written, and the message says which
// value and why.
class EDataError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The text of a failed file operation: Context (a message that ends in the
// file name), then on a new line what went wrong, unless Context says it
// already.
QString FileErrorText(const QString& context, const std::exception& cause);

// Makes a bare child window of the main window.
using TChildFactory = std::function<TChildForm*(TMainForm* main)>;

template <class T>
TChildFactory ChildFactory() {
    return [](TMainForm* main) -> TChildForm* { return new T(main); };
}

class TChildForm : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit TChildForm(TMainForm* main);
    ~TChildForm() override;

    // Records the item, sets the caption; with a parent: joins the parent's
    // dependants, takes its problem window, records the element list and
    // index, and shows the data.
    void Create(const QString& caption, int elemIndex, zem::TElemList* elemList, TChildForm* parent,
                TWindowsMenuItem* item);

    // Shows the data the window stands for.
    virtual void ShowData() {}
    // Writes the data back; throws on failure.
    virtual void SaveData() {}
    // True when the window holds unsaved changes.
    virtual bool IsModified() const { return false; }
    // What they are, in words for the question before closing ("текст
    // объекта"); empty when the window cannot tell.
    virtual QStringList ChangedParts() const { return {}; }

    // The dependant with exactly this caption is brought to the front;
    // otherwise a new window is made by the factory with this window as
    // parent. Gives the window.
    TChildForm* OpenDependent(const TChildFactory& factory, const QString& caption, int elemIndex,
                              zem::TElemList* elemList);
    // Closes the dependants, first to last. False when one stayed open
    // (its changes could not be saved).
    bool CloseDependents();
    // ShowData of every dependant, depth first.
    void RefreshDependents();
    // ShowData of the window, ShowData and RefreshDependents of its
    // dependants but the excepted one, then the same for its parent with
    // the window as the exception, up to the top.
    static void RefreshFamily(TChildForm* window, TChildForm* except = nullptr);

    // When modified: brings the window to the front and asks
    // "<caption>:\nДанные были изменены. Желаете сохранить?" with save,
    // discard and cancel; the changed parts, when the window names them,
    // follow on a line of their own. False when the user cancelled, or asked to save
    // and the save did not happen: the caller then keeps the window open
    // with its data unchanged.
    bool AskSave();

    // Closes the window without asking about its changes (a window whose
    // file could not be read).
    void Discard();

    // True from the moment the window has agreed to close.
    bool Closing() const { return closing_; }

    TMainForm* const Main;
    TWindowsMenuItem* Item = nullptr;
    QPointer<TChildForm> ParentForm;
    QPointer<TChildForm> ProblemForm;
    QList<TChildForm*> Dependents;
    zem::TElemList* ElemList = nullptr;
    int ElemIndex = 0;

protected:
    // The save that AskSave runs: SaveData, with a failure shown as
    // "Ошибка записи в файл " and the caption. True when saved.
    virtual bool SaveForClose();
    // Closing: dependants first, then the question about changes, then the
    // window leaves the window menu and its parent's dependants.
    void closeEvent(QCloseEvent* event) override;

private:
    bool closing_ = false;
    bool discard_ = false;
};
