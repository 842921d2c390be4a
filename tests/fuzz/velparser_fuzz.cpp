// The tokenizer's operations in an order chosen by the input: its first bytes are the script,
// the rest is the text.
#include <algorithm>

#include "base/velparser.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kScript = 16;
    static constexpr char kSymbols[16] = {'=',  ',',  '*', '[', ']',  '"', ';', '#',
                                          '\r', '\n', '.', 'x', '\0', ' ', '-', 'a'};
    if (size < kScript) return 0;
    std::istringstream in(kestrun::fuzz::Bytes(data + kScript, size - kScript));
    kestrun::TVelParser p(in);
    std::string text;
    // Bounded, since several operations make no progress at the end of the input.
    const std::size_t steps = std::min<std::size_t>(2 * size, 4096);
    for (std::size_t step = 0; step < steps; ++step) {
        std::uint8_t op = data[step % kScript];
        char symbol = kSymbols[op >> 4];
        kestrun::fuzz::Expect([&] {
            switch (op % 12) {
            case 0:
                p.NextChar();
                break;
            case 1:
                p.PushBack();
                break;
            case 2:
                p.SkipBlanks();
                break;
            case 3:
                p.SkipLine();
                break;
            case 4:
                p.Expect(symbol);
                break;
            case 5:
                p.ExpectSymbol(symbol);
                break;
            case 6:
                p.NextIs(symbol);
                break;
            case 7:
                p.ReadRun(kestrun::TVelParser::ValueChars, text);
                break;
            case 8:
                p.ReadKey(text);
                break;
            case 9:
                p.ReadQuoted(text);
                break;
            case 10:
                p.ReadValue(text);
                break;
            case 11:
                p.SkipPast(symbol);
                break;
            }
        });
    }
    return 0;
}
