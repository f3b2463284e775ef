#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace zephyra::cli {

// The usage of plan export, import and send.
extern const char* const kExchangeUsage;

// zephyra-cli plan generate: a plan between two airports or NAVAIDs, written as ".fpl".
int runPlanCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// zephyra-cli plan show: the plan's legs, with the winds aloft of a forecast file.
extern const char* const kPlanShowUsage;
int runPlanShowCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// zephyra-cli fly: flies a ".fpl" on the built-in aircraft in virtual time.
int runFlyCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace zephyra::cli
