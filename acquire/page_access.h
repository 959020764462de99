#pragma once
// Page access: waiting for the browser and collecting a page's links by a comma-separated filter.
#include <string>

#include "run/session.h"

namespace arl {

// Returns when the page being loaded has loaded or failed, or at once when the run is cancelled.
void WaitForBrowser(Session& s);

// The targets of the current page's links that contain every piece of the filter, in page order,
// duplicates kept (comma-text rule; case-sensitive; an empty piece rejects every link; no pieces
// accept all). A cancel gives an empty list.
LineList CollectPageLinks(Session& s, const std::string& filter);

}  // namespace arl
