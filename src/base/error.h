// The system's one error type and the texts of the platform's messages, which users see and
// which therefore are reproduced exactly.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kestrun {

/// Every failure of the system: the message is the text shown to the user (code page 1251).
/// A message that names a file also keeps its UTF-8 form, in which the path is exactly the
/// operating system's, even where code page 1251 lacks its characters.
class EKestrunError : public std::runtime_error {
public:
    explicit EKestrunError(const std::string& message) : std::runtime_error(message) {}
    explicit EKestrunError(const char* message) : std::runtime_error(message) {}
    /// A message in code page 1251 and the same message in UTF-8.
    EKestrunError(const std::string& message, std::string utf8Text)
        : std::runtime_error(message), Utf8Text_(std::move(utf8Text)) {}

    /// The UTF-8 form given at construction, empty when there was none.
    const std::string& Utf8Text() const { return Utf8Text_; }

    /// Where it happened, kept apart from the message so that the message stays the system's
    /// own text: the file as the operating system names it (UTF-8), its line (0 when not
    /// known) and the operating system's reason for a failed call ("" when there is none).
    std::string File;
    int Line = 0;
    std::string Reason;

private:
    std::string Utf8Text_;
};

/// The message of a failure as the user reads it, UTF-8 (the system's text; paths exactly as
/// the operating system gives them, even where code page 1251 lacks their characters).
std::string ErrorText(const std::exception& e);
/// Where it happened, UTF-8, for a second line: "FILE:LINE" and/or the OS's reason; "" if
/// unknown.
std::string ErrorWhere(const std::exception& e);

/// Raises a message that names a file: `before` + the path + `after`, the two texts in code
/// page 1251 and the path in the operating system's form (exact in ErrorText; in what(), its
/// characters that code page 1251 lacks become '?').
[[noreturn]] void RaiseNamingFile(std::string_view before, const std::filesystem::path& path,
                                  std::string_view after = {});
/// "Cannot open file %s" and "Cannot create file %s"; with a `reason` (the operating system's
/// words for why), the path becomes the failure's File and the reason its Reason.
[[noreturn]] void RaiseCannotOpenFile(const std::filesystem::path& path, std::string reason = {});
[[noreturn]] void RaiseCannotCreateFile(const std::filesystem::path& path, std::string reason = {});
std::string MsgNotInteger(std::string_view text);   // "'%s' is not a valid integer value"
std::string MsgNotFloat(std::string_view text);     // "'%s' is not a valid floating point value"
std::string MsgBadLatitude(std::string_view text);  // "'%s' is not a valid latitude"
std::string MsgBadLongitude(std::string_view text); // "'%s' is not a valid longitude"
std::string MsgExpectedSymbol(char symbol); // "Ожидается символ "%s"" (code page 1251)
std::string MsgListIndex(int index);        // "List index out of bounds (%d)"
std::string MsgFormatInvalid(std::string_view format);  // "Format '%s' invalid or ..."
std::string MsgPropertyNotFound(std::string_view name); // "Property %s does not exist"
std::string MsgClassNotFound(std::string_view name);    // "Class %s not found"
inline constexpr const char* kMsgRangeCheck = "Range check error";
inline constexpr const char* kMsgBadFormat = "Bad format!";
inline constexpr const char* kMsgStreamWrite = "Stream write error";
inline constexpr const char* kMsgInvalidProperty = "Invalid property value";
inline constexpr const char* kMsgNoMagneticModel = "No magnetic model loaded";
/// Followed by the path and ".".
inline constexpr const char* kMsgBadBeaconCfg = "Bad format RSBN_DAT.CFG file! Path ";
/// Followed by the path, ", line N: " and what is wrong.
inline constexpr const char* kMsgBadCof = "Bad format of magnetic model file ";

/// "Assertion failure (unit, line N)", as the runtime formats a failed assertion.
std::string MsgAssertion(std::string_view unit, int line);

[[noreturn]] void Raise(std::string message);
[[noreturn]] void RaiseRangeCheck();
/// Raises the message for a failed call on a file, with the operating system's reason for the
/// error number `err` (errno).
[[noreturn]] void RaiseFileError(std::string message, std::string_view file, int err);

/// Gives a failure the file it happened in, and the line when known, unless it has a file
/// already (the innermost reader knows best).
void SetPlace(EKestrunError& e, std::string_view file, int line = 0);

} // namespace kestrun
