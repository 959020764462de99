#pragma once
// The year marker in a year's archive folder: an empty file whose presence says that the year's
// page listed nothing missing at its last visit and its year files were then brought up to date.
namespace arl {
inline constexpr char kYearMarkerName[] = "complete.arlm";
}  // namespace arl
