// Fuzzes the page-link reader: any bytes as HTML, read at any page address, give one target per
// anchor without a crash, the same list on a second read, and a non-empty target for every
// non-empty reference handed to the resolver.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "acquire/html_links.h"
#include "acquire/url_resolve.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 64 * 1024) return 0;  // page size does not matter to the parser's paths; speed does
  std::string_view all(reinterpret_cast<const char*>(data), size);
  // The first line is the page address, the rest the page.
  const std::size_t cut = all.find('\n');
  const std::string address(all.substr(0, cut));
  const std::string html(cut == std::string_view::npos ? std::string_view() : all.substr(cut + 1));

  const std::vector<std::string> first = arl::ExtractLinkTargets(html, address);
  if (arl::ExtractLinkTargets(html, address) != first) std::abort();

  // The page itself taken as a reference on the address: the resolver's own contract.
  if (!html.empty() && html.size() < 4096 && arl::ResolveUrl(address, html).empty()) std::abort();
  return 0;
}
