// "Приближения": the approximations of one problem window (the refined copies
// its error estimates and mesh selections made). The list of their captions
// or file names fills the upper panel, the object text of the selected one
// the rest; the boundary between them is dragged with the mouse. A pop-up
// menu saves the selected approximation as a problem file of its own, opens
// it in a problem window, and deletes one or all of them. Approximations made
// from another text of the problem are shown grey and offered for removal;
// the mesh of the selected one can be taken into the problem's object text
// (an edit of the object page, undone as any other).
//
// One instance for the program, always on top. It records the problem window
// it shows and reads that window's problem; the window keeps ownership. While
// the window's problem is calculated the list is left alone (the worker adds
// to it): the texts shown come from a copy and the commands refuse. When the
// window goes, or its problem is replaced, the list empties.
//
// The placement and the panel height are kept in the store under
// "ApproxForm" ("WinOptions", "PanelHeight"), written when the window closes.
#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class TMainForm;
class TProblemForm;
namespace zem {
class TProblem;
struct TApproximation;
}

class TApproxForm : public QWidget {
    Q_OBJECT
public:
    explicit TApproxForm(TMainForm* main);
    ~TApproxForm() override;

    // Caption "Приближения: " and the window's caption; the list filled from
    // its problem, the last entry selected and shown; the window shown.
    void ShowApprox(TProblemForm& window);
    TProblemForm* Window() const { return window_; }

    // The panel height, kept between 50 pixels and the client height less 50.
    int PanelHeight() const { return panelHeight_; }
    void SetPanelHeight(int height);
    // The stored placement and panel height: written (Save) or applied.
    void StoreState(bool save);

    // --- Handlers. ---
    // The selected entry's object text, or nothing without a selection.
    void ListBoxClick();
    // Saves the selected approximation as a problem file; true when saved.
    bool Save(QString* chosen = nullptr);
    void SaveItemClick();
    void OpenItemClick();
    void DeleteItemClick();
    void AllDeleteItemClick();
    // Deletes, after a question, the approximations made from another text
    // of the problem.
    void StaleDeleteItemClick();
    // "Принять сетку приближения N": the meshes of the selected
    // approximation into the window's object page.
    void AdoptItemClick();

    QWidget* Panel = nullptr;
    QListWidget* ListBox = nullptr;
    QPlainTextEdit* Memo = nullptr;
    QMenu* PopupMenu = nullptr;
    QAction* SaveItem = nullptr;
    QAction* OpenItem = nullptr;
    QAction* DeleteItem = nullptr;
    QAction* AllDeleteItem = nullptr;
    QAction* StaleDeleteItem = nullptr;
    QAction* AdoptItem = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Fill();
    void Clear();
    void Layout();
    // The problem's approximation list, when the commands may use it: none
    // without a problem window, or when the list no longer matches the
    // problem (it is filled again then); raises while the problem is
    // calculated.
    std::vector<zem::TApproximation>* Current();
    // The selected entry (whose problem may be null), or none.
    zem::TApproximation* Selected();

    TMainForm* main_;
    QPointer<TProblemForm> window_;
    QMetaObject::Connection windowGone_;
    std::weak_ptr<zem::TProblem> problem_;
    std::vector<std::vector<std::string>> texts_;  // object text of every entry
    std::vector<bool> stale_;                      // made from another text of the problem
    int panelHeight_ = 0;
    bool panelRead_ = false;
    bool dragging_ = false;
};

// Creates the window and plugs it into the problem window's approximation
// command and into the refresh after each calculation.
void InstallApproxWindow(TMainForm& main);
