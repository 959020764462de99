// The plugin's one export: runs an archiver command line and writes its report into the caller's
// buffer. Nothing escapes it: every failure, an exception included, becomes an "Error" report.
#include <cstdio>
#include <exception>
#include <new>

#include "command_line.h"
#include "extract.h"
#include "pack.h"
#include "report.h"

namespace arl::plugin {

namespace {

void Run(const char* commandLine, Report& report) {
  const Command command = ParseCommandLine(commandLine ? commandLine : "");
  if (!command.problem.empty()) {
    report.Problem(command.problem);
    return;
  }
  if (command.verb == 'a') {
    if (command.args.empty()) {
      report.Problem("no archive named");
      return;
    }
    PackRequest request;
    request.archive = command.args[0];
    std::size_t first = 1;
    // The argument after the archive is the base folder when it is empty or ends in "/".
    if (command.args.size() > 1 && (command.args[1].empty() || command.args[1].back() == '/'))
      request.baseDir = command.args[first++];
    request.patterns.assign(command.args.begin() + static_cast<std::ptrdiff_t>(first), command.args.end());
    PackArchive(request, report);
    return;
  }
  if (command.args.size() != 1) {
    report.Problem(command.args.empty() ? "no archive named" : "one archive at a time");
    return;
  }
  ExtractRequest request;
  request.archive = command.args[0];
  request.outputDir = command.hasOutputDir && !command.outputDir.empty() ? command.outputDir : ".";
  request.keepPaths = command.verb == 'x';
  request.overwrite = command.overwrite;
  request.limits = CurrentExtractLimits();
  ExtractArchive(request, report);
}

}  // namespace

}  // namespace arl::plugin

extern "C" __attribute__((visibility("default"))) int SevenZip(int window, const char* commandLine,
                                                               char* output, int outputSize) {
  (void)window;  // no window is ever shown
  arl::plugin::Report report;
  try {
    arl::plugin::Run(commandLine, report);
  } catch (const std::bad_alloc&) {
    report = arl::plugin::Report();
    report.Problem("out of memory");
  } catch (const std::exception& e) {
    report.Problem(e.what());
  } catch (...) {
    report.Problem("unexpected failure");
  }
  try {
    report.WriteTo(output, outputSize);
  } catch (...) {
    if (output && outputSize > 5) std::snprintf(output, static_cast<std::size_t>(outputSize), "Error");
  }
  return report.Failed() ? 2 : 0;
}
