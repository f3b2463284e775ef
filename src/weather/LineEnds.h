#pragma once

#include <string>

namespace zephyra::weather {

// Counts lines the way the report reader sees them: a line ends at CR or CR LF.
int countReaderLines(const std::string& text);

// Files saved with bare line feeds look like one long line to the report reader. When a file
// has fewer than ten reader lines it is rewritten through the scratch file with CR LF line
// ends (commas dropped, as the field reader always did) and moved back over the original.
// Returns true when the file was rewritten; on failure the original is left untouched and
// error says why.
bool repairBareLineFeeds(const std::string& path, const std::string& scratchPath,
                         std::string* error = nullptr);

}  // namespace zephyra::weather
