#include "shell/ParamFile.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "platform/Files.h"

namespace zephyra::shell {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string trim(const std::string& s) {
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && isBlank(s[b])) {
        ++b;
    }
    while (e > b && isBlank(s[e - 1])) {
        --e;
    }
    return s.substr(b, e - b);
}

// Lines end at CR LF, a lone CR or a lone LF; a final line end does not start another line.
std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string current;
    bool pending = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(current);
            current.clear();
            pending = false;
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            current.push_back(c);
            pending = true;
        }
    }
    if (pending) {
        lines.push_back(current);
    }
    return lines;
}

}  // namespace

double roundHalfEven(double value) {
    const double floorValue = std::floor(value);
    const double diff = value - floorValue;
    if (diff > 0.5) {
        return floorValue + 1.0;
    }
    if (diff < 0.5) {
        return floorValue;
    }
    return std::fmod(floorValue, 2.0) == 0.0 ? floorValue : floorValue + 1.0;
}

std::optional<double> toNumber(const std::string& text) {
    const std::string t = trim(text);
    if (t.empty()) {
        return std::nullopt;
    }
    // Only plain decimal notation: sign, digits, one point, optional exponent.
    std::size_t i = 0;
    if (t[i] == '+' || t[i] == '-') {
        ++i;
    }
    bool digits = false;
    while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) {
        ++i;
        digits = true;
    }
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) {
            ++i;
            digits = true;
        }
    }
    if (!digits) {
        return std::nullopt;
    }
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < t.size() && (t[j] == '+' || t[j] == '-')) {
            ++j;
        }
        bool expDigits = false;
        while (j < t.size() && std::isdigit(static_cast<unsigned char>(t[j]))) {
            ++j;
            expDigits = true;
        }
        if (!expDigits) {
            return std::nullopt;
        }
        i = j;
    }
    if (i != t.size()) {
        return std::nullopt;
    }
    errno = 0;
    const double v = std::strtod(t.c_str(), nullptr);
    if (errno == ERANGE || !std::isfinite(v)) {
        return std::nullopt;
    }
    return v;
}

std::optional<std::int16_t> toInt16(const std::string& text) {
    const auto v = toNumber(text);
    if (!v) {
        return std::nullopt;
    }
    const double r = roundHalfEven(*v);
    if (r < -32768.0 || r > 32767.0) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(r);
}

ParamReadResult parseParamText(const std::string& text, Settings& settings) {
    const auto lines = splitLines(text);
    int lineNo = 0;
    for (const auto& line : lines) {
        ++lineNo;
        const auto eq = line.find('=');
        if (eq == std::string::npos) {
            return {false, lineNo, "line " + std::to_string(lineNo) + " has no \"=\""};
        }
        const std::string key = line.substr(0, eq);
        const std::string value = line.substr(eq + 1);

        auto intField = [&](std::int16_t& field) -> bool {
            const auto v = toInt16(value);
            if (!v) {
                return false;
            }
            field = *v;
            return true;
        };
        bool ok = true;
        if (key == "UnlimitedVis") {
            ok = intField(settings.UnlimitedVis);
        } else if (key == "98Path") {
            settings.Path98 = value;
        } else if (key == "UOM") {
            settings.UOM = value;
        } else if (key == "MaxTurb") {
            ok = intField(settings.MaxTurb);
        } else if (key == "Wind") {
            settings.Wind = value != "False";
        } else if (key == "Wayp") {
            ok = intField(settings.Wayp);
        } else if (key == "QSend") {
            settings.QSend = value == "False" ? "False" : "True";
        } else if (key == "FP_Dist") {
            ok = intField(settings.FP_Dist);
        } else if (key == "AP_Upd") {
            ok = intField(settings.AP_Upd);
        } else if (key == "WPC_INC") {
            ok = intField(settings.WPC_INC);
        } else if (key == "WPN_INC") {
            ok = intField(settings.WPN_INC);
        } else if (key == "WPW_INC") {
            ok = intField(settings.WPW_INC);
        } else if (key == "NewClouds") {
            const auto v = toNumber(value);
            ok = v.has_value();
            if (ok) {
                settings.NewClouds = *v == 1.0;
            }
        }
        if (!ok) {
            return {false, lineNo,
                    "line " + std::to_string(lineNo) + ": \"" + value + "\" is not a valid " + key +
                        " value"};
        }
    }
    settings.WindText = settings.Wind ? "True" : "False";
    return {true, 0, {}};
}

ParamReadResult readParamFile(const std::string& path, Settings& settings) {
    std::string text;
    if (!platform::readFile(path, text)) {
        return {false, 0, "\"" + path + "\" could not be opened"};
    }
    return parseParamText(text, settings);
}

std::string formatParamFile(const Settings& s, const std::optional<std::string>& fpDistText) {
    const std::string crlf = "\r\n";
    std::string out;
    out += "UnlimitedVis=" + std::to_string(s.UnlimitedVis) + crlf;
    out += "98Path=" + s.Path98 + crlf;
    out += "MaxTurb=" + std::to_string(s.MaxTurb) + crlf;
    out += "UOM=" + s.UOM + crlf;
    out += std::string("Wind=") + (s.Wind ? "True" : "False") + crlf;
    out += "Wayp=" + std::to_string(s.Wayp) + crlf;
    out += "QSend=" + std::string(s.QSend == "True" ? "True" : "False") + crlf;
    out += "FP_Dist=" + (fpDistText ? *fpDistText : std::to_string(s.FP_Dist)) + crlf;
    out += "AP_Upd=" + std::to_string(s.AP_Upd) + crlf;
    out += "WPC_INC=" + std::to_string(s.WPC_INC) + crlf;
    out += "WPN_INC=" + std::to_string(s.WPN_INC) + crlf;
    out += "WPW_INC=" + std::to_string(s.WPW_INC) + crlf;
    out += std::string("NewClouds=") + (s.NewClouds ? "1" : "0") + crlf;
    return out;
}

bool writeParamFile(const std::string& path, const Settings& settings,
                    const std::optional<std::string>& fpDistText, std::string* error) {
    return platform::writeFile(path, formatParamFile(settings, fpDistText), error);
}

ParamReadResult readSettingsForTools(const std::string& path, Settings& settings) {
    const auto result = readParamFile(path, settings);
    if (!result.ok && result.errorLine == 0) {
        settings = firstRunSettings("");
    }
    return result;
}

Settings firstRunSettings(const std::string& fs98Folder) {
    Settings s;
    s.UnlimitedVis = 30;
    s.Path98 = fs98Folder;
    s.MaxTurb = 180;
    s.UOM = "U";
    s.Wind = true;
    s.WindText = "True";
    s.Wayp = 0;
    s.QSend = "True";
    s.FP_Dist = 50;
    s.AP_Upd = 1;
    s.WPC_INC = 1;
    s.WPN_INC = 1;
    s.WPW_INC = 0;
    s.NewClouds = true;
    return s;
}

}  // namespace zephyra::shell
