#pragma once
// The options of a run and the settings file that keeps them between starts (section "Form").
#include <string>

namespace arl {

inline constexpr char kDefaultIndexUrl[] =
    "http://www.rateloom.com/free_forex_quotes/forex_history_arhiv.html";
inline constexpr char kSettingsFileName[] = "autorateloom.ini";
inline constexpr char kLogFileName[] = "autorateloom.log";

// The option controls' values exactly as the controls hold them: texts of the edits, selected index
// of each radio group (-1 for none), the check box. They are parsed where they are used.
struct OptionValues {
  std::string EditURL = kDefaultIndexUrl;
  std::string EditLongTimeFormat = "hh:nn:ss";
  std::string EditFileHeadName = "1min_";
  std::string EditGmtGap = "-6";
  std::string EditRetryLimit = "5";
  int RadioGroup1 = 1;     // 0 keeps the ticker column, 1 drops it
  int RadioGroup2 = 0;     // 0: "/" between date parts, otherwise "-"
  int RadioGroup3 = 1;     // 1: year files go to <ticker>/1min/, otherwise <ticker>/
  bool CheckBox1 = false;  // build the all-years merge files after the run
  std::string Timeframes;  // the higher timeframes to derive, "5min,1hour,..." ("" for none)
  bool operator==(const OptionValues&) const = default;
};

struct WindowGeometry {
  int Top = 0, Left = 0, Width = 928, Height = 694;
};

struct StoredSettings {
  WindowGeometry Geometry;
  OptionValues Options;
};

// A stored radio index applied to a group of `items`: past the last item selects the last, below -1
// selects none (-1).
int ClampRadioIndex(int index, int items = 2);

// The default window position: half of (work-area edge - size as created), halves to even.
int CenteredOffset(int workAreaEdge, int sizeAsCreated);

// Reads the settings file; a missing file or key gives `defaults`' value. Radio indices are clamped.
StoredSettings ReadSettings(const std::string& path, const StoredSettings& defaults);

// Writes the fourteen keys in their fixed order (Top, Left, Width, Height, EditURL,
// EditLongTimeFormat, EditFileHeadName, EditGmtGap, EditRetryLimit, RadioGroup1..3, CheckBox1,
// Timeframes).
// Keys of other sections already in the file are kept. Raises EInOutError on failure.
// With withGeometry false the window keys are left as they are in the file (the headless front end
// has no window, and a first start of the window should still centre itself).
void WriteSettings(const std::string& path, const StoredSettings& settings, bool withGeometry = true);

}  // namespace arl
