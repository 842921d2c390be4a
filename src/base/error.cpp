#include "base/error.h"

#include <cstring>

#include "base/cp1251.h"

namespace kestrun {

namespace {

std::string Join(std::string_view a, std::string_view b, std::string_view c = {}) {
    std::string s;
    s.reserve(a.size() + b.size() + c.size());
    s.append(a).append(b).append(c);
    return s;
}

} // namespace

namespace {

EKestrunError NamingFile(std::string_view before, const std::filesystem::path& path,
                         std::string_view after) {
    const std::string& name = path.native();
    return EKestrunError(Join(before, Utf8ToCp1251(name), after),
                         Join(Cp1251ToUtf8(before), name, Cp1251ToUtf8(after)));
}

[[noreturn]] void RaiseFileFailure(std::string_view before, const std::filesystem::path& path,
                                   std::string reason) {
    EKestrunError e = NamingFile(before, path, {});
    if (!reason.empty()) {
        e.File = path.native();
        e.Reason = std::move(reason);
    }
    throw e;
}

} // namespace

void RaiseNamingFile(std::string_view before, const std::filesystem::path& path,
                     std::string_view after) {
    throw NamingFile(before, path, after);
}

void RaiseCannotOpenFile(const std::filesystem::path& path, std::string reason) {
    RaiseFileFailure("Cannot open file ", path, std::move(reason));
}

void RaiseCannotCreateFile(const std::filesystem::path& path, std::string reason) {
    RaiseFileFailure("Cannot create file ", path, std::move(reason));
}

std::string MsgNotInteger(std::string_view text) {
    return Join("'", text, "' is not a valid integer value");
}

std::string MsgNotFloat(std::string_view text) {
    return Join("'", text, "' is not a valid floating point value");
}

std::string MsgBadLatitude(std::string_view text) {
    return Join("'", text, "' is not a valid latitude");
}

std::string MsgBadLongitude(std::string_view text) {
    return Join("'", text, "' is not a valid longitude");
}

std::string MsgExpectedSymbol(char symbol) {
    return Join(Cp("Ожидается символ \""), std::string_view(&symbol, 1), "\"");
}

std::string MsgListIndex(int index) {
    return Join("List index out of bounds (", std::to_string(index), ")");
}

std::string MsgFormatInvalid(std::string_view format) {
    return Join("Format '", format, "' invalid or incompatible with argument");
}

std::string MsgPropertyNotFound(std::string_view name) {
    return Join("Property ", name, " does not exist");
}

std::string MsgClassNotFound(std::string_view name) {
    return Join("Class ", name, " not found");
}

std::string MsgAssertion(std::string_view unit, int line) {
    return Join("Assertion failure (", unit, Join(", line ", std::to_string(line), ")"));
}

std::string ErrorText(const std::exception& e) {
    if (const auto* k = dynamic_cast<const EKestrunError*>(&e))
        return k->Utf8Text().empty() ? Cp1251ToUtf8(k->what()) : k->Utf8Text();
    // The standard library's messages are ASCII, with paths as the operating system gave them.
    return e.what();
}

std::string ErrorWhere(const std::exception& e) {
    const auto* k = dynamic_cast<const EKestrunError*>(&e);
    if (!k) return {};
    std::string where = k->File;
    if (!where.empty() && k->Line > 0) where.append(":").append(std::to_string(k->Line));
    if (!k->Reason.empty()) where.append(where.empty() ? "" : ": ").append(k->Reason);
    return where;
}

void SetPlace(EKestrunError& e, std::string_view file, int line) {
    if (!e.File.empty()) return;
    e.File = file;
    if (e.Line == 0) e.Line = line;
}

void RaiseFileError(std::string message, std::string_view file, int err) {
    EKestrunError e(message);
    e.File = file;
    e.Reason = std::strerror(err);
    throw e;
}

void Raise(std::string message) {
    throw EKestrunError(std::move(message));
}

void RaiseRangeCheck() {
    throw EKestrunError(kMsgRangeCheck);
}

} // namespace kestrun
