#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zephyra::delivery {

// How weather reaches the simulator, from the [Delivery] section of zephyra.ini:
//   Mode=blended|nearest       the blend of the stations around the aircraft, or the nearest
//                              station's weather in transitions (FS98 always has the latter)
//   BlendRadiusNm=60           stations farther than this are not blended (5 to 300)
//   BlendSeconds=5             seconds between blends at the aircraft (1 to 60); what is sent
//                              moves towards the blend every second
//   RefreshMinutes=10          minutes between downloads of the reports in flight (the main
//                              window's); 0 turns them off (0 to 720)
struct DeliveryChoice {
    bool blended = true;
    double blendRadiusNm = 60;
    int blendSeconds = 5;
    int refreshMinutes = 10;
};

inline constexpr const char* kDeliverySection = "Delivery";

// Reads the section from the file's text (the INI file Qt writes: sections in brackets,
// Key=Value lines, ";" or "#" comments). Keys of other sections are not looked at; a value
// that cannot be used is named in problems and leaves its default in place.
DeliveryChoice readDeliveryChoice(std::string_view iniText,
                                  std::vector<std::string>* problems = nullptr);

// "on"/"off" (also "blended"/"nearest") for --blend; nothing for another word.
std::optional<bool> blendFromWord(std::string_view word);

}  // namespace zephyra::delivery
