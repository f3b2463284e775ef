#pragma once

#include <string>

#include "delivery/DeliveryChoice.h"

namespace zephyra::shell {

// The [Delivery] section of zephyra.ini in the settings folder. A file that is missing, not a
// regular file or too large gives the defaults.
delivery::DeliveryChoice readDeliveryChoiceFile(const std::string& settingsFolder);
// Writes the section, keeping the file's other sections.
bool writeDeliveryChoiceFile(const std::string& settingsFolder,
                             const delivery::DeliveryChoice& choice, std::string* error = nullptr);

}  // namespace zephyra::shell
