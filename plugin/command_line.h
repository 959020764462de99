#pragma once
// The archiver's command line: a command letter, switches and arguments.
//   x  extract with stored paths, e  extract without paths, a  add to an archive.
//   -hide (no progress window: accepted and ignored), -aoa overwrite, -aos skip existing,
//   -y (accepted), -r recurse, -o<dir> output directory (the directory may be quoted right after -o).
// An argument in double quotes may hold blanks, and a doubled quote inside stands for one ("a""b"
// is a"b). A token that starts with a quote is never a switch. Parsing fails with a message in
// `problem` for an unknown command or switch and an unterminated quote.
#include <string>
#include <string_view>
#include <vector>

namespace arl::plugin {

struct Command {
  char verb = 0;          // 'x', 'e' or 'a'
  bool overwrite = true;  // -aoa (the default) or -aos
  bool recurse = false;   // -r
  bool hasOutputDir = false;
  std::string outputDir;  // -o<dir>
  std::vector<std::string> args;
  std::string problem;  // empty when the line parsed
};

Command ParseCommandLine(std::string_view line);

}  // namespace arl::plugin
