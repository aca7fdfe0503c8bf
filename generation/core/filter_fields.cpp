#include "generation/core/filter_fields.h"

#include <algorithm>
#include <memory>

#include "generation/core/module_ctl.h"
#include "generation/core/ref_fields.h"
#include "platform/vb/convert.h"

namespace korvane::generation::ModuleCtl {

namespace {
constexpr int kF2 = 113;
}  // namespace

ui::Label& AddFieldLabel(ui::Form& form, const char* name, const char* caption, int left, int top, int width) {
    auto& l = form.add<ui::Label>(name);
    l.put_Caption(caption);
    l.Move(left, top + 45, width, 270);
    return l;
}

ui::TextBox* AddFilterField(ui::Form& form, const char* name, const char* tag, int left, int top, int width) {
    auto& t = form.add<ui::TextBox>(name);
    t.put_Tag(tag);
    t.Move(left, top, width, 315);
    return &t;
}

void WireFilterFields(ui::Form& form, const FormServices& services, ui::CommandButton& refers,
                      std::vector<ui::TextBox*> fields, std::string title, FilterFieldRules rules) {
    auto list = std::make_shared<std::vector<ui::TextBox*>>(std::move(fields));
    auto shared_rules = std::make_shared<FilterFieldRules>(std::move(rules));
    auto ours = [list](ui::Control& c) -> ui::TextBox* {
        auto it = std::find(list->begin(), list->end(), &c);
        return it == list->end() ? nullptr : *it;
    };
    auto tell = [&form, title, icon = shared_rules->icon](const std::string& err) {
        if (!err.empty()) form.host().MsgBox(err, icon, title);
    };
    for (ui::TextBox* box : *list) box->on_change = [box] { box->put_ToolTipText(box->Text()); };
    refers.put_Visible(false);
    form.put_KeyPreview(true);

    form.on_got_focus = [ours, &refers, tell, shared_rules](ui::Control& c) {
        if (ui::TextBox* box = ours(c)) {
            std::string err;
            if (!ShowRefButton(*box, refers, err)) tell(err);
            else if (shared_rules->placed) shared_rules->placed(*box);
        } else if (&c != &refers) {
            refers.put_Visible(false);
        }
    };
    form.on_validate = [ours, &form, &services, &refers, tell, shared_rules](ui::Control& c, ui::Control* next,
                                                                             bool& cancel) {
        ui::TextBox* box = ours(c);
        if (!box || next == &refers) return;
        const auto& r = *shared_rules;
        using Refusal = FilterFieldRules::Refusal;
        if (r.refusal != Refusal::keep_focus) refers.put_Visible(false);
        if (std::find(r.unchecked.begin(), r.unchecked.end(), box) != r.unchecked.end()) return;
        if (vb::LCase(box->Tag()) == "rfdate") {
            CheckDateField(form.host(), *box, cancel);
            return;
        }
        std::string err;
        if (!CheckRefField(services, *box, err, true)) {
            tell(err);
            if (r.refusal == Refusal::empty_field) {
                box->put_Text("");
                return;
            }
            if (r.refusal == Refusal::show_button) refers.put_Visible(true);
            cancel = true;
        }
    };
    auto lookup = [&form, &services, &refers, tell] {
        if (refers.Tag().empty()) return;
        auto& box = form.control_as<ui::TextBox>(refers.Tag());
        std::string err;
        if (!LookupReference(services, box, refers, err, 0)) tell(err);
    };
    form.on_key_press = [&form](int& key) { FilterKeyAscii(form.host(), key); };
    form.on_key_down = [&refers, lookup](int& key, int) {
        if (key == kF2 && refers.Visible()) {
            lookup();
            key = 0;
        }
    };
    refers.on_click = lookup;
}

}  // namespace korvane::generation::ModuleCtl
