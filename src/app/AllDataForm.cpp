#include "app/AllDataForm.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {
constexpr int kObjectRole = Qt::UserRole + 1;
}

TAllDataForm::TAllDataForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Открытые файлы"));
    SrcList = new QListWidget(this);
    DstList = new QListWidget(this);
    DstList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    SrcList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    DstLabel = new QLabel(QStringLiteral("Очередь"), this);
    IncludeBtn = new QPushButton(QStringLiteral(">"), this);
    IncAllBtn = new QPushButton(QStringLiteral(">>"), this);
    ExcludeBtn = new QPushButton(QStringLiteral("<"), this);
    ExcAllBtn = new QPushButton(QStringLiteral("<<"), this);
    OkBtn = new QPushButton(QStringLiteral("OK"), this);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    OkBtn->setDefault(true);

    auto* buttons = new QVBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {IncludeBtn, IncAllBtn, ExcludeBtn, ExcAllBtn}) {
        b->setFixedWidth(32);
        buttons->addWidget(b);
    }
    buttons->addStretch();
    auto* lists = new QGridLayout;
    lists->addWidget(DstLabel, 0, 2);
    lists->addWidget(SrcList, 1, 0);
    lists->addLayout(buttons, 1, 1);
    lists->addWidget(DstList, 1, 2);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(OkBtn);
    bottom->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists);
    layout->addLayout(bottom);

    connect(IncludeBtn, &QPushButton::clicked, this, &TAllDataForm::IncludeBtnClick);
    connect(IncAllBtn, &QPushButton::clicked, this, &TAllDataForm::IncAllBtnClick);
    connect(ExcludeBtn, &QPushButton::clicked, this, &TAllDataForm::ExcludeBtnClick);
    connect(ExcAllBtn, &QPushButton::clicked, this, &TAllDataForm::ExcAllBtnClick);
    connect(OkBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(SrcList, &QListWidget::itemDoubleClicked, this, [this] {
        if (!DstList->isVisible()) accept();
    });
    UpdateButtons();
}

void TAllDataForm::Clear() {
    SrcList->clear();
    DstList->clear();
    UpdateButtons();
}

QListWidgetItem* TAllDataForm::AddSource(const QString& text, QObject* object) {
    auto* entry = new QListWidgetItem(text, SrcList);
    entry->setData(kObjectRole, QVariant::fromValue(object));
    UpdateButtons();
    return entry;
}

QListWidgetItem* TAllDataForm::AddDestination(const QString& text, QObject* object) {
    auto* entry = new QListWidgetItem(text, DstList);
    entry->setData(kObjectRole, QVariant::fromValue(object));
    UpdateButtons();
    return entry;
}

QObject* TAllDataForm::ObjectOf(const QListWidgetItem* entry) {
    return entry ? entry->data(kObjectRole).value<QObject*>() : nullptr;
}

void TAllDataForm::SetPickMode(bool pick) {
    SrcList->setSelectionMode(pick ? QAbstractItemView::SingleSelection : QAbstractItemView::ExtendedSelection);
    for (QWidget* w : {static_cast<QWidget*>(DstList), static_cast<QWidget*>(DstLabel),
                       static_cast<QWidget*>(IncludeBtn), static_cast<QWidget*>(IncAllBtn),
                       static_cast<QWidget*>(ExcludeBtn), static_cast<QWidget*>(ExcAllBtn)})
        w->setVisible(!pick);
    adjustSize();
}

void TAllDataForm::UpdateButtons() {
    IncludeBtn->setEnabled(SrcList->count() > 0);
    IncAllBtn->setEnabled(SrcList->count() > 0);
    ExcludeBtn->setEnabled(DstList->count() > 0);
    ExcAllBtn->setEnabled(DstList->count() > 0);
}

void TAllDataForm::MoveEntries(QListWidget* from, QListWidget* to, bool all) {
    int firstSelected = -1;
    for (int i = 0; i < from->count(); ++i)
        if (from->item(i)->isSelected()) {
            firstSelected = i;
            break;
        }
    // From the end, so that the moved entries arrive in reverse order.
    for (int i = from->count() - 1; i >= 0; --i) {
        if (!all && !from->item(i)->isSelected()) continue;
        QListWidgetItem* entry = from->takeItem(i);
        entry->setSelected(false);
        to->addItem(entry);
    }
    from->setFocus();
    from->clearSelection();
    if (from->count() > 0) {
        // The entry now at the old first selection, or the last one, or the
        // first when nothing was selected.
        int row = firstSelected < 0 ? 0 : std::min(firstSelected, from->count() - 1);
        from->setCurrentRow(row);
        from->item(row)->setSelected(true);
    }
    UpdateButtons();
}

void TAllDataForm::IncludeBtnClick() { MoveEntries(SrcList, DstList, false); }
void TAllDataForm::IncAllBtnClick() { MoveEntries(SrcList, DstList, true); }
void TAllDataForm::ExcludeBtnClick() { MoveEntries(DstList, SrcList, false); }
void TAllDataForm::ExcAllBtnClick() { MoveEntries(DstList, SrcList, true); }
