// Arbitrary bytes as "vane98.par": the reader must stop cleanly at a bad line, and what it
// accepted must survive a write and a second read unchanged.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzSupport.h"
#include "shell/ParamFile.h"

namespace {

using zephyra::fuzz::require;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zephyra::shell;
    const std::string text(reinterpret_cast<const char*>(data), size);
    Settings settings;
    const ParamReadResult result = parseParamText(text, settings);
    if (!result.ok) {
        require(result.errorLine >= 1);  // a bad line is named
        return 0;
    }
    // Whatever was read is written in the file's own form and reads back the same.
    const std::string written = formatParamFile(settings);
    Settings again;
    require(parseParamText(written, again).ok);
    require(formatParamFile(again) == written);
    return 0;
}
