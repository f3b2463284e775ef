#include "help/QuickLinks.h"

#include <sstream>

#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/Platform.h"

namespace zephyra::help {

namespace {

bool readLine(std::istream& in, std::string& line) {
    if (!std::getline(in, line)) {
        return false;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return true;
}

}  // namespace

QuickLinks loadQuickLinks(const std::string& path, QuickLinks current) {
    std::string text;
    if (!platform::readFile(path, text)) {  // regular files only; a pipe is never waited on
        return current;
    }
    std::istringstream in(text);
    std::string line;
    if (readLine(in, line)) {
        current.first = line;
        if (readLine(in, line)) {
            current.second = line;
        }
    }
    return current;
}

std::string normaliseLink(const std::string& text) {
    return text.empty() || text == " " ? std::string(kEmptyLink) : text;
}

bool saveQuickLinks(const std::string& path, const QuickLinks& links, std::string* error) {
    return platform::writeFile(
        path, normaliseLink(links.first) + "\r\n" + normaliseLink(links.second) + "\r\n", error);
}

bool usableLink(const std::string& text) {
    return !text.empty() && text != " " && text != kEmptyLink && text.front() != '-';
}

void openLink(const std::string& text, platform::Platform& platform, platform::Dialogs& dialogs) {
    if (!usableLink(text)) {
        dialogs.inform("Invalid URL in box!");
        return;
    }
    // The dialogs outlive every window: the answer may come after this one has closed.
    platform.openUrl(text, [&dialogs](bool opened) {
        if (!opened) {
            dialogs.message({"Could not find associated Browser", "Browser Not Found",
                             platform::Buttons::Ok, platform::Icon::Exclamation, 1});
        }
    });
}

}  // namespace zephyra::help
