#include "generation/core/source_form.h"

#include "generation/core/filter_fields.h"
#include "platform/vb/convert.h"

namespace korvane::generation {

SourceForm::SourceForm(std::string name, FormServices services)
    : Form(std::move(name), services.host()), services_(std::move(services)) {}

void SourceForm::add_date_and_buttons(const char* date_caption, int label_width, int date_left) {
    auto& label = add<ui::Label>("lblOutDate");
    label.put_Caption(date_caption);
    label.Move(240, 9045, label_width, 270);
    date_ = &add<ui::TextBox>("txtOutDate");
    date_->put_Tag("rfdate");
    date_->Move(date_left, 9000, 1800, 315);
    ok_ = &add<ui::CommandButton>("cmdOk");
    ok_->put_Caption("确定(&O)");
    ok_->Move(10800, 8970, 1500, 390);
    exit_ = &add<ui::CommandButton>("cmdExit");
    exit_->put_Caption("取消(&X)");
    exit_->Move(12540, 8970, 1500, 390);

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

ui::Label& SourceForm::filter_label(const char* name, const char* caption, int left, int top, int width) {
    return ModuleCtl::AddFieldLabel(*this, name, caption, left, top, width);
}

ui::TextBox* SourceForm::filter_field(const char* name, const char* tag, int left, int top, int width) {
    return ModuleCtl::AddFilterField(*this, name, tag, left, top, width);
}

void SourceForm::add_filter_frame() {
    frame_ = &add<ui::Frame>("Frame1");
    frame_->put_Caption("过滤条件：");
    frame_->Move(120, 60, 14160, 1530);
    filter_label("lblDate", "日期：", 240, kFilterRow1, 700);
    l_date_ = filter_field("txtLDate", "rfdate", 960, kFilterRow1, 1320);
    filter_label("lblDateTo", "--", 2310, kFilterRow1, 240);
    u_date_ = filter_field("txtUDate", "rfdate", 2580, kFilterRow1, 1320);
}

ui::TextBox* SourceForm::add_filter_parties(const FilterPartner& partner) {
    filter_label("lblDept", "部门：", 240, kFilterRow2, 700);
    dept_ = filter_field("cmbDept", "rfdepartment", 960, kFilterRow2, 2940);
    filter_label("lblPerson", "业务员：", 4140, kFilterRow2, 1000);
    person_ = filter_field("cmbPerson", "rfperson", 5160, kFilterRow2, 2340);
    filter_label(partner.label, partner.caption, 7680, kFilterRow2, 900);
    return filter_field(partner.field, partner.tag, 8600, kFilterRow2, 2780);
}

}  // namespace korvane::generation
