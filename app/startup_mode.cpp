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

const char kWindowUsage[] =
    "Usage: autorateloom [auto] [--home DIR]\n"
    "\n"
    "Opens the window. With auto, a run starts a second after the window appears and the window\n"
    "closes when it has ended, with the exit status of autorateloom-cli; where no display can be\n"
    "opened, auto runs without the window.\n"
    "\n"
    "  --home DIR   keep settings, CurrencyList.txt, log and outputs in DIR (made when missing)\n"
    "  --help       show this text\n"
    "  --version    show the version\n"
    "\n";

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
