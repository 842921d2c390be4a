#include "ui/qtext.h"

#include "base/cp1251.h"

namespace kestrun {

QString ToQ(std::string_view cp1251) {
    const std::u16string u = Cp1251ToUtf16(cp1251);
    return QString(reinterpret_cast<const QChar*>(u.data()), static_cast<qsizetype>(u.size()));
}

std::string FromQ(const QString& text) {
    return Utf16ToCp1251(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                             static_cast<std::size_t>(text.size())));
}

QString Utf8ToQ(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QString PathToQ(const std::filesystem::path& path) {
    const std::u16string u = Utf8ToUtf16(path.native());
    return QString(reinterpret_cast<const QChar*>(u.data()), static_cast<qsizetype>(u.size()));
}

std::filesystem::path QToPath(const QString& name) {
    return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(name.utf16()),
                                           static_cast<std::size_t>(name.size())));
}

} // namespace kestrun
