// Import of flight plans of every kind the program reads: the kind is recognised from the file's
// content and name, and the bytes go to that kind's reader. Also the small pieces that all
// these readers share: the refusal of a plan without waypoints, located messages.
//
//   kind                           recognised by
//   FS2002/2004 INI (.pln)         anything not recognised below
//   XML: FSX/P3D/MSFS (.pln),      an XML text (IsXmlText): "<" first, after an optional
//        Little Navmap (.lnmpln)   byte-order mark and blanks, or UTF-16 or UTF-32
//   X-Plane (.fms)                 first lines "I" (or "A") and "... version", or the extension
#pragma once

#include <filesystem>
#include <string_view>

namespace kestrun {

class TWayPointList;

enum class TPlanFormat { Fs2004, Xml, XPlaneFms };

/// The kind of flight plan held in `bytes`; the file's extension (in any letter case) decides
/// only where the content does not.
TPlanFormat DetectPlanFormat(const std::filesystem::path& file, std::string_view bytes);

/// Replaces the plan's waypoints by those of a flight plan of any kind held in memory, with
/// Name and Pos set (and the declination looked up); `file` names the file in messages. A plan
/// from which no waypoint is read is refused with "No waypoint found in file %s". Beacons and
/// leg values are not set: the caller recomputes. If an exception is thrown, the plan is
/// unchanged.
void ImportFlightPlanBytes(TWayPointList& plan, std::string_view bytes,
                           const std::filesystem::path& file);

/// "No waypoint found in file %s".
[[noreturn]] void RaiseNoWaypoints(const std::filesystem::path& file);
/// A failure on a line (1-based) of the file: the message, with the file and the line as the
/// failure's place (ErrorWhere "FILE:LINE").
[[noreturn]] void RaiseOnLine(const std::filesystem::path& file, int line,
                              std::string_view message);

/// Moves the waypoints read into `read` into `plan` (`read` is left empty). Raises
/// RaiseNoWaypoints when `read` holds none; the plan is then unchanged.
void TakeImportedWayPoints(TWayPointList& plan, TWayPointList& read,
                           const std::filesystem::path& file);

/// The 1-based line of byte `offset` of `text` (lines end with LF; a CR LF counts once).
int LineOfOffset(std::string_view text, std::size_t offset);

/// The text without a leading UTF-8 byte-order mark.
std::string_view SkipByteOrderMark(std::string_view text);

} // namespace kestrun
