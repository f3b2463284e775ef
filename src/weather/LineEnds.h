#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace zephyra::weather {

// Calls visit with every line of a file, at CR LF, a lone CR or a lone LF; a final line end does
// not start another line.
template <typename Visit>
void forEachLine(std::string_view text, Visit&& visit) {
    // The next CR and the next LF, each found by a library search and kept until passed.
    std::size_t start = 0;
    std::size_t cr = text.find('\r');
    std::size_t lf = text.find('\n');
    while (start < text.size()) {
        if (cr < start) {
            cr = text.find('\r', start);
        }
        if (lf < start) {
            lf = text.find('\n', start);
        }
        const std::size_t end = std::min(cr, lf);
        if (end == std::string_view::npos) {
            visit(text.substr(start));
            return;
        }
        visit(text.substr(start, end - start));
        start = end + (text[end] == '\r' && end + 1 == lf ? 2 : 1);
    }
}

// What a decoder reads of a line: no byte-order mark, nothing from the first line end on.
inline std::string_view cleanReportLine(std::string_view line) {
    if (line.starts_with("\xEF\xBB\xBF")) {
        line.remove_prefix(3);
    }
    // Two library searches: lines are long enough for them to beat a plain loop.
    line = line.substr(0, line.find('\r'));
    line = line.substr(0, line.find('\n'));
    return line;
}

// Counts lines the way the report reader of the line-end repair sees them: a line ends at CR or
// CR LF, and text after the last CR is one more line.
int countReaderLines(std::string_view text);

}  // namespace zephyra::weather
