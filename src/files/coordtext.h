// One coordinate of the flight-plan files, as the simulator writes it (N55* 58.35') and as the
// plan file does (N55*58.35’): a letter, degrees, "*", minutes and a closing mark.
#pragma once

#include <string>

#include "base/velparser.h"

namespace kestrun {

struct TCoordTexts {
    char Hemisphere = 0; // the letter as read, whatever it is
    std::string Degrees, Minutes;
};

/// Reads one coordinate after optional blanks, up to and including `closingMark`. Raises the
/// tokenizer's "Ожидается символ" message when "*" or the closing mark is missing.
TCoordTexts ReadCoordTexts(TVelParser& p, char closingMark);

/// The angle of the texts in radians (DegMinTextsToRad): the minutes' conversion error first.
long double CoordTextsAngle(const TCoordTexts& c);

} // namespace kestrun
