#include "generation/core/module_ctl.h"

#include <cstring>

#include "generation/core/texts.h"
#include "platform/registry/registry.h"
#include "platform/vb/convert.h"

namespace korvane::generation::ModuleCtl {

void CheckDateField(ui::UiHost& host, ui::TextBox& field, bool& cancel) {
    if (field.Text().empty() || vb::IsDate(Variant(field.Text()))) return;
    host.MsgBox(texts::kBadDate, ui::vb::vbCritical, texts::kDateTitle);
    field.select(0, field.length());
    cancel = true;
}

std::string BuildDateRangeSql(const std::string& field, const std::string& lower, const std::string& upper) {
    auto day = [](const std::string& t) { return vb::Format(Variant(t), "YYYY-MM-DD"); };
    if (lower.empty() && upper.empty()) return {};
    if (lower.empty()) return field + " <= '" + day(upper) + "'";
    if (upper.empty()) return field + " >= '" + day(lower) + "'";
    std::string l = day(lower), u = day(upper);
    if (u == l) return field + " = '" + u + "'";
    if (u > l) return field + " >= '" + l + "' AND    " + field + " <= '" + u + "'";
    return field + " >= '" + u + "' AND " + field + " <= '" + l + "'";
}

void FilterKeyAscii(ui::UiHost& host, int& key_ascii) {
    if (key_ascii > 0 && key_ascii < 128 && std::strchr(texts::kRefusedKeys, key_ascii)) {
        host.Beep();
        key_ascii = 0;
    }
}

void CloseRecordset(ado::RecordsetPtr& rs) {
    if (rs && rs->State() == ado::adStateOpen) rs->Close();
    rs.reset();
}

bool ShowRefButton(ui::TextBox& field, ui::CommandButton& button, std::string& sErr) {
    try {
        std::string kind = vb::LCase(field.Tag());
        if (kind == "rfnull") {
            button.put_Visible(false);
            return true;
        }
        button.put_Picture(kind == "rfdate" ? texts::kCalendarPicture : texts::kReferencePicture);
        button.put_Tag(field.Name());
        int height = field.Height() - 60;
        button.Move(field.Left() + field.Width() - height - 30, field.Top() + 30, height, height);
        button.put_Visible(true);
        return true;
    } catch (const std::exception& e) {
        sErr = e.what();
        return false;
    }
}

std::int16_t GetToolbarStyle(const registry::Registry& hklm) {
    try {
        auto style = hklm.query_string(texts::kAppearanceKey, texts::kToolbarStyle);
        if (!style) return 1;
        std::string v = style->substr(0, 128);
        return (!v.empty() && v[0] == 'T') ? 1 : 2;
    } catch (...) {
        return 1;  // an unreadable store counts as nothing stored
    }
}

std::int16_t ApplyToolbarStyle(const registry::Registry& hklm, ui::Toolbar& standard, ui::Toolbar& control) {
    const std::int16_t style = GetToolbarStyle(hklm);
    if (style == 1) {
        for (const auto& b : standard.buttons()) {
            auto& copy = control.add_button(b.key, b.caption, b.check);
            copy.tooltip = b.tooltip;
            copy.enabled = b.enabled;
            copy.visible = b.visible;
            copy.pressed = b.pressed;
            copy.image = b.image;
        }
        control.put_Style(1);
        control.put_Visible(true);
        standard.put_Visible(false);
    } else {
        control.put_Visible(false);
        standard.put_Visible(true);
    }
    return style;
}

void WriteRegistryString(registry::Registry& hklm, const std::string& key_path, const std::string& value_name,
                         const std::string& value) {
    try {
        hklm.set_string(key_path, value_name, value);
    } catch (...) {
        // the forms go on without their remembered state
    }
}

}  // namespace korvane::generation::ModuleCtl
