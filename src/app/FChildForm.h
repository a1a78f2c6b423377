// A child window that stands for a file on disk: a problem window or a series
// window. Adds the file name (the file name of its save dialog: a full path in
// stored form, "\" separators, empty until the file has been read or saved)
// and the reading of the file.
#pragma once

#include "app/ChildForm.h"

class QTabWidget;

class TFChildForm : public TChildForm {
    Q_OBJECT
public:
    explicit TFChildForm(TMainForm* main);

    // Reads the window's file (FileName); throws on failure.
    virtual void LoadData() {}

    // The filter and default extension of the save dialog; by default those
    // of the window's extension ("zes" series, otherwise problems).
    virtual QString SaveFilter() const;
    virtual QString DefaultExt() const;

    QString FileName;

protected:
    // Tab pages filling the window (in a column layout of their parent,
    // where more may follow), for the constructor of a window made of pages.
    QTabWidget* AddPageControl();
    // Saving before a close goes through the main window's save command, so
    // that a window never saved asks for a name.
    bool SaveForClose() override;
};
