#include "host/position_filter.h"

#include <vector>

#include "host/inventory.h"

namespace korvane::host {

namespace {
std::string trimmed(const std::string& s) {
    const auto a = s.find_first_not_of(' ');
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(' ') - a + 1);
}
}  // namespace

frmPositionFilter::frmPositionFilter(ui::UiHost& host, const std::string& filter_name)
    : ui::Form(kFormName, host) {
    put_Caption(filter_name.empty() ? "货位过滤" : filter_name + " - 过滤条件");
    resize(6000, 3900);
    int top = 240;
    auto field = [&](const char* name, const char* caption, int left, int width) {
        auto& label = add<ui::Label>(std::string("lbl") + (name + 3));
        label.put_Caption(caption);
        label.Move(left, top + 40, 1100, 300);
        auto& box = add<ui::TextBox>(name);
        box.Move(left + 1150, top, width, 315);
        return &box;
    };
    wh_ = field("txtWhCode", "仓库编码", 240, 1500);
    top += 480;
    from_ = field("txtPosFrom", "货位编码", 240, 1500);
    to_ = &add<ui::TextBox>("txtPosTo");
    auto& dash = add<ui::Label>("lblTo");
    dash.put_Caption("至");
    dash.Move(3050, top + 40, 300, 300);
    to_->Move(3400, top, 1500, 315);
    top += 480;
    name_ = field("txtPosName", "货位名称", 240, 3510);
    top += 480;
    inv_ = field("txtInvCode", "存放存货", 240, 1500);
    top += 480;
    stocked_ = &add<ui::CheckBox>("chkStocked");
    stocked_->put_Caption("只列出有结存的货位");
    stocked_->Move(1390, top, 3000, 300);
    top += 600;
    ok_button_ = &add<ui::CommandButton>("cmdOk");
    ok_button_->put_Caption("确定");
    ok_button_->Move(2900, top, 1200, 375);
    cancel_button_ = &add<ui::CommandButton>("cmdCancel");
    cancel_button_->put_Caption("取消");
    cancel_button_->Move(4300, top, 1200, 375);
    ok_button_->on_click = [this] {
        confirmed_ = true;
        Unload();
    };
    cancel_button_->on_click = [this] {
        confirmed_ = false;
        Unload();
    };
}

std::string frmPositionFilter::condition() const {
    std::vector<std::string> parts;
    const std::string wh = trimmed(wh_->Text()), from = trimmed(from_->Text()), to = trimmed(to_->Text()),
                      name = trimmed(name_->Text()), inv = trimmed(inv_->Text());
    if (!wh.empty()) parts.push_back("Position.cWhCode = " + sql_quoted(wh));
    if (!from.empty()) parts.push_back("Position.cPosCode >= " + sql_quoted(from));
    if (!to.empty()) parts.push_back("Position.cPosCode <= " + sql_quoted(to));
    if (!name.empty()) parts.push_back("Position.cPosName like " + sql_quoted("%" + name + "%"));
    if (!inv.empty() || stocked_->Value() == 1) {
        std::string held = "Position.cPosCode in (select cPosCode from InvPositionSum where iQuantity <> 0";
        if (!inv.empty()) held += " and cInvCode = " + sql_quoted(inv);
        parts.push_back(held + ")");
    }
    std::string where;
    for (const auto& p : parts) where += (where.empty() ? "" : " and ") + p;
    return where;
}

}  // namespace korvane::host
