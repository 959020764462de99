// Fuzzes the archiver plugin's command-line parser two ways: any bytes parse or fail with a reason,
// and a parsed command printed back with the adapter's quoting parses to the same command; and any
// archive path and folder, quoted by the adapter into an extract command, reach the plugin unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "plugin/command_line.h"
#include "support/archiver.h"

namespace {

using arl::TArchieverDll;
using arl::plugin::Command;
using arl::plugin::ParseCommandLine;

bool Same(const Command& a, const Command& b) {
  return a.verb == b.verb && a.overwrite == b.overwrite && a.recurse == b.recurse &&
         a.hasOutputDir == b.hasOutputDir && a.outputDir == b.outputDir && a.args == b.args &&
         a.problem == b.problem;
}

std::string Print(const Command& c) {
  std::string line(1, c.verb);
  line += c.overwrite ? " -aoa" : " -aos";
  if (c.recurse) line += " -r";
  if (c.hasOutputDir) line += " -o" + TArchieverDll::QuoteArg(c.outputDir);
  for (const std::string& arg : c.args) line += " " + TArchieverDll::QuoteArg(arg);
  return line;
}

void CheckParsed(std::string_view line) {
  const Command c = ParseCommandLine(line);
  if (!c.problem.empty()) {
    if (c.verb != 0 && c.verb != 'x' && c.verb != 'e' && c.verb != 'a') std::abort();
    return;
  }
  if (c.verb != 'x' && c.verb != 'e' && c.verb != 'a') std::abort();
  if (!Same(ParseCommandLine(Print(c)), c)) std::abort();
}

// The command the adapter builds for an extraction (its template is "x -hide -aoa %s -o%s ").
void CheckExtractCommand(const std::string& archive, const std::string& folder) {
  const std::string line =
      "x -hide -aoa " + TArchieverDll::QuoteArg(archive) + " -o" + TArchieverDll::QuoteArg(folder) + " ";
  const Command c = ParseCommandLine(line);
  if (!c.problem.empty() || c.verb != 'x' || !c.overwrite || !c.hasOutputDir) std::abort();
  if (c.outputDir != folder || c.args.size() != 1 || c.args[0] != archive) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 16 * 1024) return 0;
  const std::string_view all(reinterpret_cast<const char*>(data), size);
  CheckParsed(all);
  // The plugin receives a C string: what follows a NUL byte never reaches it.
  const std::string_view text = all.substr(0, all.find('\0'));
  const std::size_t cut = text.find('\n');
  CheckExtractCommand(std::string(text.substr(0, cut)),
                      std::string(cut == std::string_view::npos ? std::string_view() : text.substr(cut + 1)));
  return 0;
}
