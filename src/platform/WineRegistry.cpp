#include "platform/WineRegistry.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace zephyra::platform {

namespace {

// Wine writes keys and values one per line and breaks hex data every ~80 columns, so real lines
// are short; anything far longer is damage and is skipped rather than buffered.
constexpr std::size_t kMaxLine = 1 << 20;
constexpr std::size_t kMaxHexBytes = 1 << 20;

// ---- Case folding ---------------------------------------------------------------------------

// Decodes one UTF-8 sequence at pos; invalid bytes come back as themselves so that names with
// stray bytes still compare byte for byte.
char32_t nextCodePoint(std::string_view s, std::size_t& pos) {
    const auto b0 = static_cast<unsigned char>(s[pos]);
    std::size_t len = 0;
    char32_t cp = 0;
    if (b0 < 0x80) {
        ++pos;
        return b0;
    } else if ((b0 & 0xE0) == 0xC0) {
        len = 2;
        cp = b0 & 0x1Fu;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3;
        cp = b0 & 0x0Fu;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4;
        cp = b0 & 0x07u;
    } else {
        ++pos;
        return 0xDC00u + b0;  // lone byte: a private mapping that cannot collide with text
    }
    if (pos + len > s.size()) {
        ++pos;
        return 0xDC00u + b0;
    }
    for (std::size_t i = 1; i < len; ++i) {
        const auto b = static_cast<unsigned char>(s[pos + i]);
        if ((b & 0xC0) != 0x80) {
            ++pos;
            return 0xDC00u + b0;
        }
        cp = (cp << 6) | (b & 0x3Fu);
    }
    pos += len;
    return cp;
}

// Simple lower-casing for the scripts folder and key names are realistically written in; the
// registry and Windows file names ignore case beyond ASCII too.
char32_t foldCase(char32_t c) {
    if (c >= 'A' && c <= 'Z') {
        return c + 32;
    }
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) ||
        (c >= 0x410 && c <= 0x42F)) {
        return c + 32;
    }
    if (c >= 0x400 && c <= 0x40F) {
        return c + 80;
    }
    if (c == 0x178) {
        return 0xFF;
    }
    if (c >= 0x100 && c <= 0x17E && c != 0x130 && c != 0x138) {
        // Latin Extended-A pairs upper/lower as even/odd, except the 0x139..0x148 and
        // 0x179..0x17E runs which are odd/even.
        const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (oddUpper ? (c % 2 == 1) : (c % 2 == 0)) {
            return c + 1;
        }
    }
    return c;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (foldCase(nextCodePoint(a, i)) != foldCase(nextCodePoint(b, j))) {
            return false;
        }
    }
    return i == a.size() && j == b.size();
}

std::string toLowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c + 32);
        }
    }
    return out;
}

// ---- UTF-8 output ---------------------------------------------------------------------------

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Collects UTF-16 code units (what Wine's \x escapes and hex(1) data are) as UTF-8, pairing
// surrogates; unpaired ones become U+FFFD.
class Utf16ToUtf8 {
  public:
    void unit(char32_t u) {
        if (u >= 0xD800 && u <= 0xDBFF) {
            flushHigh();
            high_ = u;
            return;
        }
        if (u >= 0xDC00 && u <= 0xDFFF) {
            if (high_ != 0) {
                appendUtf8(out_, 0x10000 + ((high_ - 0xD800) << 10) + (u - 0xDC00));
                high_ = 0;
            } else {
                appendUtf8(out_, 0xFFFD);
            }
            return;
        }
        flushHigh();
        appendUtf8(out_, u);
    }
    // Bytes that were already UTF-8 in the file pass through untouched.
    void rawByte(char c) {
        flushHigh();
        out_.push_back(c);
    }
    std::string take() {
        flushHigh();
        return std::move(out_);
    }

  private:
    void flushHigh() {
        if (high_ != 0) {
            appendUtf8(out_, 0xFFFD);
            high_ = 0;
        }
    }
    std::string out_;
    char32_t high_ = 0;
};

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// ---- Line parsing ---------------------------------------------------------------------------

// Decodes an escaped string starting at pos up to the unescaped terminator, leaving pos just
// past it. The escapes are Wine's: \a \b \e \f \n \r \t \v, \xH..HHHH (a UTF-16 unit), \ooo
// (octal) and a backslash before any other character for that character.
std::optional<std::string> parseEscaped(std::string_view s, std::size_t& pos, char terminator) {
    Utf16ToUtf8 out;
    while (pos < s.size()) {
        const char c = s[pos++];
        if (c == terminator) {
            return out.take();
        }
        if (c != '\\') {
            out.rawByte(c);
            continue;
        }
        if (pos >= s.size()) {
            return std::nullopt;
        }
        const char e = s[pos++];
        switch (e) {
            case 'a':
                out.unit('\a');
                break;
            case 'b':
                out.unit('\b');
                break;
            case 'e':
                out.unit(0x1B);
                break;
            case 'f':
                out.unit('\f');
                break;
            case 'n':
                out.unit('\n');
                break;
            case 'r':
                out.unit('\r');
                break;
            case 't':
                out.unit('\t');
                break;
            case 'v':
                out.unit('\v');
                break;
            case 'x': {
                char32_t v = 0;
                int digits = 0;
                while (digits < 4 && pos < s.size() && hexDigit(s[pos]) >= 0) {
                    v = v * 16 + static_cast<char32_t>(hexDigit(s[pos++]));
                    ++digits;
                }
                if (digits == 0) {
                    out.unit('x');
                } else {
                    out.unit(v);
                }
                break;
            }
            default:
                if (e >= '0' && e <= '7') {
                    char32_t v = static_cast<char32_t>(e - '0');
                    for (int i = 0; i < 2 && pos < s.size() && s[pos] >= '0' && s[pos] <= '7';
                         ++i) {
                        v = v * 8 + static_cast<char32_t>(s[pos++] - '0');
                    }
                    out.unit(v);
                } else {
                    out.rawByte(e);
                }
                break;
        }
    }
    return std::nullopt;  // ran off the line: truncated
}

std::vector<std::string> splitKeyPath(std::string_view path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos) {
            end = path.size();
        }
        if (end > start) {
            parts.emplace_back(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return parts;
}

bool sameKey(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!equalsIgnoreCase(a[i], b[i])) {
            return false;
        }
    }
    return true;
}

std::string_view trimLeft(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) {
        ++i;
    }
    return s.substr(i);
}

std::string_view trimRight(std::string_view s) {
    std::size_t n = s.size();
    while (n > 0 && (s[n - 1] == ' ' || s[n - 1] == '\t' || s[n - 1] == '\r')) {
        --n;
    }
    return s.substr(0, n);
}

bool startsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

// Reads lines with a cap on their length; an overlong line is consumed whole and reported as
// such, keeping only its beginning.
class LineReader {
  public:
    explicit LineReader(std::istream& in) : buf_(in.rdbuf()) {}

    // False at the end of input.
    bool next(std::string& line, bool& overlong) {
        line.clear();
        overlong = false;
        if (buf_ == nullptr) {
            return false;
        }
        bool any = false;
        for (;;) {
            const auto c = buf_->sbumpc();
            if (c == std::char_traits<char>::eof()) {
                return any;
            }
            any = true;
            if (c == '\n') {
                return true;
            }
            if (line.size() < kMaxLine) {
                line.push_back(static_cast<char>(c));
            } else {
                overlong = true;
            }
        }
    }

  private:
    std::streambuf* buf_;
};

// Appends the comma-separated hex bytes of one line; false on anything else. continued says
// whether the line ended with the continuation backslash.
bool parseHexBytes(std::string_view s, std::vector<std::uint8_t>& bytes, bool& continued) {
    s = trimRight(s);
    continued = !s.empty() && s.back() == '\\';
    if (continued) {
        s.remove_suffix(1);
    }
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == ',')) {
            ++i;
        }
        if (i >= s.size()) {
            break;
        }
        const int hi = hexDigit(s[i]);
        const int lo = i + 1 < s.size() ? hexDigit(s[i + 1]) : -1;
        if (hi < 0 || lo < 0) {
            return false;
        }
        if (bytes.size() >= kMaxHexBytes) {
            return false;
        }
        bytes.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
        i += 2;
        if (i < s.size() && s[i] != ',' && s[i] != ' ' && s[i] != '\t') {
            return false;
        }
    }
    return true;
}

std::string cutAtNul(std::string s) {
    const auto nul = s.find('\0');
    if (nul != std::string::npos) {
        s.resize(nul);
    }
    return s;
}

constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegMultiSz = 7;

// The result of looking at the value the caller asked for.
struct Found {
    std::optional<std::string> text;  // nothing: present, but not a readable string
};

// Parses the data part of a value line (after '='), pulling continuation lines for hex data.
Found parseData(std::string_view data, LineReader& reader) {
    for (std::string_view prefix : {"\"", "str:\"", "str(2):\"", "str(7):\""}) {
        if (startsWith(data, prefix)) {
            std::size_t pos = prefix.size();
            auto text = parseEscaped(data, pos, '"');
            if (!text) {
                return {};
            }
            return {cutAtNul(std::move(*text))};
        }
    }
    std::uint32_t type = 0;
    std::size_t pos = 0;
    if (startsWith(data, "hex:")) {
        pos = 4;
    } else if (startsWith(data, "hex(")) {
        pos = 4;
        int digits = 0;
        while (pos < data.size() && hexDigit(data[pos]) >= 0 && digits < 8) {
            type = type * 16 + static_cast<std::uint32_t>(hexDigit(data[pos++]));
            ++digits;
        }
        if (digits == 0 || !startsWith(data.substr(pos), "):")) {
            return {};
        }
        pos += 2;
    } else {
        return {};  // dword: and anything unknown
    }
    if (type != kRegSz && type != kRegExpandSz && type != kRegMultiSz) {
        return {};
    }
    std::vector<std::uint8_t> bytes;
    bool continued = false;
    if (!parseHexBytes(data.substr(pos), bytes, continued)) {
        return {};
    }
    std::string line;
    bool overlong = false;
    while (continued) {
        if (!reader.next(line, overlong) || overlong ||
            !parseHexBytes(trimLeft(line), bytes, continued)) {
            return {};
        }
    }
    Utf16ToUtf8 out;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto unit = static_cast<char32_t>(bytes[i] | (bytes[i + 1] << 8));
        if (unit == 0) {
            break;
        }
        out.unit(unit);
    }
    return {out.take()};
}

// Skips the continuation lines of a hex value that is not the one asked for.
void skipContinuation(std::string_view line, LineReader& reader) {
    std::string next;
    bool overlong = false;
    std::string_view current = trimRight(line);
    while (!current.empty() && current.back() == '\\') {
        if (!reader.next(next, overlong)) {
            return;
        }
        current = trimRight(next);
    }
}

}  // namespace

std::optional<std::string> parseWineRegistryString(std::istream& in, std::string_view keyPath,
                                                   std::string_view valueName) {
    std::vector<std::string> wanted = splitKeyPath(keyPath);
    if (!wanted.empty() && (equalsIgnoreCase(wanted.front(), "HKEY_LOCAL_MACHINE") ||
                            equalsIgnoreCase(wanted.front(), "HKLM"))) {
        wanted.erase(wanted.begin());
    }
    const bool wantDefault = valueName.empty() || valueName == "@";

    LineReader reader(in);
    std::string line;
    bool overlong = false;
    if (!reader.next(line, overlong) || overlong) {
        return std::nullopt;
    }
    std::string_view header = trimRight(line);
    if (startsWith(header, "\xEF\xBB\xBF")) {
        header.remove_prefix(3);
    }
    if (!startsWith(header, "WINE REGISTRY Version 2")) {
        return std::nullopt;
    }

    bool inKey = false;
    while (reader.next(line, overlong)) {
        const std::string_view s = trimLeft(line);
        if (s.empty() || s[0] == ';' || s[0] == '#') {
            continue;
        }
        if (s[0] == '[') {
            inKey = false;
            if (overlong) {
                continue;
            }
            std::size_t pos = 1;
            const auto name = parseEscaped(s, pos, ']');
            inKey = name && sameKey(splitKeyPath(*name), wanted);
            continue;
        }
        if (!inKey || overlong) {
            continue;
        }
        bool isDefault = false;
        std::optional<std::string> name;
        std::size_t pos = 1;
        if (s[0] == '@') {
            isDefault = true;
        } else if (s[0] == '"') {
            name = parseEscaped(s, pos, '"');
            if (!name) {
                continue;
            }
        } else {
            continue;
        }
        const std::string_view rest = trimLeft(s.substr(pos));
        if (rest.empty() || rest[0] != '=') {
            continue;
        }
        const std::string_view data = trimLeft(rest.substr(1));
        const bool matches = wantDefault ? isDefault : (name && equalsIgnoreCase(*name, valueName));
        if (!matches) {
            if (startsWith(data, "hex")) {
                skipContinuation(data, reader);
            }
            continue;
        }
        return parseData(data, reader).text;
    }
    return std::nullopt;
}

std::optional<std::string> parseWineRegistryString(std::string_view text, std::string_view keyPath,
                                                   std::string_view valueName) {
    std::istringstream in{std::string(text)};
    return parseWineRegistryString(in, keyPath, valueName);
}

std::optional<std::string> readWineRegistryString(const std::string& regFile,
                                                  std::string_view keyPath,
                                                  std::string_view valueName) {
    std::error_code ec;
    if (!fs::is_regular_file(regFile, ec)) {
        return std::nullopt;
    }
    std::ifstream in(regFile, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return parseWineRegistryString(in, keyPath, valueName);
}

// ---- Paths ----------------------------------------------------------------------------------

namespace {

// The Unix folder a drive letter stands for. dosdevices entries are symlinks, usually relative
// (c: -> ../drive_c); the link is followed once so the result reads like the prefix the user
// knows rather than a path through dosdevices.
std::optional<fs::path> driveRoot(const std::string& winePrefix, char letter) {
    std::error_code ec;
    const fs::path link = fs::path(winePrefix) / "dosdevices" / (std::string(1, letter) + ":");
    if (fs::is_directory(link, ec)) {
        if (fs::is_symlink(link, ec)) {
            const fs::path target = fs::read_symlink(link, ec);
            if (!ec) {
                const fs::path resolved =
                    (target.is_absolute() ? target : link.parent_path() / target)
                        .lexically_normal();
                if (fs::equivalent(resolved, link, ec) && !ec) {
                    return resolved;
                }
            }
        }
        return link;
    }
    if (letter == 'c') {
        return fs::path(winePrefix) / "drive_c";
    }
    return std::nullopt;
}

// Upper-cased with the characters a short name drops removed.
std::string shortNameForm(std::string_view s) {
    std::string out;
    for (char c : s) {
        if (c == ' ' || c == '.' || c == '[' || c == ']' || c == '+' || c == ',' || c == ';' ||
            c == '=') {
            continue;
        }
        out.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c);
    }
    return out;
}

// Matches an 8.3 name such as "PROGRA~1" or "MICROS~2.TXT" against long names: the part before
// '~' must begin the long name, the extension must begin the long extension. Among several
// candidates a decimal tail picks the n-th in name order, the usual assignment order.
std::optional<std::string> matchShortName(std::string_view shortName,
                                          const std::vector<std::string>& entries) {
    const auto tilde = shortName.find('~');
    if (tilde == std::string_view::npos || tilde == 0) {
        return std::nullopt;
    }
    const auto dot = shortName.find('.', tilde);
    const std::string base = shortNameForm(shortName.substr(0, tilde));
    const std::string_view tail = shortName.substr(
        tilde + 1, dot == std::string_view::npos ? std::string_view::npos : dot - tilde - 1);
    const std::string ext =
        dot == std::string_view::npos ? std::string() : shortNameForm(shortName.substr(dot + 1));
    if (base.size() > 8 || tail.empty() || ext.size() > 3) {
        return std::nullopt;
    }
    std::vector<std::string> candidates;
    for (const std::string& e : entries) {
        const auto lastDot = e.rfind('.');
        const bool hasExt = lastDot != std::string::npos && lastDot > 0;
        const std::string longBase = shortNameForm(hasExt ? e.substr(0, lastDot) : e);
        const std::string longExt = hasExt ? shortNameForm(e.substr(lastDot + 1)) : std::string();
        if (startsWith(longBase, base) && startsWith(longExt, ext) &&
            (ext.empty() == longExt.empty())) {
            candidates.push_back(e);
        }
    }
    if (candidates.size() == 1) {
        return candidates.front();
    }
    if (candidates.empty() ||
        !std::all_of(tail.begin(), tail.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        tail.size() > 6) {
        return std::nullopt;
    }
    const auto n = static_cast<std::size_t>(std::stoul(std::string(tail)));
    if (n == 0 || n > candidates.size()) {
        return std::nullopt;
    }
    std::sort(candidates.begin(), candidates.end());
    return candidates[n - 1];
}

// The real spelling of name inside dir: exact if it exists, else a case-insensitive match (the
// first in name order when several differ only by case), else a short-name match, else as
// written.
std::string resolveComponent(const fs::path& dir, const std::string& name) {
    std::error_code ec;
    if (fs::exists(fs::symlink_status(dir / name, ec))) {
        return name;
    }
    if (!fs::is_directory(dir, ec)) {
        return name;
    }
    std::vector<std::string> entries;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        entries.push_back(it->path().filename().string());
    }
    std::sort(entries.begin(), entries.end());
    for (const std::string& e : entries) {
        if (equalsIgnoreCase(e, name)) {
            return e;
        }
    }
    if (auto shortMatch = matchShortName(name, entries)) {
        return *shortMatch;
    }
    return name;
}

std::string trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

}  // namespace

std::optional<std::string> windowsPathToUnix(const std::string& winePrefix,
                                             const std::string& windowsPath) {
    std::string p = trimmed(windowsPath);
    // Installers sometimes store the folder quoted.
    if (p.size() >= 2 && p.front() == '"' && p.back() == '"') {
        p = trimmed(p.substr(1, p.size() - 2));
    }
    std::replace(p.begin(), p.end(), '/', '\\');
    for (std::string_view prefix : {"\\\\?\\", "\\??\\"}) {
        if (startsWith(p, prefix)) {
            p.erase(0, prefix.size());
        }
    }
    if (p.size() < 2 || p[1] != ':' || !std::isalpha(static_cast<unsigned char>(p[0]))) {
        return std::nullopt;
    }
    if (p.size() > 2 && p[2] != '\\') {
        return std::nullopt;  // "C:foo" is relative to the drive's current folder
    }
    const char letter = toLowerAscii(p.substr(0, 1))[0];
    const auto root = driveRoot(winePrefix, letter);
    if (!root) {
        return std::nullopt;
    }

    std::vector<std::string> parts;
    for (const std::string& raw : splitKeyPath(std::string_view(p).substr(2))) {
        if (raw == ".") {
            continue;
        }
        if (raw == "..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
            continue;
        }
        fs::path dir = *root;
        for (const std::string& part : parts) {
            dir /= part;
        }
        parts.push_back(resolveComponent(dir, raw));
    }
    fs::path result = *root;
    for (const std::string& part : parts) {
        result /= part;
    }
    std::string out = result.string();
    while (out.size() > 1 && out.back() == '/') {
        out.pop_back();
    }
    return out;
}

std::optional<std::string> fs98FolderFromWine(const std::string& winePrefix) {
    if (winePrefix.empty()) {
        return std::nullopt;
    }
    const std::string regFile = (fs::path(winePrefix) / "system.reg").string();
    for (std::string_view key : {kFs98RegistryKey, kFs98RegistryKeyWow64}) {
        const auto path = readWineRegistryString(regFile, key, "Path");
        if (!path || trimmed(*path).empty()) {
            continue;
        }
        if (auto unixPath = windowsPathToUnix(winePrefix, *path)) {
            return unixPath;
        }
    }
    return std::nullopt;
}

std::string defaultWinePrefix() {
    if (const char* prefix = std::getenv("WINEPREFIX"); prefix != nullptr && *prefix != '\0') {
        return prefix;
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return std::string(home) + "/.wine";
    }
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* result = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 &&
        result != nullptr && result->pw_dir != nullptr && *result->pw_dir != '\0') {
        return std::string(result->pw_dir) + "/.wine";
    }
    return {};
}

}  // namespace zephyra::platform
