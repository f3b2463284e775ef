#pragma once

#include <zlib.h>

#include <stdexcept>
#include <string>

namespace zephyra::test {

// The real files kept under tests/data (tests/data/README.md names their sources), inflated:
// NAME is relative to that folder, and NAME.gz is read when NAME itself is not there. A file
// that is missing or damaged throws, so a test that needs it fails instead of passing unrun.
inline std::string realData(const std::string& name) {
    const std::string base = std::string(ZEPHYRA_SOURCE_DIR) + "/tests/data/" + name;
    gzFile in = gzopen(base.c_str(), "rb");  // reads a plain file as it is
    if (in == nullptr) {
        in = gzopen((base + ".gz").c_str(), "rb");
    }
    if (in == nullptr) {
        throw std::runtime_error("tests/data/" + name + " is missing");
    }
    std::string text;
    char buffer[1 << 16];
    int got = 0;
    while ((got = gzread(in, buffer, sizeof buffer)) > 0) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    const int closed = gzclose(in);
    if (got < 0 || closed != Z_OK || text.empty()) {
        throw std::runtime_error("tests/data/" + name + " could not be read");
    }
    return text;
}

}  // namespace zephyra::test
