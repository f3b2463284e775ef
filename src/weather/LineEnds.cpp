#include "weather/LineEnds.h"

#include <filesystem>
#include <system_error>

#include "platform/Files.h"
#include "weather/NoaaProducts.h"

namespace zephyra::weather {

int countReaderLines(const std::string& text) {
    int lines = 0;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            ++lines;
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            lineStart = i + 1;
        }
    }
    // Text after the last line end (bare line feeds included) is one more line.
    if (lineStart < text.size()) {
        ++lines;
    }
    return lines;
}

bool repairBareLineFeeds(const std::string& path, const std::string& scratchPath,
                         std::string* error) {
    std::string text;
    if (!platform::readFile(path, text)) {
        if (error != nullptr) {
            *error = "\"" + path + "\" could not be read.";
        }
        return false;
    }
    // Compressed and CSV products are read as they are; dropping their commas would spoil them.
    if (looksGzipped(text) || csvHeaderStart(text) || countReaderLines(text) >= 10) {
        return false;
    }
    std::string out;
    out.reserve(text.size() + text.size() / 40);
    std::string line;
    for (const char c : text) {
        if (c == '\n') {
            out += line;
            out += "\r\n";
            line.clear();
        } else if (c != '\r' && c != ',') {
            line.push_back(c);
        }
    }
    // A last line without a line end is kept too.
    if (!line.empty()) {
        out += line;
        out += "\r\n";
    }
    if (!platform::writeFile(scratchPath, out, error)) {
        return false;
    }
    std::error_code ec;
    std::filesystem::rename(scratchPath, path, ec);
    if (ec) {
        // Another file system: copy over the original, then drop the scratch file.
        if (!platform::copyFile(scratchPath, path, error)) {
            return false;
        }
        std::filesystem::remove(scratchPath, ec);
    }
    return true;
}

}  // namespace zephyra::weather
