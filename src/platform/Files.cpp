#include "platform/Files.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

namespace fs = std::filesystem;

namespace zephyra::platform {

bool fileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

bool dirExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

bool copyFile(const std::string& source, const std::string& target, std::string* error) {
    std::error_code ec;
    if (!fs::is_regular_file(source, ec)) {
        if (error != nullptr) {
            *error = "\"" + source + "\" was not found.";
        }
        return false;
    }
    fs::copy_file(source, target, fs::copy_options::overwrite_existing, ec);
    if (ec) {
        if (error != nullptr) {
            *error = "\"" + target + "\" could not be written: " + ec.message() + ".";
        }
        return false;
    }
    return true;
}

namespace {

std::string lowerCase(std::string s) {
    for (auto& c : s) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return s;
}

// The entry of folder whose name equals name in any letter case and that passes accept.
template <typename Accept>
std::string findEntryNoCase(const std::string& folder, const std::string& name, Accept accept) {
    const std::string exact = joinPath(folder, name);
    std::error_code ec;
    if (fs::exists(exact, ec) && accept(fs::path(exact))) {
        return exact;
    }
    fs::directory_iterator it(folder.empty() ? std::string(".") : folder, ec);
    if (ec) {
        return {};
    }
    const std::string wanted = lowerCase(name);
    for (const auto& entry : it) {
        if (lowerCase(entry.path().filename().string()) == wanted && accept(entry.path())) {
            return entry.path().string();
        }
    }
    return {};
}

}  // namespace

std::string findFileNoCase(const std::string& folder, const std::string& name) {
    return findEntryNoCase(folder, name, [](const fs::path& p) {
        std::error_code ec;
        return fs::is_regular_file(p, ec);
    });
}

std::string findPathNoCase(const std::string& root, const std::string& relative) {
    std::string path = root;
    bool found = true;
    std::size_t start = 0;
    while (start <= relative.size()) {
        std::size_t end = relative.find('/', start);
        if (end == std::string::npos) {
            end = relative.size();
        }
        const std::string part = relative.substr(start, end - start);
        start = end + 1;
        if (part.empty()) {
            continue;
        }
        std::string match;
        if (found) {
            match = findEntryNoCase(path, part, [](const fs::path&) { return true; });
        }
        found = !match.empty();
        path = found ? match : joinPath(path, part);
    }
    return path;
}

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) {
        return name;
    }
    if (folder.back() == '/') {
        return folder + name;
    }
    return folder + "/" + name;
}

std::string programFolder() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) {
        return currentDirectory();
    }
    return exe.parent_path().string();
}

std::string currentDirectory() {
    std::error_code ec;
    const auto p = fs::current_path(ec);
    return ec ? std::string(".") : p.string();
}

bool setCurrentDirectory(const std::string& folder) {
    std::error_code ec;
    fs::current_path(folder, ec);
    return !ec;
}

bool readFile(const std::string& path, std::string& contents) {
    contents.clear();
    // Without O_NONBLOCK, opening a pipe would wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return false;
    }
    const std::unique_ptr<const int, void (*)(const int*)> closer(
        &fd, [](const int* f) { ::close(*f); });
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    // Read to the end rather than to the size stat gives: files under /proc say 0.
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            contents.clear();
            return false;
        }
        if (n == 0) {
            return true;
        }
        if (contents.size() + static_cast<std::size_t>(n) > kMaxReadFileBytes) {
            contents.clear();
            return false;
        }
        contents.append(buffer, static_cast<std::size_t>(n));
    }
}

bool readRegularFile(const std::string& path, std::string& text, std::string& reason,
                     std::uintmax_t maxBytes, const std::string& what) {
    text.clear();
    const auto systemError = [] { return std::string(std::strerror(errno)); };
    // Without O_NONBLOCK, opening a pipe would wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        reason = errno == ENOENT ? "File not found."
                                 : "The file could not be opened (" + systemError() + ").";
        return false;
    }
    const std::unique_ptr<const int, void (*)(const int*)> closer(
        &fd, [](const int* f) { ::close(*f); });
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        reason = "The file could not be read (" + systemError() + ").";
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        reason = S_ISDIR(info.st_mode)
                     ? "This is a folder, not a " + what + "."
                     : "This is not a regular file, so it cannot be a " + what + ".";
        return false;
    }
    const auto size = static_cast<std::uintmax_t>(info.st_size);
    if (size > maxBytes) {
        reason = "The file is too large to be a " + what + ".";
        return false;
    }
    // Read what the file held when it was checked; a file still growing is cut there.
    text.resize(static_cast<std::size_t>(size));
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::read(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            reason = "The file could not be read (" + systemError() + ").";
            text.clear();
            return false;
        }
        if (n == 0) {
            break;  // it shrank meanwhile
        }
        done += static_cast<std::size_t>(n);
    }
    text.resize(done);
    return true;
}

namespace {

// Writes all of contents to fd. 0, or the error: a reader that went away gives EPIPE, not the
// signal that would end the program.
int writeAll(int fd, std::string_view contents) {
    sigset_t pipeSignal, old;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &old);
    int code = 0;
    std::size_t done = 0;
    while (done < contents.size()) {
        const ssize_t n = ::write(fd, contents.data() + done, contents.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            code = n < 0 ? errno : ENOSPC;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    if (code == EPIPE && sigismember(&old, SIGPIPE) == 0) {
        const timespec now{};
        sigtimedwait(&pipeSignal, nullptr, &now);  // the signal the write raised goes unseen
    }
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    return code;
}

// The descriptor of the standard output or error by the names the system gives them; -1 for
// any other path.
int standardStream(const std::string& path) {
    for (const int fd : {1, 2}) {
        const std::string n = std::to_string(fd);
        if (path == "/dev/fd/" + n || path == "/proc/self/fd/" + n ||
            path == (fd == 1 ? "/dev/stdout" : "/dev/stderr")) {
            return fd;
        }
    }
    return -1;
}

}  // namespace

bool writeFile(const std::string& path, std::string_view contents, std::string* error) {
    const auto say = [&](const std::string& text) {
        if (error != nullptr) {
            *error = text;
        }
        return false;
    };
    const auto fail = [&](int code) {
        return say("\"" + path + "\" could not be written (" + std::strerror(code) + ").");
    };
    // The standard output is written where it goes, from where it stands: "--out /dev/stdout
    // >> file" adds to the file rather than replacing it.
    if (const int stream = standardStream(path); stream >= 0) {
        std::fflush(stream == 1 ? stdout : stderr);
        const int code = writeAll(stream, contents);
        return code == 0 || fail(code);
    }
    // A link is followed, so the file it names is replaced and the link stays.
    std::error_code ec;
    fs::path target(path);
    if (fs::is_symlink(target, ec)) {
        target = fs::weakly_canonical(target, ec);
        if (ec) {
            return fail(ENOENT);
        }
    }
    // Only a regular file or a new name is replaced. A character device (a terminal,
    // /dev/null) or a pipe is written straight, as a shell's ">" does; anything else is left
    // alone.
    if (struct stat there{}; ::stat(target.c_str(), &there) == 0 && !S_ISREG(there.st_mode)) {
        if (S_ISCHR(there.st_mode) || S_ISFIFO(there.st_mode)) {
            // Without O_NONBLOCK, opening a pipe would wait for a reader.
            const int fd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
            if (fd < 0) {
                return errno == ENXIO && S_ISFIFO(there.st_mode)
                           ? say("\"" + path +
                                 "\" is a pipe that nothing reads from; nothing "
                                 "was written.")
                           : fail(errno);
            }
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
            const int code = writeAll(fd, contents);
            ::close(fd);
            return code == 0 || fail(code);
        }
        const char* what = S_ISDIR(there.st_mode)   ? "a folder"
                           : S_ISBLK(there.st_mode) ? "a block device"
                                                    : "a socket";
        return say("\"" + path + "\" is " + what + ", not a file; nothing was written.");
    }
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string temporary = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        return fail(errno);
    }
    // The new file keeps the old one's permissions; a new one gets the usual 0644.
    struct stat old {};
    ::fchmod(fd, ::stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);
    const auto discard = [&](int code) {
        ::close(fd);
        ::unlink(temporary.c_str());
        return fail(code);
    };
    if (const int code = writeAll(fd, contents); code != 0) {
        return discard(code);
    }
    if (::fsync(fd) != 0) {
        return discard(errno);
    }
    if (::close(fd) != 0) {
        const int code = errno;
        ::unlink(temporary.c_str());
        return fail(code);
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int code = errno;
        ::unlink(temporary.c_str());
        return fail(code);
    }
    // The rename itself reaches the disk with the folder.
    if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

}  // namespace zephyra::platform
