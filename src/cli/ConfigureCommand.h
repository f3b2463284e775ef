#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace zephyra::cli {

// zephyra-cli configure: the first-run configuration without a window.
int runConfigureCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace zephyra::cli
