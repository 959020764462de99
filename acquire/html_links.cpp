#include "acquire/html_links.h"

#include <gumbo.h>

#include <string_view>

#include "acquire/html_nesting.h"
#include "acquire/url_resolve.h"

namespace arl {
namespace {

// Far deeper than any archive page; the parse of a page this deep still takes well under a second.
constexpr std::size_t kMaxNesting = 2000;

// Browsers strip ASCII whitespace around an href before resolving it.
std::string TrimUrlSpaces(std::string_view s) {
  auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; };
  while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
  return std::string(s);
}

const GumboAttribute* Href(const GumboElement& e) { return gumbo_get_attribute(&e.attributes, "href"); }

// Pre-order walk without recursion, so a deeply nested page cannot exhaust the stack.
template <typename Visit>
void WalkElements(const GumboNode* root, Visit visit) {
  std::vector<const GumboNode*> stack{root};
  while (!stack.empty()) {
    const GumboNode* node = stack.back();
    stack.pop_back();
    if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_TEMPLATE) continue;
    const GumboElement& e = node->v.element;
    visit(e);
    for (unsigned i = e.children.length; i > 0; --i) {
      stack.push_back(static_cast<const GumboNode*>(e.children.data[i - 1]));
    }
  }
}

}  // namespace

std::vector<std::string> ExtractLinkTargets(const std::string& html, const std::string& pageAddress) {
  if (!NestingWithin(html, kMaxNesting)) return {};
  // Parse errors are not wanted, and recording them copies the open-element stack for each one.
  GumboOptions options = kGumboDefaultOptions;
  options.max_errors = 0;
  GumboOutput* output = gumbo_parse_with_options(&options, html.data(), html.size());
  if (output == nullptr) return {};

  std::string base = pageAddress;
  bool baseSeen = false;
  std::vector<const GumboElement*> anchors;
  WalkElements(output->root, [&](const GumboElement& e) {
    if (e.tag == GUMBO_TAG_BASE && !baseSeen) {
      if (const GumboAttribute* href = Href(e)) {
        base = ResolveUrl(pageAddress, TrimUrlSpaces(href->value));
        baseSeen = true;
      }
    } else if (e.tag == GUMBO_TAG_A) {
      anchors.push_back(&e);
    }
  });

  std::vector<std::string> targets;
  targets.reserve(anchors.size());
  for (const GumboElement* a : anchors) {
    const GumboAttribute* href = Href(*a);
    targets.push_back(href ? ResolveUrl(base, TrimUrlSpaces(href->value)) : std::string());
  }
  gumbo_destroy_output(&options, output);
  return targets;
}

}  // namespace arl
