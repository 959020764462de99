#pragma once
// A linear guard in front of the HTML parser. The HTML5 tree builder looks through the stack of open
// elements for many tags, so a page of a few hundred kilobytes nesting tens of thousands of
// elements takes minutes to parse. No archive page nests deeply; this estimate lets the reader
// refuse such a page before parsing it.
#include <cstddef>
#include <string_view>

namespace arl {

// True when the page's elements nest no deeper than `limit`, by a one-pass estimate that never
// counts less than a constant fraction of what the tree builder will hold open: every start tag of
// an element that can hold others counts, except those that close a sibling of their own kind
// (p, li, td, ...), and an end tag closes only the innermost element when it names it. Comments,
// raw text (script, style, ...) and quoted attribute values are skipped.
bool NestingWithin(std::string_view html, std::size_t limit);

}  // namespace arl
