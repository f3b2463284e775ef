#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zephyra::platform {

// Small file helpers with the behaviour the program relies on: plain results, no exceptions.
bool fileExists(const std::string& path);
bool dirExists(const std::string& path);
// Copies source over target (replacing it). On failure returns false and says why in error.
bool copyFile(const std::string& source, const std::string& target, std::string* error = nullptr);
// Like fileExists, but the name's letter case may differ (simulator folders copied from
// Windows often hold "FLTSIM98.EXE"). Returns the real path, or empty when there is none.
std::string findFileNoCase(const std::string& folder, const std::string& name);
// The path of relative ("texture/clouds.r8") inside root with every folder and the name matched
// without regard to letter case, as a simulator folder copied from Windows spells them
// ("TEXTURE/CLOUDS.R8"). Parts that do not exist keep the letter case given, so the result also
// names a file still to be created.
std::string findPathNoCase(const std::string& root, const std::string& relative);
// Joins a folder and a name with one separator.
std::string joinPath(const std::string& folder, const std::string& name);
// The folder that holds the running executable.
std::string programFolder();
std::string currentDirectory();
bool setCurrentDirectory(const std::string& folder);
// Reads a whole regular file of at most kMaxReadFileBytes; false (and contents empty) when it
// cannot be read, is larger, or is a folder, a device or a pipe (never waited on).
inline constexpr std::size_t kMaxReadFileBytes = 256u * 1024 * 1024;
bool readFile(const std::string& path, std::string& contents);
// Reads a file the user picked, checked before a byte is read: it must be a regular file (not a
// folder, a device such as /dev/zero or a pipe, which is opened without waiting for a writer)
// of at most maxBytes. On failure returns false and reason is a sentence for the user naming
// what the file should have been ("This is a folder, not a flight plan.").
bool readRegularFile(const std::string& path, std::string& text, std::string& reason,
                     std::uintmax_t maxBytes, const std::string& what);

// Replaces a file the user keeps, all or nothing: the contents go to a temporary file in the
// same folder, which is flushed and synced to the disk and then renamed over path. On failure
// (a full disk, a read-only folder) the old file is left exactly as it was, the temporary file
// is gone, and error says why ("\"plan.fpl\" could not be written (No space left on device).").
// Only a regular file or a new name is replaced so (a link is followed to the file it names).
// A character device or a pipe is written straight, and so is the standard output or error
// named as /dev/stdout, /dev/fd/1 or /proc/self/fd/1 (or 2), where it stands: "--out
// /dev/stdout >> file" adds to the file. A folder, a block device or a socket is refused
// ("\"x\" is a folder, not a file; nothing was written."), and so is a pipe nothing reads.
bool writeFile(const std::string& path, std::string_view contents, std::string* error = nullptr);

}  // namespace zephyra::platform
