#include "cli/headless_settings.h"

#include "support/profile.h"

namespace arl {

namespace {
constexpr char kSection[] = "Form";
}

HeadlessSettings::HeadlessSettings(std::string path) : path_(std::move(path)) {
  stored_ = ReadSettings(path_, StoredSettings{});
  ProfileFile file(path_);
  hasGeometry_ = file.HasKey(kSection, "Top") && file.HasKey(kSection, "Left") &&
                 file.HasKey(kSection, "Width") && file.HasKey(kSection, "Height");
}

void HeadlessSettings::Save() const {
  if (hasGeometry_) {
    WriteSettings(path_, stored_);
    return;
  }
  const OptionValues& o = stored_.Options;
  ProfileFile file(path_);
  file.WriteString(kSection, "EditURL", o.EditURL);
  file.WriteString(kSection, "EditLongTimeFormat", o.EditLongTimeFormat);
  file.WriteString(kSection, "EditFileHeadName", o.EditFileHeadName);
  file.WriteString(kSection, "EditGmtGap", o.EditGmtGap);
  file.WriteString(kSection, "EditRetryLimit", o.EditRetryLimit);
  file.WriteInteger(kSection, "RadioGroup1", o.RadioGroup1);
  file.WriteInteger(kSection, "RadioGroup2", o.RadioGroup2);
  file.WriteInteger(kSection, "RadioGroup3", o.RadioGroup3);
  file.WriteBool(kSection, "CheckBox1", o.CheckBox1);
  file.Save();
}

}  // namespace arl
