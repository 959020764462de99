#pragma once
// autorateloom-cli as a child process: started with its stdout and stderr in files, waited for (up to
// a minute, then killed and reported), with a hook to act on it while it runs.
#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace arl::test {

struct ProcessOutcome {
  int status = -1;  // exit status, or -1 when it did not exit normally
  std::string out, err;
};

// Runs the built autorateloom-cli with `args`; `whileRunning` gets its process id once it started.
ProcessOutcome RunCliProcess(std::vector<std::string> args,
                             const std::function<void(pid_t)>& whileRunning = nullptr);

}  // namespace arl::test
