// The system's one error type and the texts of the platform's messages, which users see and
// which therefore are reproduced exactly.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace kestrun {

/// Every failure of the system: the message is the text shown to the user (code page 1251).
class EKestrunError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string MsgCannotOpenFile(std::string_view path);   // "Cannot open file %s"
std::string MsgCannotCreateFile(std::string_view path); // "Cannot create file %s"
std::string MsgNotInteger(std::string_view text);       // "'%s' is not a valid integer value"
std::string MsgNotFloat(std::string_view text); // "'%s' is not a valid floating point value"
inline constexpr const char* kMsgRangeCheck = "Range check error";
inline constexpr const char* kMsgBadFormat = "Bad format!";

/// "Assertion failure (unit, line N)", as the runtime formats a failed assertion.
std::string MsgAssertion(std::string_view unit, int line);

[[noreturn]] void Raise(std::string message);
[[noreturn]] void RaiseRangeCheck();

} // namespace kestrun
