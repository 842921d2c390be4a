#include "fuzz_common.h"
#include "settings/langs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(kestrun::fuzz::Bytes(data, size));
    kestrun::TLanguageTexts texts;
    kestrun::fuzz::Expect([&] { texts.ReadLanguage(in); });
    return 0;
}
