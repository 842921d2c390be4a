// Files, opened and closed in one call, with the platform's messages. Paths are the operating
// system's own (std::filesystem::path: UTF-8 bytes on Linux), never code page 1251; only the
// contents of files are code page 1251.
#pragma once

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

namespace kestrun {

/// Opens a regular file for binary reading; raises "Cannot open file %s" with the path (and the
/// reason) for anything else, so that a FIFO or a device never blocks or floods a reader.
std::unique_ptr<std::ifstream> OpenFileRead(const std::filesystem::path& path);

/// The whole content of a file, to its end whatever size the system tells; raises "Cannot open
/// file %s" with the path.
std::string ReadFileBytes(const std::filesystem::path& path);

/// Writes a file completely or not at all: the bytes go to a temporary file in the target's
/// folder, which is flushed to the disk and then replaces the target (the folder is flushed
/// after). A symbolic link is followed to its final target, which is replaced; the link stays.
/// A target that exists and is not a regular file (a device, a FIFO) is written in place, and
/// so is a writable file in a folder that takes no new file. Raises "Cannot create file %s"
/// when the file cannot be made and "Stream write error" when writing fails, each with the
/// operating system's reason (EKestrunError's File and Reason); after a failure of the
/// temporary file the previous file of that name is intact and no temporary file is left.
void WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes);

/// Creates or truncates a file and writes the bytes; raises "Cannot create file %s".
void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes);

/// The folder of the running executable ("." when it cannot be found).
std::filesystem::path ExeDir();

/// The path of the running executable; empty when it cannot be found.
std::filesystem::path ExePath();

/// Whether a file or folder of that name exists.
bool FileExists(const std::filesystem::path& path);

/// Whether a file of that name exists and is read-only: it has no write permission at all
/// (which holds even for root here) or none for this process.
bool IsReadOnlyFile(const std::filesystem::path& path);

} // namespace kestrun
