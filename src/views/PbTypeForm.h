// "Тип задачи": the choice of the type of a new problem. The list holds the
// type names of the catalogue in catalogue order, so that the selected row is
// the type index; below it the description of the selected type. A double
// click on the list chooses like OK. One instance for the program.
#pragma once

#include <QDialog>
#include <string>

class QLabel;
class QListWidget;
class QPushButton;

class TPbTypeForm : public QDialog {
    Q_OBJECT
public:
    explicit TPbTypeForm(QWidget* parent = nullptr);

    // The selected type index, or -1.
    int TypeIndex() const;
    // Shows the dialog; on OK gives true with the chosen type name.
    bool Execute(std::string& typeName);

    void ListBoxClick();
    void ListBoxDblClick();

    QLabel* NameLabel = nullptr;
    QListWidget* ListBox = nullptr;
    QLabel* DescriptLabel = nullptr;
    QLabel* DescriptText = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;
};
