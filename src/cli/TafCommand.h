#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace zephyra::cli {

// zephyra-cli taf [FILE] ID [--at DDHHMMZ|ISO-TIME] [--json]: a station's TAF from a file (NOAA's
// bulletins or its tafs.cache.csv, gzip or not), decoded a period a line; with --at, the
// forecast at that time. 0 when the TAF was found (and covers the time asked for).
int runTafCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace zephyra::cli
