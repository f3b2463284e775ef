#include "weather/WeatherFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "platform/Files.h"
#include "weather/LineEnds.h"
#include "weather/NoaaProducts.h"

namespace zephyra::weather {

namespace {

std::string systemError() {
    return std::strerror(errno);
}

// Closes a descriptor when it goes out of scope.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    // Closes now and tells whether the close went well (a write may fail only here).
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

  private:
    int fd_;
};

}  // namespace

bool readWeatherFile(const std::string& path, std::string& text, std::string& reason,
                     std::uintmax_t maxBytes) {
    return platform::readRegularFile(path, text, reason, maxBytes, "weather file");
}

bool writeScratchFile(const std::string& path, std::string_view text, std::string& reason) {
    const auto failed = [&](const char* what) {
        reason =
            "The repaired copy \"" + path + "\" could not be " + what + " (" + systemError() + ").";
        return false;
    };
    // Written over the previous copy and then cut to length: emptying it first would make the
    // file system free its blocks and, at the close, write the new ones out at once.
    Descriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
    if (fd.get() < 0) {
        return failed("created");
    }
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd.get(), text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return failed("written");
        }
        done += static_cast<std::size_t>(n);
    }
    if (::ftruncate(fd.get(), static_cast<off_t>(text.size())) != 0) {
        return failed("written");
    }
    if (!fd.close()) {
        return failed("written");
    }
    return true;
}

std::string whatTextHolds(std::string_view text) {
    std::string head;
    for (const char c : text.substr(0, 1024)) {
        head.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    }
    for (const char* tag : {"<!doctype html", "<html", "<head", "<body", "<title"}) {
        if (head.find(tag) != std::string::npos) {
            return "an HTML page";
        }
    }
    // Text has few control characters besides its line ends and tabs.
    const std::string_view sample = text.substr(0, 4096);
    const auto controls = std::count_if(sample.begin(), sample.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return (b < 0x20 && c != '\r' && c != '\n' && c != '\t') || b == 0x7f;
    });
    if (controls * 20 > static_cast<std::ptrdiff_t>(sample.size())) {
        return "binary data";
    }
    return "no weather reports";
}

std::string nothingFoundSentence(std::string_view what, std::string_view text) {
    const std::string found = whatTextHolds(text);
    return "The " + std::string(what) + " holds " + found +
           (found == "no weather reports" ? "." : ", not weather reports.");
}

bool needsLineEndRepair(std::string_view text) {
    // Compressed and CSV products are read as they are; dropping their commas would spoil them.
    if (looksGzipped(text) || csvHeaderStart(text)) {
        return false;
    }
    return countReaderLines(text) < 10;
}

namespace {

// How often c occurs in text, found by the library's search (a plain count goes a byte at a
// time).
std::size_t occurrences(std::string_view text, char c) {
    std::size_t n = 0;
    for (auto at = text.find(c); at != std::string_view::npos; at = text.find(c, at + 1)) {
        ++n;
    }
    return n;
}

}  // namespace

std::string repairLineEnds(std::string_view text) {
    // Each line end grows by one character at most, and a last line without one by two. The
    // copy is written in place and cut to length: a file has some fifteen thousand lines.
    std::string out(text.size() + occurrences(text, '\n') + occurrences(text, '\r') + 2, '\0');
    char* to = out.data();
    const auto copy = [&to](std::string_view piece) {
        std::memcpy(to, piece.data(), piece.size());
        to += piece.size();
    };
    const bool commas = text.find(',') != std::string_view::npos;
    forEachLine(text, [&](std::string_view line) {
        // Commas are dropped; a line is copied in the pieces between them.
        for (auto comma = commas ? line.find(',') : std::string_view::npos;
             comma != std::string_view::npos; comma = line.find(',')) {
            copy(line.substr(0, comma));
            line.remove_prefix(comma + 1);
        }
        copy(line);
        copy("\r\n");
    });
    out.resize(static_cast<std::size_t>(to - out.data()));
    return out;
}

}  // namespace zephyra::weather
