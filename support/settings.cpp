#include "support/settings.h"

#include <iterator>
#include <string_view>

#include "support/profile.h"

namespace arl {

namespace {
constexpr char kSection[] = "Form";
}

int ClampRadioIndex(int index, int items) {
  if (index >= items) return items - 1;
  if (index < -1) return -1;
  return index;
}

// Half of the difference, a half going to the even neighbour (355 -> 178, 357 -> 178).
int CenteredOffset(int workAreaEdge, int sizeAsCreated) {
  const long long difference = static_cast<long long>(workAreaEdge) - sizeAsCreated;
  long long half = difference >= 0 ? difference / 2 : -((-difference + 1) / 2);  // rounded down
  if (difference - 2 * half == 1 && half % 2 != 0) ++half;
  return static_cast<int>(half);
}

StoredSettings ReadSettings(const std::string& path, const StoredSettings& defaults) {
  const ProfileFile file(path);
  StoredSettings s;
  const WindowGeometry& g = defaults.Geometry;
  s.Geometry.Top = file.ReadInteger(kSection, "Top", g.Top);
  s.Geometry.Left = file.ReadInteger(kSection, "Left", g.Left);
  s.Geometry.Width = file.ReadInteger(kSection, "Width", g.Width);
  s.Geometry.Height = file.ReadInteger(kSection, "Height", g.Height);
  const OptionValues& d = defaults.Options;
  OptionValues& o = s.Options;
  o.EditURL = file.ReadString(kSection, "EditURL", d.EditURL);
  o.EditLongTimeFormat = file.ReadString(kSection, "EditLongTimeFormat", d.EditLongTimeFormat);
  o.EditFileHeadName = file.ReadString(kSection, "EditFileHeadName", d.EditFileHeadName);
  o.EditGmtGap = file.ReadString(kSection, "EditGmtGap", d.EditGmtGap);
  o.EditRetryLimit = file.ReadString(kSection, "EditRetryLimit", d.EditRetryLimit);
  o.RadioGroup1 = ClampRadioIndex(file.ReadInteger(kSection, "RadioGroup1", d.RadioGroup1));
  o.RadioGroup2 = ClampRadioIndex(file.ReadInteger(kSection, "RadioGroup2", d.RadioGroup2));
  o.RadioGroup3 = ClampRadioIndex(file.ReadInteger(kSection, "RadioGroup3", d.RadioGroup3));
  o.CheckBox1 = file.ReadBool(kSection, "CheckBox1", d.CheckBox1);
  o.Timeframes = file.ReadString(kSection, "Timeframes", d.Timeframes);
  return s;
}

void WriteSettings(const std::string& path, const StoredSettings& settings, bool withGeometry) {
  ProfileFile file(path);
  static constexpr const char* kKeys[] = {"Top",
                                          "Left",
                                          "Width",
                                          "Height",
                                          "EditURL",
                                          "EditLongTimeFormat",
                                          "EditFileHeadName",
                                          "EditGmtGap",
                                          "EditRetryLimit",
                                          "RadioGroup1",
                                          "RadioGroup2",
                                          "RadioGroup3",
                                          "CheckBox1",
                                          "Timeframes"};
  constexpr std::size_t kGeometryKeys = 4;  // Top, Left, Width, Height come first
  // Re-adding the keys puts them in the fixed order even when the file was edited by hand.
  for (std::size_t i = withGeometry ? 0 : kGeometryKeys; i < std::size(kKeys); ++i)
    file.DeleteKey(kSection, kKeys[i]);
  if (withGeometry) {
    const WindowGeometry& g = settings.Geometry;
    file.WriteInteger(kSection, "Top", g.Top);
    file.WriteInteger(kSection, "Left", g.Left);
    file.WriteInteger(kSection, "Width", g.Width);
    file.WriteInteger(kSection, "Height", g.Height);
  }
  const OptionValues& o = settings.Options;
  file.WriteString(kSection, "EditURL", o.EditURL);
  file.WriteString(kSection, "EditLongTimeFormat", o.EditLongTimeFormat);
  file.WriteString(kSection, "EditFileHeadName", o.EditFileHeadName);
  file.WriteString(kSection, "EditGmtGap", o.EditGmtGap);
  file.WriteString(kSection, "EditRetryLimit", o.EditRetryLimit);
  file.WriteInteger(kSection, "RadioGroup1", o.RadioGroup1);
  file.WriteInteger(kSection, "RadioGroup2", o.RadioGroup2);
  file.WriteInteger(kSection, "RadioGroup3", o.RadioGroup3);
  file.WriteBool(kSection, "CheckBox1", o.CheckBox1);
  file.WriteString(kSection, "Timeframes", o.Timeframes);
  file.Save();
}

}  // namespace arl
