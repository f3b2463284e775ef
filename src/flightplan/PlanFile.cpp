#include "flightplan/PlanFile.h"

#include <cmath>
#include <fstream>
#include <sstream>
#include <vector>

#include "flightplan/PlanNumbers.h"
#include "platform/Files.h"

namespace zephyra::flightplan {

namespace {

// Lines end with CR LF, LF or a lone CR.
std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
    return lines;
}

// Reads comma-or-line-end delimited fields over the lines, the way a list-input read does:
// a field ends at a comma or at the end of its line; a field in double quotes may hold commas.
class FieldReader {
  public:
    FieldReader(const std::vector<std::string>& lines, std::size_t line)
        : lines_(lines), line_(line) {}

    bool read() {
        if (line_ >= lines_.size()) {
            return false;
        }
        const std::string& l = lines_[line_];
        while (pos_ < l.size() && l[pos_] == ' ') {
            ++pos_;
        }
        if (pos_ < l.size() && l[pos_] == '"') {
            const auto close = l.find('"', pos_ + 1);
            pos_ = close == std::string::npos ? l.size() : close + 1;
        }
        const auto comma = l.find(',', pos_);
        if (comma == std::string::npos) {
            ++line_;
            pos_ = 0;
        } else {
            pos_ = comma + 1;
        }
        return true;
    }
    // The line reading goes on from: the next whole line.
    std::size_t nextLine() const { return pos_ == 0 ? line_ : line_ + 1; }

  private:
    const std::vector<std::string>& lines_;
    std::size_t line_;
    std::size_t pos_ = 0;
};

bool readEntry(const std::string& line, PlanStore& plan, std::string& problem) {
    const auto p1 = line.find('|');
    if (p1 == std::string::npos) {
        return false;
    }
    const auto p2 = line.find('|', p1 + 1);
    const auto p3 = p2 == std::string::npos ? p2 : line.find('|', p2 + 1);
    const auto p4 = p3 == std::string::npos ? p3 : line.find('|', p3 + 1);
    if (p4 == std::string::npos) {
        return false;
    }
    const auto lat = readNumber(line.substr(p1 + 1, p2 - p1 - 1));
    const auto lon = readNumber(line.substr(p2 + 1, p3 - p2 - 1));
    const std::string altText = line.substr(p3 + 1, p4 - p3 - 1);
    const auto alt = readInt32(altText);
    const auto spd = readNumber(line.substr(p4 + 1));
    if (!lat || !lon || !alt || !spd || plan.full()) {
        return false;
    }
    if (std::fabs(*lat) > 90.0 || std::fabs(*lon) > 180.0) {
        problem = "The position of \"" + line.substr(0, p1) + "\" (" + standardText(*lat) + ", " +
                  standardText(*lon) +
                  ") is outside the Earth's latitudes (-90 to 90) and longitudes (-180 to 180).";
        return false;
    }
    return plan.append({line.substr(0, p1), altText, standardText(*spd), *lat, *lon,
                        static_cast<double>(*alt), *spd});
}

}  // namespace

PlanLoadResult readPlan(const std::string& text, PlanStore& plan, PlanLoadHost& host) {
    PlanLoadResult result;
    result.opened = true;
    plan.clearLists();
    const auto lines = splitLines(text);
    std::size_t i = 0;
    auto stop = [&](std::size_t line) {
        result.stoppedAtLine = static_cast<int>(line) + 1;
        return result;
    };
    while (i < lines.size()) {
        const std::string& line = lines[i];
        if (line == "Weather") {
            if (!host.useCustomWeather()) {
                result.weatherDeclined = true;
                break;
            }
            if (i + 1 >= lines.size()) {
                return stop(i);
            }
            const auto w = readInt32(lines[i + 1]);
            if (!w || *w < 0 || *w >= PlanStore::kWeatherEntries) {
                return stop(i + 1);
            }
            // Read the section whole before any of it replaces the plan's weather.
            std::vector<PlanWxEntry> entries(static_cast<std::size_t>(*w) + 1);
            std::size_t at = i + 2;
            for (auto& e : entries) {
                for (int b = 0; b < 16; ++b, ++at) {
                    if (at >= lines.size()) {
                        return stop(at);
                    }
                    if (b == 0) {
                        e.id = lines[at];
                        continue;
                    }
                    const auto v = readNumber(lines[at]);
                    if (!v) {
                        return stop(at);
                    }
                    e.field[static_cast<std::size_t>(b)] = *v;
                }
            }
            std::copy(entries.begin(), entries.end(), plan.PlanWx.begin());
            plan.setCustomWeatherCount(static_cast<std::int16_t>(*w));
            result.weatherLoaded = true;
            host.processCustomWeather();
            i = at;
            continue;
        }
        if (line == "ATC") {
            const auto m = i + 1 < lines.size() ? readInt32(lines[i + 1]) : std::nullopt;
            if (!m || *m < 0 || *m > 100000) {
                return stop(i + 1);
            }
            FieldReader fields(lines, i + 2);
            for (long f = 0; f < 3L * (*m + 1); ++f) {
                if (!fields.read()) {
                    return stop(lines.size());
                }
            }
            i = fields.nextLine();
            continue;
        }
        if (!readEntry(line, plan, result.problem)) {
            if (!result.problem.empty()) {
                result.problem = "Line " + std::to_string(i + 1) + ": " + result.problem;
            }
            return stop(i);
        }
        ++i;
    }
    result.completed = true;
    return result;
}

PlanLoadResult loadPlanFile(const std::string& path, PlanStore& plan, PlanLoadHost& host) {
    std::string text;
    PlanLoadResult failed;
    if (!platform::readRegularFile(path, text, failed.error, kMaxPlanFileBytes, "flight plan")) {
        return failed;
    }
    return readPlan(text, plan, host);
}

std::string formatPlan(const PlanStore& plan) {
    std::string out;
    for (int i = 0; i < plan.PlanCount; ++i) {
        const auto r = plan.row(i);
        out += r.name + "|" + standardText(r.lat) + "|" + standardText(r.lon) + "|" + r.altText +
               "|" + r.spdText + "\r\n";
    }
    if (plan.hasCustomWeather) {
        out += "Weather\r\n" + printForm(plan.PlanWxCount) + "\r\n";
        for (int a = 0; a <= plan.PlanWxCount && a < PlanStore::kWeatherEntries; ++a) {
            const auto& e = plan.PlanWx[static_cast<std::size_t>(a)];
            out += e.id + "\r\n";
            for (std::size_t b = 1; b < 16; ++b) {
                out += printForm(e.field[b]) + "\r\n";
            }
        }
    }
    return out;
}

std::string withPlanSuffix(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = name.rfind('.');
    if (name.empty() || (dot != std::string::npos && dot > 0 && dot + 1 < name.size())) {
        return path;
    }
    return path + (dot + 1 == name.size() ? "fpl" : ".fpl");
}

bool savePlanFile(const std::string& path, const PlanStore& plan, std::string* error) {
    return platform::writeFile(path, formatPlan(plan), error);
}

}  // namespace zephyra::flightplan
