// "Тип задачи": the choice of the type of a new problem. The list holds the
// types of the catalogue in catalogue order, so that the selected row is the
// type index: each with a sketch of its shell, its code and caption, and
// below them what it is for; under the list the description of the selected
// type. A double click on the list chooses like OK. One instance for the
// program.
#pragma once

#include <QDialog>
#include <QPixmap>
#include <string>

class QLabel;
class QListWidget;
class QPushButton;

// The shapes the sketches of the types show.
enum class TShellSketch { Cylinder, Stepped, Panel, Ring, CylinderRing };
TShellSketch ShellSketchOf(const std::string& typeName);
// What a type is for, in one line; empty for a name the catalogue lacks.
std::string ProblemTypePurpose(const std::string& typeName);
// A small drawing of a shell of that shape.
QPixmap DrawShellSketch(TShellSketch sketch, QSize size);

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
