// The procedures the generation forms share: date fields, date-range
// conditions, the key filter, closing record sets, the toolbar style and the
// registry writer.
#pragma once

#include <cstdint>
#include <string>

#include "platform/ado/recordset.h"
#include "platform/registry/registry.h"
#include "platform/ui/bars.h"
#include "platform/ui/controls.h"
#include "platform/ui/ui_host.h"

namespace korvane::generation::ModuleCtl {

// A non-empty text that is no date: tells the user, selects the text and keeps the focus.
void CheckDateField(ui::UiHost& host, ui::TextBox& field, bool& cancel);
// The condition on column F for the bounds given (either may be empty).
std::string BuildDateRangeSql(const std::string& field, const std::string& lower, const std::string& upper);
// Drops (with a beep) the characters that would break the forms' SQL.
void FilterKeyAscii(ui::UiHost& host, int& key_ascii);
// Closes an open record set and releases it.
void CloseRecordset(ado::RecordsetPtr& rs);
// Places the reference button inside the right end of a field that gets the
// focus (hidden for a field without a reference); false with the reason in sErr.
bool ShowRefButton(ui::TextBox& field, ui::CommandButton& button, std::string& sErr);
// 1 for the text-style toolbar (also when nothing is stored), else 2.
std::int16_t GetToolbarStyle(const registry::Registry& hklm);
// Shows the toolbar the stored style asks for: style 1 the ToolbarControl,
// given copies of the standard toolbar's buttons; style 2 the standard
// toolbar. Returns the style.
std::int16_t ApplyToolbarStyle(const registry::Registry& hklm, ui::Toolbar& standard, ui::Toolbar& control);
// Writes a string value under HKEY_LOCAL_MACHINE; fails silently.
void WriteRegistryString(registry::Registry& hklm, const std::string& key_path, const std::string& value_name,
                         const std::string& value);

}  // namespace korvane::generation::ModuleCtl
