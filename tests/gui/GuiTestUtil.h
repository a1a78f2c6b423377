// Shared pieces of the window tests: scripted answers to dialogs, test child
// windows and a main window working in a temporary start directory.
#pragma once

#include "app/Dialogs.h"
#include "app/FChildForm.h"
#include "app/MainForm.h"

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <memory>
#include <stdexcept>

// Makes every dialog shown without a script fail the running test.
void InstallUnexpectedDialogHandlers();

// Records the messages and questions of the windows and answers them from
// a script; gives back the failing handlers when it goes.
class TDialogScript {
public:
    TDialogScript();
    ~TDialogScript();

    QStringList Messages;
    QStringList Questions;
    std::deque<bool> Answers;        // for the questions; an empty script answers Cancel
    std::deque<QString> SaveNames;   // for the save dialogs; empty: Cancel
    QStringList ProposedNames;       // what the save dialogs proposed
    std::deque<QString> OpenNames;
};

// A file window whose file is a plain text file: LoadData fails when the file
// does not exist, SaveData writes "saved" (or fails when told to). No
// Q_OBJECT here (the test program has no moc): cast with dynamic_cast.
class TTestFileWindow : public TFChildForm {
public:
    explicit TTestFileWindow(TMainForm* main) : TFChildForm(main) { resize(300, 200); }

    void LoadData() override;
    void SaveData() override;
    bool IsModified() const override { return Modified; }
    void ShowData() override { ++ShowCount; }

    bool Modified = false;
    bool FailSave = false;
    int SaveCount = 0;
    int ShowCount = 0;
};

// A dependant window (an element editor).
class TTestEditor : public TChildForm {
public:
    explicit TTestEditor(TMainForm* main) : TChildForm(main) {}
    void ShowData() override;
    void SaveData() override { ++SaveCount; Modified = false; }
    bool IsModified() const override { return Modified; }

    bool Modified = false;
    int SaveCount = 0;
    int ShowCount = 0;
    // Every ShowData of any editor, in order, as window captions.
    static QStringList* ShowLog;
};

// A main window in a fresh temporary start directory with its own store file,
// the test windows plugged in for "zem" and "zes".
class TMainFixture {
public:
    TMainFixture();
    ~TMainFixture();

    // Makes a file in the start directory.
    void Touch(const QString& name) const;
    QString StoreFile() const { return dir_.filePath(QStringLiteral("store.ini")); }
    QString Dir() const { return dir_.path(); }
    // A new main window over the same directory and store (the next run).
    std::unique_ptr<TMainForm> NewMain() const;
    TTestFileWindow* Open(const QString& name);

    std::unique_ptr<TMainForm> Main;

private:
    QTemporaryDir dir_;
    QString oldCurrent_;
};
