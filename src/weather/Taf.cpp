#include "weather/Taf.h"

namespace zephyra::weather {

std::vector<Taf> readTafs(std::string_view, std::int64_t, std::vector<std::string>*) {
    return {};
}

std::optional<std::vector<Taf>> loadTafFile(const std::string&, std::string* error, std::int64_t) {
    if (error)
        *error = "TAF files cannot be read yet.";
    return std::nullopt;
}

std::optional<TafForecast> forecastAt(const Taf&, std::int64_t) {
    return std::nullopt;
}

std::optional<std::int64_t> dayTimeNear(std::string_view, std::int64_t) {
    return std::nullopt;
}

std::vector<std::string> describeTaf(const Taf&) {
    return {};
}

}  // namespace zephyra::weather
