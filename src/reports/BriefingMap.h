#pragma once

#include <string>

#include "reports/Briefing.h"

namespace zephyra::reports {

// The briefing's map picture, drawn offscreen by the weather map's painter: the route and the
// stations along it coloured by flight category, fitted to the route. PNG bytes; empty when
// the route has fewer than two points or the picture cannot be written. mapFolder holds the
// base-map files. Needs a Qt GUI application (any platform, "offscreen" included).
std::string briefingMapPng(const Briefing& briefing, const std::string& mapFolder, int width = 1100,
                           int height = 620);

// The whole page: the briefing gathered, its map drawn and the HTML written.
std::string briefingPage(const BriefingInput& input, const std::string& mapFolder);

}  // namespace zephyra::reports
