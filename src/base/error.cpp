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

std::string MsgCannotOpenFile(std::string_view path) {
    return Join("Cannot open file ", path);
}

std::string MsgCannotCreateFile(std::string_view path) {
    return Join("Cannot create file ", path);
}

std::string MsgNotInteger(std::string_view text) {
    return Join("'", text, "' is not a valid integer value");
}

std::string MsgNotFloat(std::string_view text) {
    return Join("'", text, "' is not a valid floating point value");
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
