// The memory cap of the calculations as the user sets it in the "Установки"
// menu: kept in the configuration store, applied at once and at every start.
#include "GuiTestUtil.h"

#include "solvers/SLEstimate.h"

namespace {

// No test leaves a cap behind for the next one.
struct TNoCapAfter {
    ~TNoCapAfter() { zem::SetMemoryLimit(std::nullopt); }
};

constexpr std::uint64_t kMiB = 1ull << 20;

}  // namespace

TEST(MemoryLimit, TheMenuSetsRefusesAndClearsTheCapAndAStartAppliesIt) {
    TNoCapAfter guard;
    TMainFixture f;
    TMainForm& m = *f.Main;
    EXPECT_TRUE(Captions(m.OptionsMenu).contains(QStringLiteral("&Память")));
    const std::uint64_t uncapped = zem::AvailableMemory();
    ASSERT_GT(uncapped, 3 * kMiB);
    auto stored = [&] { return m.Store().ReadString("Calc", "MemoryLimit", QStringLiteral("<none>")); };

    TDialogScript script;
    // Step by step: a size, Cancel, sizes that are not sizes, no cap.
    struct TStep {
        std::optional<QString> typed;
        QString stored;        // what the store holds afterwards
        std::uint64_t cap;     // what a calculation may take afterwards
        bool refused;
    };
    const TStep steps[] = {
        {QStringLiteral(" 3M "), QStringLiteral("3M"), 3 * kMiB, false},
        {std::nullopt, QStringLiteral("3M"), 3 * kMiB, false},
        {QStringLiteral("много"), QStringLiteral("3M"), 3 * kMiB, true},
        {QStringLiteral("-1G"), QStringLiteral("3M"), 3 * kMiB, true},
        {QStringLiteral("0"), QStringLiteral("3M"), 3 * kMiB, true},
        {QStringLiteral("2K"), QStringLiteral("2K"), 2048, false},
        {QStringLiteral(""), QStringLiteral(""), uncapped, false},
        {QStringLiteral("1G"), QStringLiteral("1G"), std::min<std::uint64_t>(uncapped, 1ull << 30), false},
    };
    for (const TStep& s : steps) {
        SCOPED_TRACE(s.typed ? s.typed->toStdString() : "Cancel");
        script.Messages.clear();
        const QString before = stored();
        script.Texts = {s.typed};
        m.MemoryLimitItem->trigger();
        EXPECT_EQ(script.ShownTexts.last(), before == QStringLiteral("<none>") ? QString() : before)
            << "the prompt starts from the stored size";
        EXPECT_EQ(stored(), s.stored);
        if (s.cap != uncapped) {
            EXPECT_EQ(zem::AvailableMemory(), s.cap);
        } else {
            EXPECT_GT(zem::AvailableMemory(), 3 * kMiB);
        }
        ASSERT_EQ(script.Messages.size(), s.refused ? 1 : 0);
        if (s.refused) {
            EXPECT_TRUE(script.Messages[0].startsWith(QStringLiteral("Неверный размер памяти"))) << script.Messages[0];
        }
    }

    // The next start applies the stored cap; a damaged entry means no cap.
    m.Store().WriteString("Calc", "MemoryLimit", "5M");
    ASSERT_TRUE(m.Store().Flush());
    zem::SetMemoryLimit(std::nullopt);
    f.Main.reset();
    std::unique_ptr<TMainForm> next = f.NewMain();
    EXPECT_EQ(zem::AvailableMemory(), 5 * kMiB);
    next->Store().WriteString("Calc", "MemoryLimit", "5 мегабайт");
    ASSERT_TRUE(next->Store().Flush());
    next.reset();
    next = f.NewMain();
    EXPECT_GT(zem::AvailableMemory(), 5 * kMiB);

    // Forgetting the configuration forgets the cap too.
    next->Store().WriteString("Calc", "MemoryLimit", "4M");
    next->ApplyMemoryLimit();
    EXPECT_EQ(zem::AvailableMemory(), 4 * kMiB);
    script.Answers = {true};
    next->ConfigFaultItem->trigger();
    EXPECT_GT(zem::AvailableMemory(), 5 * kMiB);
}
