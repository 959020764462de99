#pragma once
// The folders of a currency's year files, made before the conversion writes into them.
#include <string>

#include "run/session.h"

namespace arl {

// Creates DataDir + ticker + "/" and then the "1min/" level below it when used; failures are left to
// the file operations that follow.
void CreateTickerDirs(const Paths& paths, const RunOptions& options, const std::string& ticker);

}  // namespace arl
