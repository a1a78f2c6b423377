// "Расчет": the calculation dialog. It edits the calculation lines of a
// problem (the type of calculation, the characteristics and axes the error
// estimate and the mesh selection look at, the accepted error, the method and
// real type of the linear system and three switches) and keeps default
// settings in the store, section "CALCULATION".
//
// One instance for the program, with three uses: a run and the settings of a
// problem window (the lists come from the problem's domain elements, the
// controls from the window's lines, OK rewrites the lines), and the defaults
// of the main window's options menu (empty lists, the controls from the store,
// OK stores them). The dialog keeps only a weak reference to the problem whose
// lists it shows.
//
// Beside the method, the dialog shows what the chosen method will cost for
// the problem shown: the order of the system and its band, the memory the
// method needs against what the machine has, and the order of its
// arithmetic. A run whose method cannot fit is refused before it starts,
// with the figures and the fastest method that fits offered; accepting the
// offer runs with that method. A new problem starts with the method and real
// type that suit its size, unless the user has stored default ones.
#pragma once

#include "solvers/SLEstimate.h"

#include <QDialog>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QWidget;
class TRegIniFile;
namespace zem {
class TProblem;
}

enum class TCalculUse { Run, Settings, Defaults };

class TCalculForm : public QDialog {
    Q_OBJECT
public:
    TCalculForm(TRegIniFile& store, QWidget* parent = nullptr);

    // The OK button reads "Расчет" for a run and "ОК" otherwise. The
    // defaults use also empties the lists and loads the stored defaults.
    void SetUse(TCalculUse use);
    TCalculUse Use() const { return use_; }

    // The characteristics, the criterion and the axes of the problem's
    // domain elements, every axis checked; "По типу" is enabled only for
    // several domains. Null empties the lists.
    void FillLists(const std::shared_ptr<zem::TProblem>& problem);
    // The stored defaults, then the record of the lines. Raises
    // "Ошибка численного значения" for a "Prec" that is not a number.
    void LoadLines(const std::vector<std::string>& lines);
    // The lines of the controls, in their fixed order. With "Сохранение
    // установок" checked and StoreDefaults, the defaults are stored first.
    std::vector<std::string> WriteLines(bool storeDefaults = true);
    // The stored defaults; for a problem shown and no stored method, the
    // method and real type that suit its size.
    void LoadDefaults();
    void StoreDefaults();

    // The cost of the chosen method for the problem shown; none without a
    // problem (or one whose system cannot be set up).
    std::optional<zem::TSolverEstimate> Estimate();
    // A run whose method cannot fit: the figures and the offer of the
    // fastest method that fits; OK takes it. False when the run must not
    // start.
    bool CheckMethodFits();

    // Shows the dialog modally; true on OK.
    bool Execute();
    bool AutoMode() const;

    // --- Handlers. ---
    void CalcTypeClick();
    void SelectAllItemClick();
    void ClearAllItemClick();
    void ByTypeItemClick();
    // Leaving a number field: a text that is not a number shows
    // "Ошибочное значение параметра" and keeps the focus there. False then.
    bool NumberEditExit(QLineEdit* edit);

    // --- Controls. ---
    QGroupBox* CalcTypeGroup = nullptr;
    QRadioButton* SimpleRadioButton = nullptr;
    QRadioButton* AstRadioButton = nullptr;
    QRadioButton* PrecRadioButton = nullptr;
    QStackedWidget* Panels = nullptr;  // blank, AstPanel or PrecPanel
    QWidget* AstPanel = nullptr;
    QListWidget* AstListBox = nullptr;
    QWidget* PrecPanel = nullptr;
    QLineEdit* PrecEdit = nullptr;
    QComboBox* PrecCharComboBox = nullptr;
    QListWidget* PrecListBox = nullptr;
    QGroupBox* NormaGroupBox = nullptr;
    QRadioButton* SqrNormRadioButton = nullptr;
    QRadioButton* UniNormRadioButton = nullptr;
    QGroupBox* SLAEGroupBox = nullptr;
    QComboBox* RealTypeBox = nullptr;
    QComboBox* SLAEMethodBox = nullptr;
    QCheckBox* SLAEErrorCheckBox = nullptr;
    QLabel* EstimateLabel = nullptr;  // under the method: the cost of the method
    QPushButton* UseMethodBtn = nullptr;  // "Использовать «…»": the faster method the estimate names
    QLabel* MeshWarningLabel = nullptr;  // the mesh guard's warnings, when any
    QLineEdit* SLAEPrecEdit = nullptr;  // hidden
    QLineEdit* RelaxEdit = nullptr;     // hidden
    QCheckBox* ModeCheckBox = nullptr;
    QCheckBox* DefaultCheckBox = nullptr;
    QCheckBox* ResultCheckBox = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QMenu* ListPopupMenu = nullptr;
    QAction* SelectAllItem = nullptr;
    QAction* ClearAllItem = nullptr;
    QAction* ByTypeItem = nullptr;

    // OK: a mesh selection needs a number in the accepted-error field.
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The estimate is worked out when the dialog comes into view.
    void showEvent(QShowEvent* event) override;

private:
    // The mesh guard's lines about the problem shown, or nothing.
    void ShowMeshWarnings();
    int CalcType() const;
    void SetCalcType(int type);
    int ListType() const;
    void RefillLists();
    void LoadStoredDefaults();
    // The order and half band of the problem's system (from a copy, so the
    // problem itself is left alone), kept while its text stays the same.
    bool SizeProblem();
    void ShowEstimate();
    static std::vector<std::string> Checked(const QListWidget* list);
    static void CheckEntries(QListWidget* list, const std::vector<std::string>& names);

    TRegIniFile& store_;
    TCalculUse use_ = TCalculUse::Settings;
    std::weak_ptr<zem::TProblem> problem_;
    bool manyDomains_ = false;
    QListWidget* popupList_ = nullptr;
    std::string sizedText_;  // the problem text the sizes below are of
    std::size_t unknowns_ = 0;
    std::size_t halfBand_ = 0;
    bool surface_ = false;
    bool circulant_ = false;  // the system repeats round a closed circumference
    bool sized_ = false;
};
