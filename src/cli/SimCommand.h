#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace zephyra::cli {

// "zephyra-cli sim": flies the built-in aircraft in simulated time and prints where it ended.
// args are those after the word "sim". Returns 0, or 2 for bad arguments (usage on err).
int runSimCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace zephyra::cli
