#include "weather/LineEnds.h"

namespace zephyra::weather {

int countReaderLines(std::string_view text) {
    int lines = 0;
    std::size_t lineStart = 0;
    for (auto i = text.find('\r'); i != std::string_view::npos; i = text.find('\r', i + 1)) {
        ++lines;
        if (i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
        }
        lineStart = i + 1;
    }
    // Text after the last line end (bare line feeds included) is one more line.
    if (lineStart < text.size()) {
        ++lines;
    }
    return lines;
}

}  // namespace zephyra::weather
