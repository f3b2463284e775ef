// TAFs: decoding a day's tafs.cache.csv.gz, some 5,000 TAFs, as NOAA serves it (gzip, status
// lines, a header row, the forecast columns after each TAF). The file is built in memory from
// the real NWS bulletins in tests/data/taf, each TAF under many station ids and days.

#include <benchmark/benchmark.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "support/Gzip.h"
#include "support/RealData.h"
#include "weather/Taf.h"

namespace {

using namespace zephyra;

constexpr int kTafs = 5000;

bool digits(std::string_view s) {
    return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
}

// The day DD moved by shift days within a 31-day month (the issue_time is in October).
std::string shiftedDay(std::string_view dd, int shift) {
    const int day = ((dd[0] - '0') * 10 + (dd[1] - '0') - 1 + shift) % 31 + 1;
    return {char('0' + day / 10), char('0' + day % 10)};
}

// The TAF under another station, its issue, validity and FM days moved by shift days.
std::string varied(const std::string& raw, const std::string& station, int shift,
                   std::string& issueDay) {
    std::string out;
    std::size_t k = 0;
    bool first = true;
    while (k < raw.size()) {
        std::size_t end = raw.find(' ', k);
        if (end == std::string::npos) {
            end = raw.size();
        }
        std::string g = raw.substr(k, end - k);
        k = end + 1;
        if (first && g.size() == 4 && g != "TAF") {
            g = station;
            first = false;
        } else if (g.size() == 7 && g[6] == 'Z' && digits(g.substr(0, 6))) {
            g = shiftedDay(g, shift) + g.substr(2);
            issueDay = g.substr(0, 2);
        } else if (g.size() == 9 && g[4] == '/' && digits(g.substr(0, 4))) {
            g = shiftedDay(g, shift) + g.substr(2, 3) + shiftedDay(g.substr(5), shift) +
                g.substr(7);
        } else if (g.size() == 8 && g.starts_with("FM") && digits(g.substr(2))) {
            g = "FM" + shiftedDay(g.substr(2), shift) + g.substr(4);
        } else if (g.size() == 6 && digits(g) && !issueDay.empty() && out.size() < 20) {
            g = shiftedDay(g, shift) + g.substr(2);  // the old form's validity
        }
        out += (out.empty() ? "" : " ") + g;
    }
    return out;
}

std::string dayOfCache() {
    std::vector<std::string> raws;
    for (const char* name : {"taf/TAFJFK.txt", "taf/TAF_collective.txt"}) {
        for (const weather::Taf& t : weather::readTafs(test::realData(name), 0)) {
            raws.push_back(t.raw);
        }
    }
    std::string csv =
        "No errors\nNo warnings\n412 ms\ndata source=tafs\n" + std::to_string(kTafs) +
        " results\nraw_text,station_id,issue_time,bulletin_time,valid_time_from,valid_time_to,"
        "remarks,latitude,longitude,elevation_m";
    for (int block = 0; block < 6; ++block) {
        csv +=
            ",fcst_time_from,fcst_time_to,change_indicator,time_becoming,probability,"
            "wind_dir_degrees,wind_speed_kt,wind_gust_kt,wind_shear_hgt_ft_agl,"
            "wind_shear_dir_degrees,wind_shear_speed_kt,visibility_statute_mi,altim_in_hg,"
            "vert_vis_ft,wx_string,not_decoded,sky_cover,cloud_base_ft_agl,cloud_type";
    }
    csv += "\n";
    for (int n = 0; n < kTafs; ++n) {
        const std::string station = {char('A' + n % 4 * 6), char('A' + n / 676 % 26),
                                     char('A' + n / 26 % 26), char('A' + n % 26)};
        std::string issueDay;
        const std::string raw =
            varied(raws[std::size_t(n) % raws.size()], station, n % 31, issueDay);
        const std::string issue = "2022-10-" + issueDay + "T11:20:00Z";
        csv += raw + "," + station + "," + issue + "," + issue + ",,,,40.64,-73.76,3";
        for (int block = 0; block < 6; ++block) {
            csv +=
                "," + issue + "," + issue + ",FM,,,60,8,,,,,6.21,,,-SHSN BR,,BKN,2500,,SCT,8000,";
        }
        csv += "\n";
    }
    return test::gzip(csv);
}

void BM_TafCacheDecode(benchmark::State& state) {
    const std::string gz = dayOfCache();
    std::size_t read = 0;
    for (auto _ : state) {
        std::vector<std::string> problems;
        const std::vector<weather::Taf> tafs = weather::readTafs(gz, 0, &problems);
        read = tafs.size();
        benchmark::DoNotOptimize(tafs.data());
    }
    if (read != kTafs) {
        throw std::runtime_error("the TAF cache read " + std::to_string(read) + " TAFs, not " +
                                 std::to_string(kTafs));
    }
    state.counters["tafs"] = double(read);
    state.counters["gzip_kb"] = double(gz.size()) / 1024;
}
BENCHMARK(BM_TafCacheDecode)->Unit(benchmark::kMillisecond);

}  // namespace
