#include "generation/purchase/stock_order_form.h"

#include <cmath>

#include "generation/core/body_rows.h"
#include "generation/core/filter_fields.h"
#include "generation/core/grid_fill.h"
#include "generation/core/list_layout.h"
#include "generation/core/module_ctl.h"
#include "generation/core/ref_fields.h"
#include "generation/core/texts.h"
#include "generation/core/warehouse_fields.h"
#include "generation/purchase/texts.h"
#include "host/stock_queries.h"
#include "selection/ref_select_form.h"
#include "platform/vb/collection.h"
#include "platform/vb/convert.h"

namespace korvane::generation {

namespace T = purchase_texts;
using namespace ui::vb;

namespace {

constexpr int kF2 = 113, kKeyB = 66, kKeyQ = 81, kCtrl = 2, kEnter = 13;
constexpr int kBusyPointer = 13;

std::string and_joined(const std::string& a, const std::string& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return a + " and " + b;
}

double rounded(double v, int decimals) {
    return vb::Val(vb::Format(Variant(v), vb::decimals_pattern(decimals)));
}

}  // namespace

frmStockOrder::frmStockOrder(FormServices services) : SourceForm(kFormName, std::move(services)) {
    put_Caption(T::kCaption);
    put_KeyPreview(true);
    resize(14400, 9900);
    build_filter_row();
    build_lists();
    build_bottom_row();
    wire_fields();
}

void frmStockOrder::build_filter_row() {
    auto label = [this](auto... a) -> ui::Label& { return filter_label(a...); };
    auto field = [this](auto... a) { return filter_field(a...); };
    const int r1 = kFilterRow1, r2 = kFilterRow2, r3 = kFilterRow3;
    add_filter_frame();
    lbl_plan_ = &label("lblPlanArriveDate", "计划到货日期：", 4140, r1, 1400);
    l_plan_ = field("txtLPlanArriveDate", "rfdate", 5560, r1, 1320);
    label("lblPlanTo", "--", 6910, r1, 240);
    u_plan_ = field("txtUPlanArriveDate", "rfdate", 7180, r1, 1320);
    lbl_po_id_ = &label("lblPOID", "订单号：", 8760, r1, 900);
    po_id_ = field("cmbPOID", "rfnull", 9680, r1, 1700);
    lbl_arr_id_ = &label("lblArrID", "到货单号：", 11520, r1, 1000);
    arr_id_ = field("cmbArrID", "rfnull", 12540, r1, 1600);

    vendor_ = add_filter_parties({"lblVen", "供应商：", "cmbVen", "rfvendor"});
    lbl_wh_name_ = &label("lblWhName", "仓库：", 11520, r2, 700);
    wh_name_ = field("cmbWhName", "rfwarehouse", 12240, r2, 1900);

    label("lblBusType", "业务类型：", 240, r3, 1000);
    bus_type_ = &add<ui::ComboBox>("cmbBusType");
    bus_type_->Move(1260, r3, 1800, 315);
    chk_bus_type_ = &add<ui::CheckBox>("chkBusType");
    chk_bus_type_->put_Caption(T::kConsigned);
    chk_bus_type_->Move(3300, r3, 1200, 315);
    chk_all_ = &add<ui::CheckBox>("chkAll");
    chk_all_->put_Caption("执行完未关闭的显示");
    chk_all_->Move(4700, r3, 2400, 315);
}

void frmStockOrder::build_lists() {
    tabs_ = &add<ui::TabStrip>("SSTab1");
    tabs_->add_tab("采购订单");
    tabs_->add_tab("采购到货单");
    tabs_->Move(120, 1650, 14160, 7080);
    auto grid = [this](const char* name, int top, int height, long tab) {
        auto& g = add<ui::Grid>(name);
        g.Move(240, top, 13920, height);
        g.put_Rows(1);  // the caption row alone until a filter fills it
        tabs_->place(g, tab);
        return &g;
    };
    order_head_ = grid("lstDdHead", 2070, 2700, 0);
    arrival_head_ = grid("lstDhdHead", 2070, 2700, 1);
    order_body_ = grid("lstDdBody", 5280, 3330, 0);
    arrival_body_ = grid("lstDhdBody", 5280, 3330, 1);
    cmd_filter_ = &add<ui::CommandButton>("cmdFilter");
    command1_ = &add<ui::CommandButton>("Command1");
    for (auto* b : {cmd_filter_, command1_}) {
        b->put_Caption("过滤(&F)");
        b->Move(12840, 4830, 1320, 390);
    }
    tabs_->place(*cmd_filter_, 0);
    tabs_->place(*command1_, 1);
    check1_ = &add<ui::CheckBox>("Check1");
    check1_->put_Caption("显示表体：");
    check1_->Move(240, 4860, 1500, 315);
    chk_edit_ = &add<ui::CheckBox>("chkEdit");
    chk_edit1_ = &add<ui::CheckBox>("chkEdit1");
    for (auto* c : {chk_edit_, chk_edit1_}) {
        c->put_Caption("生单后是否编辑");
        c->Move(1900, 4860, 2000, 315);
    }
    tabs_->place(*chk_edit_, 0);
    tabs_->place(*chk_edit1_, 1);

    const auto menu = ModuleCtl::AddLineMenu(*this);
    menu_ = menu.menu;
    copy_line_ = menu.copy_line;
    delete_line_ = menu.delete_line;
    clear_all_ = menu.clear_all;
}

void frmStockOrder::build_bottom_row() {
    lbl_wh_ = &add<ui::Label>("lblWh");
    lbl_wh_->put_Caption("入库仓库：");
    lbl_wh_->Move(3600, 9045, 1000, 270);
    txt_wh_ = &add<ui::TextBox>("txtWh");
    txt_wh_->Move(4620, 9000, 2200, 315);
    cmd_wh_ = &add<ui::CommandButton>("cmdWh");
    cmd_wh_->Move(6520, 9030, 270, 255);
    cmd_refers_ = &add<ui::CommandButton>("cmdRefers");
    add_date_and_buttons("入库日期：", 1000, 1260);
}

void frmStockOrder::wire_fields() {
    ok_->on_click = [this] { confirm(); };
    tabs_->on_click = [this](long previous) { tab_switch(previous); };
    cmd_filter_->on_click = [this] { command1_->on_click(); };
    command1_->on_click = [this] { RunFilter(); };
    chk_bus_type_->on_click = [this] { RunFilter(); };
    chk_all_->on_click = [this] { services_.source_query->put_ShowExecuted(chk_all_->Value() == 1); };
    check1_->on_click = [this] { show_lines(); };
    bus_type_->on_drop_down = [this] {
        if (bus_type_->ListCount() > 0) return;
        bus_type_->AddItem("");
        bus_type_->AddItem(T::kOrdinary);
        if (services_.session()->GetOptions()->SysVersion() == T::kCommercial) bus_type_->AddItem(T::kConsigned);
    };
    bus_type_->on_click = [this] { bus_type_picked(); };

    // Heads: the click on column 0 (orders) passes the inventory condition
    // alone, the mouse-up elsewhere (and anywhere on arrivals) the full one.
    order_head_->on_click = [this] {
        if (order_head_->Row() >= 1 && order_head_->Col() == 0) toggle_head(*order_head_, order_head_->Row(), false);
    };
    order_head_->on_mouse_up = [this](int, int) {
        ui::Grid& g = *order_head_;
        if (g.Row() >= 1 && g.Col() != 0 && g.Col() == g.MouseCol()) toggle_head(g, g.Row(), true);
    };
    arrival_head_->on_mouse_up = [this](int, int) {
        ui::Grid& g = *arrival_head_;
        if (g.Row() >= 1 && g.Col() == g.MouseCol()) toggle_head(g, g.Row(), true);
    };
    for (auto* g : {order_head_, arrival_head_}) g->put_Editable(false);
    wire_body(*order_body_);
    wire_body(*arrival_body_);

    copy_line_->on_click = [this] {
        ui::Grid& body = body_list();
        ModuleCtl::CopyCurrentLine(body, &body == arrival_body_);
    };
    clear_all_->on_click = [this] {
        ModuleCtl::ClearLineMarks(*order_body_);
        ModuleCtl::ClearLineMarks(*arrival_body_);
    };

    // The filter fields share the generation forms' handlers; the receipt
    // warehouse field has its own button, and F2 falls through to it.
    ModuleCtl::FilterFieldRules rules;
    rules.refusal = ModuleCtl::FilterFieldRules::Refusal::show_button;
    rules.icon = vbOKOnly;
    rules.unchecked = {po_id_, arr_id_};
    ModuleCtl::WireFilterFields(*this, services_, *cmd_refers_,
                                {l_date_, u_date_, l_plan_, u_plan_, po_id_, arr_id_, dept_, person_, vendor_,
                                 wh_name_, date_},
                                texts::kSystemTitle, std::move(rules));
    auto fields_got_focus = on_got_focus;
    on_got_focus = [this, fields_got_focus](ui::Control& c) {
        if (&c == txt_wh_) cmd_wh_->put_Visible(true);
        else fields_got_focus(c);
    };
    auto fields_validate = on_validate;
    on_validate = [this, fields_validate](ui::Control& c, ui::Control* next, bool& cancel) {
        if (&c != txt_wh_) fields_validate(c, next, cancel);
        else if (next != cmd_wh_) warehouse_field_left();
    };
    cmd_wh_->on_click = [this] { warehouse_button(); };
    txt_wh_->on_key_press = [this](int key) {
        if (key == kEnter) set_focus(ok_);
        return key == kEnter ? 0 : key;
    };
    auto fields_key_down = on_key_down;
    on_key_down = [this, fields_key_down](int& key, int shift) {
        fields_key_down(key, shift);
        if (key != 0) form_key_down(key, shift);
    };
}

void frmStockOrder::on_form_load() {
    services_.host().set_app_title("");
    auto options = services_.session()->GetOptions();
    chk_bus_type_->put_Visible(options->SysVersion() != T::kIndustrial);
    chk_bus_type_->put_Value(0);
    tabs_->on_click = nullptr;
    tabs_->put_Tab(0);
    tabs_->on_click = [this](long previous) { tab_switch(previous); };
    tab_switch(-1);
    for (auto* g : {order_head_, order_body_, arrival_head_, arrival_body_}) g->put_GridColor(ui::kGrey);
    cmd_wh_->put_Picture(texts::kReferencePicture);
    cmd_wh_->put_Visible(false);
    cmd_refers_->put_Visible(false);
    txt_wh_->put_Enabled(check1_->Value() == 1);
    lbl_wh_->put_Enabled(check1_->Value() == 1);
    cmd_wh_->put_Enabled(check1_->Value() == 1);
    services_.source_query->put_ShowExecuted(false);
}

std::string frmStockOrder::department_scope() const {
    std::string list = services_.session()->RowAuthorityList("department", "", "W");
    if (list.empty()) return {};
    return T::kDeptScopeHead + list + T::kDeptScopeTail;
}

void frmStockOrder::tab_switch(long previous) {
    const long now = tabs_->Tab();
    l_plan_->put_Enabled(now == 0);
    u_plan_->put_Enabled(now == 0);
    lbl_plan_->put_Enabled(now == 0);
    if (now == 0) wh_name_->put_Text("");
    wh_name_->put_Enabled(now == 1);
    lbl_wh_name_->put_Enabled(now == 1);
    where_.clear();
    if (now == 1 && previous == 0 && !tab_guard_) {
        if (services_.host().MsgBox(T::kToArrivals, vbYesNo | vbQuestion | vbDefaultButton2, texts::kSystemTitle) == vbNo) {
            tab_guard_ = !tab_guard_;
            tabs_->put_Tab(0);
            return;
        }
        order_head_->put_Rows(1);
        order_body_->put_Rows(1);
        txt_wh_->put_Text("");
        l_plan_->put_Text("");
        u_plan_->put_Text("");
        po_id_->put_Text("");
        chk_all_->put_Value(0);
        chk_all_->put_Enabled(false);
    }
    if (now == 1) {
        po_id_->put_Enabled(false);
        lbl_po_id_->put_Enabled(false);
        arr_id_->put_Enabled(true);
        lbl_arr_id_->put_Enabled(true);
        where_ = department_scope();
        std::string wh = services_.session()->RowAuthorityList("warehouse", "", "W");
        if (!wh.empty()) where_ += (where_.empty() ? "" : " AND ") + (T::kWhScopeHead + wh + T::kWhScopeTail);
    }
    if (now == 0 && previous == 1 && !tab_guard_) {
        if (services_.host().MsgBox(T::kToOrders, vbYesNo | vbQuestion | vbDefaultButton2, texts::kSystemTitle) == vbNo) {
            tab_guard_ = !tab_guard_;
            tabs_->put_Tab(1);
            return;
        }
        arrival_head_->put_Rows(1);
        arrival_body_->put_Rows(1);
        txt_wh_->put_Text("");
        arr_id_->put_Text("");
        chk_all_->put_Value(0);
        chk_all_->put_Enabled(true);
    }
    if (now == 0) {
        po_id_->put_Enabled(true);
        lbl_po_id_->put_Enabled(true);
        arr_id_->put_Enabled(false);
        lbl_arr_id_->put_Enabled(false);
        where_ = department_scope();
    }
    tab_guard_ = false;
    cmd_wh_->put_Visible(false);
}

void frmStockOrder::RunFilter() {
    ui::UiHost& host = services_.host();
    host.set_mouse_pointer(kBusyPointer);
    const bool arrivals = tabs_->Tab() == 1;
    const std::string table = arrivals ? "pu_ArrHead" : "zpurpoheader";
    where_.clear();
    auto append = [this](const std::string& fragment) { where_ += (where_.empty() ? "" : " and") + fragment; };
    if (!l_date_->Text().empty() || !u_date_->Text().empty())
        append(ModuleCtl::BuildDateRangeSql(arrivals ? "pu_ArrHead.ddate" : "zpurpoheader.dpodate", l_date_->Text(),
                                            u_date_->Text()));
    const std::pair<ui::TextBox*, const char*> fields[] = {
        {dept_, ".cdepname = '"}, {person_, ".cpersonname = '"}, {arr_id_, ".cCode = '"},
        {po_id_, ".cPOId = '"},   {vendor_, ".cVenAbbName = '"},
    };
    for (const auto& [f, column] : fields)
        if (!f->Text().empty()) append(" " + table + column + f->Text() + "'");
    if (!bus_type_->Text().empty()) {
        const std::string w = where_;
        const std::string j = w.empty() ? "" : " and";
        where_ = "((" + w + j + " " + table + ".cBusType = '" + bus_type_->Text() + "') Or (" + w + j + " " + table +
                 ".cBusType = ''))";
    }
    if (std::string scope = department_scope(); !scope.empty()) where_ += (where_.empty() ? "" : " AND ") + scope;
    // The document the host opened the form for.
    if (const std::string& clause = context_.filter_clause; !clause.empty()) {
        std::string column = clause;
        if (!arrivals && vb::LCase(column.substr(0, 5)) == "ccode") column = "cPOID" + column.substr(5);
        append(" " + table + "." + column);
    }
    auto& queries = *services_.source_query;
    rs_head_ = arrivals ? queries.GetArrivalHeads(services_.session(), where_)
                        : queries.GetOrderHeads(services_.session(), where_);
    ui::Grid& head = head_list();
    ModuleCtl::FillSourceGrid(services_, rs_head_, head, false, false);
    ModuleCtl::SetListLayout(services_, head, rs_head_);
    head.put_ColWidth(0, 560);
    services_.layouts().BodyLaidOutA = false;
    services_.layouts().BodyLaidOutB = false;
    show_lines();
    host.set_mouse_pointer(0);
}

std::string frmStockOrder::OrderLineWhere(bool full) const {
    std::string list = services_.session()->RowAuthorityList("inventory", "", "W");
    std::string inventory = list.empty() ? "" : T::kInvIn + list + ")";
    if (!full) return inventory;
    if (!l_plan_->Text().empty() || !u_plan_->Text().empty())
        inventory += (inventory.empty() ? "" : " and ") +
                     ModuleCtl::BuildDateRangeSql("dArriveDate", l_plan_->Text(), u_plan_->Text());
    auto options = services_.session()->GetOptions();
    std::string consigned =
        options->SysVersion() == T::kCommercial && chk_bus_type_->Value() != 0 ? T::kConsignedOnly : "";
    return and_joined(consigned, inventory);
}

std::string frmStockOrder::ArrivalLineWhere(bool show_lines) const {
    std::string list = services_.session()->RowAuthorityList("inventory", "", "W");
    std::string where = list.empty() ? "" : (show_lines ? T::kInvIn : T::kInvInBlank) + list + ")";
    std::string wh = services_.session()->RowAuthorityList("warehouse", "", "W");
    if (!wh.empty()) where += (where.empty() ? "" : " AND ") + (T::kArrWhHead + wh + T::kArrWhTail);
    if (show_lines && !wh_name_->Text().empty())
        where += (where.empty() ? "" : " and ") + (T::kWhNameFragment + wh_name_->Text() + "'");
    return where;
}

void frmStockOrder::append_lines(ui::Grid& head, long row, const std::string& where) {
    const bool orders = &head == order_head_;
    const long key_col = ModuleCtl::GetColumnIndex(orders ? "poid" : "id", rs_head_, head.Cols());
    if (key_col <= 0) return;
    Variant key(head.TextMatrix(row, key_col));
    auto& queries = *services_.source_query;
    rs_body_ = orders ? queries.GetOrderLines(services_.session(), key, where)
                      : queries.GetArrivalLines(services_.session(), key, where);
    ui::Grid& body = orders ? *order_body_ : *arrival_body_;
    ModuleCtl::FillSourceGrid(services_, rs_body_, body, true, true);
    lay_out_body(body, rs_body_);
}

void frmStockOrder::lay_out_body(ui::Grid& body, const ado::RecordsetPtr& rs) {
    ModuleCtl::SetListLayout(services_, body, rs);
    body.put_ColWidth(0, 560);
    const bool orders = &body == order_body_;
    for (long c = 1; c < body.Cols(); ++c) {
        const std::string caption(body.TextMatrix(0, c));
        bool lookup = caption == "仓库" || caption == "批号" || caption == "入库单号" || caption == "库存单位";
        const long f = c - 1;
        if (orders && rs && f < rs->Fields().Count() &&
            vb::Like(vb::LCase(rs->Fields().Item(Variant(f)).Name()), "cfree*"))
            lookup = true;
        body.put_ColButton(c, lookup);
    }
}

void frmStockOrder::toggle_head(ui::Grid& head, long row, bool full_fragment) {
    if (row < 1 || row >= head.Rows()) return;
    const bool orders = &head == order_head_;
    ui::Grid& body = orders ? *order_body_ : *arrival_body_;
    bool& laid_out = orders ? services_.layouts().BodyLaidOutB : services_.layouts().BodyLaidOutA;
    if (!head.TextMatrix(row, 0).empty()) {
        head.put_TextMatrix(row, 0, "");
        if (check1_->Value() == 1) {
            laid_out = false;
            show_lines();
        }
        return;
    }
    head.put_TextMatrix(row, 0, "Y");
    if (check1_->Value() != 1) return;
    if (body.Rows() <= 1) laid_out = false;
    append_lines(head, row, orders ? OrderLineWhere(full_fragment) : ArrivalLineWhere(false));
}

void frmStockOrder::show_lines() {
    const bool orders = tabs_->Tab() == 0;
    ui::Grid& head = orders ? *order_head_ : *arrival_head_;
    ui::Grid& body = orders ? *order_body_ : *arrival_body_;
    body.put_Rows(1);
    if (check1_->Value() == 1) {
        (orders ? services_.layouts().BodyLaidOutB : services_.layouts().BodyLaidOutA) = false;
        const std::string where = orders ? OrderLineWhere(true) : ArrivalLineWhere(true);
        for (long r = 1; r < head.Rows(); ++r)
            if (!head.TextMatrix(r, 0).empty()) append_lines(head, r, where);
    }
    const bool on = check1_->Value() == 1;
    txt_wh_->put_Enabled(on);
    lbl_wh_->put_Enabled(on);
    cmd_wh_->put_Enabled(on);
    if (!on) txt_wh_->put_Text("");
    services_.host().set_mouse_pointer(0);
}

void frmStockOrder::bus_type_picked() {
    const bool commercial = services_.session()->GetOptions()->SysVersion() == T::kCommercial;
    if (bus_type_->Text() == T::kConsigned) {
        chk_bus_type_->put_Value(2);
        chk_bus_type_->put_Visible(false);
    } else if (commercial) {
        chk_bus_type_->put_Value(0);
        chk_bus_type_->put_Visible(true);
    }
}

void frmStockOrder::confirm() {
    order_body_->finish_edit();
    arrival_body_->finish_edit();
    ui::UiHost& host = services_.host();
    if (host.MsgBox(T::kConfirm, vbYesNo | vbQuestion, "") == vbNo) return;
    const bool orders = tabs_->Tab() == 0;
    ui::Grid& head = head_list();
    if (head.Rows() <= 1) {
        host.MsgBox(orders ? T::kNoOrderHeads : T::kNoArrivalHeads, vbCritical, texts::kSystemTitle);
        return;
    }
    // Checking it raises its click: the show-lines action loads the marked heads' lines.
    if (check1_->Value() != 1) check1_->put_Value(1);
    if (!rs_body_ || rs_body_->State() != ado::adStateOpen) {
        host.MsgBox(T::kChooseRecords, vbInformation, texts::kSystemTitle);
        return;
    }
    auto body = ModuleCtl::EmptyRecordsetCopy(rs_body_);
    ModuleCtl::RowsToRecordset(body_list(), body, 0);
    if (body->RecordCount() == 0) {
        host.MsgBox(T::kChooseRecords, vbInformation, texts::kSystemTitle);
        return;
    }
    auto heads = ModuleCtl::EmptyRecordsetCopy(rs_head_);
    ModuleCtl::RowsToRecordset(head, heads, 0,
                               orders ? (chk_bus_type_->Value() == 0 ? T::kOrdinary : T::kConsigned) : "");
    stock_order_ = orders;
    auto c = std::make_shared<Collection>();
    c->Add(Variant(ObjectPtr(heads)), Variant("Head"));
    c->Add(Variant(ObjectPtr(body)), Variant("Body"));
    c->Add(Variant(date_->Text()), Variant("Date"));
    hand_over(std::move(c));
    ModuleCtl::WriteRegistryString(services_.settings(), texts::kKcglKey, T::kOrderForm,
                                   std::to_string(chk_edit_->Value()));
    ModuleCtl::WriteRegistryString(services_.settings(), texts::kKcglKey, T::kArrivalForm,
                                   std::to_string(chk_edit1_->Value()));
    services_.layouts().BodyLaidOutA = false;
    services_.layouts().BodyLaidOutB = false;
    Hide();
}

void frmStockOrder::form_key_down(int& key, int shift) {
    if (key == kF2) {
        if (cmd_wh_->Visible()) warehouse_button();
        else if (active_control() == order_body_ || active_control() == arrival_body_) {
            ui::Grid& body = body_list();
            cell_lookup(body, body.Row(), body.Col());
        }
        key = 0;
        return;
    }
    if (shift == kCtrl && (key == kKeyB || key == kKeyQ)) {
        ui::Grid& body = body_list();
        if (body.Rows() <= 1) return;
        const long col = ModuleCtl::CaptionColumn(body, key == kKeyB ? "批号" : "入库单号");
        std::string result;
        if (col > 0) {
            const std::string text(body.TextMatrix(body.Row(), col));
            if (key == kKeyB) AssignBatches(body, text, true, result);
            else AssignReceiptLines(body, text, true, result);
        }
        key = 0;
    }
}

// ---- body lists ----

void frmStockOrder::wire_body(ui::Grid& body) {
    body.on_before_edit = [this, &body](long row, long col, bool&) { old_cell_text_ = body.TextMatrix(row, col); };
    body.on_click = [this, &body] {
        if (body.Row() >= 1 && body.Col() == 0)
            body.put_TextMatrix(body.Row(), 0, body.TextMatrix(body.Row(), 0).empty() ? "Y" : "");
    };
    body.on_mouse_up = [this, &body](int button, int) {
        if (button == ui::vbRightButton) {
            PopupMenu(*menu_);
            return;
        }
        if (body.Row() >= 1 && body.Col() != 0 && body.Col() == body.MouseCol())
            body.put_TextMatrix(body.Row(), 0, body.TextMatrix(body.Row(), 0).empty() ? "Y" : "");
    };
    body.on_row_col_change = [this, &body] { body_cell_entered(body); };
    body.on_cell_button_click = [this, &body](long row, long col) { cell_lookup(body, row, col); };
    body.on_validate_edit = [this, &body](long row, long col, std::string& text, bool&) {
        validate_line_edit(body, row, col, text);
    };
}

void frmStockOrder::row_copies(ui::Grid& body, long row, ado::RecordsetPtr& head, ado::RecordsetPtr& line) {
    line = ModuleCtl::EmptyRecordsetCopy(rs_body_);
    ModuleCtl::RowsToRecordset(body, line, row);
    head = rs_head_ ? ModuleCtl::EmptyRecordsetCopy(rs_head_) : nullptr;
    // The head the line belongs to: the marked head whose key the line carries.
    ui::Grid& heads = &body == order_body_ ? *order_head_ : *arrival_head_;
    const bool orders = &body == order_body_;
    const long head_key = head ? ModuleCtl::GetColumnIndex(orders ? "poid" : "id", rs_head_, heads.Cols()) : 0;
    const long line_key = ModuleCtl::GetColumnIndex(orders ? "poid" : "arrid", rs_body_, body.Cols());
    if (head_key <= 0 || line_key <= 0) return;
    for (long r = 1; r < heads.Rows(); ++r)
        if (heads.TextMatrix(r, head_key) == body.TextMatrix(row, line_key)) {
            ModuleCtl::RowsToRecordset(heads, head, r);
            break;
        }
}

void frmStockOrder::body_cell_entered(ui::Grid& body) {
    if (!rs_body_ || body.Row() < 1 || body.Row() >= body.Rows()) return;
    ado::RecordsetPtr head, line;
    row_copies(body, body.Row(), head, line);
    if (!ModuleCtl::SetBodyCellState(services_, session::kPurchaseReceiptKind, head, line, body, message_)) {
        services_.host().MsgBox(message_, vbOKOnly, texts::kSystemTitle);
        message_.clear();
    }
}

void frmStockOrder::restore(ui::Grid& body, long row, long col, long partner, std::string& text) {
    text = old_cell_text_;
    body.put_TextMatrix(row, col, old_cell_text_);
    if (partner > 0) body.put_TextMatrix(row, partner, partner_text_);
}

void frmStockOrder::validate_line_edit(ui::Grid& body, long row, long col, std::string& text) {
    if (!run_line_checks(body, row, col, text)) text = old_cell_text_;
}

bool frmStockOrder::run_line_checks(ui::Grid& body, long row, long col, std::string& text) {
    ui::UiHost& host = services_.host();
    const bool orders = &body == order_body_;
    const long cols = body.Cols();
    const std::string caption(body.TextMatrix(0, col));
    const long quantity_col = cols - 2, pieces_col = cols - 1;
    const bool amount = col == quantity_col || col == pieces_col;
    const long partner = col == quantity_col ? pieces_col : col == pieces_col ? quantity_col : 0;
    partner_text_ = partner > 0 ? body.TextMatrix(row, partner) : std::string();
    auto field_col = [&](const char* name) { return ModuleCtl::GetColumnIndex(name, rs_body_, cols); };
    auto cell = [&](const char* name) {
        long c = field_col(name);
        return c > 0 ? ModuleCtl::CellAmount(body, row, c) : 0.0;
    };
    auto refuse = [&](const std::string& message, int flags, const char* title, bool with_partner) {
        host.MsgBox(message, flags, title);
        restore(body, row, col, with_partner ? partner : 0, text);
        return false;
    };

    // 1. Dates.
    bool date_column = caption == "失效日期" || caption == "生产日期";
    if (!date_column && rs_body_ && col - 1 < rs_body_->Fields().Count()) {
        int type = rs_body_->Fields().Item(Variant(col - 1)).Type();
        date_column = type == 7 || type == 133 || type == 134 || type == 135;
    }
    if (date_column && !text.empty() && !vb::IsDate(Variant(text)))
        return refuse(texts::kBadDate, vbCritical, texts::kDateTitle, false);

    // 2. Warehouse.
    if (caption == "仓库") {
        const long invouch = field_col("cinvouchcode");
        if (invouch > 0 && !body.TextMatrix(row, invouch).empty()) {
            host.MsgBox(T::kWarehouseTied, vbCritical, texts::kSystemTitle);
            text = old_cell_text_;
        }
        const bool ok = ModuleCtl::ResolveWarehouse(services_, text, wh_code_, body, {});
        if (long code = services_.layouts().WhCodeCol; code > 0 && code < cols)
            body.put_TextMatrix(row, code, ok ? wh_code_ : std::string());
        if (!ok) text.clear();
    }

    const double t = ModuleCtl::TextAmount(text);
    // 3. Sign of a floating-rate line's quantity against its pieces.
    if (orders && col == quantity_col && vb::CLng(Variant(cell("igrouptype"))) == 2 &&
        t * ModuleCtl::CellAmount(body, row, pieces_col) < 0)
        return refuse(std::string(T::kPiecesFirstHead) + (t < 0 ? "负" : "正") + T::kPiecesFirstTail, vbOKOnly, "",
                      false);
    if (!orders && amount && t * ModuleCtl::TextAmount(old_cell_text_) < 0)
        return refuse(std::string(col == quantity_col ? T::kQuantityNotHead : T::kPiecesNotHead) +
                          (t > 0 ? "正数" : "负数"),
                      vbOKOnly, texts::kSystemTitle, false);

    // 4. A changed in-voucher number lets go of the receipt line it named.
    const long corid = field_col("icorid");
    if (caption == "入库单号" && !old_cell_text_.empty() && corid > 0) body.put_TextMatrix(row, corid, "");

    // 5. The line written back through its copy.
    if (rs_body_) {
        body.put_TextMatrix(row, col, text);
        ado::RecordsetPtr head, line;
        body.select(row, col);
        row_copies(body, row, head, line);
        rs_body_ = line;
        if (!ModuleCtl::ApplyRefRowToGrid(services_, head, line, body, message_)) {
            host.MsgBox(message_, vbOKOnly, texts::kSystemTitle);
            message_.clear();
            restore(body, row, col, partner, text);
            return false;
        }
        line->MoveFirst();
        const std::string field =
            col - 1 < line->Fields().Count() ? vb::LCase(line->Fields().Item(Variant(col - 1)).Name()) : "";
        if (caption == "库存单位") text = vb::text_or_empty((*line)(Variant("cinva_unit")));
        else if (vb::Like(field, "cfree*")) text = vb::text_or_empty((*line)(Variant(field)));
        else if (amount) text = body.TextMatrix(row, col);
    }

    // 6. The in-voucher column (and an arrival's batch) may take only a pick.
    if (caption == "入库单号" || (!orders && caption == "批号")) {
        if (!old_cell_text_.empty() && corid > 0) body.put_TextMatrix(row, corid, "");
        auto stock = services_.stock_option();
        std::string m;
        if (stock->InitFromSession(services_.session()->GetSession(), m)) {
            ado::RecordsetPtr head, line;
            row_copies(body, row, head, line);
            for (const auto& s : stock->GetColumnSet(session::kPurchaseReceiptKind, head, line))
                if (s.Column == caption && s.Refrence) {
                    body.put_TextMatrix(row, col, old_cell_text_);
                    text = old_cell_text_;
                    cell_lookup(body, row, col);
                    text = body.TextMatrix(row, col);
                }
        }
    }

    auto options = services_.session()->GetOptions();
    const int decimals = options->QuanDecDgt();
    if (orders && amount && t < 0) {
        // 7. A return takes back no more than was received.
        const double received = cell(col == quantity_col ? "ireceivedqty" : "ireceivednum");
        if (std::fabs(t) > received) return refuse(T::kReturnTooLarge, vbOKOnly, "", true);
    } else if (orders && amount) {
        // 8. No more than the order allows.
        auto stock = services_.stock_option();
        std::string m;
        if (!stock->InitFromSession(services_.session()->GetSession(), m)) {
            host.MsgBox(m, vbInformation, texts::kSystemTitle);
        } else if (stock->GetOptions()->OverOrder()) {
            const double r = cell("ireceivedqty"), e = cell("finexcess");
            const double q = col == quantity_col ? t : ModuleCtl::CellAmount(body, row, quantity_col);
            const double d = ModuleCtl::CellAmount(body, row, cols - 8);
            if (d != 0 && (r + q - d) / d > e) return refuse(T::kOverLimit, vbOKOnly, "", true);
        } else if (rounded(t, decimals) > rounded(ModuleCtl::CellAmount(body, row, col - 2), decimals)) {
            return refuse(T::kOverRemaining, vbOKOnly, "", true);
        }
    } else if (!orders && amount &&
               rounded(t, decimals) > rounded(ModuleCtl::CellAmount(body, row, col - 2), decimals)) {
        return refuse(col == quantity_col ? T::kOverRemaining : T::kPiecesOverRemaining, vbOKOnly, "", false);
    }

    // 9. The production date sets the expiry date.
    if (caption == "生产日期" && !text.empty()) {
        const long expiry = field_col("dvdate");
        if (expiry > 0)
            body.put_TextMatrix(row, expiry, vb::format_date(vb::CDate(Variant(text)) + cell("imassdate")));
    }
    return true;
}

void frmStockOrder::cell_lookup(ui::Grid& body, long row, long col) {
    if (row < 1 || row >= body.Rows() || col < 1 || col >= body.Cols()) return;
    const std::string caption(body.TextMatrix(0, col));
    const long cols = body.Cols();
    const bool returning = ModuleCtl::CellAmount(body, row, cols - 2) < 0;
    if (ModuleCtl::LookupWarehouseOrUnitCell(services_, body, row, col, rs_body_, wh_code_, {})) return;
    if ((caption == "批号" || caption == "入库单号") && returning) {
        std::string result;
        body.select(row, col);
        const bool changed = caption == "批号" ? AssignBatches(body, "", false, result)
                                               : AssignReceiptLines(body, "", false, result);
        if (changed) body.put_TextMatrix(row, col, result);
    } else if (&body == order_body_ && rs_body_ && col - 1 < rs_body_->Fields().Count()) {
        const std::string field = vb::LCase(rs_body_->Fields().Item(Variant(col - 1)).Name());
        if (!vb::Like(field, "cfree*")) return;
        std::string value = ModuleCtl::LookupFreeItem(services_, std::stoi(field.substr(5)), std::string(body.TextMatrix(row, col)));
        if (!value.empty()) body.put_TextMatrix(row, col, value);
    }
}

bool frmStockOrder::AssignBatches(ui::Grid& list, const std::string&, bool all_rows, std::string& result) {
    return assign(list, false, all_rows, result);
}

bool frmStockOrder::AssignReceiptLines(ui::Grid& list, const std::string&, bool all_rows, std::string& result) {
    return assign(list, true, all_rows, result);
}

bool frmStockOrder::assign(ui::Grid& list, bool receipt_lines, bool all_rows, std::string& result) {
    const long row = list.Row();
    if (!rs_body_ || row < 1 || row >= list.Rows()) return false;
    ado::RecordsetPtr head, line;
    row_copies(list, row, head, line);
    line->MoveFirst();
    auto text = [&](const char* name) {
        return line->Fields().find(name) < 0 ? std::string() : vb::text_or_empty((*line)(Variant(name)));
    };
    const double quantity = vb::Val(text("iquantity"));
    if (quantity > 0) return false;
    const std::string wh = text("cwhcode"), inv = text("cinvcode");
    if (wh.empty()) {
        services_.host().MsgBox(T::kNoWarehouse, vbCritical, texts::kSystemTitle);
        return false;
    }
    host::FreeValues free;
    auto free_items = std::make_shared<Collection>();
    for (int n = 1; n <= 10; ++n) {
        free[static_cast<std::size_t>(n - 1)] = text(("cfree" + std::to_string(n)).c_str());
        free_items->Add(Variant(free[static_cast<std::size_t>(n - 1)]));
    }
    auto stock = services_.stock_option();
    std::string m;
    if (!stock->InitFromSession(services_.session()->GetSession(), m)) return false;
    std::string sql;
    if (receipt_lines) {
        auto builder = services_.receipt_query_builder();
        builder->Init(stock->GetOptions());
        builder->GetReceiptLineSql(sql, wh, inv, free, text("cinvouchcode"), text("cbatch"));
    } else {
        auto builder = services_.batch_query_builder();
        builder->Init(stock->GetOptions());
        builder->GetBatchSql(sql, wh, inv, free, "");
    }
    // The selection service's dialog on this form's session.
    selection::frmRefSelect dialog(services_);
    dialog.put_WhCode(wh);
    dialog.put_InvCode(inv);
    dialog.put_Free(free_items);
    dialog.put_Quantity(quantity);
    dialog.put_Num(vb::Val(text("inum")));
    dialog.put_ExchRate(Variant(vb::Val(text("iinvexchrate"))));
    dialog.put_RefType(receipt_lines ? 1 : 0);
    dialog.put_IsRedVouch(quantity < 0);
    dialog.put_MutiSel(true);
    auto candidates = ado::Recordset::create();
    candidates->put_CursorLocation(ado::adUseClient);
    candidates->Open(sql, services_.session()->GetConnection(), ado::adOpenStatic, ado::adLockBatchOptimistic);
    dialog.put_DataFrom(candidates);
    if (all_rows) {
        std::string err;
        dialog.set_fill_on_load(false);
        dialog.Load();
        dialog.AutoMatch(err);
        dialog.TaskRun("ok");
    } else {
        dialog.Show(ui::vbModal);
        if (dialog.loaded()) dialog.Unload();
    }
    auto chosen = dialog.DataFrom();
    if (!chosen || chosen->State() != ado::adStateOpen || chosen->RecordCount() == 0) return false;

    // Each chosen row: the line again, with the row's amounts and values.
    const long cols = list.Cols();
    const auto options = services_.session()->GetOptions();
    const double sign = quantity < 0 ? -1 : 1;
    struct Mapping {
        const char* base;
        const char* caption;
    };
    std::vector<Mapping> mappings = {{"cBatch", "批号"}, {"dVdate", "失效日期"}, {"imassdate", "保质期"},
                                     {"dmadedate", "生产日期"}};
    if (receipt_lines) mappings.push_back({"cInVouchCode", "入库单号"});
    const long corid = ModuleCtl::GetColumnIndex("icorid", rs_body_, cols);
    list.put_Redraw(false);
    for (chosen->MoveFirst(); !chosen->Eof(); chosen->MoveNext()) {
        list.select(row, list.Col());
        ModuleCtl::CopyCurrentLine(list, false);
        const long to = list.Rows() - 1;
        list.put_RowHidden(to, false);
        list.put_TextMatrix(to, 0, "Y");
        auto amount = [&](const char* name) {
            return chosen->Fields().find(name) < 0 ? 0.0 : std::fabs(vb::Val((*chosen)(Variant(name))));
        };
        list.put_TextMatrix(to, cols - 2,
                            vb::Format(Variant(sign * amount("出库数量")), vb::decimals_pattern(options->QuanDecDgt())));
        list.put_TextMatrix(to, cols - 1,
                            vb::Format(Variant(sign * amount("出库件数")), vb::decimals_pattern(options->NumDecDgt())));
        for (long f = 0; f < chosen->Fields().Count(); ++f) {
            auto field = chosen->Fields().Item(Variant(f));
            const std::string base = vb::LCase(vb::CStr(field.Properties("BASECOLUMNNAME")));
            const Variant& v = field.Value();
            std::string value = v.type() == VarType::Date ? vb::format_date(vb::CDate(v)) : vb::text_or_empty(v);
            for (const auto& m : mappings)
                if (base == vb::LCase(m.base) || field.Name() == m.caption)
                    if (long c = ModuleCtl::CaptionColumn(list, m.caption)) list.put_TextMatrix(to, c, value);
            if (receipt_lines && corid > 0 && (base == "icorid" || field.Name() == "入库系统编号"))
                list.put_TextMatrix(to, corid, value);
        }
        if (result.empty())
            if (long c = ModuleCtl::CaptionColumn(list, receipt_lines ? "入库单号" : "批号")) result = list.TextMatrix(to, c);
    }
    // The line they replace is generated no more.
    list.put_RowHidden(row, true);
    list.put_Redraw(true);
    services_.host().SendKeys("{ESC}");
    return true;
}

void frmStockOrder::warehouse_field_left() {
    ModuleCtl::ApplyReceiptWarehouse(services_, *txt_wh_, wh_code_, body_list());
    cmd_wh_->put_Visible(false);
}

void frmStockOrder::warehouse_button() {
    txt_wh_->put_Text(ModuleCtl::LookupWarehouse(services_, txt_wh_->Text(), wh_code_));
    ModuleCtl::ApplyReceiptWarehouse(services_, *txt_wh_, wh_code_, body_list());
}

}  // namespace korvane::generation
