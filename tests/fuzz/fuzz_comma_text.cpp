// Fuzzes the comma-text splitter: pieces must lie inside the text or the storage, and the copying
// variant must agree with the view variant.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "support/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> pieces;
  std::string storage;
  arl::SplitCommaText(text, pieces, storage);
  auto copies = arl::SplitCommaText(text);
  if (copies.size() != pieces.size()) std::abort();
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (copies[i] != pieces[i]) std::abort();
    if (pieces[i].size() > size) std::abort();
  }
  return 0;
}
