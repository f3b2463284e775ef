#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace zephyra::cli {

// zephyra-cli decode [--sa] [--dump] [--db FILE] FILE: a weather load without the window.
int runDecodeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// zephyra-cli download [--url URL] [--out FILE] [--db FILE]: fetch the current reports and load
// them.
int runDownloadCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// zephyra-cli agree FILE: the METAR reader against NOAA's decode of a CSV product.
int runAgreeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// zephyra-cli show [--db FILE] ID: one Weather record, field by field.
int runShowCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace zephyra::cli
