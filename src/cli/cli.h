// The calculator without windows: read a plan, choose beacons, compute, print, export, save.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace kestrun::cli {

/// Runs the command line; writes the tables to `out` and messages to `err`. Returns the exit
/// status: 0 success, 1 a file could not be read or written, 2 a usage error.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace kestrun::cli
