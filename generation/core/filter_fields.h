// The handlers every generation form gives its row of filter fields: the
// floating reference button placed in the field that gets the focus, the
// typed text checked when the user leaves (unless for the button itself),
// the tooltip following the text, F2 and the button opening the field's
// reference list, and every typed key through the key filter.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "generation/core/form_services.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"

namespace korvane::generation::ModuleCtl {

// Takes over the form's focus, validate and key handlers for `fields`;
// `services` must live as long as the form. A refused entry is told in a
// message box titled `title` and keeps the focus.
struct FilterFieldRules {
    enum class Refusal {
        keep_focus,   // the message, and the focus stays in the field
        empty_field,  // the button hidden, the message, the field emptied
        show_button,  // the button hidden, the message, the button shown again
    };
    Refusal refusal = Refusal::keep_focus;
    // The message box's buttons and icon for a refused entry.
    int icon = ui::vb::vbInformation;
    // Fields taken as typed (document numbers): leaving one only hides the button.
    std::vector<ui::TextBox*> unchecked;
    // Runs after the button was placed in a field that got the focus.
    std::function<void(ui::TextBox&)> placed;
};

// A filter row's label and field, placed as both generation forms place them.
ui::Label& AddFieldLabel(ui::Form& form, const char* name, const char* caption, int left, int top, int width);
ui::TextBox* AddFilterField(ui::Form& form, const char* name, const char* tag, int left, int top, int width);

void WireFilterFields(ui::Form& form, const FormServices& services, ui::CommandButton& refers,
                      std::vector<ui::TextBox*> fields, std::string title, FilterFieldRules rules = {});

}  // namespace korvane::generation::ModuleCtl
