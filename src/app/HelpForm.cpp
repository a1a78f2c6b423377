#include "app/HelpForm.h"

#include "app/MainForm.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QMenu>
#include <QPointer>
#include <QStyle>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <map>

namespace {

const QString kRoot = QStringLiteral(":/help/");
const QString kContents = QStringLiteral("index.html");

QString PageOf(const QString& topic) { return topic.section(QLatin1Char('#'), 0, 0); }

// The window classes without a topic of their own.
QString TopicOfClass(const char* className) {
    static const std::map<std::string, QString> topics{
        {"TMainForm", QStringLiteral("windows.html#main")},
        {"TProblemForm", QStringLiteral("windows.html#problem")},
        {"TElemForm", QStringLiteral("windows.html#element")},
        {"TListForm", QStringLiteral("windows.html#list")},
        {"TMemoForm", QStringLiteral("windows.html#list")},
        {"TSeriesForm", QStringLiteral("windows.html#series")},
        {"TTurnForm", QStringLiteral("windows.html#queue")},
        {"TTableForm", QStringLiteral("windows.html#tables")},
        {"TGraphForm", QStringLiteral("windows.html#graph")},
        {"TGrOptionForm", QStringLiteral("windows.html#graph")},
        {"TMeshForm", QStringLiteral("windows.html#mesh")},
        {"TApproxForm", QStringLiteral("windows.html#approx")},
        {"TSLAEForm", QStringLiteral("windows.html#slae")},
        {"TGrSLAEForm", QStringLiteral("windows.html#slae")},
        {"TSLProgrForm", QStringLiteral("windows.html#progress")},
        {"TTbOptionForm", QStringLiteral("windows.html#tbopt")},
        {"TCalculForm", QStringLiteral("calc.html#dialog")},
        {"TPbTypeForm", QStringLiteral("index.html")},
    };
    const auto it = topics.find(className);
    return it == topics.end() ? QString() : it->second;
}

QString PageText(const QString& page) {
    QFile file(kRoot + page);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

QPointer<THelpForm> gHelp;
// The window the help belongs to between uses: the main window, so that the
// program still ends when the main window closes.
QPointer<QWidget> gHome;

}  // namespace

THelpForm::THelpForm(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Помощь"));
    setProperty("helpTopic", kContents);
    Browser = new QTextBrowser(this);
    Browser->setOpenLinks(true);
    Browser->setOpenExternalLinks(false);
    Browser->setSearchPaths({kRoot});
    auto button = [this](QStyle::StandardPixmap icon, const QString& hint) {
        auto* b = new QToolButton(this);
        b->setIcon(style()->standardIcon(icon));
        b->setToolTip(hint);
        b->setAutoRaise(true);
        return b;
    };
    BackBtn = button(QStyle::SP_ArrowBack, QStringLiteral("Назад"));
    ForwardBtn = button(QStyle::SP_ArrowForward, QStringLiteral("Вперед"));
    HomeBtn = button(QStyle::SP_DirHomeIcon, QStringLiteral("Содержание"));
    BackBtn->setEnabled(false);
    ForwardBtn->setEnabled(false);
    connect(BackBtn, &QToolButton::clicked, Browser, &QTextBrowser::backward);
    connect(ForwardBtn, &QToolButton::clicked, Browser, &QTextBrowser::forward);
    connect(HomeBtn, &QToolButton::clicked, this, [this] { ShowTopic(kContents); });
    connect(Browser, &QTextBrowser::backwardAvailable, BackBtn, &QWidget::setEnabled);
    connect(Browser, &QTextBrowser::forwardAvailable, ForwardBtn, &QWidget::setEnabled);
    connect(Browser, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = Browser->documentTitle();
        setWindowTitle(title.isEmpty() ? QStringLiteral("Помощь") : QStringLiteral("Помощь: ") + title);
    });
    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(2, 2, 2, 0);
    bar->addWidget(BackBtn);
    bar->addWidget(ForwardBtn);
    bar->addWidget(HomeBtn);
    bar->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(bar);
    layout->addWidget(Browser, 1);
    resize(720, 600);
}

void THelpForm::ShowTopic(const QString& topic) {
    const QString shown = HelpHasTopic(PageOf(topic)) ? topic : kContents;
    Browser->setSource(QUrl(QStringLiteral("qrc") + kRoot + shown));
    show();
    raise();
    activateWindow();
}

QString THelpForm::CurrentTopic() const {
    const QUrl url = Browser->source();
    QString topic = url.path().section(QLatin1Char('/'), -1);
    if (url.hasFragment()) topic += QLatin1Char('#') + url.fragment();
    return topic;
}

QString HelpTopicOfType(const std::string& typeName) {
    static const std::map<std::string, QString> pages{
        {"CylSym", QStringLiteral("cylsym.html")},       {"CompCylSym", QStringLiteral("cylsym.html")},
        {"CylSym2", QStringLiteral("cylsym.html")},      {"CylTech", QStringLiteral("cyltech.html")},
        {"CompCylTech", QStringLiteral("cyltech.html")}, {"CylTech2_1", QStringLiteral("cyltech.html")},
        {"CylTech2_2", QStringLiteral("cyltech.html")},  {"CylLave", QStringLiteral("love.html")},
        {"CylLaveP", QStringLiteral("love.html")},       {"CylRing", QStringLiteral("love.html")},
        {"CylRingP", QStringLiteral("love.html")},       {"CylPanel", QStringLiteral("love.html")},
        {"Ring", QStringLiteral("ring.html")},           {"Ring2", QStringLiteral("ring.html")},
        {"RingP", QStringLiteral("ring.html")},
    };
    const auto it = pages.find(typeName);
    if (it == pages.end()) return kContents;
    return it->second + QLatin1Char('#') + QString::fromStdString(typeName);
}

bool HelpHasTopic(const QString& topic) {
    const QString text = PageText(PageOf(topic));
    if (text.isEmpty()) return false;
    const QString anchor = topic.section(QLatin1Char('#'), 1);
    return anchor.isEmpty() || text.contains(QStringLiteral("id=\"") + anchor + QLatin1Char('"'));
}

QString HelpTopicOf(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        const QString own = w->property("helpTopic").toString();
        if (!own.isEmpty()) return own;
        const QString byClass = TopicOfClass(w->metaObject()->className());
        if (!byClass.isEmpty()) return byClass;
    }
    return kContents;
}

THelpForm* HelpWindow() {
    if (!gHelp) gHelp = new THelpForm(gHome);
    return gHelp;
}

void ShowHelpFor(const QWidget* context) {
    if (!context) context = QApplication::focusWidget();
    if (!context) context = QApplication::activeWindow();
    const QString topic = HelpTopicOf(context);
    THelpForm* help = HelpWindow();
    // A window of the modal dialog stays usable while the dialog runs; the
    // help goes back to the main window at the next use.
    QWidget* modal = QApplication::activeModalWidget();
    QWidget* owner = modal && modal != help ? modal : gHome.data();
    if (owner != help->parentWidget()) {
        const QRect place = help->geometry();
        help->setParent(owner, Qt::Window);
        help->setGeometry(place);
    }
    help->ShowTopic(topic);
}

void InstallHelp(TMainForm& main) {
    gHome = &main;
    auto* contents = new QAction(QStringLiteral("&Содержание"), &main);
    contents->setShortcut(QKeySequence(Qt::Key_F1));
    contents->setShortcutContext(Qt::ApplicationShortcut);
    QObject::connect(contents, &QAction::triggered, &main, [] { ShowHelpFor(); });
    const QList<QAction*> items = main.HelpMenu->actions();
    main.HelpMenu->insertAction(items.isEmpty() ? nullptr : items.first(), contents);
    if (!items.isEmpty()) main.HelpMenu->insertSeparator(items.first());
    main.addAction(contents);
}
