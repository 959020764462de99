#include "app/startup_mode.h"

#include <string_view>

namespace arl {

bool ShouldRunHeadless(int argc, char** argv, const EnvLookup& env) {
  if (argc < 2 || std::string_view(argv[1]) != "auto") return false;
  auto set = [&](const char* name) {
    const char* v = env(name);
    return v != nullptr && *v != '\0';
  };
  return !set("DISPLAY") && !set("WAYLAND_DISPLAY") && !set("QT_QPA_PLATFORM");
}

}  // namespace arl
