#include "cli/ConfigureCommand.h"
#include "platform/Folders.h"

#include "platform/Files.h"
#include "platform/ScriptedDialogs.h"
#include "shell/Startup.h"

namespace zephyra::cli {

namespace {

void usage(std::ostream& out) {
    out << "usage: zephyra-cli configure [--fs98 FOLDER] [--program-folder FOLDER] [--if-missing]\n"
           "  Writes vane98.par for the simulator folder and installs the program's files\n"
           "  into it, as the Initial Configuration window does, printing every message.\n"
           "  --fs98            simulator folder (default: FS98 beside the program; installed, "
           "FS98\n"
           "                    in the user's data folder, laid out when missing)\n"
           "  --program-folder  where vane98.par is written (default: the program's folder;\n"
           "                    installed, the user's settings folder)\n"
           "  --if-missing      do nothing when vane98.par already exists\n";
}

}  // namespace

int runConfigureCommand(const std::vector<std::string>& args, std::ostream& out,
                        std::ostream& err) {
    const platform::Folders& where = platform::folders();
    std::string programFolder = where.settings;
    std::string fs98;
    bool ifMissing = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if ((a == "--fs98" || a == "--program-folder") && i + 1 < args.size()) {
            (a == "--fs98" ? fs98 : programFolder) = args[++i];
        } else if (a == "--if-missing") {
            ifMissing = true;
        } else if (a == "--help" || a == "-h") {
            usage(out);
            return 0;
        } else {
            usage(err);
            return 2;
        }
    }
    if (ifMissing && platform::fileExists(platform::joinPath(programFolder, "vane98.par"))) {
        out << "vane98.par already exists in " << programFolder << "\n";
        return 0;
    }
    const std::string previous = platform::currentDirectory();
    platform::setCurrentDirectory(programFolder);
    // Installed, the shipped files come from the shipped folder and the built-in simulator's
    // folder is laid out among the user's files.
    const shell::FirstRunFolders folders{
        programFolder, where.installed ? where.shipped : platform::currentDirectory(), where.user};
    if (fs98.empty() && !where.installed) {
        fs98 = platform::joinPath(programFolder, "FS98");
    } else if (fs98.empty()) {
        std::string error;
        fs98 = shell::layOutBuiltInSimFolder(folders, &error);
        if (fs98.empty()) {
            platform::setCurrentDirectory(previous);
            err << "zephyra-cli configure: " << error << "\n";
            return 1;
        }
    }
    platform::ScriptedDialogs dialogs;
    const auto result = shell::proceedWithConfiguration(fs98, folders, dialogs);
    platform::setCurrentDirectory(previous);
    for (const auto& text : dialogs.messages()) {
        out << text << "\n";
    }
    return result == shell::ProceedResult::Configured ? 0 : 1;
}

}  // namespace zephyra::cli
