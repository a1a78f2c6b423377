#include "GuiTestUtil.h"

#include "app/RegIniFile.h"
#include "problem/FileNames.h"

#include <QFile>
#include <gtest/gtest.h>

QStringList* TTestEditor::ShowLog = nullptr;

void InstallUnexpectedDialogHandlers() {
    TDialogHandlers& h = DialogHandlers();
    h.Message = [](QWidget*, const QString& text, TMsgKind) {
        ADD_FAILURE() << "unexpected message: " << text.toStdString();
    };
    h.Ask = [](QWidget*, const QString& text, TMsgKind) {
        ADD_FAILURE() << "unexpected question: " << text.toStdString();
        return false;
    };
    h.OpenName = [](QWidget*, const QString&, const QString&) {
        ADD_FAILURE() << "unexpected open dialog";
        return QString();
    };
    h.SaveName = [](QWidget*, const QString&, const QString&, const QString&) {
        ADD_FAILURE() << "unexpected save dialog";
        return QString();
    };
}

TDialogScript::TDialogScript() {
    TDialogHandlers& h = DialogHandlers();
    h.Message = [this](QWidget*, const QString& text, TMsgKind) { Messages << text; };
    h.Ask = [this](QWidget*, const QString& text, TMsgKind) {
        Questions << text;
        if (Answers.empty()) return false;
        const bool answer = Answers.front();
        Answers.pop_front();
        return answer;
    };
    h.OpenName = [this](QWidget*, const QString&, const QString&) {
        if (OpenNames.empty()) return QString();
        QString name = OpenNames.front();
        OpenNames.pop_front();
        return name;
    };
    h.SaveName = [this](QWidget*, const QString& proposed, const QString&, const QString&) {
        ProposedNames << proposed;
        if (SaveNames.empty()) return QString();
        QString name = SaveNames.front();
        SaveNames.pop_front();
        return name;
    };
}

TDialogScript::~TDialogScript() { InstallUnexpectedDialogHandlers(); }

void TTestFileWindow::LoadData() {
    if (!zem::FileCanOpen(FileName.toStdString())) throw std::runtime_error("cannot read");
}

void TTestFileWindow::SaveData() {
    if (FailSave) throw std::runtime_error("cannot write");
    QFile f(QString::fromStdString(zem::NativePath(FileName.toStdString())));
    if (!f.open(QIODevice::WriteOnly)) throw std::runtime_error("cannot write");
    f.write("saved");
    ++SaveCount;
    Modified = false;
}

void TTestEditor::ShowData() {
    ++ShowCount;
    if (ShowLog) *ShowLog << windowTitle();
}

TMainFixture::TMainFixture() {
    oldCurrent_ = QDir::currentPath();
    QDir::setCurrent(dir_.path());
    Main = NewMain();
}

TMainFixture::~TMainFixture() {
    Main.reset();
    QDir::setCurrent(oldCurrent_);
}

std::unique_ptr<TMainForm> TMainFixture::NewMain() const {
    auto main = std::make_unique<TMainForm>(nullptr, std::make_unique<TRegIniFile>(StoreFile()));
    main->Hooks.ProblemWindow = ChildFactory<TTestFileWindow>();
    main->Hooks.SeriesWindow = ChildFactory<TTestFileWindow>();
    return main;
}

void TMainFixture::Touch(const QString& name) const {
    QFile f(dir_.filePath(name));
    f.open(QIODevice::WriteOnly);
    f.write("x");
}

TTestFileWindow* TMainFixture::Open(const QString& name) {
    Touch(name);
    return dynamic_cast<TTestFileWindow*>(Main->OpenFile(nullptr, name));
}
