// The cost of a method before it runs: the refusal of a matrix that cannot
// fit, the method offered instead, and the defaults for a problem's size.
#include "problem/CalcSettings.h"
#include "platform/errors.h"
#include "platform/progress.h"
#include "solvers/SLEstimate.h"
#include "testutil.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/resource.h>

namespace zem {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr std::uint64_t kGiB = 1024ull * 1024 * 1024;

double MaxRssMB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024.0;
}

// Caps the available memory for one test.
struct TMemoryLimit {
    explicit TMemoryLimit(std::uint64_t bytes) { SetMemoryLimit(bytes); }
    ~TMemoryLimit() { SetMemoryLimit(std::nullopt); }
};

TEST(SolverEstimate, RefusesAnEightGigabyteDenseMatrixBeforeAllocating) {
    const TMemoryLimit limit(4 * kGiB);
    // A tridiagonal system of 32 768 unknowns made on demand: the array
    // method would need 8 GB for its matrix.
    const std::size_t n = 32768;
    std::size_t pulls = 0;
    TGetRow rows = [&](std::size_t i, TRowItems& items, Extended& b) {
        ++pulls;
        if (i > 0) items.push_back({i - 1, -1});
        items.push_back({i, 4});
        if (i + 1 < n) items.push_back({i + 1, -1});
        b = 1;
    };
    const double rssBefore = MaxRssMB();
    TProgressLog progress;
    auto solver = NewSolver(8, n, rows, progress);
    const std::string message = test::MessageOf([&] { solver->Solve(); });
    EXPECT_THAT(message, StartsWith("Недостаточно памяти для решения СЛАУ порядка 32768: метод «Метод Гаусcа, "
                                    "массив» требует около 8,0 ГБ, доступно 4,0 ГБ. Умещается метод «Метод "
                                    "Гаусса. Ленточная матрица» (около "));
    EXPECT_FALSE(solver->Solved());
    EXPECT_LT(MaxRssMB() - rssBefore, 100) << "nothing large was allocated";
    for (const std::string& line : progress.Lines()) EXPECT_THAT(line, ::testing::Not(HasSubstr("Формирование")));
    EXPECT_EQ(pulls, n) << "one quiet pass for the band width of the offered method";

    // The offered method solves it within the same limit.
    auto band = NewSolver(2, n, rows, progress);
    band->Solve();
    EXPECT_NEAR(static_cast<double>(band->X().GetItem(n / 2)), -0.5, 1e-12);  // 4x − 2x + 1 = 0
}

TEST(SolverEstimate, OffersTheFastestMethodThatFits) {
    // A technical-theory cylinder of 400 × 128 steps: 155 520 unknowns, a
    // band of about 800 on each side.
    const std::size_t n = 155520, m = 800;
    const TSolverEstimate dense = EstimateSolver(0, n, m, rtReal, 16 * kGiB);
    EXPECT_FALSE(dense.Fits);
    EXPECT_GT(dense.MemoryBytes, 150 * kGiB);
    EXPECT_EQ(dense.Suggested, kSparseMethod);
    EXPECT_LT(dense.SuggestedBytes, 2 * kGiB);
    EXPECT_THAT(NotEnoughMemoryText(dense), HasSubstr("Умещается метод «Разреженный прямой метод»"));
    // The band method fits there but is far slower: the sparse one is offered.
    const TSolverEstimate band = EstimateSolver(2, n, m, rtReal, 16 * kGiB);
    EXPECT_TRUE(band.Fits);
    EXPECT_EQ(band.Suggested, kSparseMethod);
    EXPECT_GT(band.Operations, 10 * EstimateSolver(kSparseMethod, n, m, rtReal, 16 * kGiB).Operations);
    // An axisymmetric tank of 100 000 steps: the band method is the fastest
    // that keeps extended precision; the profile method in doubles is not offered.
    EXPECT_EQ(EstimateSolver(2, 400000, 6, rtExtended, 16 * kGiB).Suggested, 2);
    // Nothing fits in 1 MB but the iteration.
    const TSolverEstimate tiny = EstimateSolver(kSparseMethod, n, m, rtReal, 1 << 20);
    EXPECT_EQ(tiny.Suggested, -1);
    EXPECT_THAT(NotEnoughMemoryText(tiny), HasSubstr("Ни один метод"));
    EXPECT_EQ(MemoryText(512 * 1024), "512 КБ");
    EXPECT_EQ(MemoryText(120ull << 20), "120 МБ");
}

TEST(SolverEstimate, DefaultsFollowTheSizeAndKeepWhatTheFileSays) {
    TCalcSettings s;
    ApplySizeDefaults(s, {}, 20160, 200, true);  // a 100 × 64 shell
    EXPECT_EQ(s.SLAEMethod, kSparseMethod);
    EXPECT_EQ(s.RealType, rtExtended);
    ApplySizeDefaults(s, {}, 400000, 6, false);  // an axisymmetric tank
    EXPECT_EQ(s.SLAEMethod, 2);
    EXPECT_EQ(s.RealType, rtExtended);
    ApplySizeDefaults(s, {}, 1200, 80, true);  // a small shell
    EXPECT_EQ(s.SLAEMethod, 2);

    const std::vector<std::string> stored = {"SLAEMethod= " + SLAEMethodNames()[7], "RealType= REAL"};
    s = ReadCalcSettings(stored);
    ApplySizeDefaults(s, stored, 20160, 200, true);
    EXPECT_EQ(s.SLAEMethod, 7);
    EXPECT_EQ(s.RealType, rtReal);
    // A band elimination too long for extended arithmetic gets doubles.
    EXPECT_EQ(DefaultRealType(2, 155520, 800), rtDouble);

    // A closed ring of 5 000 steps: its band is the whole matrix, 12 GB in
    // extended for the band method. The sparse method is the default and
    // the one the band method's estimate offers, in well under a gigabyte.
    ApplySizeDefaults(s = TCalcSettings(), {}, 20000, 19999, false);
    EXPECT_EQ(s.SLAEMethod, kSparseMethod);
    const TSolverEstimate ring = EstimateSolver(2, 20000, 19999, rtExtended, 16 * kGiB);
    EXPECT_GT(ring.MemoryBytes, 6 * kGiB);
    EXPECT_EQ(ring.Suggested, kSparseMethod);
    EXPECT_LT(ring.SuggestedBytes, kGiB / 4);
}

TEST(SolverEstimate, MemorySizesAsTheUserTypesThem) {
    const std::pair<const char*, std::uint64_t> good[] = {
        {"1000", 1000}, {"512K", 512ull << 10}, {"64m", 64ull << 20}, {"2G", 2ull << 30}, {"3GiB", 3ull << 30},
        {"1TB", 1ull << 40}};
    for (const auto& [text, bytes] : good) EXPECT_EQ(ParseMemorySize(text), bytes) << text;
    for (const char* bad : {"", "0", "G", "-1", "1.5G", "2X", "1 G", "99999999999999999999", "9000000000T"})
        EXPECT_EQ(ParseMemorySize(bad), std::nullopt) << bad;
    // The cap lowers what the machine has, never raises it.
    const std::uint64_t free = AvailableMemory();
    {
        const TMemoryLimit limit(64ull << 20);
        EXPECT_EQ(AvailableMemory(), std::min<std::uint64_t>(free, 64ull << 20));
    }
    EXPECT_GT(AvailableMemory(), 64ull << 20);
}

}  // namespace
}  // namespace zem
