#pragma once
// Resolving a link against the address of the page that holds it, as a browser does.
#include <string>

namespace arl {

// The absolute address of `reference` read on the page at `base` (relative paths, "/path",
// "//host/path", "?query", "#fragment" and full addresses). A reference that cannot be resolved (an
// unknown scheme such as "mailto:", a malformed base) is returned as written.
std::string ResolveUrl(const std::string& base, const std::string& reference);

}  // namespace arl
