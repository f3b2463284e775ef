#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace zephyra::cli {

// "zephyra-cli build-db": builds vanedb.mdb (stations and waypoints) from the raw data files,
// keeping the weather of the file it replaces. args are those after the word "build-db".
// Returns 0, 1 when the build failed (the old file is left as it was), 2 for bad arguments.
int runBuildDbCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace zephyra::cli
