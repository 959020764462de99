#pragma once
// What the archive site lists, read from the page the browser holds: the index page's day-archive
// links (the newest of them names LatestYear) and its links to the pages of single years, and a year
// page's day archives. Both the run (DiscoverYears, SyncYear) and the inventory report's --site read
// the site through these, so they agree on which link is what.
#include <string>

#include "run/session.h"
#include "support/text.h"

namespace arl {

// The index page's links to day archives, in page order.
LineList CollectArchiveLinks(Session& s);

// The year of the index page's last day-archive link. Raises ERunError (naming `indexUrl`) when
// there is no such link.
std::string LatestYearOf(const LineList& archiveLinks, const std::string& indexUrl);

struct YearPages {
  LineList years;  // four-digit texts
  LineList pages;  // the address of the page that links each year's day archives
};

// The years of the index page and their pages: the yearly pages it links, then the years after the
// newest of them up to s.LatestYear, which the index page lists itself. Raises ERunError when the
// page links no yearly page; a cancel gives an empty list.
YearPages ReadYearPages(Session& s, const std::string& indexUrl);

// The current page's "zip" links that hold "/year/" behind the host, in page order, each address
// once: a day linked twice must not look missing after it was fetched.
LineList CollectYearLinks(Session& s, const std::string& year);

}  // namespace arl
