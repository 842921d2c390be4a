// Files, opened and closed in one call, with the platform's messages. Paths are code page 1251
// text like all text of the system; they are handed to the operating system as UTF-8.
#pragma once

#include <fstream>
#include <memory>
#include <string>
#include <string_view>

namespace kestrun {

/// The operating system's form of a path (UTF-8).
std::string SysPath(std::string_view path);

/// Opens a file for binary reading; raises "Cannot open file %s" with the path.
std::unique_ptr<std::ifstream> OpenFileRead(std::string_view path);

/// The whole content of a file; raises "Cannot open file %s" with the path.
std::string ReadFileBytes(std::string_view path);

/// Writes a file completely or not at all: the bytes go to a temporary file in the same folder,
/// which replaces the target only when it is complete. Raises "Cannot create file %s" with the
/// path when the folder cannot take the file, and "Stream write error" when writing fails;
/// after a failure the previous file of that name is intact and no temporary file is left.
void WriteFileAtomic(std::string_view path, std::string_view bytes);

/// Creates or truncates a file and writes the bytes; raises "Cannot create file %s".
void WriteFileBytes(std::string_view path, std::string_view bytes);

/// The folder of the running executable with its trailing separator ("/"), code page 1251.
std::string ExeDir();

/// The path of the running executable, code page 1251.
std::string ExePath();

/// Whether a file or folder of that name exists.
bool FileExists(std::string_view path);

} // namespace kestrun
