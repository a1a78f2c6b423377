// Code page 1251 on disk, UTF-8 in memory. Every text file of the program goes
// through these functions, so the conversion lives in one place.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zem {

// Converts cp1251 bytes to UTF-8. A byte with no character in cp1251 (0x98)
// raises ZemError.
std::string Cp1251ToUtf8(std::string_view bytes);

// Converts UTF-8 text to cp1251. Invalid UTF-8, or a character cp1251 cannot
// hold, raises ZemError naming the offending position.
std::string Utf8ToCp1251(std::string_view text);

// Reads a cp1251 text file into UTF-8 lines. Lines may end in CR LF or LF; a
// last line without a line break is kept. Raises ZemError when the file cannot
// be opened or read, is no regular file or is too large (ReadFileBytes), or
// holds a byte that does not convert ("Ошибка чтения файла NAME: строка N:
// ..." with the position in the line).
std::vector<std::string> ReadTextFile(const std::string& path);

// Writes UTF-8 lines as a cp1251 file with CR LF after every line, replacing
// the file atomically (WriteFileAtomic), so a failed write leaves the old file
// as it was. Raises ZemError.
void WriteTextFile(const std::string& path, const std::vector<std::string>& lines);

// Appends UTF-8 lines to a cp1251 file (created when missing), CR LF each.
// Raises "Ошибка записи в файл NAME: cause".
void AppendTextFile(const std::string& path, const std::vector<std::string>& lines);

// Number of characters (not bytes) of a UTF-8 string.
std::size_t Utf8Length(std::string_view text);

}  // namespace zem
