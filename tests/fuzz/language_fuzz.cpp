// Besides surviving any input, the texts a language file gives, written as key="text" lines,
// read back to the same texts.
#include "fuzz_common.h"
#include "settings/langs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(kestrun::fuzz::Bytes(data, size));
    kestrun::TLanguageTexts texts;
    if (!kestrun::fuzz::Accepts([&] { texts.ReadLanguage(in); })) return 0;
    std::string written;
    for (std::size_t i = 0; i < kestrun::TLanguageTexts::kCount; ++i)
        written +=
            std::string(kestrun::TLanguageTexts::Keys()[i]) + "=\"" + texts.Get(i) + "\"\r\n";
    std::istringstream again(written);
    kestrun::TLanguageTexts back;
    if (!kestrun::fuzz::Accepts([&] { back.ReadLanguage(again); }))
        kestrun::fuzz::RoundTripBroken();
    for (std::size_t i = 0; i < kestrun::TLanguageTexts::kCount; ++i)
        if (back.Get(i) != texts.Get(i)) kestrun::fuzz::RoundTripBroken();
    return 0;
}
