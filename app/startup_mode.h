#pragma once
// Whether the window program should run headless: started with "auto" where no display can be
// opened (neither DISPLAY nor WAYLAND_DISPLAY set, and no Qt platform chosen), it would otherwise
// abort before the run; the headless front end runs the same run instead.
#include <functional>
#include <string>
#include <vector>

namespace arl {

using EnvLookup = std::function<const char*(const char* name)>;

bool ShouldRunHeadless(int argc, char** argv, const EnvLookup& env);

// What `autorateloom --help` prints before the home rule.
extern const char kWindowUsage[];

// Takes "--home DIR" or "--home=DIR" out of the window's arguments and returns DIR ("" when absent);
// the other arguments stay in order.
std::string TakeHomeArgument(std::vector<std::string>& args);

}  // namespace arl
