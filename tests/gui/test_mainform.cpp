#include "app/AboutBox.h"
#include "app/MainForm.h"

#include <QLabel>
#include <QMenuBar>
#include <QTimer>
#include <gtest/gtest.h>

TEST(MainForm, TitleAndHelpMenuOpenTheAboutBox) {
    TMainForm form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("ZEM CAD 2"));
    ASSERT_NE(form.HelpMenu, nullptr);
    EXPECT_EQ(form.HelpMenu->title(), QStringLiteral("&Помощь"));
    EXPECT_EQ(form.AboutItem->text(), QStringLiteral("&О программе"));

    bool shown = false;
    QTimer::singleShot(0, [&] {
        shown = form.AboutBox->isVisible();
        form.AboutBox->accept();
    });
    form.AboutItem->trigger();
    EXPECT_TRUE(shown);
    EXPECT_EQ(form.AboutBox->windowTitle(), QStringLiteral("О программе"));
    EXPECT_EQ(form.AboutBox->ProductName->text(), QStringLiteral("ZEM2"));
    EXPECT_EQ(form.AboutBox->Comments->text(),
              QStringLiteral("Метод конечных разностей для континульных задач строительной механики"));
}
