// The comma-text splitter. It runs once per quote line, millions of times per conversion, so it
// hands out views and allocates only when a quoted piece holds doubled quotes.
#include "support/text.h"

namespace arl {

namespace {

// Bytes 1..32 separate pieces. A NUL byte ends the text, as it always has for this rule; treating it
// as an ordinary byte would leave the scanner on a byte that neither belongs to a piece nor is skipped.
inline bool IsBlank(char c) {
  auto b = static_cast<unsigned char>(c);
  return b >= 1 && b <= 32;
}

inline bool EndsPiece(char c) { return static_cast<unsigned char>(c) <= 32 || c == ','; }

// Reads a quoted piece starting at text[i] == '"'. Returns the piece and moves i behind the closing
// quote. An unclosed quote takes the rest of the text.
std::string_view QuotedPiece(std::string_view text, std::size_t& i, std::string& storage) {
  const std::size_t start = ++i;
  std::size_t close = text.find('"', start);
  if (close == std::string_view::npos) {
    i = text.size();
    return text.substr(start);
  }
  if (close + 1 >= text.size() || text[close + 1] != '"') {
    i = close + 1;
    return text.substr(start, close - start);
  }
  // Doubled quotes: copy into storage, one quote for each pair. storage was reserved to the text's
  // size, so earlier views into it stay valid.
  const std::size_t begin = storage.size();
  std::size_t from = start;
  for (;;) {
    if (close == std::string_view::npos) {
      storage.append(text.substr(from));
      i = text.size();
      break;
    }
    if (close + 1 < text.size() && text[close + 1] == '"') {
      storage.append(text.substr(from, close + 1 - from));
      from = close + 2;
      close = text.find('"', from);
      continue;
    }
    storage.append(text.substr(from, close - from));
    i = close + 1;
    break;
  }
  return std::string_view(storage).substr(begin);
}

}  // namespace

void SplitCommaText(std::string_view text, std::vector<std::string_view>& pieces, std::string& storage) {
  pieces.clear();
  storage.clear();
  if (std::size_t nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);
  if (storage.capacity() < text.size()) storage.reserve(text.size());

  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n && IsBlank(text[i])) ++i;
  while (i < n) {
    if (text[i] == '"') {
      pieces.push_back(QuotedPiece(text, i, storage));
    } else {
      const std::size_t start = i;
      while (i < n && !EndsPiece(text[i])) ++i;
      pieces.push_back(text.substr(start, i - start));
    }
    while (i < n && IsBlank(text[i])) ++i;
    if (i < n && text[i] == ',') {
      if (i + 1 == n) pieces.push_back(text.substr(n));
      ++i;
      while (i < n && IsBlank(text[i])) ++i;
    }
  }
}

std::vector<std::string> SplitCommaText(std::string_view text) {
  std::vector<std::string_view> pieces;
  std::string storage;
  SplitCommaText(text, pieces, storage);
  return std::vector<std::string>(pieces.begin(), pieces.end());
}

}  // namespace arl
