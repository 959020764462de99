// A scripted stand-in for an archiver library: its command entry answers from the command line.
//   "echo <text>"   writes <text> as the report
//   "fill <n>"      writes n letters and no NUL (the caller's buffer must end it)
//   "throw <text>"  raises std::runtime_error(<text>)
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

extern "C" __attribute__((visibility("default"))) int FakeEntry(int, const char* commandLine, char* output,
                                                                int outputSize) {
  const std::string command = commandLine;
  if (command.rfind("echo ", 0) == 0) {
    const std::string text = command.substr(5);
    const std::size_t n = std::min(text.size(), static_cast<std::size_t>(outputSize) - 1);
    std::memcpy(output, text.data(), n);
    output[n] = '\0';
  } else if (command.rfind("fill ", 0) == 0) {
    const int n = std::min(std::atoi(command.c_str() + 5), outputSize);
    std::memset(output, 'a', static_cast<std::size_t>(n));
  } else if (command.rfind("throw ", 0) == 0) {
    throw std::runtime_error(command.substr(6));
  }
  return 0;
}
