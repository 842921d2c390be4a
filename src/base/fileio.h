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

/// Opens a file for binary reading; raises "Cannot open file %s" with the path.
std::unique_ptr<std::ifstream> OpenFileRead(const std::filesystem::path& path);

/// The whole content of a file; raises "Cannot open file %s" with the path.
std::string ReadFileBytes(const std::filesystem::path& path);

/// Writes a file completely or not at all: the bytes go to a temporary file in the same folder,
/// which replaces the target only when it is complete. Raises "Cannot create file %s" with the
/// path when the folder cannot take the file, and "Stream write error" when writing fails;
/// after a failure the previous file of that name is intact and no temporary file is left.
void WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes);

/// Creates or truncates a file and writes the bytes; raises "Cannot create file %s".
void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes);

/// The folder of the running executable ("." when it cannot be found).
std::filesystem::path ExeDir();

/// The path of the running executable; empty when it cannot be found.
std::filesystem::path ExePath();

/// Whether a file or folder of that name exists.
bool FileExists(const std::filesystem::path& path);

} // namespace kestrun
