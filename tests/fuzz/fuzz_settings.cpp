// Fuzzes the settings-file reader: any bytes on disk must read without a crash, and what is written
// back must read back to the same values.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/tmp/arl-fuzz-settings-" + std::to_string(::getpid()) + ".ini";
  static const bool cleanupRegistered = std::atexit([] { std::remove(path.c_str()); }) == 0;
  (void)cleanupRegistered;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  arl::StoredSettings defaults;
  arl::StoredSettings read = arl::ReadSettings(path, defaults);
  arl::WriteSettings(path, read);
  arl::StoredSettings again = arl::ReadSettings(path, defaults);
  if (again.Options.RadioGroup1 != read.Options.RadioGroup1 ||
      again.Options.CheckBox1 != read.Options.CheckBox1 || again.Geometry.Top != read.Geometry.Top ||
      again.Geometry.Width != read.Geometry.Width)
    std::abort();
  return 0;
}
