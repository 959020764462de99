#pragma once
// The report's --site part: the index page and every year page of the archive site, loaded with the
// run's page browser, give the days the site lists; those without a day file on disk are the
// report's not_on_disk. Nothing is downloaded and nothing is written. A site that cannot be read
// leaves the reason in the model (siteError); the rest of the report is made all the same.
#include "cli/report_model.h"
#include "support/home_layout.h"

namespace arl {

void ReadSite(ReportModel& report, const RunOptions& options, const Paths& paths);

}  // namespace arl
