#include "positions/batch_position_form.h"

namespace korvane::positions {

frmBatchPosition::frmBatchPosition(ui::UiHost& host, const host::VoucherListServicePtr& lists)
    : ui::Form(kFormName, host) {
    put_Caption("批量货位");
    resize(10500, 6600);
    toolbar_ = &add<ui::Toolbar>("Toolbar1");
    toolbar_->add_button("Quit", "退出");
    toolbar_->Move(0, 0, Width(), 450);
    // The toolbar, the combo box and the text field are the host's; the
    // window only closes itself.
    toolbar_->on_button_click = [this](ui::Toolbar::Button&) { Unload(); };
    auto& label = add<ui::Label>("Label1");
    label.put_Caption("货位");
    label.Move(120, 600, 500, 300);
    combo_ = &add<ui::ComboBox>("Combo1");
    combo_->Move(640, 560, 1800, 315);
    text_ = &add<ui::TextBox>("Text1");
    text_->Move(2560, 560, 3000, 315);
    list_ = &add<host::VoucherListControl>("VoucherList1");
    list_->Move(120, 1000, Width() - 240, Height() - 1120);
    if (lists) lists->bind(*list_);
    on_load = [this] {
        host_title_ = this->host().app_title();
        this->host().set_app_title("");
        list_->Load();
    };
    on_unload = [this] { this->host().set_app_title(host_title_); };
}

}  // namespace korvane::positions
