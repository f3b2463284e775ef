#include "cli/AloftFile.h"

namespace zephyra::cli {

std::shared_ptr<const weather::AloftField> loadAloftField(const std::string& path,
                                                          weather::WeatherDb& db,
                                                          const std::string& command,
                                                          std::ostream& out, std::ostream& err) {
    const auto load = weather::loadAloftFile(path, db);
    if (!load.forecast) {
        err << command << ": cannot read the winds aloft " << path << ": " << load.error << "\n";
        return nullptr;
    }
    if (!load.unplaced.empty()) {
        err << command << ": " << load.unplaced.size()
            << " winds aloft sites are not in the database and are left out:";
        for (const auto& id : load.unplaced) {
            err << " " << id;
        }
        err << "\n";
    }
    auto field = std::make_shared<weather::AloftField>();
    field->add(load.forecast);
    out << "winds aloft: " << load.forecast->name();
    if (const auto valid = weather::isoTime(load.forecast->validTime()); !valid.empty()) {
        out << " valid " << valid;
    }
    out << "\n";
    return field;
}

}  // namespace zephyra::cli
