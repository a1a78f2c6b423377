#include "solvers/SLFiles.h"

#include "platform/errors.h"
#include "platform/files.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace zem {

namespace {
constexpr std::size_t kBlockRecords = 1 << 16;  // 640 KiB per write or cached read
}

// --- TSLTempDir ----------------------------------------------------------------

TSLTempDir::TSLTempDir() {
    std::error_code ec;
    std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec) base = "/tmp";
    std::string templ = (base / "zemcad-XXXXXX").string();
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    if (!::mkdtemp(buf.data()))
        throw ZemError("Ошибка создания временного каталога " + templ + ": " + SystemErrorText(errno));
    path_ = buf.data();
}

TSLTempDir::~TSLTempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

// --- TRecordFile ----------------------------------------------------------------

TRecordFile::TRecordFile(std::filesystem::path path) : path_(std::move(path)) {
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd_ < 0) WriteError(errno);
    out_.reserve(kBlockRecords * kExtendedSize);
}

TRecordFile::~TRecordFile() {
    if (fd_ >= 0) ::close(fd_);
}

void TRecordFile::WriteError(int err) const { RaiseFileFailure(kWriteFailure, path_.string(), err); }

void TRecordFile::ReadError(int err) const { RaiseFileFailure(kReadFailure, path_.string(), err); }

void TRecordFile::Rewrite() {
    out_.clear();
    cacheCount_ = 0;
    records_ = 0;
    if (::ftruncate(fd_, 0) != 0) WriteError(errno);
}

template <class T>
void TRecordFile::AppendValues(const T* values, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        if (out_.size() + kExtendedSize > out_.capacity()) WriteBuffer();
        unsigned char rec[kExtendedSize];
        PackExtended(static_cast<Extended>(values[i]), rec);
        out_.insert(out_.end(), rec, rec + kExtendedSize);
    }
    records_ += n;
}

void TRecordFile::Append(const double* values, std::size_t n) { AppendValues(values, n); }

void TRecordFile::Append(const Extended* values, std::size_t n) { AppendValues(values, n); }

void TRecordFile::WriteBuffer() {
    std::size_t done = 0;
    while (done < out_.size()) {
        ssize_t w = ::write(fd_, out_.data() + done, out_.size() - done);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) WriteError(w < 0 ? errno : ENOSPC);  // nothing written: the disk is full
        done += static_cast<std::size_t>(w);
    }
    out_.clear();
}

void TRecordFile::Flush() { WriteBuffer(); }

void TRecordFile::Read(std::uint64_t first, std::size_t n, Extended* out) {
    if (n == 0) return;
    // Only records written before are asked for.
    if (first + n > records_) RaiseFileFailure(kReadFailure, path_.string(), "запись за концом файла");
    if (first < cacheFirst_ || first + n > cacheFirst_ + cacheCount_) {
        WriteBuffer();
        // Load the block that ends with the requested records: the back
        // substitution asks for the records just before them next.
        const std::uint64_t end = first + n;
        const std::uint64_t count = std::max<std::uint64_t>(n, std::min<std::uint64_t>(kBlockRecords, end));
        const std::uint64_t begin = end - count;
        cache_.resize(count * kExtendedSize);
        std::size_t done = 0;
        while (done < cache_.size()) {
            ssize_t r = ::pread(fd_, cache_.data() + done, cache_.size() - done,
                                static_cast<off_t>(begin * kExtendedSize + done));
            if (r < 0 && errno == EINTR) continue;
            if (r < 0) ReadError(errno);
            if (r == 0) RaiseFileFailure(kReadFailure, path_.string(), "файл короче записанного");
            done += static_cast<std::size_t>(r);
        }
        cacheFirst_ = begin;
        cacheCount_ = count;
    }
    const unsigned char* p = cache_.data() + (first - cacheFirst_) * kExtendedSize;
    for (std::size_t i = 0; i < n; ++i, p += kExtendedSize) out[i] = UnpackExtended(p);
}

}  // namespace zem
