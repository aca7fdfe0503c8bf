#include "generation/core/source_form.h"

#include "platform/vb/convert.h"

namespace korvane::generation {

SourceForm::SourceForm(std::string name, FormServices services)
    : Form(std::move(name), services.host()), services_(std::move(services)) {}

void SourceForm::add_date_and_buttons(const char* date_caption) {
    auto& label = add<ui::Label>("lblOutDate");
    label.put_Caption(date_caption);
    label.Move(240, 7500, 1100, 300);
    date_ = &add<ui::TextBox>("txtOutDate");
    date_->put_Tag("rfdate");
    date_->Move(1350, 7450, 1800, 330);
    ok_ = &add<ui::CommandButton>("cmdOk");
    ok_->put_Caption("确定(&O)");
    ok_->Move(9000, 7450, 1300, 400);
    exit_ = &add<ui::CommandButton>("cmdExit");
    exit_->put_Caption("取消(&X)");
    exit_->Move(10500, 7450, 1300, 400);

    on_load = [this] {
        if (services_.permission && services_.permission->GetSession())
            date_->put_Text(vb::format_date(services_.permission->GetSession()->LoginDate()));
        on_form_load();
    };
    on_unload = [this] {
        on_form_unload();
        hand_over(nullptr);
    };
    exit_->on_click = [this] { Unload(); };
}

}  // namespace korvane::generation
