// The keyboard: the keys of the result windows work while they have the
// focus, the desktop's usual keys work in the main window, and F1 opens the
// page of the window it is pressed in; the help window finds its pages, every
// problem type has its page and every link leads somewhere; Qt's own dialogs
// speak Russian.
#include "GuiTestUtil.h"

#include "app/HelpForm.h"
#include "views/ApproxForm.h"
#include "views/DeformedForm.h"
#include "views/MeshForm.h"
#include "views/PlotForm.h"
#include "views/SeriesForm.h"

#include <QLineEdit>
#include <QMdiArea>
#include <QMenuBar>
#include <QSet>
#include <QTextBrowser>
#include <QTreeWidget>
#include "app/Translations.h"
#include <QDialogButtonBox>
#include <QDirIterator>
#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>

namespace {

void Activate(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window)) << window->metaObject()->className();
}

// Collects the toolkit's warnings about shortcuts claimed twice.
struct TAmbiguityLog {
    TAmbiguityLog() {
        Seen().clear();
        previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
            if (text.contains(QStringLiteral("Ambiguous"))) Seen() << text;
        });
    }
    ~TAmbiguityLog() { qInstallMessageHandler(previous); }
    static QStringList& Seen() {
        static QStringList seen;
        return seen;
    }
    QtMessageHandler previous;
};

}  // namespace

TEST(Keyboard, TheKeysOfAResultWindowWinWhileItHasTheFocus) {
    TDialogScript script;
    TViewsFixture f("CylSym");
    Activate(f.Main.get());
    // The editor is the active document: the main window's Ctrl+S and the
    // editor's Ctrl+M are live.
    TElemForm* e = f.SolvedEditor();
    ASSERT_TRUE(e);
    f.Main->ShowChild(e);
    TAmbiguityLog log;
    // Table: Ctrl+S saves the table, Ctrl+M goes to its largest value.
    e->TableItemClick(true, 0);
    TTableForm* table = f.Views->TableForm;
    Activate(table);
    QTest::keyClick(table->Grid, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(script.ProposedNames.size(), 1) << "the table's save dialog";
    double largest = 0;
    const int row = RowOfLargest(table->Grid, largest);
    QTest::keyClick(table->Grid, Qt::Key_M, Qt::ControlModifier);
    EXPECT_EQ(table->Grid->CurrentCell().Row, row);
    EXPECT_FALSE(f.Views->MeshForm->isVisible()) << "not the editor's mesh view";
    // Map: Ctrl+M shows its mesh, Ctrl+S saves the picture.
    e->GraphItemClick(true, 0);
    TGraphForm* graph = f.Views->GraphForm;
    Activate(graph);
    const bool mesh = graph->MeshItem->isChecked();
    QTest::keyClick(graph, Qt::Key_M, Qt::ControlModifier);
    EXPECT_NE(graph->MeshItem->isChecked(), mesh);
    EXPECT_FALSE(f.Views->MeshForm->isVisible());
    QTest::keyClick(graph, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(script.ProposedNames.size(), 2) << "the picture's save dialog";
    // Curves: Ctrl+S saves the picture.
    f.Views->PlotForm->ShowPlot(f.Views->RefTo(f.Root()), 0);
    Activate(f.Views->PlotForm);
    QTest::keyClick(f.Views->PlotForm, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(script.ProposedNames.size(), 3);
    // Ctrl+W closes the window in front, not the document behind it.
    QTest::keyClick(f.Views->PlotForm, Qt::Key_W, Qt::ControlModifier);
    EXPECT_FALSE(f.Views->PlotForm->isVisible());
    EXPECT_EQ(f.Main->Children().size(), 2);
    EXPECT_TRUE(TAmbiguityLog::Seen().isEmpty()) << TAmbiguityLog::Seen();
    EXPECT_TRUE(script.Messages.isEmpty()) << script.Messages;
}

TEST(Keyboard, TheDesktopsKeysWorkInTheMainWindow) {
    TProblemFixture f;
    Activate(&f.Main());
    f.WriteCylinder(QStringLiteral("A.zem"));
    f.WriteCylinder(QStringLiteral("B.zem"));
    auto key = [&](Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : f.Main().MdiArea;
        QTest::keyClick(target, k, mods);
    };
    auto active = [&] { return f.Main().ActiveChild() ? f.Main().ActiveChild()->windowTitle() : QString(); };
    f.Script.OpenNames.push_back(f.Path(QStringLiteral("A.zem")));
    key(Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(active(), QStringLiteral("A.zem"));
    f.Script.OpenNames.push_back(f.Path(QStringLiteral("B.zem")));
    key(Qt::Key_F3);
    EXPECT_EQ(active(), QStringLiteral("B.zem"));
    f.Main().Hooks.ChooseProblemType = [](QWidget*, std::string& type) {
        type = "CylSym";
        return true;
    };
    key(Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(active(), QStringLiteral("Noname1.zem"));
    // Ctrl+Tab and Ctrl+Shift+Tab step through the documents and back.
    QStringList seen{active()};
    for (int i = 0; i < 2; ++i) {
        key(Qt::Key_Tab, Qt::ControlModifier);
        seen << active();
    }
    EXPECT_EQ(QSet<QString>(seen.begin(), seen.end()).size(), 3) << seen;
    key(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(active(), seen[1]);
    // Ctrl+W closes the active document, asking about its changes first.
    for (TChildForm* child : f.Main().Children())
        if (child->windowTitle() == QStringLiteral("Noname1.zem")) f.Main().ShowChild(child);
    f.Script.Questions.clear();
    key(Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(f.Main().Children().size(), 2);
    EXPECT_EQ(f.Script.Questions.size(), 1) << "a new problem is unsaved";
    EXPECT_NE(active(), QStringLiteral("Noname1.zem"));
    // In the queue window in front of them, Ctrl+W closes the queue window.
    Activate(&f.Turn());
    QTest::keyClick(f.Turn().WaitingListBox, Qt::Key_W, Qt::ControlModifier);
    EXPECT_FALSE(f.Turn().isVisible());
    EXPECT_EQ(f.Main().Children().size(), 2);
    Activate(&f.Main());
    // Ctrl+Q ends the program.
    key(Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(f.Main().isVisible());
}

TEST(Help, F1InEveryWindowOpensThatWindowsOwnPage) {
    TProblemFixture f;
    TViews& views = InstallViews(f.Main());
    InstallHelp(f.Main());
    Activate(&f.Main());
    TProblemForm* w = f.OpenCylinder(QStringLiteral("Shell.zem"));
    ASSERT_TRUE(w);
    w->MElementItem->trigger();
    TElemForm* editor = DependentOf<TElemForm>(w);
    ASSERT_TRUE(editor);
    auto* series = qobject_cast<TSeriesForm*>(f.Main().NewSeries());
    ASSERT_TRUE(series);
    // A list value opens the list editor.
    f.Main().ShowChild(editor);
    editor->PageControl->setCurrentWidget(editor->MeshSheet);
    SetGridValue(editor->MeshGrid, QStringLiteral("mesh_x"), QStringLiteral("[30, 0.1], [30, 0.9]"));
    SelectRow(editor->MeshGrid, QStringLiteral("mesh_x"));
    editor->OpenItemClick();
    TListForm* list = DependentOf<TListForm>(editor);
    ASSERT_TRUE(list);
    struct TCase {
        QWidget* window;  // an MDI document, or a window of its own
        QWidget* focus;
        QString page;
    };
    const std::vector<TCase> cases = {
        {&f.Main(), f.Main().menuBar(), QStringLiteral("windows.html")},
        {w, w->ObjectMemo, QStringLiteral("problem.html")},
        {editor, editor->ParamGrid, QStringLiteral("cylsym.html")},
        {list, list, QStringLiteral("list.html")},
        {series, series->FileListBox, QStringLiteral("series.html")},
        {&f.Turn(), f.Turn().WaitingListBox, QStringLiteral("queue.html")},
        {views.TableForm, views.TableForm->Grid, QStringLiteral("tables.html")},
        {views.GraphForm, views.GraphForm, QStringLiteral("graph.html")},
        {views.PlotForm, views.PlotForm, QStringLiteral("plot.html")},
        {views.DeformedForm, views.DeformedForm->View, QStringLiteral("deformed.html")},
        {views.MeshForm, views.MeshForm, QStringLiteral("mesh.html")},
        {views.SLAEForm, views.SLAEForm, QStringLiteral("slae.html")},
        {views.GrSLAEForm, views.GrSLAEForm, QStringLiteral("slae.html")},
        {&DirectChild<TApproxForm>(f.Main()), &DirectChild<TApproxForm>(f.Main()), QStringLiteral("approx.html")},
        {f.Main().ProgressForm, f.Main().ProgressForm, QStringLiteral("progress.html")},
    };
    for (const TCase& c : cases) {
        if (auto* child = qobject_cast<TChildForm*>(c.window)) {
            Activate(&f.Main());
            f.Main().ShowChild(child);
        } else {
            Activate(c.window);
        }
        c.focus->setFocus();
        QTest::keyClick(c.focus, Qt::Key_F1);
        THelpForm* help = HelpWindow();
        EXPECT_TRUE(help->isVisible());
        EXPECT_EQ(help->CurrentTopic().section(QLatin1Char('#'), 0, 0), c.page) << c.window->metaObject()->className();
        EXPECT_TRUE(HelpHasTopic(c.page));
        if (!qobject_cast<TChildForm*>(c.window)) c.window->hide();
    }
    // The modal dialogs too, though they hold the main window's keys.
    const std::vector<std::pair<QAction*, QString>> dialogs = {
        {f.Main().NewProblemItem, QStringLiteral("types.html")},
        {f.Main().TableOptionsItem, QStringLiteral("tables.html#format")},
        {f.Main().GraphOptionsItem, QStringLiteral("graph.html#options")},
        {f.Main().CalcOptionsItem, QStringLiteral("calc.html#dialog")},
    };
    for (const auto& [command, topic] : dialogs) {
        bool seen = false;
        QTimer::singleShot(0, &f.Main(), [&, topic = topic] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_TRUE(dialog) << topic.toStdString();
            seen = true;
            QWidget* focus = dialog->focusWidget() ? dialog->focusWidget() : dialog;
            QTest::keyClick(focus, Qt::Key_F1);
            EXPECT_EQ(HelpWindow()->CurrentTopic(), topic);
            EXPECT_EQ(HelpWindow()->parentWidget(), dialog) << "usable while the dialog runs";
            dialog->reject();
        });
        command->trigger();
        EXPECT_TRUE(seen) << topic.toStdString();
    }
    ShowHelpFor(f.Main().MdiArea);
    EXPECT_EQ(HelpWindow()->parentWidget(), &f.Main()) << "back with the main window, which ends the program when it closes";
    HelpWindow()->ShowTopic(QStringLiteral("nothing.html"));
    EXPECT_EQ(HelpWindow()->CurrentTopic(), QStringLiteral("index.html")) << "an unknown page shows the contents";
    HelpWindow()->close();
}

TEST(Help, TheContentsListEveryPageAndTheSearchFindsTheSeriesPage) {
    THelpForm help;
    help.ShowTopic(QStringLiteral("index.html"));
    // Every page in the contents, the contents page first.
    QStringList pages = help.ShownPages();
    EXPECT_EQ(pages.value(0), QStringLiteral("index.html"));
    EXPECT_EQ(pages.size(), QDir(QStringLiteral(":/help")).entryList({QStringLiteral("*.html")}).size());
    // A section of a page opens the page at its heading.
    QTreeWidgetItem* queue = nullptr;
    for (int i = 0; i < help.Contents->topLevelItemCount(); ++i)
        if (help.Contents->topLevelItem(i)->data(0, Qt::UserRole) == QStringLiteral("queue.html"))
            queue = help.Contents->topLevelItem(i);
    ASSERT_TRUE(queue && queue->childCount() > 0);
    emit help.Contents->itemClicked(queue->child(0), 0);
    EXPECT_EQ(help.CurrentTopic(), queue->child(0)->data(0, Qt::UserRole).toString());
    // Words of the series page find it, marked; nonsense finds nothing.
    help.SearchEdit->setText(QStringLiteral("наибольшее и наименьшее"));
    pages = help.ShownPages();
    EXPECT_TRUE(pages.contains(QStringLiteral("series.html"))) << pages;
    EXPECT_FALSE(pages.contains(QStringLiteral("ring.html")));
    QTest::keyClick(help.SearchEdit, Qt::Key_Return);
    EXPECT_TRUE(pages.contains(help.CurrentTopic().section(QLatin1Char('#'), 0, 0)));
    EXPECT_EQ(help.Browser->textCursor().selectedText(), QStringLiteral("наибольшее и наименьшее"));
    help.SearchEdit->setText(QStringLiteral("qwertyzxc"));
    EXPECT_TRUE(help.ShownPages().isEmpty());
    help.SearchEdit->clear();
    EXPECT_EQ(help.ShownPages().size(), help.Contents->topLevelItemCount());
}

namespace {

// Runs Inspect on the modal dialog that Show opens, then closes the dialog.
template <class Dialog>
void InspectModal(const std::function<void()>& show, const std::function<void(Dialog*)>& inspect) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        seen = true;
        inspect(dialog);
        dialog->reject();
    });
    show();
    EXPECT_TRUE(seen);
}

// Standard dialogs are shown for real inside the block.
struct TRealDialogs {
    TRealDialogs() : saved(DialogHandlers()) { DialogHandlers() = {}; }
    ~TRealDialogs() { DialogHandlers() = saved; }
    TDialogHandlers saved;
};

}  // namespace

TEST(Help, EveryTypeHasItsPageAndEveryLinkLeadsSomewhere) {
    zem::RegisterProblemTypes();
    for (int i = 0; i < zem::kProblemTypeCount; ++i) {
        const std::string& name = zem::ProblemTypeName(i);
        const QString topic = HelpTopicOfType(name);
        EXPECT_NE(topic, QStringLiteral("index.html")) << name;
        EXPECT_TRUE(HelpHasTopic(topic)) << name << " -> " << topic.toStdString();
    }
    EXPECT_FALSE(HelpHasTopic(QStringLiteral("cylsym.html#NoSuchType")));
    // Every link of every page finds its page and anchor.
    const QRegularExpression link(QStringLiteral("href=\"([^\"]+)\""));
    int pages = 0;
    for (QDirIterator it(QStringLiteral(":/help")); it.hasNext();) {
        QFile file(it.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        ++pages;
        const QString text = QString::fromUtf8(file.readAll());
        for (auto m = link.globalMatch(text); m.hasNext();) {
            const QString target = m.next().captured(1);
            EXPECT_TRUE(HelpHasTopic(target)) << file.fileName().toStdString() << ": " << target.toStdString();
        }
    }
    EXPECT_GE(pages, 10);
}

TEST(QtDialogs, SpeakRussianAskWithAQuestionMarkAndOpenWithTheDefaultExtension) {
    ASSERT_TRUE(InstallQtTranslations()) << "qt6-translations-l10n is installed";
    TRealDialogs real;
    bool answer = true;
    InspectModal<QMessageBox>([&] { answer = AskOkCancel(nullptr, QStringLiteral("Удалить?"), TMsgKind::Warning); },
                              [](QMessageBox* box) {
                                  EXPECT_EQ(box->icon(), QMessageBox::Question);
                                  EXPECT_EQ(box->button(QMessageBox::Cancel)->text(), QStringLiteral("Отмена"));
                              });
    EXPECT_FALSE(answer);
    InspectModal<QFileDialog>(
        [] { AskOpenFileName(nullptr, QStringLiteral("Задача МКР (*.zem)|*.zem|Серия задач МКР (*.zes)|*.zes"), QDir::tempPath()); },
        [](QFileDialog* dialog) {
            EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("zem"));
            QDialogButtonBox* buttons = dialog->findChild<QDialogButtonBox*>();
            ASSERT_TRUE(buttons);
            EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Отмена"));
        });
}
