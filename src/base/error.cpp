#include "base/error.h"

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

void RaiseNamingFile(std::string_view before, const std::filesystem::path& path,
                     std::string_view after) {
    const std::string& name = path.native();
    throw EKestrunError(Join(before, Utf8ToCp1251(name), after),
                        Join(Cp1251ToUtf8(before), name, Cp1251ToUtf8(after)));
}

void RaiseCannotOpenFile(const std::filesystem::path& path) {
    RaiseNamingFile("Cannot open file ", path);
}

void RaiseCannotCreateFile(const std::filesystem::path& path) {
    RaiseNamingFile("Cannot create file ", path);
}

std::string MsgNotInteger(std::string_view text) {
    return Join("'", text, "' is not a valid integer value");
}

std::string MsgNotFloat(std::string_view text) {
    return Join("'", text, "' is not a valid floating point value");
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

std::string ErrorWhere(const std::exception&) {
    return {};
}

void Raise(std::string message) {
    throw EKestrunError(std::move(message));
}

void RaiseRangeCheck() {
    throw EKestrunError(kMsgRangeCheck);
}

} // namespace kestrun
