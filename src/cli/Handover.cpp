#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "cli/QtCommands.h"

// zephyra-cli without Qt: the commands that need it are run by zephyra-cli-qt, which this
// program becomes, with the same arguments. zephyra-cli-qt lies beside it where the program was
// built, and in ../libexec/zephyra where it is installed.

namespace zephyra::cli {

namespace {

std::string qtProgram() {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return {};
    }
    const auto folder = self.parent_path();
    for (const auto& candidate :
         {folder / "zephyra-cli-qt", folder / ".." / "libexec" / "zephyra" / "zephyra-cli-qt"}) {
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate.string();
        }
    }
    return {};
}

int handOver(const char* what, std::ostream& err) {
    const std::string program = qtProgram();
    if (!program.empty() && programArguments() != nullptr) {
        ::execv(program.c_str(), programArguments());
    }
    err << "zephyra-cli: " << what << " is run by zephyra-cli-qt, which "
        << (program.empty() ? "is not installed beside this program" : "could not be started")
        << "\n";
    return 1;
}

}  // namespace

int runDownloadCommand(const std::vector<std::string>&, std::ostream&, std::ostream& err) {
    return handOver("download", err);
}

int runWithQt(const std::string& command, std::ostream& err) {
    return handOver(command.c_str(), err);
}

void prepareQtReaders() {}

int runBriefCommand(const std::vector<std::string>&, std::ostream&, std::ostream& err) {
    return handOver("brief", err);
}

int runPlanExchangeCommand(const std::vector<std::string>& args, std::ostream&, std::ostream& err) {
    return handOver(("plan " + args[0]).c_str(), err);
}

}  // namespace zephyra::cli
