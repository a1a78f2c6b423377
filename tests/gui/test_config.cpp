// The configuration store: comma text, placements, and the state of the last
// run written and read back in a temporary store.
#include "GuiTestUtil.h"

#include <QSettings>

TEST(RegIniFile, CommaTextRoundTripsAwkwardItems) {
    const QStringList items{"plain", "with blank", "a,b", "say \"hi\"", "", "..\\dir\\Задача 1.zem", "0 1 2 3 4"};
    const QString text = CommaText(items);
    EXPECT_EQ(text, QStringLiteral("plain,\"with blank\",\"a,b\",\"say \"\"hi\"\"\",\"\","
                                   "\"..\\dir\\Задача 1.zem\",\"0 1 2 3 4\""));
    EXPECT_EQ(SplitCommaText(text), items);
    // Reading also splits at blanks outside quotes, as hand-written lists do.
    EXPECT_EQ(SplitCommaText(QStringLiteral(" a b, \"c d\" ,e")), (QStringList{"a", "b", "c d", "e"}));
}

TEST(RegIniFile, ValuesReadBackWithDefaults) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("s.ini"));
    {
        TRegIniFile s(file);
        s.WriteBool("MAIN", "AutoSave", false);
        s.WriteString("Digits", "Decimals", "many");
        ASSERT_TRUE(s.Flush());
    }
    TRegIniFile s(file);
    EXPECT_FALSE(s.ReadBool("MAIN", "AutoSave", true));
    EXPECT_EQ(s.ReadInteger("Digits", "Decimals", 4), 4) << "a value that is not an integer gives the default";
    EXPECT_EQ(QSettings(file, QSettings::IniFormat).value("MAIN/AutoSave").toString(), QStringLiteral("0"));
    // The per-user store of the program lives under its title (moved into a
    // temporary directory for the tests).
    EXPECT_TRUE(TRegIniFile().FileName().endsWith(QStringLiteral("ZEM CAD 2/ZEM CAD 2.ini")));
}

TEST(RegIniFile, PlacementTextRoundTripsAndRejectsBadText) {
    QWidget w;
    w.setGeometry(80, 120, 600, 400);
    EXPECT_EQ(PlacementText(&w), QStringLiteral("0 120 80 400 600"));
    QWidget v;
    EXPECT_TRUE(ApplyPlacement(&v, QStringLiteral("2 30 40 300 500")));
    v.show();
    EXPECT_EQ(PlacementText(&v), QStringLiteral("2 30 40 300 500")) << "maximized: state 2 and the normal bounds";
    for (const char* bad : {"", "0 1 2 3", "0 1 2 3 x", "0 1 2 0 5"}) {
        EXPECT_FALSE(ApplyPlacement(&w, QString::fromLatin1(bad))) << bad;
        EXPECT_EQ(PlacementText(&w), QStringLiteral("0 120 80 400 600")) << bad;
    }
}

TEST(Config, OpenFilesPlacementsAndRecentFilesComeBack) {
    TMainFixture f;
    {
        TMainForm& m = *f.Main;
        f.Open(QStringLiteral("back.zem"));
        f.Open(QStringLiteral("with blank.zem"));
        TTestFileWindow* front = f.Open(QStringLiteral("front.zem"));
        m.ShowChild(front);
        QWidget queue;
        queue.setGeometry(10, 20, 200, 100);
        m.RegisterPlacement("COMMON", "TurnForm", &queue, false);
        QWidget table;  // not shown: its placement is kept only while visible
        m.RegisterPlacement("COMMON", "TableForm", &table, true);
        m.setGeometry(50, 60, 700, 500);
        m.ProgressForm->SetInfoMode(true);
        m.SaveConfig();
        EXPECT_FALSE(m.Store().ValueExists("COMMON", "TableForm")) << "a hidden window keeps no placement";
        EXPECT_TRUE(m.Store().ReadBool("ProcessForm", "Mode", false));
        const QStringList loaded = SplitCommaText(m.Store().ReadString("MAIN", "LoadedFiles", {}));
        ASSERT_EQ(loaded.size(), 6);
        EXPECT_EQ(loaded[4], QStringLiteral("front.zem")) << "the front window is written last";
        // With "&Автосохранение" off, closing leaves the stored values alone.
        m.AutoSaveItem->trigger();
        m.setGeometry(0, 0, 300, 300);
        EXPECT_TRUE(m.close());
    }
    f.Main.reset();
    std::unique_ptr<TMainForm> next = f.NewMain();
    EXPECT_EQ(PlacementText(next.get()), QStringLiteral("0 60 50 500 700"));
    EXPECT_TRUE(next->AutoSave()) << "the unchecked mark was never saved";
    EXPECT_EQ(next->RecentFiles(), (QStringList{"front.zem", "with blank.zem", "back.zem"}));
    QWidget queue;
    next->RegisterPlacement("COMMON", "TurnForm", &queue, false);
    next->RestoreLastRun();
    QStringList captions;
    for (TChildForm* c : next->Children()) captions << c->windowTitle();
    EXPECT_EQ(captions, (QStringList{"front.zem", "with blank.zem", "back.zem"})) << "front-most first";
    EXPECT_EQ(queue.geometry(), QRect(10, 20, 200, 100));
    EXPECT_TRUE(next->ProgressForm->InfoMode());
}

TEST(Config, AFileThatFailsDoesNotStopTheOthers) {
    TMainFixture f;
    f.Main->Store().WriteString("MAIN", "LoadedFiles", CommaText({"gone.zem", "0 0 0 10 10", "here.zem", ""}));
    f.Touch(QStringLiteral("here.zem"));
    TDialogScript script;
    f.Main->RestoreLastRun();
    EXPECT_EQ(script.Messages, (QStringList{"Ошибка чтения файла gone.zem\nФайл не найден"}));
    ASSERT_EQ(f.Main->Children().size(), 1);
    EXPECT_EQ(f.Main->Children().first()->windowTitle(), QStringLiteral("here.zem"));
}

TEST(Config, ResetForgetsEverything) {
    TMainFixture f;
    TMainForm& m = *f.Main;
    f.Open(QStringLiteral("a.zem"));
    m.AutoSaveItem->setChecked(false);
    m.SaveConfig();
    TDialogScript script;
    script.Answers = {false, true};
    m.ConfigFaultItem->trigger();
    EXPECT_TRUE(m.Store().ValueExists("MAIN", "FileMenu")) << "Cancel keeps the configuration";
    m.ConfigFaultItem->trigger();
    EXPECT_EQ(script.Questions.last(), QStringLiteral("Хотите сбросить текущую конфигурацию системы?"));
    EXPECT_FALSE(m.Store().ValueExists("MAIN", "FileMenu"));
    EXPECT_TRUE(m.RecentFiles().isEmpty());
    EXPECT_EQ(m.Children().size(), 1) << "open windows stay open";
}
