#include "acquire/html_nesting.h"

#include <algorithm>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace arl {
namespace {

bool IsAsciiAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
bool IsNameChar(char c) { return IsAsciiAlpha(c) || (c >= '0' && c <= '9') || c == '-' || c == ':'; }

bool OneOf(const std::string& name, std::initializer_list<std::string_view> names) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// Elements that never hold others, and those the tree builder closes when a sibling of their kind
// (or the end of their parent) comes, so that they cannot pile up on their own.
bool NeverPiles(const std::string& name) {
  return OneOf(name,
               {"area",  "base",  "br",     "col",   "embed", "hr",       "img",      "input",   "link",
                "meta",  "param", "source", "track", "wbr",   "basefont", "bgsound",  "frame",   "keygen",
                "image", "a",     "nobr",   "p",     "li",    "dt",       "dd",       "option",  "optgroup",
                "tr",    "td",    "th",     "tbody", "thead", "tfoot",    "colgroup", "caption", "rb",
                "rt",    "rp",    "rtc",    "html",  "head",  "body"});
}

// Elements that an end tag for an element below them does not close.
bool IsScopeBoundary(const std::string& name) {
  return OneOf(name, {"table", "applet", "object", "marquee", "template", "caption", "svg", "math",
                      "foreignobject", "desc"});
}

bool IsForeignRoot(const std::string& name) { return name == "svg" || name == "math"; }

// Pops `name` when it is among the innermost few open elements with no scope boundary above it:
// sloppy pages that leave an inline element open do not pile up, and nothing the tree builder keeps
// open is dropped. Returns how many svg and math elements it closed.
std::size_t Close(std::vector<std::string>& open, const std::string& name) {
  const std::size_t reach = std::min<std::size_t>(open.size(), 4);
  for (std::size_t k = 1; k <= reach; ++k) {
    const std::string& candidate = open[open.size() - k];
    if (candidate == name) {
      const auto first = open.end() - static_cast<std::ptrdiff_t>(k);
      const auto closedForeign = static_cast<std::size_t>(std::count_if(first, open.end(), IsForeignRoot));
      open.erase(first, open.end());
      return closedForeign;
    }
    if (IsScopeBoundary(candidate)) return 0;
  }
  return 0;
}

bool IsRawText(const std::string& name) {
  return OneOf(name,
               {"script", "style", "textarea", "title", "xmp", "iframe", "noembed", "noframes", "plaintext"});
}

// Position after the case-insensitive "</name", or npos.
std::size_t FindEndTag(std::string_view html, std::size_t from, const std::string& name) {
  for (std::size_t at = html.find("</", from); at != std::string_view::npos; at = html.find("</", at + 2)) {
    std::size_t i = at + 2, k = 0;
    while (k < name.size() && i < html.size() && Lower(html[i]) == name[k]) ++i, ++k;
    if (k == name.size() && (i >= html.size() || !IsNameChar(html[i]))) return i;
  }
  return std::string_view::npos;
}

// Position after the tag's closing ">", skipping quoted attribute values; sets selfClosing.
std::size_t SkipTag(std::string_view html, std::size_t i, bool& selfClosing) {
  char quote = 0;
  for (; i < html.size(); ++i) {
    const char c = html[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      if (i > 0 && html[i - 1] == '=') quote = c;  // only a value opens a quote
    } else if (c == '>') {
      selfClosing = html[i - 1] == '/';
      return i + 1;
    }
  }
  return html.size();
}

}  // namespace

bool NestingWithin(std::string_view html, std::size_t limit) {
  std::vector<std::string> open;
  std::size_t foreignOpen = 0;  // open svg and math elements: only inside them does "/>" close
  std::size_t i = 0;
  while ((i = html.find('<', i)) != std::string_view::npos) {
    if (html.compare(i, 4, "<!--") == 0) {
      const std::size_t end = html.find("-->", i + 4);
      if (end == std::string_view::npos) return true;
      i = end + 3;
      continue;
    }
    const bool endTag = i + 1 < html.size() && html[i + 1] == '/';
    std::size_t n = i + (endTag ? 2 : 1);
    if (n >= html.size() || !IsAsciiAlpha(html[n])) {
      ++i;
      continue;
    }
    std::string name;
    for (; n < html.size() && IsNameChar(html[n]); ++n) name += Lower(html[n]);
    bool selfClosing = false;
    i = SkipTag(html, n, selfClosing);
    if (endTag) {
      foreignOpen -= Close(open, name);
      continue;
    }
    if (name == "plaintext") return true;  // the rest of the page is text
    if (IsRawText(name)) {
      const std::size_t end = FindEndTag(html, i, name);
      if (end == std::string_view::npos) return true;
      i = end;
      continue;
    }
    if (NeverPiles(name) || (selfClosing && (foreignOpen > 0 || IsForeignRoot(name)))) continue;
    if (IsForeignRoot(name)) ++foreignOpen;
    open.push_back(std::move(name));
    if (open.size() > limit) return false;
  }
  return true;
}

}  // namespace arl
