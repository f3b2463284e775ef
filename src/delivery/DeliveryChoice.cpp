#include "delivery/DeliveryChoice.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <sstream>

namespace zephyra::delivery {

namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) {
        s.remove_prefix(1);
    }
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) {
        s.remove_suffix(1);
    }
    return s;
}

std::string lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::optional<double> number(std::string_view text, double low, double high) {
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc{} || end != text.data() + text.size() || !(v >= low && v <= high)) {
        return std::nullopt;
    }
    return v;
}

}  // namespace

std::optional<bool> blendFromWord(std::string_view word) {
    const std::string w = lower(trim(word));
    if (w == "on" || w == "blended") {
        return true;
    }
    if (w == "off" || w == "nearest") {
        return false;
    }
    return std::nullopt;
}

DeliveryChoice readDeliveryChoice(std::string_view iniText, std::vector<std::string>* problems) {
    DeliveryChoice choice;
    const auto complain = [&](const std::string& what) {
        if (problems != nullptr) {
            problems->push_back(what);
        }
    };
    bool inSection = false;
    std::size_t start = 0;
    while (start < iniText.size()) {
        const std::size_t end = std::min(iniText.find('\n', start), iniText.size());
        const std::string_view line = trim(iniText.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line.front() == ';' || line.front() == '#') {
            continue;
        }
        if (line.front() == '[') {
            inSection = lower(line) == "[" + lower(kDeliverySection) + "]";
            continue;
        }
        const std::size_t eq = line.find('=');
        if (!inSection || eq == std::string_view::npos) {
            continue;
        }
        const std::string key = lower(trim(line.substr(0, eq)));
        const std::string_view value = trim(line.substr(eq + 1));
        if (key == "mode") {
            if (const auto b = blendFromWord(value)) {
                choice.blended = *b;
            } else {
                complain("Mode is blended or nearest");
            }
        } else if (key == "blendradiusnm") {
            if (const auto v = number(value, 5, 300)) {
                choice.blendRadiusNm = *v;
            } else {
                complain("BlendRadiusNm is 5 to 300");
            }
        } else if (key == "blendseconds") {
            if (const auto v = number(value, 1, 60); v && *v == static_cast<int>(*v)) {
                choice.blendSeconds = static_cast<int>(*v);
            } else {
                complain("BlendSeconds is a whole number, 1 to 60");
            }
        } else if (key == "refreshminutes") {
            if (const auto v = number(value, 0, 720); v && *v == static_cast<int>(*v)) {
                choice.refreshMinutes = static_cast<int>(*v);
            } else {
                complain("RefreshMinutes is a whole number, 0 to 720");
            }
        }
    }
    return choice;
}

}  // namespace zephyra::delivery
