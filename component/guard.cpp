#include "component/guard.h"

#include "component/module_state.h"
#include "platform/vb/error.h"

namespace korvane::component {

void not_yet(std::string_view member) {
    throw Error(err::kNotSupported, err::standard_text(err::kNotSupported), std::string(member));
}

std::string error_message(std::string_view prefix) {
    ModuleStartup();
    ErrorInfo info = module().error_info->current();
    std::string text(prefix);
    text += std::to_string(info.number);
    text += "\r\n";
    text += info.description;
    return text;
}

}  // namespace korvane::component
