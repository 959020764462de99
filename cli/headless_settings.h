#pragma once
// The settings file as the headless front end keeps it: the options are read with the window's
// defaults and written back at the start of every run; the window geometry, which has no meaning
// here, is written back exactly as read. When the file has no geometry yet, only the options are
// written, so that the window still centres itself on its first start. Saving raises EInOutError
// when the file cannot be written.
#include <string>

#include "support/settings.h"

namespace arl {

class HeadlessSettings {
 public:
  explicit HeadlessSettings(std::string path);  // reads the file (missing file or keys: defaults)
  const std::string& Path() const { return path_; }
  const OptionValues& Options() const { return stored_.Options; }
  void Save() const;

 private:
  std::string path_;
  StoredSettings stored_;
  bool hasGeometry_ = false;
};

}  // namespace arl
