// Arbitrary bytes as a Wine registry file ("system.reg"), searched for FS98's install folder as
// the first run does. The reader must end and give a string or nothing.

#include <cstdint>
#include <string_view>

#include "platform/WineRegistry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zephyra::platform;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const std::string_view key : {kFs98RegistryKey, kFs98RegistryKeyWow64}) {
        (void)parseWineRegistryString(text, key, "Path");
    }
    (void)parseWineRegistryString(text, "Software\\Wine", "");
    return 0;
}
