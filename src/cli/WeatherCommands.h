#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace zephyra::cli {

// zephyra-cli decode [--sa] [--dump] [--db FILE] [--aloft FILE] FILE: a weather load without
// the window.
int runDecodeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// Loads a weather file as the main window does, then the waypoints of a region, and prints the
// figures and every message the window would show; 0 when the load finished. With an aloft
// file the stations' layers aloft come from it where it reaches them.
int loadWeatherFile(const std::string& database, const std::string& file, bool sa, int region,
                    std::ostream& out, std::ostream& err, const std::string& aloftFile = {});
// zephyra-cli agree FILE: the METAR reader against NOAA's decode of a CSV product.
int runAgreeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// zephyra-cli show [--db FILE] ID: one Weather record, field by field.
int runShowCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// zephyra-cli aloft FILE --at LAT,LON --alt FEET [--json] [--db FILE]
int runAloftCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace zephyra::cli
