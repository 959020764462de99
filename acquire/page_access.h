#pragma once
// Page access: waiting for the browser and collecting a page's links by a comma-separated filter.
#include <string>

#include "run/session.h"

namespace arl {

// Waits while the browser is busy (pump, sleep 200 ms, return at once on a cleared go-on flag), pumps,
// and does it all a second time. Always true.
bool WaitForBrowser(Session& s);

// Replaces the pane's lines by the targets of the current page's links that contain every piece of
// the filter (comma-text rule; case-sensitive; an empty piece rejects every link; no pieces accept
// all). A cleared go-on flag leaves the pane empty.
void CollectPageLinks(Session& s, const std::string& filter, Pane& pane);

}  // namespace arl
