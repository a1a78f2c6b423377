#include "app/ProgressForm.h"

#include "app/Dialogs.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

namespace {
constexpr int kPanel1Height = 62;
constexpr int kPanel2Height = 150;
constexpr int kClientWidth = 349;

int BarValue(std::size_t v) {
    return static_cast<int>(std::min<std::size_t>(v, std::numeric_limits<int>::max()));
}
}  // namespace

TSLProgrForm::TSLProgrForm(QWidget* parent, Clock clock)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      zem::TProgressLog(std::move(clock)) {
    setWindowTitle(QString::fromStdString(Caption()));

    Panel1 = new QWidget(this);
    Panel1->setFixedHeight(kPanel1Height);
    StepNameLabel = new QLabel(QStringLiteral("Этап расчета"), Panel1);
    ProgressLabel = new QLabel(QStringLiteral("0 %"), Panel1);
    ProgressLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    TimeLabel = new QLabel(QStringLiteral("00:00"), Panel1);
    TimeLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ProgressBar = new QProgressBar(Panel1);
    ProgressBar->setRange(0, 99);
    ProgressBar->setValue(0);
    ProgressBar->setTextVisible(false);
    auto* labels = new QHBoxLayout;
    labels->addWidget(StepNameLabel, 1);
    labels->addWidget(ProgressLabel);
    labels->addSpacing(12);
    labels->addWidget(TimeLabel);
    auto* panel1Layout = new QVBoxLayout(Panel1);
    panel1Layout->setContentsMargins(6, 4, 6, 4);
    panel1Layout->setSpacing(3);
    // "Остановить" (Esc) does what closing the window does: during a
    // calculation it asks first, otherwise it hides the window.
    StopBtn = new QPushButton(QStringLiteral("Остановить"), Panel1);
    StopBtn->setToolTip(QStringLiteral("Прервать расчет (Esc)"));
    StopBtn->setAutoDefault(false);
    connect(StopBtn, &QPushButton::clicked, this, &QWidget::close);
    auto* bar = new QHBoxLayout;
    bar->addWidget(ProgressBar, 1);
    bar->addWidget(StopBtn);
    panel1Layout->addLayout(labels);
    panel1Layout->addLayout(bar);

    Panel2 = new QWidget(this);
    Panel2->setFixedHeight(kPanel2Height);
    Memo = new QPlainTextEdit(Panel2);
    Memo->setReadOnly(true);
    Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* panel2Layout = new QVBoxLayout(Panel2);
    panel2Layout->setContentsMargins(0, 0, 0, 0);
    panel2Layout->addWidget(Memo);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(Panel2);
    layout->addStretch();

    Timer = new QTimer(this);
    Timer->setInterval(1000);
    connect(Timer, &QTimer::timeout, this, &TSLProgrForm::SetTime);

    PopupMenu = new QMenu(this);
    InfoItem = PopupMenu->addAction(QStringLiteral("&Сведения"));
    InfoItem->setCheckable(true);
    InfoItem->setChecked(true);
    connect(InfoItem, &QAction::triggered, this, &TSLProgrForm::InfoItemClick);
    for (QWidget* w : {static_cast<QWidget*>(this), static_cast<QWidget*>(Memo)}) {
        w->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(w, &QWidget::customContextMenuRequested, this,
                [this, w](const QPoint& pos) { PopupMenu->popup(w->mapToGlobal(pos)); });
    }
    FitHeight();
}

// --- Worker side: record, then post one update. ------------------------------

void TSLProgrForm::PostUpdate() {
    // One pending update at a time: a solver steps once per row, and the
    // update shows whatever state it finds.
    if (updatePending_.exchange(true, std::memory_order_acq_rel)) return;
    QMetaObject::invokeMethod(this, &TSLProgrForm::UpdateView, Qt::QueuedConnection);
}

void TSLProgrForm::StartCalculation(std::size_t n) {
    zem::TProgressLog::StartCalculation(n);
    clockRunning_.store(true, std::memory_order_release);
    generation_.fetch_add(1, std::memory_order_acq_rel);
    showRequested_.store(true, std::memory_order_release);
    PostUpdate();
}

void TSLProgrForm::FinishCalculation(const std::string& message) {
    zem::TProgressLog::FinishCalculation(message);
    clockRunning_.store(false, std::memory_order_release);
    PostUpdate();
}

void TSLProgrForm::PostClose() {
    QMetaObject::invokeMethod(this, &QWidget::hide, Qt::QueuedConnection);
}

// --- User-interface side. -----------------------------------------------------

void TSLProgrForm::UpdateView() {
    Q_ASSERT(QThread::currentThread() == thread());
    updatePending_.store(false, std::memory_order_release);
    const zem::TProgressSnapshot s = Snapshot();
    const unsigned generation = generation_.load(std::memory_order_acquire);
    if (generation != shownGeneration_) {
        shownGeneration_ = generation;
        shownLines_ = 0;
        Memo->clear();
    }
    if (showRequested_.exchange(false, std::memory_order_acq_rel)) {
        // Without a stored placement the window first shows over the middle
        // of the main window.
        if (!testAttribute(Qt::WA_Moved) && parentWidget()) {
            QRect r = frameGeometry();
            r.moveCenter(parentWidget()->frameGeometry().center());
            move(r.topLeft());
        }
        show();
        raise();
    }
    setWindowTitle(QString::fromStdString(s.caption));
    StepNameLabel->setText(QString::fromStdString(s.stageName));
    ProgressLabel->setText(QString::fromStdString(s.percentText));
    TimeLabel->setText(QString::fromStdString(s.timeText));
    ProgressBar->setMaximum(BarValue(s.maximum));
    ProgressBar->setValue(BarValue(s.position));
    const int count = static_cast<int>(s.lines.size());
    if (count < shownLines_) {  // only a new calculation shortens the log
        Memo->clear();
        shownLines_ = 0;
    }
    for (int i = shownLines_; i < count; ++i) Memo->appendPlainText(QString::fromStdString(s.lines[i]));
    if (count != shownLines_) {
        shownLines_ = count;
        QString hint = QString::fromStdString(Hint());
        hint.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        setToolTip(hint);
        Panel1->setToolTip(hint);
    }
    // The clock ticks from the start to the finish of a calculation; after a
    // stop it goes on until the next start or finish.
    if (!clockRunning_.load(std::memory_order_acquire))
        Timer->stop();
    else if (!Timer->isActive())
        Timer->start();
}

void TSLProgrForm::SetTime() { TimeLabel->setText(QString::fromStdString(Snapshot().timeText)); }

bool TSLProgrForm::InfoMode() const { return InfoItem->isChecked(); }

void TSLProgrForm::SetInfoMode(bool on) {
    InfoItem->setChecked(on);
    FitHeight();
}

void TSLProgrForm::InfoItemClick() { FitHeight(); }

void TSLProgrForm::FitHeight() {
    // With "&Сведения" checked the log shows below the bar; otherwise only
    // the bar, the log staying readable as the hint.
    const bool info = InfoItem->isChecked();
    Panel2->setVisible(info);
    setFixedSize(kClientWidth, info ? kPanel1Height + kPanel2Height : kPanel1Height);
}

void TSLProgrForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        StopBtn->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TSLProgrForm::closeEvent(QCloseEvent* event) {
    if (Running()) {
        if (!AskOkCancel(this, QStringLiteral("Вы действительно хотите прервать расчет?"), TMsgKind::Warning)) {
            event->ignore();
            return;
        }
        SetRunning(false);
    }
    event->accept();
}
