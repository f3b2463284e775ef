#pragma once

// What every fuzz target shares: a check that stops the run where a promise breaks, and a
// scratch path of this process for the targets that go through files.

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace zephyra::fuzz {

inline void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// A path in the temporary folder named after the target and this process.
inline std::filesystem::path scratchPath(const std::string& tag) {
    return std::filesystem::temp_directory_path() /
           ("zephyra-fuzz-" + tag + "-" + std::to_string(::getpid()));
}

}  // namespace zephyra::fuzz
