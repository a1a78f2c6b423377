#include "app/HelpForm.h"

#include "app/MainForm.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QHBoxLayout>
#include <QMenu>
#include <QPointer>
#include <QStyle>
#include <QTextBrowser>
#include <QDir>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSplitter>
#include <QTextDocumentFragment>
#include <QToolButton>
#include <QTreeWidget>
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
        {"TMainForm", QStringLiteral("windows.html")},
        {"TAllDataForm", QStringLiteral("windows.html#list")},
        {"TProblemForm", QStringLiteral("problem.html")},
        {"TElemForm", QStringLiteral("element.html")},
        {"TListForm", QStringLiteral("list.html")},
        {"TMemoForm", QStringLiteral("list.html#memo")},
        {"TSeriesForm", QStringLiteral("series.html")},
        {"TTurnForm", QStringLiteral("queue.html")},
        {"TTableForm", QStringLiteral("tables.html")},
        {"TTbOptionForm", QStringLiteral("tables.html#format")},
        {"TGraphForm", QStringLiteral("graph.html")},
        {"TGrOptionForm", QStringLiteral("graph.html#options")},
        {"TPlotForm", QStringLiteral("plot.html")},
        {"TDeformedForm", QStringLiteral("deformed.html")},
        {"TMeshForm", QStringLiteral("mesh.html")},
        {"TApproxForm", QStringLiteral("approx.html")},
        {"TSLAEForm", QStringLiteral("slae.html")},
        {"TGrSLAEForm", QStringLiteral("slae.html")},
        {"TSLProgrForm", QStringLiteral("progress.html")},
        {"TCalculForm", QStringLiteral("calc.html#dialog")},
        {"TPbTypeForm", QStringLiteral("types.html")},
        {"THelpForm", QStringLiteral("index.html")},
    };
    const auto it = topics.find(className);
    return it == topics.end() ? QString() : it->second;
}

QString PageText(const QString& page) {
    QFile file(kRoot + page);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

// Every page of the manual, the contents first, then in the order the
// contents page links them, then the rest by name.
QStringList AllPages() {
    static QStringList pages;
    if (!pages.isEmpty()) return pages;
    pages << kContents;
    static const QRegularExpression link(QStringLiteral("href=\"([^\"#]+)"));
    for (auto m = link.globalMatch(PageText(kContents)); m.hasNext();) {
        const QString page = m.next().captured(1);
        if (!pages.contains(page) && HelpHasTopic(page)) pages << page;
    }
    QStringList rest = QDir(kRoot).entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
    for (const QString& page : rest)
        if (!pages.contains(page)) pages << page;
    return pages;
}

// The words of a page, for the search.
const QString& PlainText(const QString& page) {
    static std::map<QString, QString> texts;
    auto it = texts.find(page);
    if (it == texts.end()) it = texts.emplace(page, QTextDocumentFragment::fromHtml(PageText(page)).toPlainText()).first;
    return it->second;
}

// F1 wherever the focus is, modal dialogs included (they block the main
// window's shortcuts): the help about the widget that has the key.
class THelpKey : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier || !widget) return false;
        key->accept();
        if (event->type() == QEvent::KeyPress) ShowHelpFor(widget);
        return true;
    }
};

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
    SearchEdit = new QLineEdit(this);
    SearchEdit->setPlaceholderText(QStringLiteral("Поиск"));
    SearchEdit->setClearButtonEnabled(true);
    SearchEdit->setToolTip(QStringLiteral("Страницы, где есть этот текст; Enter — найти на странице"));
    connect(SearchEdit, &QLineEdit::textChanged, this, [this](const QString& text) { Search(text); });
    connect(SearchEdit, &QLineEdit::returnPressed, this, [this] { FindNext(); });
    Contents = new QTreeWidget(this);
    Contents->setHeaderHidden(true);
    Contents->setColumnCount(1);
    FillContents();
    connect(Contents, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { ShowTopic(item->data(0, Qt::UserRole).toString()); });
    connect(Contents, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { ShowTopic(item->data(0, Qt::UserRole).toString()); });
    connect(Browser, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = Browser->documentTitle();
        setWindowTitle(title.isEmpty() ? QStringLiteral("Помощь") : QStringLiteral("Помощь: ") + title);
        // The page shown is the current one in the contents.
        const QString page = PageOf(CurrentTopic());
        for (int i = 0; i < Contents->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = Contents->topLevelItem(i);
            if (item->data(0, Qt::UserRole).toString() != page) continue;
            const QSignalBlocker block(Contents);
            Contents->setCurrentItem(item);
            break;
        }
    });
    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(2, 2, 2, 0);
    bar->addWidget(BackBtn);
    bar->addWidget(ForwardBtn);
    bar->addWidget(HomeBtn);
    bar->addStretch();
    bar->addWidget(SearchEdit);
    auto* split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(Contents);
    split->addWidget(Browser);
    split->setStretchFactor(1, 1);
    split->setSizes({220, 600});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(bar);
    layout->addWidget(split, 1);
    resize(900, 600);
}

void THelpForm::FillContents() {
    static const QRegularExpression heading(QStringLiteral("<h([12]) id=\"([^\"]+)\">(.*?)</h\\1>"),
                                            QRegularExpression::DotMatchesEverythingOption);
    for (const QString& page : AllPages()) {
        const QString text = PageText(page);
        static const QRegularExpression title(QStringLiteral("<title>(.*?)</title>"));
        auto* item = new QTreeWidgetItem(Contents, {title.match(text).captured(1)});
        item->setData(0, Qt::UserRole, page);
        for (auto m = heading.globalMatch(text); m.hasNext();) {
            const QRegularExpressionMatch h = m.next();
            const QString caption = QTextDocumentFragment::fromHtml(h.captured(3)).toPlainText();
            if (caption == item->text(0)) continue;  // the page's own heading
            auto* section = new QTreeWidgetItem(item, {caption});
            section->setData(0, Qt::UserRole, page + QLatin1Char('#') + h.captured(2));
        }
    }
}

void THelpForm::Search(const QString& text) {
    const QString wanted = text.trimmed();
    for (int i = 0; i < Contents->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = Contents->topLevelItem(i);
        const QString page = item->data(0, Qt::UserRole).toString();
        const bool found = wanted.isEmpty() || PlainText(page).contains(wanted, Qt::CaseInsensitive) ||
                           item->text(0).contains(wanted, Qt::CaseInsensitive);
        item->setHidden(!found);
        item->setExpanded(!wanted.isEmpty() && found);
    }
}

QStringList THelpForm::ShownPages() const {
    QStringList pages;
    for (int i = 0; i < Contents->topLevelItemCount(); ++i)
        if (!Contents->topLevelItem(i)->isHidden()) pages << Contents->topLevelItem(i)->data(0, Qt::UserRole).toString();
    return pages;
}

void THelpForm::FindNext() {
    const QString wanted = SearchEdit->text().trimmed();
    if (wanted.isEmpty()) return;
    const QStringList pages = ShownPages();
    if (pages.isEmpty()) return;
    // On a page found: the next place on it, then the next page found.
    const QString page = PageOf(CurrentTopic());
    if (pages.contains(page) && Browser->find(wanted)) return;
    const int at = pages.indexOf(page);
    const QString next = pages.value(at < 0 ? 0 : (at + 1) % pages.size());
    ShowTopic(next);
    Browser->moveCursor(QTextCursor::Start);
    Browser->find(wanted);
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
    static THelpKey* key = nullptr;
    if (!key) {
        key = new THelpKey(qApp);
        qApp->installEventFilter(key);
    }
    auto* contents = new QAction(QStringLiteral("&Содержание"), &main);
    contents->setShortcut(QKeySequence(Qt::Key_F1));
    contents->setShortcutContext(Qt::ApplicationShortcut);
    QObject::connect(contents, &QAction::triggered, &main, [] { ShowHelpFor(); });
    const QList<QAction*> items = main.HelpMenu->actions();
    main.HelpMenu->insertAction(items.isEmpty() ? nullptr : items.first(), contents);
    if (!items.isEmpty()) main.HelpMenu->insertSeparator(items.first());
    main.addAction(contents);
}
