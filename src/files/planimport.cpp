#include "files/planimport.h"

#include <sstream>
#include <string>

#include "base/cp1251.h"
#include "base/error.h"
#include "base/textutil.h"
#include "files/fpimport.h"
#include "files/xmlplan.h"
#include "files/xplanefms.h"
#include "plan/fltpln.h"

namespace kestrun {

namespace {

// X-Plane's header: "I" (or "A") on the first line, "3 version" or "1100 Version" on the next.
bool LooksLikeFms(std::string_view text) {
    std::size_t eol = text.find('\n');
    if (eol == std::string_view::npos) return false;
    std::string_view first = TrimBlanks(text.substr(0, eol));
    if (first != "I" && first != "A") return false;
    std::string_view second = text.substr(eol + 1);
    second = TrimBlanks(second.substr(0, second.find('\n')));
    return second.size() > 7 && SameText(second.substr(second.size() - 7), "version");
}

} // namespace

std::string_view SkipByteOrderMark(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    return text;
}

TPlanFormat DetectPlanFormat(const std::filesystem::path& file, std::string_view bytes) {
    if (IsXmlText(bytes)) return TPlanFormat::Xml;
    if (SameText(file.extension().string(), ".fms") || LooksLikeFms(SkipByteOrderMark(bytes)))
        return TPlanFormat::XPlaneFms;
    return TPlanFormat::Fs2004;
}

void ImportFlightPlanBytes(TWayPointList& plan, std::string_view bytes,
                           const std::filesystem::path& file) {
    switch (DetectPlanFormat(file, bytes)) {
    case TPlanFormat::Xml:
        ImportXmlPlan(plan, bytes, file);
        return;
    case TPlanFormat::XPlaneFms:
        ImportXPlaneFms(plan, bytes, file);
        return;
    case TPlanFormat::Fs2004:
        break;
    }
    TWayPointList read(plan.Beacons(), plan.Grid());
    std::istringstream in{std::string(bytes)};
    ImportFlightPlan(read, in);
    TakeImportedWayPoints(plan, read, file);
}

void RaiseNoWaypoints(const std::filesystem::path& file) {
    RaiseNamingFile("No waypoint found in file ", file);
}

void RaiseOnLine(const std::filesystem::path& file, int line, std::string_view message) {
    // The message stays the failure's own text; the place goes with it for a second line.
    EKestrunError e{std::string(message)};
    e.File = file.native();
    e.Line = line;
    throw e;
}

void TakeImportedWayPoints(TWayPointList& plan, TWayPointList& read,
                           const std::filesystem::path& file) {
    // A file that gives no waypoint would otherwise replace the user's plan by an empty one.
    if (read.Count() == 0) RaiseNoWaypoints(file);
    plan.TakeWayPointsFrom(read);
}

int LineOfOffset(std::string_view text, std::size_t offset) {
    if (offset > text.size()) offset = text.size();
    int line = 1;
    for (std::size_t i = 0; i < offset; ++i)
        if (text[i] == '\n') ++line;
    return line;
}

} // namespace kestrun
