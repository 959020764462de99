#pragma once
// Whether the window program should run headless: started with "auto" where no display can be
// opened (neither DISPLAY nor WAYLAND_DISPLAY set, and no Qt platform chosen), it would otherwise
// abort before the run; the headless front end runs the same run instead.
#include <functional>

namespace arl {

using EnvLookup = std::function<const char*(const char* name)>;

bool ShouldRunHeadless(int argc, char** argv, const EnvLookup& env);

}  // namespace arl
