#include "base/error.h"

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

void Raise(std::string message) {
    throw EKestrunError(std::move(message));
}

void RaiseRangeCheck() {
    throw EKestrunError(kMsgRangeCheck);
}

} // namespace kestrun
