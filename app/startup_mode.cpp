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

std::string TakeHomeArgument(std::vector<std::string>& args) {
  std::string home;
  std::vector<std::string> rest;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--home" && i + 1 < args.size()) {
      home = args[++i];
    } else if (args[i].starts_with("--home=")) {
      home = args[i].substr(7);
    } else {
      rest.push_back(args[i]);
    }
  }
  args = std::move(rest);
  return home;
}

}  // namespace arl
