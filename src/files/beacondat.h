// The beacon list of X-Plane Tu-154 add-ons ("rsbn.dat"): one station per line, seven fields
// separated by "|", positions in signed decimal degrees (negative south and west):
//
//   37|PSKOV|NP|117.80|57.7850|28.4067|47.0
//   0  1     2  3      4       5       6
//   channel, name, identifier, frequency in MHz, latitude, longitude, elevation in metres
//
// The channel becomes the record's Number, the name its Name (as written), the identifier its
// Ident (digits too, "00"), the position its Position; Extra stays empty. The frequency and the
// elevation must be numbers but are not kept. Blanks around the fields and the lines, blank
// lines and comment lines ("#" or ";") are passed over; lines end with LF, CR LF or CR, the last
// one with none as well.
#pragma once

#include <filesystem>
#include <string_view>

#include "plan/rsbnlist.h"

namespace kestrun {

/// Appends the stations of a file (records before an error stay). Refuses, naming the file and
/// the line (EKestrunError's File and Line), a line without exactly 7 fields, a latitude beyond
/// 90 or a longitude beyond 180 degrees or either not a number ("'%s' is not a valid latitude"
/// or longitude), a frequency or elevation that is not a number ("'%s' is not a valid floating
/// point value"), and a file without stations ("No beacon found in file %s"). Raises "Cannot
/// open file %s" for a file that cannot be read.
void LoadBeaconsDat(TRSBNList& list, const std::filesystem::path& path);
/// The same over the file's bytes; `path` names the file in messages.
void LoadBeaconsDat(TRSBNList& list, std::string_view bytes, const std::filesystem::path& path);

} // namespace kestrun
