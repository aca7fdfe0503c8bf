// The reference fields of the filter rows: the list behind the floating
// button, and the check of what the user typed when leaving the field.
#pragma once

#include <memory>
#include <string>

#include "generation/core/form_services.h"
#include "platform/ui/controls.h"

namespace korvane::generation::ModuleCtl {

// The query the reference list runs for a data kind (a field's Tag) and
// the typed text; "" for a kind without a list.
std::string ReferenceQuery(const FormServices& services, const std::string& tag, const std::string& text);

// Opens the calendar or the reference list for the field the button
// serves and writes the choice back; false with the reason in sErr.
bool LookupReference(const FormServices& services, ui::TextBox& field, ui::CommandButton& button, std::string& sErr,
                     long mode = 0);
// Checks the typed text against the field's kind; on failure the focus
// stays in the field with its text selected, and sErr says why.
bool CheckRefField(const FormServices& services, ui::TextBox& field, std::string& sErr, bool show_name = true);

}  // namespace korvane::generation::ModuleCtl
