#pragma once
// Reading the links of an HTML page: every "a" element in document order, with its target resolved
// to an absolute address the way a browser shows it.
#include <string>
#include <vector>

namespace arl {

// The targets of the page's anchors, in document order, duplicates kept. An anchor without href
// gives ""; the others are resolved against the first <base href> (itself resolved against the page
// address) or else the page address. Malformed HTML is parsed the forgiving HTML5 way. A page that
// nests elements far deeper than any real page (see html_nesting.h) gives no links, as a failed load
// does, instead of keeping the parser busy for minutes.
std::vector<std::string> ExtractLinkTargets(const std::string& html, const std::string& pageAddress);

}  // namespace arl
