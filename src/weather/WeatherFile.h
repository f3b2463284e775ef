#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zephyra::weather {

// A day of worldwide reports is a few megabytes; anything far larger was picked by mistake.
inline constexpr std::uintmax_t kMaxWeatherFileBytes = 256ull * 1024 * 1024;

// Reads a weather file the user picked. The file is opened without blocking and checked before
// a byte is read: it must be a regular file (not a folder, a device such as /dev/zero or a
// pipe) of at most maxBytes. The file itself is never written. On failure returns false and
// reason is a sentence for the user.
bool readWeatherFile(const std::string& path, std::string& text, std::string& reason,
                     std::uintmax_t maxBytes = kMaxWeatherFileBytes);

// Writes the scratch file, replacing what it held. False with a sentence for the user when
// the file cannot be created or written in full (a full disk, a read-only folder).
bool writeScratchFile(const std::string& path, std::string_view text, std::string& reason);

// What a text in which no report was found holds, for the message that says so: "an HTML page"
// (an error or sign-in page answered in place of the file), "binary data" or "no weather
// reports".
std::string whatTextHolds(std::string_view text);

// The sentence for such a text: "The file holds an HTML page, not weather reports." or "The
// file holds no weather reports."; what names the source ("file", "download").
std::string nothingFoundSentence(std::string_view what, std::string_view text);

// The line-end repair of short files: a file that the report reader sees as fewer than ten
// lines (a line ends at CR or CR LF there) is assumed to use bare line feeds.
bool needsLineEndRepair(std::string_view text);

// The text with every line ended by CR LF: a line ends at CR LF, a lone CR or a lone LF, and
// text after the last line end is a line too. Commas are dropped, as the comma-separated
// field reader the repair comes from always dropped them.
std::string repairLineEnds(std::string_view text);

}  // namespace zephyra::weather
