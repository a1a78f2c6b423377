#include "platform/files.h"

#include "platform/errors.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <ios>
#include <new>
#include <random>
#include <set>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zem {
namespace {

constexpr int kMaxLinkDepth = 40;

std::string DirOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

[[noreturn]] void WriteFailure(const std::string& path, const std::string& cause) {
    RaiseFileFailure(kWriteFailure, path, cause);
}

// The failure text of a read, without the name.
bool Fail(std::string& cause, std::string text) {
    cause = std::move(text);
    return false;
}

class TFd {
public:
    explicit TFd(int fd = -1) : fd_(fd) {}
    ~TFd() { Close(); }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    int Get() const { return fd_; }
    int Close() {
        int r = 0;
        if (fd_ >= 0) r = ::close(fd_);
        fd_ = -1;
        return r;
    }

private:
    int fd_;
};

// The prefix of the temporary names of a target: ".NAME." then the writer's
// process id, a random part and ".tmp". A long name is cut (at a character
// boundary) and followed by a hash of the whole, so that the temporary name
// stays within the 255 bytes a directory entry takes.
std::string TempPrefix(const std::string& target) {
    constexpr std::size_t kKeep = 80;
    const std::string name = NameOf(target);
    if (name.size() <= kKeep + 20) return "." + name + ".";
    std::size_t cut = kKeep;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (unsigned char c : name) hash = (hash ^ c) * 1099511628211ull;
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return "." + name.substr(0, cut) + "~" + hex + ".";
}

std::string RandomPart() {
    static std::atomic<unsigned> counter{0};
    static const unsigned seed = [] {
        try {
            return std::random_device{}();
        } catch (...) {
            return static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());
        }
    }();
    std::mt19937_64 gen(seed ^ (static_cast<unsigned long long>(counter.fetch_add(1)) << 32) ^
                        static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count()));
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string s;
    for (int i = 0; i < 8; ++i) s += kChars[gen() % (sizeof kChars - 1)];
    return s;
}

// Removes the temporary files of Target left by processes that no longer run.
void RemoveStaleTemporaries(const std::string& target) {
    const std::string dir = DirOf(target);
    const std::string prefix = TempPrefix(target);
    DIR* d = ::opendir(dir.c_str());
    if (!d) return;
    std::vector<std::string> stale;
    while (const dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name.size() <= prefix.size() + 4 || name.compare(0, prefix.size(), prefix) != 0 ||
            name.compare(name.size() - 4, 4, ".tmp") != 0)
            continue;
        const std::string rest = name.substr(prefix.size());
        const std::size_t dot = rest.find('.');
        if (dot == 0 || dot == std::string::npos) continue;
        long pid = 0;
        bool digits = true;
        for (std::size_t i = 0; i < dot && digits; ++i) {
            if (rest[i] < '0' || rest[i] > '9' || pid > 100000000) digits = false;
            else pid = pid * 10 + (rest[i] - '0');
        }
        if (!digits || pid <= 0 || pid == static_cast<long>(::getpid())) continue;
        if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) stale.push_back(dir + "/" + name);
    }
    ::closedir(d);
    for (const std::string& s : stale) ::unlink(s.c_str());
}

bool WriteAll(int fd, std::string_view data) {
    const char* p = data.data();
    std::size_t left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left > (1u << 30) ? (1u << 30) : left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

void SyncDirectory(const std::string& dir) {
    TFd fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Get() >= 0) ::fsync(fd.Get());
}

}  // namespace

std::string SystemErrorText(int err) {
    switch (err) {
        case ENOENT: return "нет такого файла или каталога";
        case EACCES:
        case EPERM: return "нет доступа";
        case EISDIR: return "это каталог, а не файл";
        case ENOTDIR: return "часть пути не является каталогом";
        case ENAMETOOLONG: return "слишком длинное имя файла";
        case ENOSPC: return "нет места на диске";
        case EDQUOT: return "превышена дисковая квота";
        case EROFS: return "файловая система доступна только для чтения";
        case ELOOP: return "слишком много символических ссылок";
        case EFBIG: return "файл слишком велик";
        case EIO: return "ошибка ввода-вывода";
        case EEXIST: return "файл уже существует";
        case EMFILE:
        case ENFILE: return "открыто слишком много файлов";
        case EBUSY:
        case ETXTBSY: return "файл занят";
        case EXDEV: return "файл на другом устройстве";
        case ENOMEM: return "недостаточно памяти";
        case EINVAL: return "недопустимое имя или операция";
        case 0: return "причина не сообщена системой";
        default: return "системная ошибка " + std::to_string(err);
    }
}

std::string FileFailureText(std::string_view operation, const std::string& path, const std::string& cause) {
    return std::string(operation) + path + ": " + cause;
}

void RaiseFileFailure(std::string_view operation, const std::string& path, const std::string& cause) {
    throw ZemError(FileFailureText(operation, path, cause));
}

void RaiseFileFailure(std::string_view operation, const std::string& path, int err) {
    RaiseFileFailure(operation, path, SystemErrorText(err));
}

void RethrowFileFailure(std::string_view operation, const std::string& path, const std::exception& e) {
    const std::string why = ErrorMessage(e);
    for (std::string_view named : {kReadFailure, kWriteFailure, kLoadFailure, kRemoveFailure,
                                   std::string_view("Файл доступен только для чтения: ")})
        if (why.starts_with(named)) throw ZemError(why);
    RaiseFileFailure(operation, path, why);
}

std::string ErrorMessage(const std::exception& e) {
    if (dynamic_cast<const ZemError*>(&e)) return e.what();
    if (const auto* fs = dynamic_cast<const std::filesystem::filesystem_error*>(&e)) {
        std::string text = "Ошибка файла";
        if (!fs->path1().empty()) text += " " + fs->path1().string();
        return text + ": " + SystemErrorText(fs->code().value());
    }
    if (dynamic_cast<const std::bad_alloc*>(&e)) return "Недостаточно памяти";
    if (dynamic_cast<const std::ios_base::failure*>(&e)) return "Ошибка ввода-вывода";
    return "Внутренняя ошибка программы";
}

bool IsReadableRegularFile(const std::string& path) {
    if (path.empty()) return false;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    TFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    return fd.Get() >= 0;
}

bool TryReadFileBytes(const std::string& path, std::size_t limit, std::string& data, std::string& cause) {
    data.clear();
    // Looked at before it is opened: opening a pipe or a device may block or
    // act on the device.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return Fail(cause, SystemErrorText(errno));
    if (S_ISDIR(st.st_mode)) return Fail(cause, SystemErrorText(EISDIR));
    if (!S_ISREG(st.st_mode)) return Fail(cause, "это не обычный файл");
    TFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.Get() < 0) return Fail(cause, SystemErrorText(errno));
    if (::fstat(fd.Get(), &st) != 0) return Fail(cause, SystemErrorText(errno));
    if (!S_ISREG(st.st_mode)) return Fail(cause, "это не обычный файл");
    const std::string tooLarge = "файл слишком велик (больше " + std::to_string(limit) + " байт)";
    if (static_cast<unsigned long long>(st.st_size) > limit) return Fail(cause, tooLarge);
    data.reserve(static_cast<std::size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd.Get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            return Fail(cause, SystemErrorText(errno));
        }
        if (n == 0) break;
        if (data.size() + static_cast<std::size_t>(n) > limit) return Fail(cause, tooLarge);  // it grew meanwhile
        data.append(buf, static_cast<std::size_t>(n));
    }
    return true;
}

std::string ReadFileBytes(const std::string& path, std::size_t limit) {
    std::string data, cause;
    if (!TryReadFileBytes(path, limit, data, cause)) RaiseFileFailure(kReadFailure, path, cause);
    return data;
}

void AppendFileBytes(const std::string& path, std::string_view data) {
    TFd fd(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666));
    if (fd.Get() < 0) WriteFailure(path, SystemErrorText(errno));
    if (!WriteAll(fd.Get(), data)) WriteFailure(path, SystemErrorText(errno));
    if (fd.Close() != 0) WriteFailure(path, SystemErrorText(errno));
}

std::string ResolveLinks(const std::string& path) {
    std::string p = path;
    for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
        std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        const ssize_t n = ::readlink(p.c_str(), target.data(), target.size());
        if (n < 0) return p;
        target.resize(static_cast<std::size_t>(n));
        p = !target.empty() && target[0] == '/' ? target : DirOf(p) + "/" + target;
    }
    WriteFailure(path, SystemErrorText(ELOOP));
}

void CheckWritable(const std::string& path) {
    const std::string target = ResolveLinks(path);
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) WriteFailure(path, SystemErrorText(EISDIR));
        if (!S_ISREG(st.st_mode)) WriteFailure(path, "это не обычный файл");
        // Without any write permission the file is read-only also for the
        // administrator, whom access() would let through.
        if ((st.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0)
            throw ZemError("Файл доступен только для чтения: " + path);
    } else if (errno != ENOENT) {
        WriteFailure(path, SystemErrorText(errno));
    }
    // A directory without any write permission takes no new file, also from
    // the administrator: the same rule as for the file itself.
    const std::string dir = DirOf(target);
    if (::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & 0222) == 0)
        WriteFailure(path, SystemErrorText(EACCES));
    if (::access(dir.c_str(), W_OK | X_OK) != 0) WriteFailure(path, SystemErrorText(errno));
}

// --- TFileBatch ---------------------------------------------------------------

struct TFileBatch::TStaged {
    std::string Path;    // as the caller named it, for messages
    std::string Target;  // the file replaced (links followed)
    std::string Temp;    // empty once renamed
};

TFileBatch::TFileBatch() = default;

TFileBatch::~TFileBatch() {
    for (const TStaged& s : staged_)
        if (!s.Temp.empty()) ::unlink(s.Temp.c_str());
}

std::vector<std::string> TFileBatch::Targets() const {
    std::vector<std::string> targets;
    for (const TStaged& s : staged_) targets.push_back(s.Path);
    return targets;
}

void TFileBatch::Stage(const std::string& path, std::string_view data) {
    CheckWritable(path);
    const std::string target = ResolveLinks(path);
    RemoveStaleTemporaries(target);
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;

    // A fresh name, created here and nowhere else: O_EXCL fails on anything
    // already there, a link included, and O_NOFOLLOW refuses to go through one.
    const std::string base = DirOf(target) + "/" + TempPrefix(target) + std::to_string(::getpid()) + ".";
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = base + RandomPart() + ".tmp";
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) WriteFailure(path, SystemErrorText(errno));
    }
    if (fd < 0) WriteFailure(path, SystemErrorText(EEXIST));
    staged_.push_back(TStaged{path, target, temp});  // removed by the destructor from here on
    TFd file(fd);
    if (exists) {
        if (::geteuid() == 0) (void)!::fchown(fd, old.st_uid, old.st_gid);
        if (::fchmod(fd, old.st_mode & 07777) != 0) WriteFailure(path, SystemErrorText(errno));
    }
    if (!WriteAll(fd, data) || ::fsync(fd) != 0) WriteFailure(path, SystemErrorText(errno));
    if (file.Close() != 0) WriteFailure(path, SystemErrorText(errno));
}

void TFileBatch::Commit() {
    std::set<std::string> dirs;
    for (TStaged& s : staged_) {
        if (s.Temp.empty()) continue;
        if (::rename(s.Temp.c_str(), s.Target.c_str()) != 0) WriteFailure(s.Path, SystemErrorText(errno));
        s.Temp.clear();
        dirs.insert(DirOf(s.Target));
    }
    for (const std::string& d : dirs) SyncDirectory(d);
}

void WriteFileAtomic(const std::string& path, std::string_view data) {
    TFileBatch batch;
    batch.Stage(path, data);
    batch.Commit();
}

}  // namespace zem
