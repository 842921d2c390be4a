// The file forms of the RSBN beacon database: CSV (the shipped "rsbn_cis_fs2004.csv"), the
// simulator's CFG form ("RSBN_DAT.CFG") and the list of X-Plane Tu-154 add-ons ("rsbn.dat",
// files/beacondat).
#pragma once

#include <filesystem>
#include <istream>

#include "plan/rsbnlist.h"

namespace kestrun {

/// Raises "Bad format RSBN_DAT.CFG file! Path " followed by the path and ".".
[[noreturn]] void RaiseBadBeaconCfg(const std::filesystem::path& path);

/// Reloads the list from a ".csv", ".cfg" or ".dat" file (extension in any letter case). The file
/// is read into a new list, which replaces this one only when the whole file was read: if
/// an exception is thrown, the list is unchanged. Any other extension (or none) is refused
/// with "Bad format! " and the path.
void LoadBeaconFile(TRSBNList& list, const std::filesystem::path& path);
/// The two readers; they append to the list (records before an error stay). Blank lines and
/// comment lines ("#" or ";") may stand anywhere; a record stands on one line. An error names
/// the file and line where it happened (EKestrunError's File and Line).
void LoadBeaconsCsv(TRSBNList& list, const std::filesystem::path& path);
void LoadBeaconsCfg(TRSBNList& list, const std::filesystem::path& path);
/// The same readers over an open stream; `path` only names the file in messages.
void LoadBeaconsCsv(TRSBNList& list, std::istream& in);
void LoadBeaconsCfg(TRSBNList& list, std::istream& in, const std::filesystem::path& path);

} // namespace kestrun
