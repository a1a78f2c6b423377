// Writing files so that nothing is lost and nothing is followed, reading only
// what is a bounded regular file, and the stop signals; code page 1251, text
// files with their line ends, and ten-byte extended records.
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/signals.h"
#include "solvers/SLFiles.h"
#include "testutil.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include "platform/extended.h"
#include <cstring>

using namespace zem;
using test::MessageOf;
using test::Slurp;
namespace fs = std::filesystem;

namespace {

// Names in the directory other than the given ones: what a write left behind.
std::vector<std::string> Others(const test::TempDir& dir, std::initializer_list<std::string> known) {
    std::vector<std::string> rest;
    for (const auto& e : fs::directory_iterator(dir.path)) {
        const std::string name = e.path().filename().string();
        if (std::find(known.begin(), known.end(), name) == known.end()) rest.push_back(name);
    }
    return rest;
}

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st.st_mode;
}

// The id of a process that has ended (and been reaped).
pid_t GonePid() {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

}  // namespace

TEST(AtomicWrite, NeverFollowsALinkAtTheOldTemporaryNameAndLeavesNoTemporary) {
    const test::TempDir dir;
    const std::string file = dir / "a.zem", victim = dir / "victim";
    WriteFileAtomic(file, "old");
    std::ofstream(victim) << "precious";
    fs::create_symlink(victim, file + ".tmp~");  // a trap at the name once used
    WriteFileAtomic(file, "new");
    EXPECT_EQ(Slurp(file), "new");
    EXPECT_EQ(Slurp(victim), "precious");
    EXPECT_TRUE(S_ISREG(ModeOf(file)));
    EXPECT_TRUE(Others(dir, {"a.zem", "victim", "a.zem.tmp~"}).empty());
}

TEST(AtomicWrite, WritesThroughLinksKeepsModesAndRefusesReadOnlyFiles) {
    const test::TempDir dir;
    fs::create_directories(dir.path / "real");
    const std::string target = dir / "real/t.zem", link = dir / "l.zem";
    WriteFileAtomic(target, "old");
    fs::create_symlink("real/t.zem", link);  // relative, resolved against the link's directory
    WriteFileAtomic(link, "through");
    EXPECT_TRUE(S_ISLNK(ModeOf(link))) << "the link stays a link";
    EXPECT_EQ(Slurp(target), "through");

    ::chmod(target.c_str(), 0640);
    WriteFileAtomic(target, "mode");
    EXPECT_EQ(ModeOf(target) & 07777, 0640u);

    ::chmod(target.c_str(), 0444);
    EXPECT_EQ(MessageOf([&] { WriteFileAtomic(link, "x"); }), "Файл доступен только для чтения: " + link);
    EXPECT_EQ(MessageOf([&] { WriteTextFile(target, {"x"}); }), "Файл доступен только для чтения: " + target);
    EXPECT_EQ(Slurp(target), "mode");
    EXPECT_EQ(ModeOf(target) & 07777, 0444u);

    // A dangling link creates the file it names.
    fs::create_symlink("real/new.zem", dir / "dangling.zem");
    WriteFileAtomic(dir / "dangling.zem", "born");
    EXPECT_EQ(Slurp(dir / "real/new.zem"), "born");
}

TEST(AtomicWrite, TwoProcessesOnOneFileBothSucceedWithACompleteFile) {
    const test::TempDir dir;
    const std::string file = dir / "both.zem";
    const std::string a(100000, 'a'), b(150000, 'b');
    pid_t kids[2];
    for (int k = 0; k < 2; ++k) {
        kids[k] = ::fork();
        if (kids[k] == 0) {
            int failures = 0;
            for (int i = 0; i < 100; ++i) try {
                    WriteFileAtomic(file, k == 0 ? a : b);
                } catch (...) {
                    ++failures;
                }
            ::_exit(failures);
        }
    }
    for (pid_t kid : kids) {
        int status = 0;
        ::waitpid(kid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "failed writes: " << WEXITSTATUS(status);
    }
    const std::string now = Slurp(file);
    EXPECT_TRUE(now == a || now == b);
    EXPECT_TRUE(Others(dir, {"both.zem"}).empty());
}

TEST(AtomicWrite, FailuresRemoveTemporariesAndABatchChangesNothingUntilCommitted) {
    const test::TempDir dir;
    const std::string one = dir / "one.zem", two = dir / "two.res";
    WriteFileAtomic(one, "old one");
    WriteFileAtomic(two, "old two");
    ::chmod(two.c_str(), 0444);
    {
        TFileBatch batch;
        batch.Stage(one, "new one");
        EXPECT_THROW(batch.Stage(two, "new two"), ZemError);
    }
    EXPECT_EQ(Slurp(one), "old one");
    EXPECT_TRUE(Others(dir, {"one.zem", "two.res"}).empty());

    fs::create_directories(dir.path / "adir");
    EXPECT_EQ(MessageOf([&] { WriteFileAtomic(dir / "adir", "x"); }),
              "Ошибка записи в файл " + dir / "adir" + ": это каталог, а не файл");
    EXPECT_TRUE(MessageOf([&] { WriteFileAtomic(dir / "none/x.zem", "x"); })
                    .starts_with("Ошибка записи в файл " + dir / "none/x.zem" + ": "));

    // What a killed writer left is removed by the next write of that file;
    // the temporary of a writer still running stays.
    const std::string dead = dir / (".one.zem." + std::to_string(GonePid()) + ".abcdefgh.tmp");
    const std::string alive = dir / (".one.zem." + std::to_string(::getppid()) + ".abcdefgh.tmp");
    std::ofstream(dead) << "half";
    std::ofstream(alive) << "busy";
    WriteFileAtomic(one, "again");
    EXPECT_FALSE(fs::exists(dead));
    EXPECT_TRUE(fs::exists(alive));
}

TEST(SafeRead, OnlyBoundedRegularFilesAreReadAndNothingBlocks) {
    const test::TempDir dir;
    const std::string fifo = dir / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(IsReadableRegularFile(fifo)) << "and it returned: a pipe never blocks";
    EXPECT_EQ(MessageOf([&] { ReadFileBytes(fifo); }), "Ошибка чтения файла " + fifo + ": это не обычный файл");
    EXPECT_EQ(MessageOf([&] { ReadTextFile("/dev/zero"); }), "Ошибка чтения файла /dev/zero: это не обычный файл");
    EXPECT_FALSE(IsReadableRegularFile("/dev/zero"));
    // (A directory and a missing file: the messages of every reader, in the
    // problem reliability tests.)
    EXPECT_FALSE(IsReadableRegularFile(dir / ""));
    const std::string longName = dir / std::string(300, 'x');
    EXPECT_FALSE(IsReadableRegularFile(longName));
    EXPECT_EQ(MessageOf([&] { ReadFileBytes(longName); }),
              "Ошибка чтения файла " + longName + ": слишком длинное имя файла");

    WriteFileAtomic(dir / "ten", "0123456789");
    EXPECT_EQ(ReadFileBytes(dir / "ten", 10), "0123456789");
    EXPECT_EQ(MessageOf([&] { ReadFileBytes(dir / "ten", 9); }),
              "Ошибка чтения файла " + dir / "ten" + ": файл слишком велик (больше 9 байт)");
}

// Writers outside the atomic replacement (appending, the solvers' record
// files) and the one form of every file message.
TEST(FileFailures, EveryWriterGivesTheSystemsReasonAndMessagesHaveOneForm) {
    const test::TempDir dir;
    WriteFileAtomic(dir / "plain", "old");
    const std::string underFile = dir / "plain/x.txt";
    EXPECT_EQ(MessageOf([&] { AppendTextFile(underFile, {"a"}); }),
              "Ошибка записи в файл " + underFile + ": часть пути не является каталогом");
    EXPECT_EQ(MessageOf([&] { TRecordFile record(underFile); }),
              "Ошибка записи в файл " + underFile + ": часть пути не является каталогом");
    EXPECT_EQ(MessageOf([&] { AppendTextFile(dir / "", {"a"}); }),
              "Ошибка записи в файл " + dir / "" + ": это каталог, а не файл");
    AppendTextFile(dir / "log.txt", {"один"});
    AppendTextFile(dir / "log.txt", {"два"});
    EXPECT_EQ(ReadTextFile(dir / "log.txt"), (std::vector<std::string>{"один", "два"}));
    EXPECT_EQ(Slurp(dir / "plain"), "old");

    // A record file reads back only what was written to it.
    TRecordFile record(dir / "r.tmp");
    const Extended values[] = {1, 2};
    record.Append(values, 2);
    record.Flush();
    Extended out[3];
    EXPECT_EQ(MessageOf([&] { record.Read(1, 2, out); }),
              "Ошибка чтения файла " + dir / "r.tmp" + ": запись за концом файла");

    // A message that already names a file passes; any other becomes the cause.
    const std::string read = "Ошибка чтения файла a.zem: нет доступа";
    EXPECT_EQ(MessageOf([&] { RethrowFileFailure(kWriteFailure, "b.zem", ZemError(read)); }), read);
    EXPECT_EQ(MessageOf([&] { RethrowFileFailure(kWriteFailure, "b.zem", ZemError("Файл доступен только для чтения: c")); }),
              "Файл доступен только для чтения: c");
    EXPECT_EQ(MessageOf([&] { RethrowFileFailure(kWriteFailure, "b.zem", std::bad_alloc()); }),
              "Ошибка записи в файл b.zem: Недостаточно памяти");
    EXPECT_EQ(MessageOf([&] { RaiseFileFailure(kLoadFailure, "c.res", 0); }),
              "Ошибка загрузки файла c.res: причина не сообщена системой");
}

TEST(FileFailures, AssertionsStopDebugBuildsAndCostNothingInReleaseBuilds) {
    int evaluated = 0;
    EXPECT_DEBUG_DEATH(ZEM_ASSERT(++evaluated < 0, "a column of the system"),
                       "assertion failed: a column of the system");
#ifdef NDEBUG
    EXPECT_EQ(evaluated, 0) << "the condition is not evaluated";
#endif
}

TEST(SafeRead, LibraryErrorsAreShownInTheProgramsWords) {
    EXPECT_EQ(ErrorMessage(ZemError("Ошибка данных")), "Ошибка данных");
    const fs::filesystem_error fe("status", fs::path("/a/b"), std::make_error_code(std::errc::filename_too_long));
    EXPECT_EQ(ErrorMessage(fe), "Ошибка файла /a/b: слишком длинное имя файла");
    EXPECT_EQ(ErrorMessage(std::bad_alloc()), "Недостаточно памяти");
    EXPECT_EQ(ErrorMessage(std::out_of_range("vector::_M_range_check")), "Внутренняя ошибка программы");
}

TEST(StopSignals, TermHupAndIntAllReachTheStopFunctionOutsideTheHandler) {
    std::atomic<int> seen{0};
    std::atomic<bool> otherThread{true};
    const auto main = std::this_thread::get_id();
    OnStopSignals([&](int sig) {
        if (std::this_thread::get_id() == main) otherThread = false;
        seen.fetch_or(sig == SIGINT ? 1 : sig == SIGTERM ? 2 : sig == SIGHUP ? 4 : 8);
    });
    for (int sig : {SIGTERM, SIGHUP, SIGINT}) ::raise(sig);
    for (int i = 0; i < 500 && seen != 7; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_EQ(seen, 7);
    EXPECT_TRUE(otherThread);
    OnStopSignals(nullptr);
}

TEST(Cp1251, RoundTripsCyrillicAndRejectsWhatItCannotHold) {
    const std::string text = "Радиус, м: Ёё №";
    const std::string bytes = Utf8ToCp1251(text);
    EXPECT_EQ(bytes.size(), Utf8Length(text));
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xD0);  // 'Р'
    EXPECT_EQ(Cp1251ToUtf8(bytes), text);
    EXPECT_THROW(Utf8ToCp1251("日本"), ZemError);
    EXPECT_THROW(Utf8ToCp1251("\xff\xfe"), ZemError);  // not UTF-8
    EXPECT_THROW(Cp1251ToUtf8("\x98"), ZemError);      // the one unassigned byte
}

TEST(TextFile, WritesCrLfCp1251AndReadsBothLineEnds) {
    const test::TempDir dir;
    const std::string file = dir / "a.zem";
    WriteTextFile(file, {"[ZEM]", "Тип=CylSym", ""});
    EXPECT_EQ(Slurp(file), "[ZEM]\r\n\xD2\xE8\xEF=CylSym\r\n\r\n");
    EXPECT_EQ(ReadTextFile(file), (std::vector<std::string>{"[ZEM]", "Тип=CylSym", ""}));

    std::ofstream(dir / "lf.txt", std::ios::binary) << "a\nb\r\nc";
    EXPECT_EQ(ReadTextFile(dir / "lf.txt"), (std::vector<std::string>{"a", "b", "c"}));
    AppendTextFile(file, {"x"});
    EXPECT_EQ(ReadTextFile(file).back(), "x");
}

TEST(TextFile, AFailedWriteLeavesTheOldFileAsItWas) {
    const test::TempDir dir;
    const std::string file = dir / "keep.zem";
    WriteTextFile(file, {"old"});
    EXPECT_THROW(WriteTextFile(file, {"new", "日本"}), ZemError);
    EXPECT_EQ(Slurp(file), "old\r\n");
    EXPECT_FALSE(std::filesystem::exists(file + ".tmp~"));
    EXPECT_THROW(ReadTextFile(dir / "missing"), ZemError);
    EXPECT_THROW(WriteTextFile(dir / "no/dir.zem", {"x"}), ZemError);
}

TEST(Extended, TenByteRecordsKeepTheFullMantissa) {
    const Extended third = 1.0L / 3.0L;
    unsigned char rec[kExtendedSize];
    PackExtended(third, rec);
    EXPECT_EQ(UnpackExtended(rec), third);
    PackExtended(1.0L, rec);
    // 1.0: mantissa 0x8000000000000000, exponent 0x3FFF, little-endian.
    const unsigned char one[kExtendedSize] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
    EXPECT_EQ(0, std::memcmp(rec, one, kExtendedSize));
}
