#pragma once
// Text helpers shared by every part of the run: line lists, the comma-text splitter, ReplaceAll.
#include <string>
#include <string_view>
#include <vector>

namespace arl {

// An ordered list of text lines, used for lists of names and for whole text files.
using LineList = std::vector<std::string>;

// Splits text into lines: CR LF, LF or CR end a line; a final line without an end still counts.
void SplitLines(std::string_view text, LineList& out);

// Loads a whole file as lines. Raises EInOutError when it cannot be read.
LineList LoadLines(const std::string& path);

// Saves lines with CR LF after every line (an empty list gives an empty file), replacing the file
// durably (WriteFileAtomically). Raises EInOutError on failure.
void SaveLines(const std::string& path, const LineList& lines);

// Sorts ascending without regard to ASCII letter case (ties keep a stable byte order).
void SortCaseInsensitive(LineList& lines);

// Splits text at commas by the comma-text rule: leading bytes 1..32 skipped; a piece starting with
// a double quote runs to the next lone double quote (a doubled quote stands for one, the quotes are
// dropped); any other piece ends before a comma or a byte of 32 or less; blanks after a piece are
// skipped; a comma is skipped with the blanks after it; a trailing comma adds one empty piece; an
// empty text gives no pieces; bytes of 128 and above belong to pieces.
// The pieces view `text`, or `storage` for quoted pieces that had doubled quotes; they stay valid
// while both are unchanged. `pieces` and `storage` are cleared first and may be reused between calls
// to avoid allocation.
void SplitCommaText(std::string_view text, std::vector<std::string_view>& pieces, std::string& storage);

// Convenience copy of SplitCommaText for cold paths.
std::vector<std::string> SplitCommaText(std::string_view text);

// Returns text with every occurrence of old_text replaced by new_text, searching left to right and
// resuming behind each replaced occurrence. An occurrence never starts on a UTF-8 continuation byte.
// An empty old_text leaves the text unchanged.
// The text without the blanks and tabs at either end (what a user may type around a value).
std::string_view TrimBlanks(std::string_view text);

std::string ReplaceAll(std::string_view text, std::string_view old_text, std::string_view new_text);

}  // namespace arl
