#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace zephyra::test {

// A scratch folder that is removed with the object.
class TempDir {
  public:
    TempDir() {
        std::random_device rd;
        // Canonical, so a temporary folder reached through a link does not count as one.
        path_ = std::filesystem::weakly_canonical(std::filesystem::temp_directory_path()) /
                ("zephyra-test-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string path() const { return path_.string(); }
    std::string file(const std::string& relative) const { return (path_ / relative).string(); }

    std::string write(const std::string& relative, const std::string& contents) const {
        const auto p = path_ / relative;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream out(p, std::ios::binary);
        out << contents;
        return p.string();
    }
    std::string read(const std::string& relative) const {
        std::ifstream in(path_ / relative, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    bool exists(const std::string& relative) const {
        return std::filesystem::exists(path_ / relative);
    }
    std::string mkdir(const std::string& relative) const {
        std::filesystem::create_directories(path_ / relative);
        return (path_ / relative).string();
    }

  private:
    std::filesystem::path path_;
};

}  // namespace zephyra::test
