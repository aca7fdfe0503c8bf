#include "platform/vb/error.h"

#include <exception>
#include <new>

namespace korvane {

Error::Error(long number, std::string description, std::string source)
    : std::runtime_error(description), number_(number),
      description_(std::move(description)), source_(std::move(source)) {}

namespace err {

std::string standard_text(long number) {
    switch (number) {
    case kInvalidCall: return "Invalid procedure call or argument";
    case kOverflow: return "Overflow";
    case kOutOfMemory: return "Out of memory";
    case kSubscript: return "Subscript out of range";
    case kTypeMismatch: return "Type mismatch";
    case kObjectNotSet: return "Object variable or With block variable not set";
    case kFileAccess: return "Path/File access error";
    case kInvalidPattern: return "Invalid pattern string";
    case kInvalidNull: return "Invalid use of Null";
    case kObjectRequired: return "Object required";
    case kCannotCreateObject: return "ActiveX component can't create object";
    case kDuplicateKey: return "This key is already associated with an element of this collection";
    case kAutomation: return "Automation error";
    case kNoSuchMember: return "Object doesn't support this property or method";
    case kNotSupported: return "Object doesn't support this action";
    case kBadArgs:
        return "Arguments are of the wrong type, are out of acceptable range, or are in conflict with one another.";
    case kNoCurrentRecord:
        return "Either BOF or EOF is True, or the current record has been deleted. Requested operation requires a current record.";
    case kClosed: return "Operation is not allowed when the object is closed.";
    case kOpen: return "Operation is not allowed when the object is open.";
    case kNotUpdatable:
        return "Current Recordset does not support updating. This may be a limitation of the provider, or of the selected locktype.";
    case kItemNotFound:
        return "Item cannot be found in the collection corresponding to the requested name or ordinal.";
    case kDataConversion: return "Application uses a value of the wrong type for the current operation.";
    case kIllegalOperation: return "Operation is not allowed in this context.";
    default: return "Application-defined or object-defined error";
    }
}

void raise(long number) { throw Error(number, standard_text(number)); }
void raise(long number, std::string description) { throw Error(number, std::move(description)); }

}  // namespace err

ErrorInfo ErrorInfo::current() {
    auto ex = std::current_exception();
    if (!ex) return {};
    try {
        std::rethrow_exception(ex);
    } catch (const Error& e) {
        return {e.number(), e.description()};
    } catch (const std::bad_alloc&) {
        return {err::kOutOfMemory, err::standard_text(err::kOutOfMemory)};
    } catch (const std::exception& e) {
        return {err::kAutomation, e.what()};
    } catch (...) {
        return {err::kAutomation, err::standard_text(err::kAutomation)};
    }
}

}  // namespace korvane
