// Files on disk, safely: reading only regular files of bounded size, and
// replacing a file only once its new contents are complete.
//
// Every writer of the program (problem, results, approximation, series and
// table files) goes through WriteFileAtomic or a TFileBatch:
//   - the new contents go to a temporary file created exclusively, with a
//     unique name, beside the target, never through a link at that name;
//   - it is flushed to the disk and renamed over the target, so a reader, a
//     crash or a kill sees either the old file or the new one, never a part;
//   - a failure removes the temporary file and leaves the target as it was;
//   - a target that is a symbolic link is written through: the file the link
//     names is replaced and the link stays;
//   - the target keeps its permission bits, and a read-only target is refused.
// Temporary files left by a process that was killed outright are removed by
// the next write into the same directory.
#pragma once

#include <cstddef>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zem {

// The largest text file the program reads (problem, series and table files).
constexpr std::size_t kMaxTextFileSize = 64u << 20;

// The Russian text of a system error number, for messages such as
// "Ошибка чтения файла NAME: нет такого файла".
std::string SystemErrorText(int err);

// Every message of a failed file operation has one form: the program's
// words for the operation (one of these, each ending in a blank), the name of
// the file, ": " and the cause - the system's reason (SystemErrorText) or
// what was wrong with the contents.
inline constexpr std::string_view kReadFailure = "Ошибка чтения файла ";
inline constexpr std::string_view kWriteFailure = "Ошибка записи в файл ";
inline constexpr std::string_view kLoadFailure = "Ошибка загрузки файла ";
inline constexpr std::string_view kRemoveFailure = "Ошибка удаления файла ";

std::string FileFailureText(std::string_view operation, const std::string& path, const std::string& cause);
[[noreturn]] void RaiseFileFailure(std::string_view operation, const std::string& path, const std::string& cause);
// The cause is the system's reason for Err (errno as the failed call left it).
[[noreturn]] void RaiseFileFailure(std::string_view operation, const std::string& path, int err);

// Raises the failure of Operation on Path for an error E raised while doing
// it: a message that already names a file (every message of the form above,
// and the read-only refusal) passes unchanged, any other becomes the cause.
[[noreturn]] void RethrowFileFailure(std::string_view operation, const std::string& path, const std::exception& e);

// The message to show for an exception: the program's own text as it stands;
// library errors (file system, input/output, memory) in the program's words
// with their cause.
std::string ErrorMessage(const std::exception& e);

// True when the path names a regular file (after links) that can be opened
// for reading. Never throws and never blocks: pipes, devices, directories and
// names the system cannot take give false.
bool IsReadableRegularFile(const std::string& path);

// The whole contents of a regular file. Raises ZemError
// "Ошибка чтения файла NAME: cause" for a missing file, a directory, a device
// or pipe, a file larger than Limit bytes, or a read error.
std::string ReadFileBytes(const std::string& path, std::size_t limit = kMaxTextFileSize);

// The same without raising: false, with the cause alone (no name), on failure.
bool TryReadFileBytes(const std::string& path, std::size_t limit, std::string& data, std::string& cause);

// Appends to a file, creating it when missing. Raises
// "Ошибка записи в файл NAME: cause".
void AppendFileBytes(const std::string& path, std::string_view data);

// The file a path finally names after following symbolic links (the path
// itself when it is no link). A dangling link gives the file it would create.
std::string ResolveLinks(const std::string& path);

// Raises "Файл доступен только для чтения: NAME" when the file (after links)
// exists and cannot be written, and "Ошибка записи в файл NAME: cause" when
// its directory does not take new files (a directory without any write
// permission never does, whoever runs the program).
void CheckWritable(const std::string& path);

// A group of files replaced together: Stage writes each to its temporary
// file (so every encoding and disk error comes before any target changes),
// Commit renames them all over their targets in order. Whatever is not
// committed is removed when the batch goes.
class TFileBatch {
public:
    TFileBatch();
    ~TFileBatch();
    TFileBatch(const TFileBatch&) = delete;
    TFileBatch& operator=(const TFileBatch&) = delete;

    void Stage(const std::string& path, std::string_view data);
    void Commit();
    // The targets staged so far, in order.
    std::vector<std::string> Targets() const;

private:
    struct TStaged;
    std::vector<TStaged> staged_;
};

// One file replaced as described above. Raises ZemError
// "Ошибка записи в файл NAME: cause" or the read-only message.
void WriteFileAtomic(const std::string& path, std::string_view data);

}  // namespace zem
