#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace zephyra::cli {

// The commands that need Qt: the network (download, plan send), XML (plan export, plan
// import) and the painter (brief). They are built into zephyra-cli-qt; zephyra-cli, kept free of Qt
// so that it starts quickly, hands them over to that program with its own arguments.

// zephyra-cli download [--url URL] [--out FILE] [--db FILE]: fetch the current reports and load
// them.
int runDownloadCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// zephyra-cli plan export|import|send ...: args[0] names which.
int runPlanExchangeCommand(const std::vector<std::string>& args, std::ostream& out,
                           std::ostream& err);

// zephyra-cli brief PLAN --out FILE.html ...: the route briefing (its map is drawn with Qt's
// painter).
int runBriefCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// A command given winds aloft in XML (a SimBrief OFP, read with Qt's XML): zephyra-cli hands it
// over whole, as it stands.
int runWithQt(const std::string& command, std::ostream& err);
// Makes ready what zephyra-cli-qt reads with Qt (an OFP as winds aloft); nothing in zephyra-cli.
void prepareQtReaders();

// The arguments main was started with (argv, valid for the whole run), for the hand-over.
char** programArguments();

}  // namespace zephyra::cli
