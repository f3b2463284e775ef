// Winds aloft: reading NOAA's FB text (alone, and with its sites placed from the database, as a
// load does), reading a GFS box of GRIB2, and sampling either field at a point.

#include <benchmark/benchmark.h>
#include <eccodes.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "platform/Files.h"
#include "support/RealData.h"
#include "weather/AloftField.h"
#include "weather/GribAloft.h"
#include "weather/WeatherDb.h"
#include "weather/WindsAloftField.h"
#include "weather/WindsAloftText.h"

namespace {

namespace fs = std::filesystem;
using namespace zephyra;

std::string scratch(const char* name) {
    return (fs::temp_directory_path() / ("zephyra-aloft-" + std::to_string(getpid()) + name))
        .string();
}

// FD1US1 on disk and a scratch copy of the shipped database to place its sites from.
struct FbText {
    FbText() {
        text = test::realData("aloft/FD1US1.txt");
        platform::writeFile(file, text);
        fs::copy_file(fs::path(ZEPHYRA_PROGRAM_DIR) / "vanedb.mdb", database,
                      fs::copy_options::overwrite_existing);
        db = weather::WeatherDb::open(database);
    }
    ~FbText() {
        db.reset();
        for (const char* suffix : {"", "-wal", "-shm"}) {
            fs::remove(database + suffix);
        }
        fs::remove(file);
    }
    std::string text;
    std::string file = scratch("-FD1US1.txt");
    std::string database = scratch(".mdb");
    std::unique_ptr<weather::WeatherDb> db;
};

FbText& fbText() {
    static FbText once;
    return once;
}

// A GFS-like box written with ecCodes from its sample: 30 x 30 points of 1 degree (31..60 N,
// 100..71 W, scanned from the north like GFS), 10 pressure levels of U, V, T and geopotential
// height in GFS's complex packing.
struct GfsBox {
    GfsBox() {
        codes_handle* h = codes_grib_handle_new_from_samples(nullptr, "regular_ll_pl_grib2");
        if (h == nullptr) {
            throw std::runtime_error("ecCodes' sample regular_ll_pl_grib2 is missing");
        }
        const auto setLong = [h](const char* key, long v) { codes_set_long(h, key, v); };
        const auto setDouble = [h](const char* key, double v) { codes_set_double(h, key, v); };
        const auto setText = [h](const char* key, const std::string& v) {
            std::size_t length = v.size();
            codes_set_string(h, key, v.c_str(), &length);
        };
        setText("centre", "kwbc");
        setLong("dataDate", 20261207);
        setLong("dataTime", 0);
        setLong("step", 6);
        setLong("Ni", 30);
        setLong("Nj", 30);
        setLong("numberOfDataPoints", 900);
        setDouble("latitudeOfFirstGridPointInDegrees", 60);
        setDouble("longitudeOfFirstGridPointInDegrees", 260);
        setDouble("latitudeOfLastGridPointInDegrees", 31);
        setDouble("longitudeOfLastGridPointInDegrees", 289);
        setDouble("iDirectionIncrementInDegrees", 1);
        setDouble("jDirectionIncrementInDegrees", 1);
        setText("typeOfLevel", "isobaricInhPa");
        setLong("bitsPerValue", 12);
        std::vector<double> values(900);
        for (std::size_t i = 0; i < values.size(); ++i) {
            values[i] = static_cast<double>(i);  // the packing changes on a field that varies
        }
        codes_set_double_array(h, "values", values.data(), values.size());
        setText("packingType", "grid_complex_spatial_differencing");
        std::FILE* out = std::fopen(file.c_str(), "wb");
        const long levels[] = {1000, 925, 850, 700, 500, 400, 300, 250, 200, 150};
        for (const long level : levels) {
            const auto hPa = static_cast<double>(level);
            setLong("level", level);
            for (const char* name : {"u", "v", "t", "gh"}) {
                setText("shortName", name);
                for (std::size_t i = 0; i < values.size(); ++i) {
                    const double x = static_cast<double>(i % 30), y = static_cast<double>(i / 30);
                    const double wave = std::sin(x * 0.3) * std::cos(y * 0.2);
                    values[i] = name[0] == 'u'   ? 10 + 20 * wave
                                : name[0] == 'v' ? 5 * wave
                                : name[0] == 't'
                                    ? 288 - (1000.0 - hPa) / 10 + wave
                                    : weather::pressureAltitudeFeet(hPa) * 0.3048 + 30 * wave;
                }
                codes_set_double_array(h, "values", values.data(), values.size());
                const void* message = nullptr;
                std::size_t size = 0;
                codes_get_message(h, &message, &size);
                std::fwrite(message, 1, size, out);
            }
        }
        std::fclose(out);
        codes_handle_delete(h);
        std::string error;
        if (!weather::readGribAloft(file, &error)) {
            throw std::runtime_error("the benchmark's GFS box cannot be read: " + error);
        }
    }
    ~GfsBox() { fs::remove(file); }
    std::string file = scratch("-gfs.grib2");
};

GfsBox& gfsBox() {
    static GfsBox once;
    return once;
}

// Reading the text alone.
void BM_ReadFd1us1(benchmark::State& state) {
    const std::string& text = fbText().text;
    for (auto _ : state) {
        benchmark::DoNotOptimize(weather::readWindsAloftText(text));
    }
}
BENCHMARK(BM_ReadFd1us1)->Unit(benchmark::kMillisecond);

// The load as the program does it: the file read and its 176 sites placed from the database.
void BM_LoadFd1us1WithSitesPlaced(benchmark::State& state) {
    FbText& fb = fbText();
    for (auto _ : state) {
        const auto load = weather::loadAloftFile(fb.file, *fb.db);
        if (!load.forecast) {
            state.SkipWithError(load.error.c_str());
            break;
        }
    }
}
BENCHMARK(BM_LoadFd1us1WithSitesPlaced)->Unit(benchmark::kMillisecond);

void BM_ReadGfsBox(benchmark::State& state) {
    const std::string& file = gfsBox().file;
    std::string error;
    for (auto _ : state) {
        benchmark::DoNotOptimize(weather::readGribAloft(file, &error));
    }
    state.SetLabel("30 x 30 points, 10 levels of U, V, T, gh");
}
BENCHMARK(BM_ReadGfsBox)->Unit(benchmark::kMillisecond);

// A sample at a point between sites (or grid points) and between levels.
void BM_SampleFd1us1(benchmark::State& state) {
    FbText& fb = fbText();
    const auto forecast = weather::loadAloftFile(fb.file, *fb.db).forecast;
    for (auto _ : state) {
        benchmark::DoNotOptimize(forecast->at(35.0, -90.0, 10500));
    }
}
BENCHMARK(BM_SampleFd1us1)->Unit(benchmark::kMicrosecond);

void BM_SampleGfsBox(benchmark::State& state) {
    std::string error;
    const auto forecast = weather::readGribAloft(gfsBox().file, &error);
    for (auto _ : state) {
        benchmark::DoNotOptimize(forecast->at(45.3, -85.6, 21000));
    }
}
BENCHMARK(BM_SampleGfsBox)->Unit(benchmark::kMicrosecond);

}  // namespace
