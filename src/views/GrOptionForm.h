// "Графика": the colour scale and the mesh switch used by every graph and by
// the picture of the linear system. The number of colour levels L (2 to
// 1000, initially 80) sets both palettes, shown side by side: negative values
// from white through cyan to blue, positive values from white through yellow
// to red. The palettes are rebuilt when the level field is left.
#pragma once

#include "platform/palette.h"

#include <QDialog>

class QCheckBox;
class QListWidget;
class QSpinBox;

class TGrOptionForm : public QDialog {
    Q_OBJECT
public:
    explicit TGrOptionForm(QWidget* parent = nullptr);

    // Shows the dialog modally; Cancel gives back the level count and the
    // mesh switch it had before. True on OK.
    bool Execute();

    // The scale the graphs are drawn with.
    const zem::TColorScale& Scale() const { return palette_; }
    const zem::TPalette& Palette() const { return palette_; }
    int LevelCount() const { return palette_.LevelCount(); }
    zem::TColor ColorFor(zem::Extended value, zem::Extended step) const { return palette_.ColorFor(value, step); }
    bool MeshVisible() const { return palette_.MeshVisible(); }
    void SetMeshVisible(bool on);
    // Sets the level field and rebuilds the palettes.
    void SetLevelCount(int levels);
    // Rebuilds both lists from the level field.
    void RebuildPalettes();

    QSpinBox* SpinEdit = nullptr;
    QListWidget* MinusBox = nullptr;
    QListWidget* PlusBox = nullptr;
    QCheckBox* MeshCheckBox = nullptr;

private:
    zem::TPalette palette_;
};
