#include <cstdlib>

#include "fuzz_common.h"
#include "settings/cfg.h"

// Besides surviving any input, whatever the reader accepts must be written so that it reads
// back to the same settings.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kestrun::TConfig config("/fuzz/");
    try {
        config.LoadFromString(kestrun::fuzz::Bytes(data, size));
    } catch (const kestrun::EKestrunError&) {
        return 0;
    }
    const std::string written = config.SaveToString();
    kestrun::TConfig back("/fuzz/");
    try {
        back.LoadFromString(written);
    } catch (const kestrun::EKestrunError&) {
        std::abort(); // the writer produced a file its own reader refuses
    }
    if (back.SaveToString() != written) std::abort();
    return 0;
}
