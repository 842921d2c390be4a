#include "files/waypointline.h"

#include "base/numconv.h"
#include "math/tools.h"

namespace kestrun {

TCoordTexts ReadCoordTexts(TVelParser& p, char closingMark) {
    static const TCharSet kMinuteChars = TCharSet::Of(".", "09");
    // N55* 58.35'
    // | |  |    |
    // hemisphere, degrees, minutes, closing mark
    TCoordTexts c;
    p.SkipBlanks();
    c.Hemisphere = static_cast<char>(p.NextChar());
    p.ReadRun(TVelParser::DigitChars, c.Degrees);
    p.ExpectSymbol('*');
    p.ReadRun(kMinuteChars, c.Minutes);
    p.ExpectSymbol(closingMark);
    return c;
}

long double CoordTextsAngle(const TCoordTexts& c) {
    return DegMinTextsToRad(c.Degrees, c.Minutes);
}

int TWaypointLines::ReadIndex(TVelParser& p) {
    std::string text;
    p.ExpectSymbol('.');
    p.ReadRun(TVelParser::DigitChars, text);
    const int n = StrToInt(text);
    p.ExpectSymbol('=');
    return n;
}

} // namespace kestrun
