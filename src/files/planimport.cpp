#include "files/planimport.h"

#include <cmath>
#include <sstream>
#include <string>

#include "base/cp1251.h"
#include "base/error.h"
#include "base/fileio.h"
#include "base/numconv.h"
#include "base/textutil.h"
#include "files/fpimport.h"
#include "files/fsxplan.h"
#include "files/lnmplan.h"
#include "files/xplanefms.h"
#include "plan/fltpln.h"

namespace kestrun {

namespace {

// The name of the first element of an XML text, after the declaration, comments and the
// document type; empty when there is none.
std::string_view FirstElementName(std::string_view xml) {
    std::size_t i = 0;
    while ((i = xml.find('<', i)) != std::string_view::npos) {
        std::string_view rest = xml.substr(i);
        std::size_t end;
        if (rest.starts_with("<?"))
            end = rest.find("?>");
        else if (rest.starts_with("<!--"))
            end = rest.find("-->");
        else if (rest.starts_with("<!"))
            end = rest.find('>');
        else {
            std::size_t n = 1;
            while (n < rest.size() && !IsBlank(rest[n]) && rest[n] != '>' && rest[n] != '/') ++n;
            return rest.substr(1, n - 1);
        }
        if (end == std::string_view::npos) return {};
        i += end + 1;
    }
    return {};
}

// X-Plane's header: "I" (or "A") on the first line, "3 version" or "1100 Version" on the next.
bool LooksLikeFms(std::string_view text) {
    std::size_t eol = text.find('\n');
    if (eol == std::string_view::npos) return false;
    std::string_view first = text.substr(0, eol);
    first = TrimBlanks(first);
    if (first != "I" && first != "A") return false;
    std::string_view second = text.substr(eol + 1);
    second = second.substr(0, second.find('\n'));
    second = TrimBlanks(second);
    return second.size() > 7 && SameText(second.substr(second.size() - 7), "version");
}

} // namespace

std::string_view SkipByteOrderMark(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    return text;
}

TPlanFormat DetectPlanFormat(const std::filesystem::path& file, std::string_view bytes) {
    std::string_view text = SkipByteOrderMark(bytes);
    const std::string ext = file.extension().string();
    std::size_t first = 0;
    while (first < text.size() && IsBlank(text[first])) ++first;
    if (first < text.size() && text[first] == '<') {
        if (SameText(ext, ".lnmpln") || FirstElementName(text).starts_with("LittleNavmap"))
            return TPlanFormat::LittleNavmap;
        return TPlanFormat::FsxXml;
    }
    if (SameText(ext, ".fms") || LooksLikeFms(text)) return TPlanFormat::XPlaneFms;
    return TPlanFormat::Fs2004;
}

namespace {

void ImportPlan(TWayPointList& plan, const TXmlPlanBytes& xml, const std::filesystem::path& file) {
    const std::string_view bytes = xml.Text;
    switch (DetectPlanFormat(file, bytes)) {
    case TPlanFormat::FsxXml:
        ImportFsxPlan(plan, xml, file);
        return;
    case TPlanFormat::LittleNavmap:
        ImportLnmPlan(plan, xml, file);
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

} // namespace

void ImportFlightPlanBytes(TWayPointList& plan, std::string_view bytes,
                           const std::filesystem::path& file) {
    ImportPlan(plan, bytes, file);
}

void ImportFlightPlanLentBytes(TWayPointList& plan, TFileBuffer& bytes,
                               const std::filesystem::path& file) {
    ImportPlan(plan, TXmlPlanBytes::Lend(bytes.Data(), bytes.Size()), file);
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

std::optional<long double> ParseDecimal(std::string_view text) {
    text = TrimBlanks(text);
    // Checked here so that the program's own conversion, which every reader of positions uses,
    // cannot fail; longer texts are no coordinate of any plan.
    if (text.size() > kMaxDecimalLength) return std::nullopt;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    int digits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0 || i != text.size()) return std::nullopt;
    return StrToFloat(text);
}

int LineOfOffset(std::string_view text, std::size_t offset) {
    if (offset > text.size()) offset = text.size();
    int line = 1;
    for (std::size_t i = 0; i < offset; ++i)
        if (text[i] == '\n') ++line;
    return line;
}

} // namespace kestrun
