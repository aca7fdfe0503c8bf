// Errors cross every layer as korvane::Error, carrying the number and text a
// VB error handler would read (Err.Number, Err.Description).
#pragma once

#include <stdexcept>
#include <string>

namespace korvane {

class Error : public std::runtime_error {
public:
    Error(long number, std::string description, std::string source = {});

    long number() const noexcept { return number_; }
    const std::string& description() const noexcept { return description_; }
    const std::string& source() const noexcept { return source_; }
    // The native code behind a database error (SQLite result code), 0 otherwise.
    int native_code() const noexcept { return native_code_; }
    Error& with_native_code(int code) noexcept { native_code_ = code; return *this; }

private:
    long number_;
    std::string description_;
    std::string source_;
    int native_code_ = 0;
};

// The numbers the record-set and VB layers raise, with VB's own texts.
namespace err {
inline constexpr long kInvalidCall = 5;          // Invalid procedure call or argument
inline constexpr long kOverflow = 6;
inline constexpr long kOutOfMemory = 7;
inline constexpr long kSubscript = 9;
inline constexpr long kTypeMismatch = 13;
inline constexpr long kFileAccess = 75;          // Path/File access error
inline constexpr long kObjectNotSet = 91;
inline constexpr long kInvalidPattern = 93;     // Invalid pattern string (Like)
inline constexpr long kInvalidNull = 94;
inline constexpr long kObjectRequired = 424;
inline constexpr long kCannotCreateObject = 429;
inline constexpr long kDuplicateKey = 457;       // Collection.Add with a key already there
inline constexpr long kAutomation = 440;
inline constexpr long kNoSuchMember = 438;
inline constexpr long kNotSupported = 445;
// Errors the controls raise, as the VB controls number them.
inline constexpr long kBadPropertyValue = 380;    // Invalid property value
inline constexpr long kBadPropertyIndex = 381;    // Invalid property array index / subscript
inline constexpr long kIndexOutOfBounds = 35600;
inline constexpr long kElementNotFound = 35601;
inline constexpr long kKeyNotUnique = 35602;
inline constexpr long kInvalidKey = 35603;
inline constexpr long kBadArgs = 3001;           // adErrInvalidArgument
inline constexpr long kNoCurrentRecord = 3021;   // adErrNoCurrentRecord
inline constexpr long kClosed = 3704;            // adErrObjectClosed
inline constexpr long kOpen = 3705;              // adErrObjectOpen
inline constexpr long kNotUpdatable = 3251;      // adErrFeatureNotAvailable
inline constexpr long kItemNotFound = 3265;      // adErrItemNotFound
inline constexpr long kDataConversion = 3421;    // adErrDataConversion
inline constexpr long kIllegalOperation = 3219;  // adErrIllegalOperation
inline constexpr long kProvider = -2147467259;   // E_FAIL: database errors as ADO reports them

[[noreturn]] void raise(long number);                       // VB's text for the number
[[noreturn]] void raise(long number, std::string description);
std::string standard_text(long number);
}  // namespace err

// What an error handler sees of the error being handled (VB's Err object).
struct ErrorInfo {
    long number = 0;
    std::string description;

    // Reads the exception in flight; call only inside a catch block.
    static ErrorInfo current();
};

}  // namespace korvane
