#pragma once

#include <string>
#include <string_view>

namespace zephyra::assets {

// The built-in simulator's folder inside the program folder. It is laid out like FS98's
// folder (fltsim98.exe, fltsim98.cfg, texture/, modules/, adv/wav/) so the rest of the program
// handles both the same way; zephyra-sim.ini marks it as ours. There is deliberately no
// fs6ipc.dll and no .adv/.wav files: those only exist in a real FS98 installation.
inline constexpr std::string_view kSimFolderName = "FS98";
inline constexpr std::string_view kSimMarkerFile = "zephyra-sim.ini";

// programFolder/FS98.
std::string builtInSimFolder(const std::string& programFolder);

// True when folder holds the marker the built-in simulator's folder carries
// ([Zephyra] BuiltInSimulator=1).
bool isBuiltInSimFolder(const std::string& folder);

// Writes the nine cloud textures into the program folder (replacing them) and creates the
// built-in simulator's folder. Inside that folder only missing files are written: the textures
// in texture/ and fltsim98.cfg are the user's state once they exist (the program swaps textures
// there and keeps backups beside them), so a rebuild must not reset them. False, with the reason
// in error, when something could not be created.
bool writeShippedFiles(const std::string& programFolder, std::string* error = nullptr);

// Lays out the built-in simulator's folder at target from a shipped, read-only copy of it
// (an installed program keeps the user's simulator folder in the user's home). Files already
// at target are kept. False, with the reason in error, when something could not be copied.
bool copySimFolder(const std::string& templateFolder, const std::string& target,
                   std::string* error = nullptr);

}  // namespace zephyra::assets
