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

void HeadlessSettings::Save() const { WriteSettings(path_, stored_, hasGeometry_); }

}  // namespace arl
