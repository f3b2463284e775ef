#pragma once

#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>

#include "support/TempDir.h"

namespace zephyra::test {

// A small tmpfs on a scratch folder, for saves onto a full or read-only disk. Mounting needs
// CAP_SYS_ADMIN; without it mounted() is false and why() says why, for the test to skip.
class SmallFilesystem {
  public:
    explicit SmallFilesystem(const std::string& size = "64k") {
        if (::mount("tmpfs", dir_.path().c_str(), "tmpfs", 0, ("size=" + size).c_str()) == 0) {
            mounted_ = true;
        } else {
            why_ = "a tmpfs cannot be mounted here (" + std::string(std::strerror(errno)) + ")";
        }
    }
    ~SmallFilesystem() {
        if (mounted_) {
            ::umount2(dir_.path().c_str(), MNT_DETACH);
        }
    }
    SmallFilesystem(const SmallFilesystem&) = delete;
    SmallFilesystem& operator=(const SmallFilesystem&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& why() const { return why_; }
    const TempDir& dir() const { return dir_; }

    // Takes every byte still free, so the next write fails with "No space left on device".
    void fill() const {
        std::ofstream filler(dir_.file("filler"), std::ios::binary);
        const std::string block(1024, 'x');
        while (filler.write(block.data(), static_cast<std::streamsize>(block.size())) &&
               filler.flush()) {
        }
    }

    // From now on nothing on it can be written, whoever asks.
    bool makeReadOnly() const {
        return ::mount(nullptr, dir_.path().c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

  private:
    TempDir dir_;
    bool mounted_ = false;
    std::string why_;
};

}  // namespace zephyra::test
