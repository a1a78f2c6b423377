// The manual and Qt's own dialogs: a page for every problem type, links that
// lead somewhere, Russian standard dialogs. F1 in each window: test_keyboard.
#include "GuiTestUtil.h"

#include "app/HelpForm.h"
#include "app/Translations.h"

#include <QDialogButtonBox>
#include <QDirIterator>
#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>

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
