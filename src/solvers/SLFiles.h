// Temporary files of the solvers that keep only a window of rows in memory.
//
// TSLTempDir is a private directory of one calculation (created with mode 0700
// under the system temporary directory), so two programs or two users never
// share "matr.tmp" or "SLFile.tmp"; it is removed with everything in it when
// the object goes, also when a calculation ends by an error or a stop.
//
// TRecordFile is a binary file of 10-byte records, each an 80-bit extended,
// no header. It is written strictly by appending and read back by record
// index; reads that walk backwards (the back substitution) are served from a
// block cache, so each block is read from disk once. Any failure raises
// ZemError "Ошибка записи в файл <name>: cause" or "Ошибка чтения файла
// <name>: cause", the cause being the system's reason.
#pragma once

#include "platform/extended.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zem {

class TSLTempDir {
public:
    TSLTempDir();
    ~TSLTempDir();
    TSLTempDir(const TSLTempDir&) = delete;
    TSLTempDir& operator=(const TSLTempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

class TRecordFile {
public:
    // Creates the file empty (rewrites an existing one).
    explicit TRecordFile(std::filesystem::path path);
    ~TRecordFile();
    TRecordFile(const TRecordFile&) = delete;
    TRecordFile& operator=(const TRecordFile&) = delete;

    // Empties the file again.
    void Rewrite();
    // Appends N values as N records.
    void Append(const double* values, std::size_t n);
    void Append(const Extended* values, std::size_t n);
    // Writes out what is buffered; needed before reading.
    void Flush();
    // Reads N records from record index First into Out.
    void Read(std::uint64_t first, std::size_t n, Extended* out);

    std::uint64_t Records() const { return records_; }
    std::uint64_t Bytes() const { return records_ * kExtendedSize; }
    const std::filesystem::path& Path() const { return path_; }

private:
    template <class T>
    void AppendValues(const T* values, std::size_t n);
    void WriteBuffer();
    // Raised with the system's reason for Err.
    [[noreturn]] void WriteError(int err) const;
    [[noreturn]] void ReadError(int err) const;

    std::filesystem::path path_;
    int fd_ = -1;
    std::uint64_t records_ = 0;
    std::vector<unsigned char> out_;  // records not yet written
    std::vector<unsigned char> cache_;
    std::uint64_t cacheFirst_ = 0;  // record index of cache_[0]
    std::uint64_t cacheCount_ = 0;
};

}  // namespace zem
