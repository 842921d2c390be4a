// The waypoint lines of the INI-style files, the simulator's plan (waypoint.0=UUEE, A,
// N55* 58.35', E37* 24.68', ...) and the program's plan file (waypoint.0="UUEE", N55*58.35’,
// E037*24.68’, ""): the index N of "waypoint.N=", one coordinate in either form (a letter,
// degrees, "*", minutes and a closing mark), and the lines kept by their index.
#pragma once

#include <map>
#include <string>
#include <utility>

#include "base/error.h"
#include "base/velparser.h"
#include "math/geopoint.h"
#include "plan/fltpln.h"

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

/// Reads a file pass by pass until its end; an error gets the line it happened on.
template <class Pass> void ReadToEnd(TVelParser& p, Pass&& pass) {
    try {
        do pass();
        while (!p.Eof());
    } catch (EKestrunError& e) {
        if (e.Line == 0) e.Line = p.Line();
        throw;
    }
}

/// One waypoint line as read, with the line it stands on for an error found later.
struct TWaypointLine {
    std::string Name, Beacon; // Beacon: plan files only
    TGeoPoint Pos;
    int Line = 0;
};

/// The waypoint lines of a file by their index, whatever the order of the lines: a repeated
/// index replaces the earlier line.
class TWaypointLines {
public:
    /// After the key "waypoint": ".N=", then the rest of the line through read(line).
    template <class Read> void ReadLine(TVelParser& p, Read&& read) {
        TWaypointLine w;
        w.Line = p.Line();
        const int n = ReadIndex(p);
        read(w);
        Lines_[n] = std::move(w);
    }
    /// A waypoint of `plan` made by make(waypoint, line) for each line in index order; an error
    /// gets the line of its waypoint.
    template <class Make> void AddTo(TWayPointList& plan, Make&& make) const {
        for (const auto& [n, line] : Lines_) {
            try {
                make(plan.AddWayPoint(), line);
            } catch (EKestrunError& e) {
                if (e.Line == 0) e.Line = line.Line;
                throw;
            }
        }
    }

private:
    static int ReadIndex(TVelParser& p);
    std::map<int, TWaypointLine> Lines_;
};

} // namespace kestrun
