// The one crossing between the system's code page 1251 texts and Qt's Unicode strings.
#pragma once

#include <QString>
#include <filesystem>
#include <string>
#include <string_view>

namespace kestrun {

/// A code page 1251 text of the system as a QString.
QString ToQ(std::string_view cp1251);
/// A QString as code page 1251; characters the code page lacks become '?'.
std::string FromQ(const QString& text);
/// A UTF-8 text (file names, messages for the user) as a QString.
QString Utf8ToQ(std::string_view utf8);

/// A file name of the operating system as a QString, and back: bytes that are not UTF-8 travel
/// as lone surrogates, so that every name the file system takes comes back as it was.
QString PathToQ(const std::filesystem::path& path);
std::filesystem::path QToPath(const QString& name);

} // namespace kestrun
