#pragma once

#include <string>

namespace zephyra::platform {
class Dialogs;
class Platform;
}  // namespace zephyra::platform

namespace zephyra::help {

// The placeholder of a box that holds no address, on screen and in "quick.txt".
inline constexpr const char* kEmptyLink = "Empty";
inline constexpr const char* kQuickLinkFile = "quick.txt";
inline constexpr const char* kQuickLinkText =
    "Enter your favorite link in the boxes below. When you press the Go button your browser will "
    "open the link. When you exit, Quick Link will remember the URLs you entered. ";

// The two remembered addresses.
struct QuickLinks {
    std::string first = kEmptyLink;
    std::string second = kEmptyLink;
};

// Reads the two lines of the file; a missing or short file leaves the boxes as they were
// (given as current). CR LF and LF line ends both read.
QuickLinks loadQuickLinks(const std::string& path, QuickLinks current = {});
// An empty box or a single blank is stored as "Empty".
std::string normaliseLink(const std::string& text);
// Writes both boxes, normalised, as two CR LF lines, replacing the file whole; false with the
// reason in error when it cannot be written (the old file then stays as it was).
bool saveQuickLinks(const std::string& path, const QuickLinks& links, std::string* error = nullptr);

// True when the box holds an address to open: not "Empty", not empty, not a single blank, and
// not beginning with "-" (the opener would take it for one of its options).
bool usableLink(const std::string& text);
// Go: refuses an unusable box with "Invalid URL in box!", else hands the text unchanged to the
// user's browser, saying "Could not find associated Browser" when there is none.
void openLink(const std::string& text, platform::Platform& platform, platform::Dialogs& dialogs);

}  // namespace zephyra::help
