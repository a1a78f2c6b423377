// The text language of parameter values: lists split at top-level commas,
// list texts turned into trees of value objects, and element texts printed
// over several lines for the problem file and the element editor.
//
// Texts are UTF-8 strings. Blanks (code 32) around items are insignificant;
// no other white space is trimmed. Three bracket pairs are recognised:
// { } (named blocks), [ ] (lists) and ( ) (kept inside an item, only counted
// for balance). Numbers use '.' as the decimal mark whatever the locale; the
// single-number conversions StrToReal, RealToStrGen and RealToStrExp come from
// platform/numtext.h and are available through this header.
#pragma once

#include "platform/extended.h"
#include "platform/numtext.h"
#include "platform/object.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zem {

// Deletes leading, then trailing blanks (code 32 only).
void TrimSpaces(std::string& s);
std::string Trimmed(std::string_view s);

// Splits S at the commas that lie outside every bracket pair. Items are
// trimmed; an item takes at least one character before a separating comma is
// looked for, so "1,,2" gives "1" and ",2", and a trailing comma adds nothing.
// The empty or blank text gives no items. Raises "Нарушен баланс скобок" when
// closers outnumber openers of any kind at any point, or a bracket is still
// open at the end.
std::vector<std::string> SplitList(std::string_view s);

// Parses a list text into value objects: a TValueList for a list (entries may
// be null for empty items), a TWord for an integral scalar, a TReal for any
// other scalar; null for the empty text. A bracketed single item is unwrapped
// ("[5]" is the scalar 5). Raises "Нарушен баланс скобок" (see SplitList, and
// a single item that begins with '[' but does not end with ']') and
// "Ошибка значения" (an item that is not a number, a number beyond the range
// of a 64-bit real, or lists nested deeper than kMaxListDepth).
std::unique_ptr<TObject> ParseValue(std::string_view s);
constexpr int kMaxListDepth = 256;

// The text without its outer brackets when it is one bracketed item
// ("[1, 2]" -> "1, 2"); otherwise the trimmed text. For the editor grids.
std::string Unbracket(std::string_view s);
// The trimmed text, enclosed in [ ] when it holds more than one item. The
// inverse of Unbracket when the user edits a value.
std::string Bracket(std::string_view s);
// One list text from a column of lines: every line that holds items,
// bracketed when it holds more than one, joined with ", ".
std::string JoinList(const std::vector<std::string>& lines);
// True when S splits into more than one item.
bool IsList(std::string_view s);
// N blanks.
std::string Spaces(std::size_t n);

// Prints an element text over several lines: a line break after every comma
// outside square brackets (the blanks after it dropped), each new line
// indented to the column just after the brace that opened its block. Columns
// count characters, not bytes. Raises "Нарушен баланс скобок" for a '}' with
// no open block and for a comma outside every block (not element text).
std::vector<std::string> TextToLines(std::string_view s);
// The lines, each trimmed, joined with one blank between consecutive lines.
// Inverse of TextToLines for texts with one blank after each top-level comma.
std::string LinesToText(const std::vector<std::string>& lines);

// Trims S, then cuts it into words at blanks; the rest after the last blank
// is the last entry as it stands (so a blank text gives one empty entry).
std::vector<std::string> SplitWords(std::string_view s);
// Index of the first entry equal to S (exact, case-sensitive), or -1.
int IndexOfText(std::string_view s, const std::vector<std::string>& texts);
// "Name.Element" -> head "Name", tail "Element"; without '.', head is empty
// and tail is S.
void SplitPath(std::string_view s, std::string& head, std::string& tail);
// Appends every entry of Texts to List, in order.
void AddStrings(const std::vector<std::string>& texts, std::vector<std::string>& list);

// -1, 0 or +1 by the sign of X.
template <class T>
constexpr int Sign(T x) {
    return x < T(0) ? -1 : (x > T(0) ? 1 : 0);
}

// Letter-case-blind comparison of Latin keys (other bytes compared exactly).
bool SameKey(std::string_view a, std::string_view b);

}  // namespace zem
