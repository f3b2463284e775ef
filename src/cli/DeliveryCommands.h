#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace zephyra::cli {

// zephyra-cli report [--db FILE] [--uom U|M|F] ID: the station weather report.
int runReportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// zephyra-cli closest [--db FILE] LAT LON: the closest-station text.
int runClosestCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace zephyra::cli
