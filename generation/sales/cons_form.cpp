#include "generation/sales/cons_form.h"

#include <array>
#include <cmath>

#include "generation/core/body_rows.h"
#include "generation/core/filter_fields.h"
#include "generation/core/grid_fill.h"
#include "generation/core/list_layout.h"
#include "generation/core/module_ctl.h"
#include "generation/core/texts.h"
#include "generation/core/warehouse_fields.h"
#include "generation/sales/texts.h"
#include "platform/vb/collection.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"

namespace korvane::generation {

namespace T = sales_texts;
using namespace ui::vb;

namespace {

constexpr int kKeyB = 66, kKeyE = 69, kKeyO = 79, kKeyQ = 81, kCtrl = 2;
constexpr int kBusyPointer = 13;

// A field's value as text, "" for a field the record set lacks or Null.
std::string field_text(const ado::RecordsetPtr& rs, const char* name) {
    if (!rs || rs->Fields().find(name) < 0 || rs->Eof()) return {};
    return vb::text_or_empty((*rs)(Variant(name)));
}

// Writes a field that the line record has, whatever the case of its name.
void put_field(ado::Recordset& rs, const char* name, const Variant& v) {
    if (rs.Fields().find(name) < 0) return;
    try {
        rs.Fields(Variant(name)).put_Value(v);
    } catch (const Error&) {
        // a stock value the line's field cannot hold leaves the line's own
    }
}

Variant stock_value(ado::Recordset& stock, const char* name) {
    return stock.Fields().find(name) < 0 ? Variant() : stock(Variant(name));
}

}  // namespace

frmCons::frmCons(FormServices services) : SourceForm(kFormName, std::move(services)) {
    put_Caption(T::kCaption);
    put_KeyPreview(true);
    resize(14400, 9900);
    build();
    wire();
}

void frmCons::build() {
    auto label = [this](auto... a) { filter_label(a...); };
    auto field = [this](auto... a) { return filter_field(a...); };
    const int r1 = kFilterRow1, r3 = kFilterRow3;
    add_filter_frame();
    label("lblDLID", "发货单号：", 4140, r1, 1000);
    dl_id_ = field("cmbDLID", "rfnull", 5160, r1, 2340);
    label("lblInvoiceCode", "发票号：", 7680, r1, 900);
    invoice_ = field("cmbInvoiceCode", "rfnull", 8600, r1, 2780);
    label("lblWhName", "仓库：", 11520, r1, 700);
    wh_name_ = field("cmbWhName", "rfwarehouse", 12240, r1, 1900);

    custom_ = add_filter_parties({"lblCustom", "客户：", "cmbCustom", "rfcustomer"});

    label("lblVouchType", "单据类型：", 240, r3, 1000);
    vouch_type_ = &add<ui::ComboBox>("cmbVouchType");
    vouch_type_->Move(1260, r3, 2640, 315);
    label("lblBusType", "业务类型：", 4140, r3, 1000);
    bus_type_ = &add<ui::ComboBox>("cmbBusType");
    bus_type_->Move(5160, r3, 2340, 315);
    chk_all_ = &add<ui::CheckBox>("chkAll");
    chk_all_->put_Caption("执行完未关闭的显示");
    chk_all_->Move(7680, r3, 2400, 315);
    cmd_filter_ = &add<ui::CommandButton>("cmdFilter");
    cmd_filter_->put_Caption("过滤(&F)");
    cmd_filter_->Move(12840, r3 - 45, 1320, 390);

    head_ = &add<ui::Grid>("lstFhdHead");
    head_->Move(120, 1680, 14160, 2900);
    head_->put_Rows(1);
    head_->put_Editable(false);
    check1_ = &add<ui::CheckBox>("Check1");
    check1_->put_Caption("显示表体：");
    check1_->Move(240, 4660, 1500, 315);
    check2_ = &add<ui::CheckBox>("Check2");
    check2_->put_Caption("根据累计出库数更新发货单");
    check2_->Move(1900, 4660, 2800, 315);
    label11_ = &add<ui::Label>("Label11");
    label11_->put_Caption("注:更新发货单时不进行信用检查!");
    label11_->Move(4800, 4705, 3400, 270);
    chk_edit_ = &add<ui::CheckBox>("chkEdit");
    chk_edit_->put_Caption("生单后是否编辑");
    chk_edit_->Move(8400, 4660, 2000, 315);
    body_ = &add<ui::Grid>("lstFhdBody");
    body_->Move(120, 5040, 14160, 3780);
    body_->put_Rows(1);

    cmd_refers_ = &add<ui::CommandButton>("cmdRefers");
    cmd_refers_->put_Caption("参照");
    add_date_and_buttons("出库日期：", 1100, 1350);

    const auto menu = ModuleCtl::AddLineMenu(*this);
    menu_ = menu.menu;
    copy_line_ = menu.copy_line;
    delete_line_ = menu.delete_line;
    clear_all_ = menu.clear_all;
}

void frmCons::wire() {
    exit_->on_click = [this] {
        services_.layouts().BodyLaidOutA = false;
        Unload();
    };
    ok_->on_click = [this] { confirm(); };
    cmd_filter_->on_click = [this] { run_filter(); };
    chk_all_->on_click = [this] { services_.source_query->put_ShowExecuted(chk_all_->Value() == 1); };
    check1_->on_click = [this] { show_lines(); };
    vouch_type_->on_drop_down = [this] {
        if (vouch_type_->ListCount() == 0)
            for (const char* item : T::kVouchTypes) vouch_type_->AddItem(item);
    };
    bus_type_->on_drop_down = [this] {
        if (bus_type_->ListCount() == 0)
            for (const char* item : T::kBusTypes) bus_type_->AddItem(item);
    };

    head_->on_click = [this] { toggle_head(); };
    head_->on_dbl_click = [this] { toggle_head(); };
    head_->on_key_down = [this](int& key, int) {
        if (body_->Col() == 2) key = 0;
    };

    body_->on_before_edit = [this](long row, long col, bool&) { old_cell_text_ = body_->TextMatrix(row, col); };
    auto mark = [this] {
        if (body_->Row() >= 1 && body_->Row() < body_->Rows() && body_->Col() == 0)
            body_->put_TextMatrix(body_->Row(), 0, body_->TextMatrix(body_->Row(), 0) == "Y" ? "" : "Y");
    };
    body_->on_click = mark;
    body_->on_dbl_click = mark;
    body_->on_mouse_up = [this](int button, int) {
        if (button == ui::vbRightButton) PopupMenu(*menu_);
    };
    body_->on_row_col_change = [this] { row_activated(); };
    body_->on_cell_button_click = [this](long row, long col) { cell_button(row, col); };
    body_->on_validate_edit = [this](long row, long col, std::string& text, bool&) {
        validate_line_edit(row, col, text);
    };

    copy_line_->on_click = [this] { ModuleCtl::CopyCurrentLine(*body_, false, false); };
    delete_line_->on_click = [this] {
        if (body_->Row() >= 1 && body_->Row() < body_->Rows()) body_->RemoveItem(body_->Row());
    };
    clear_all_->on_click = [this] { ModuleCtl::ClearLineMarks(*body_); };

    // The issue date's button sits below the filter frame, lower by its height.
    ModuleCtl::FilterFieldRules rules;
    rules.refusal = ModuleCtl::FilterFieldRules::Refusal::empty_field;
    rules.unchecked = {dl_id_, invoice_};
    rules.placed = [this](ui::TextBox& box) {
        if (&box == date_) cmd_refers_->put_Top(cmd_refers_->Top() + frame_->Height() + 30);
    };
    ModuleCtl::WireFilterFields(*this, services_, *cmd_refers_,
                                {l_date_, u_date_, dept_, person_, custom_, wh_name_, dl_id_, invoice_, date_},
                                texts::kSystemTitle, std::move(rules));
    auto fields_key_down = on_key_down;
    on_key_down = [this, fields_key_down](int& key, int shift) {
        if (fields_key_down) fields_key_down(key, shift);
        if (key != 0) form_key_down(key, shift);
    };
}

void frmCons::leave_message(std::string text) {
    if (context_.owner) context_.owner->put_sErrMsg(std::move(text));
}

session::LoginPtr frmCons::login() const {
    return context_.login ? context_.login : services_.session()->GetSession();
}

void frmCons::on_form_load() {
    services_.host().set_app_title("");
    services_.layouts().BodyLaidOutA = false;
    head_->put_GridColor(ui::kGrey);
    body_->put_GridColor(ui::kGrey);
    std::string list = services_.session()->RowAuthorityList("department", "", "W");
    dept_clause_ = list.empty() ? "" : T::kDeptScopeHead + list + T::kDeptScopeTail;
    message_.clear();
    services_.stock_option()->InitFromSession(login(), message_);
    date_->put_Text(vb::format_date(login()->LoginDate()));
    check2_->put_Enabled(login()->HasRight(T::kIssueRight, 1, 0));
    services_.source_query->put_ShowExecuted(false);
    cmd_refers_->put_Visible(false);
}

void frmCons::run_filter() {
    ui::UiHost& host = services_.host();
    host.set_mouse_pointer(kBusyPointer);
    where_.clear();
    auto append = [this](const std::string& condition, const char* separator = " and") {
        where_ += (where_.empty() ? "" : separator) + condition;
    };
    if (!l_date_->Text().empty() || !u_date_->Text().empty())
        append(ModuleCtl::BuildDateRangeSql(T::kDateColumn, l_date_->Text(), u_date_->Text()));
    const std::pair<const std::string*, const char*> fields[] = {
        {&dept_->Text(), T::kDept},       {&person_->Text(), T::kPerson},       {&dl_id_->Text(), T::kDlCode},
        {&custom_->Text(), T::kCustomer}, {&vouch_type_->Text(), T::kVouchName}, {&bus_type_->Text(), T::kBusType},
    };
    for (const auto& [text, column] : fields)
        if (!text->empty()) append(column + *text + "'");
    if (!invoice_->Text().empty()) append(T::kInvoice + invoice_->Text() + "'", " and ");
    if (!dept_clause_.empty()) append(dept_clause_, " AND ");

    auto stock = services_.stock_option();
    std::string m;
    ado::RecordsetPtr rs;
    if (stock->InitFromSession(login(), m) && services_.source_query->GetDispatchHeads(stock->GetOptions(), where_, rs, m)) {
        rs_head_ = rs;
        ModuleCtl::FillSourceGrid(services_, rs_head_, *head_, false, false);
        ModuleCtl::SetListLayout(services_, *head_, rs_head_);
        head_->put_ColWidth(0, 560);
    } else {
        message_ = m;
    }
    services_.layouts().BodyLaidOutA = false;
    show_lines();
    if (!wh_name_->Text().empty()) {
        const long wh_col = ModuleCtl::GetColumnIndex("cWhName", rs_body_, body_->Cols());
        for (bool removed = wh_col > 0; removed;) {
            removed = false;
            for (long r = 1; r < body_->Rows(); ++r)
                if (body_->TextMatrix(r, wh_col) != wh_name_->Text()) {
                    body_->RemoveItem(r);
                    removed = true;
                    break;
                }
        }
    }
    host.set_mouse_pointer(0);
}

std::string frmCons::rights_clause() const {
    std::string clause;
    const std::string wh = services_.session()->RowAuthorityList("warehouse", "", "W");
    if (!wh.empty()) clause = T::kWhRights + wh + ")";
    const std::string inv = services_.session()->RowAuthorityList("inventory", "", "W");
    if (!inv.empty()) clause += (clause.empty() ? "" : " AND ") + (T::kInvRights + inv + "))");
    return clause;
}

void frmCons::append_lines(long head_row, const std::string& rights) {
    const long key_col = ModuleCtl::GetColumnIndex("dlid", rs_head_, head_->Cols());
    if (key_col <= 0) return;
    std::string where = T::kLineOfHead + std::string(head_->TextMatrix(head_row, key_col));
    if (!rights.empty()) where += " AND " + rights;
    message_.clear();
    auto stock = services_.stock_option();
    ado::RecordsetPtr rs;
    if (!stock->InitFromSession(login(), message_)) return;
    if (!services_.source_query->GetDispatchLines(stock->GetOptions(), where, rs, message_)) return;
    ModuleCtl::FillSourceGrid(services_, rs, *body_, true, true);
    rs_body_ = rs;
    ModuleCtl::SetListLayout(services_, *body_, rs_body_);
    body_->put_ColWidth(0, 560);
    for (long c = 1; c < body_->Cols(); ++c) {
        const std::string caption(body_->TextMatrix(0, c));
        body_->put_ColButton(c, caption == "仓库" || caption == "批号" || caption == "入库单号" || caption == "库存单位");
    }
}

void frmCons::show_lines() {
    body_->put_Rows(1);
    if (check1_->Value() == 1) {
        const std::string rights = rights_clause();
        for (long r = 1; r < head_->Rows(); ++r)
            if (head_->TextMatrix(r, 0) == "Y") append_lines(r, rights);
    } else {
        if (body_->Rows() <= 1) services_.layouts().BodyLaidOutA = false;
        wh_name_->put_Text("");
    }
}

void frmCons::toggle_head() {
    const long row = head_->Row();
    if (row < 1 || row >= head_->Rows()) return;
    services_.host().set_mouse_pointer(kBusyPointer);
    if (head_->TextMatrix(row, 0) == "Y") {
        head_->put_TextMatrix(row, 0, "");
        if (check1_->Value() == 1) {
            services_.layouts().BodyLaidOutA = false;
            show_lines();
        }
    } else {
        head_->put_TextMatrix(row, 0, "Y");
        if (check1_->Value() == 1) {
            if (body_->Rows() <= 1) services_.layouts().BodyLaidOutA = false;
            append_lines(row, rights_clause());
        }
    }
    services_.host().set_mouse_pointer(0);
}

void frmCons::confirm() {
    body_->finish_edit();
    ui::UiHost& host = services_.host();
    if (host.MsgBox(T::kConfirm, vbYesNo | vbQuestion, texts::kSystemTitle) == vbNo) return;
    if (head_->Rows() <= 1) {
        host.MsgBox(T::kNoHeads, vbCritical, texts::kSystemTitle);
        return;
    }
    if (check1_->Value() != 1) {
        body_->put_Redraw(false);
        check1_->put_Value(1);
        body_->put_Redraw(true);
    }
    if (!rs_body_ || rs_body_->State() != ado::adStateOpen) {
        host.MsgBox(T::kChooseRecords, vbInformation, texts::kSystemTitle);
        return;
    }
    auto lines = ModuleCtl::EmptyRecordsetCopy(rs_body_);
    long all = 0;
    ModuleCtl::RowsToRecordset(*body_, lines, all, host);
    if (all < 0) return;
    if (lines->RecordCount() == 0) {
        host.MsgBox(T::kChooseRecords, vbInformation, texts::kSystemTitle);
        return;
    }
    auto heads = ModuleCtl::EmptyRecordsetCopy(rs_head_);
    ModuleCtl::RowsToRecordset(*head_, heads, 0);
    auto c = std::make_shared<Collection>();
    c->Add(Variant(ObjectPtr(heads)), Variant("Head"));
    c->Add(Variant(ObjectPtr(lines)), Variant("Body"));
    c->Add(Variant(date_->Text()), Variant("Date"));
    c->Add(Variant(static_cast<std::int16_t>(check2_->Value())), Variant("Flag"));
    handed_traces_.clear();
    if (tracing_)
        for (long r = 1; r < body_->Rows(); ++r)
            if (ModuleCtl::HandedOver(*body_, r)) handed_traces_.push_back(trace_of_row(r));
    hand_over(std::move(c));
    ModuleCtl::WriteRegistryString(services_.settings(), texts::kKcglKey, T::kInvoiceValue,
                                   std::to_string(chk_edit_->Value()));
    services_.layouts().BodyLaidOutA = false;
    Hide();
}

// ---- the body list ----

void frmCons::row_copies(long row, ado::RecordsetPtr& head, ado::RecordsetPtr& line) {
    line = ModuleCtl::EmptyRecordsetCopy(rs_body_);
    ModuleCtl::RowsToRecordset(*body_, line, row);
    head = rs_head_ ? ModuleCtl::EmptyRecordsetCopy(rs_head_) : nullptr;
    const long head_key = head ? ModuleCtl::GetColumnIndex("dlid", rs_head_, head_->Cols()) : 0;
    const long line_key = ModuleCtl::GetColumnIndex("dlid", rs_body_, body_->Cols());
    if (head_key <= 0 || line_key <= 0) return;
    for (long r = 1; r < head_->Rows(); ++r)
        if (head_->TextMatrix(r, head_key) == body_->TextMatrix(row, line_key)) {
            ModuleCtl::RowsToRecordset(*head_, head, r);
            break;
        }
}

void frmCons::row_activated() {
    const long row = body_->Row();
    if (!rs_body_ || row < 1 || row >= body_->Rows()) return;
    ado::RecordsetPtr head, line;
    row_copies(row, head, line);
    message_.clear();
    if (!ModuleCtl::SetBodyCellState(services_, session::kSalesIssueKind, head, line, *body_, message_)) {
        services_.host().MsgBox(message_, vbOKOnly, texts::kSystemTitle);
        message_.clear();
    }
}

void frmCons::validate_line_edit(long row, long col, std::string& text) {
    if (!run_line_checks(row, col, text)) {
        body_->put_TextMatrix(row, col, old_cell_text_);
        if (text != "") text = old_cell_text_;
    }
}

bool frmCons::run_line_checks(long row, long col, std::string& text) {
    ui::UiHost& host = services_.host();
    ui::Grid& body = *body_;
    const long cols = body.Cols();
    const long quantity_col = cols - 2, pieces_col = cols - 1;
    const std::string caption(body.TextMatrix(0, col));
    auto reject = [&](const std::string& message, int flags, const char* title) {
        host.MsgBox(message, flags, title);
        text = old_cell_text_;
        return false;
    };

    // 1. Dates.
    if ((caption == "失效日期" || caption == "生产日期") && !text.empty() && !vb::IsDate(Variant(text)))
        return reject(texts::kBadDate, vbCritical, texts::kDateTitle);

    // 2. The partner amount, put back when the edit is refused.
    const long partner = col == pieces_col ? quantity_col : col == quantity_col ? pieces_col : 0;
    const std::string partner_text(partner > 0 ? body.TextMatrix(row, partner) : std::string_view());
    auto restore_partner = [&] {
        if (partner > 0) body.put_TextMatrix(row, partner, partner_text);
    };
    const double t = ModuleCtl::TextAmount(text);

    // 3. and 4. An issue line keeps the sign of its dispatch line.
    if (col == pieces_col && t * ModuleCtl::TextAmount(old_cell_text_) < 0) {
        restore_partner();
        return reject(std::string(T::kPiecesNotHead) + (t > 0 ? "正数" : "负数"), vbOKOnly, texts::kSystemTitle);
    }
    if (col == quantity_col && t * ModuleCtl::CellAmount(body, row, cols - 8) < 0)
        return reject(std::string(T::kQuantityNotHead) + (t > 0 ? "正数" : "负数"), vbOKOnly, texts::kSystemTitle);

    // 5. A changed receipt number lets go of the receipt line it named.
    if (caption == "入库单号" && !old_cell_text_.empty() && text != old_cell_text_)
        if (long id = ModuleCtl::GetColumnIndex("iBatch", rs_body_, cols); id > 0) body.put_TextMatrix(row, id, "");

    if (!rs_body_) return true;
    // 6. The line written back through its copy.
    body.put_TextMatrix(row, col, text);
    ado::RecordsetPtr head, line;
    row_copies(row, head, line);
    if (!ModuleCtl::ApplyRefRowToGrid(services_, head, line, body, message_)) {
        host.MsgBox(message_, vbOKOnly, texts::kSystemTitle);
        message_.clear();
        restore_partner();
        text.clear();
        return false;
    }
    line->MoveFirst();
    if (caption == "库存单位") text = field_text(line, "cinva_unit");
    else if (partner > 0) text = body.TextMatrix(row, col);

    // 7. Batch and receipt number may be only picked where the options say so.
    auto stock = services_.stock_option();
    std::string m;
    if (caption == "批号" || caption == "入库单号") {
        if (stock->InitFromSession(login(), m))
            for (const auto& s : stock->GetColumnSet(session::kSalesIssueKind, head, line))
                if (s.Column == caption && s.Refrence) {
                    body.put_TextMatrix(row, col, old_cell_text_);
                    cell_button(row, col);
                    text = body.TextMatrix(row, col);
                    return true;
                }
    }

    // 8. No more than the dispatch line allows.
    if (partner > 0) {
        auto refuse = [&](const char* message) {
            host.MsgBox(message, vbOKOnly, texts::kSystemTitle);
            restore_partner();
            text = old_cell_text_;
            return false;
        };
        if (!stock->InitFromSession(login(), m)) {
            host.MsgBox(m, vbInformation, texts::kSystemTitle);
            text.clear();
            return false;
        }
        long id_col = services_.layouts().IdCol;
        if (id_col <= 0 || id_col >= cols) id_col = ModuleCtl::GetColumnIndex("autoid", rs_body_, cols);
        const std::string id(body.TextMatrix(row, id_col));
        double s = 0;
        for (long r = 1; r < body.Rows(); ++r)
            if (!body.RowHidden(r) && body.TextMatrix(r, id_col) == id) s += ModuleCtl::CellAmount(body, r, quantity_col);
        if (stock->GetOptions()->OverDispOut()) {
            const double q = ModuleCtl::CellAmount(body, row, cols - 8);
            if (q != 0) {
                // the line's issued amount and allowed excess as the list shows them
                auto cell = [&](const char* name) {
                    long c = ModuleCtl::GetColumnIndex(name, rs_body_, cols);
                    return c > 0 && c < cols - 4 ? ModuleCtl::CellAmount(body, row, c) : 0.0;
                };
                const double issued = cell("foutquantity"), excess = cell("foutexcess");
                if (((issued + s) - q) / q > excess + 1e-12) return refuse(T::kOverLimit);
            }
        } else if (std::fabs(s) > std::fabs(ModuleCtl::CellAmount(body, row, cols - 4)) + 1e-12) {
            return refuse(T::kOverRemaining);
        }
    }
    return true;
}

void frmCons::cell_button(long row, long col) {
    ui::Grid& body = *body_;
    if (row < 1 || row >= body.Rows() || col < 1 || col >= body.Cols()) return;
    const std::string caption(body.TextMatrix(0, col));
    if (ModuleCtl::LookupWarehouseOrUnitCell(services_, body, row, col, rs_body_, wh_code_,
                                             {false, T::kLineWarehouses})) return;
    if (caption == "批号") {
        if (ModuleCtl::CellAmount(body, row, body.Cols() - 2) <= 0) return;
        std::string m;
        body.select(row, col);
        AssignBatches(body, false, false, m);
    } else if (caption == "入库单号") {
        std::string m;
        body.select(row, col);
        AssignReceiptLines(body, false, false, m);
    }
}

// ---- batches and receipt lines ----

void frmCons::form_key_down(int& key, int shift) {
    if (key != kKeyB && key != kKeyE && key != kKeyQ && key != kKeyO) return;
    const bool receipt = key == kKeyQ || key == kKeyO;
    const long col = ModuleCtl::CaptionColumn(*body_, receipt ? "入库单号" : "批号");
    const bool pass = key == kKeyE || key == kKeyO;
    if (pass && col > 0) body_->put_Col(col);
    if (shift != kCtrl) return;
    if (body_->Rows() < 2) {
        services_.host().Beep();
        key = 0;
        return;
    }
    if (pass) {
        assign_pass(receipt);
    } else {
        message_.clear();
        if (receipt) AssignReceiptLines(*body_, true, false, message_);
        else AssignBatches(*body_, true, false, message_);
    }
    key = 0;
}

void frmCons::assign_pass(bool receipt_lines) {
    ui::Grid& body = *body_;
    const long col = ModuleCtl::CaptionColumn(body, receipt_lines ? "入库单号" : "批号");
    auto selection = services_.new_ref_select();
    bool create = true;
    if (receipt_lines) selection->CreateAndDropTmpRdrecord(login(), create);
    else selection->CreateAndDropTmpCurrentStock(login(), create);
    long first = 1;
    while (first < body.Rows() && body.RowHidden(first)) ++first;
    const char* preset = receipt_lines ? T::kReceiptPreset : T::kBatchPreset;
    std::string errors;
    for (long r = first, last = body.Rows() - 1; r <= last; ++r) {
        body.select(r, col > 0 ? col : body.Col());
        if (col > 0) body.put_TextMatrix(r, col, "");
        message_ = preset;
        if (receipt_lines) AssignReceiptLines(body, true, true, message_);
        else AssignBatches(body, true, true, message_);
        if (!message_.empty() && message_ != preset) errors += message_ + "\r\n";
    }
    create = false;
    if (receipt_lines) selection->CreateAndDropTmpRdrecord(login(), create);
    else selection->CreateAndDropTmpCurrentStock(login(), create);
    message_.clear();
    if (!errors.empty())
        services_.host().MsgBox(errors, vbOKOnly, receipt_lines ? T::kReceiptTitle : T::kBatchTitle);
}

void frmCons::set_tracing(bool on) {
    tracing_ = on;
    if (on) return;
    traces_.clear();
    handed_traces_.clear();
    for (long r = 1; r < body_->Rows(); ++r) body_->put_RowData(r, 0);
}

frmCons::TracePtr frmCons::trace_of_row(long row) const {
    if (row < 1 || row >= body_->Rows()) return nullptr;
    const long k = body_->RowData(row);
    return k >= 1 && k <= static_cast<long>(traces_.size()) ? traces_[static_cast<std::size_t>(k - 1)] : nullptr;
}

void frmCons::AssignBatches(ui::Grid& list, bool automatic, bool batch_mode, std::string& message) {
    assign(list, false, automatic, batch_mode, message);
}

void frmCons::AssignReceiptLines(ui::Grid& list, bool automatic, bool batch_mode, std::string& message) {
    assign(list, true, automatic, batch_mode, message);
}

void frmCons::assign(ui::Grid& list, bool receipt_lines, bool automatic, bool batch_mode, std::string& message) {
    const long row = list.Row();
    const long cols = list.Cols();
    if (!rs_body_ || row < 1 || row >= list.Rows()) return;
    // 1. The line and the template it is copied from for further stock rows.
    auto line = ModuleCtl::EmptyRecordsetCopy(rs_body_);
    ModuleCtl::RowsToRecordset(list, line, row);
    auto model = ModuleCtl::EmptyRecordsetCopy(rs_body_);
    ModuleCtl::RowsToRecordset(list, model, row);
    line->MoveFirst();
    model->MoveFirst();
    // 2. Its free items.
    host::FreeValues free;
    auto free_items = std::make_shared<Collection>();
    for (std::size_t n = 0; n < free.size(); ++n) {
        free[n] = field_text(line, ("cfree" + std::to_string(n + 1)).c_str());
        free_items->Add(Variant(free[n]));
    }
    // 3. The options the query builders work with.
    auto stock = services_.stock_option();
    if (!stock->InitFromSession(login(), message_)) return;
    // 4. Red lines.
    const double dispatched = ModuleCtl::CellAmount(list, row, cols - 8);
    const bool red = dispatched < 0;
    if (red && !receipt_lines) return;
    if (red && automatic) {
        services_.host().MsgBox(T::kRedLine);
        return;
    }
    // 5. The candidates.
    std::string wh = field_text(line, "cWhCode"), inv = field_text(line, "cInvCode");
    std::string sql;
    auto selection = services_.new_ref_select();
    selection->set_tracing(tracing_);
    if (receipt_lines) {
        auto builder = services_.receipt_query_builder();
        builder->Init(stock->GetOptions());
        if (red) builder->GetRedReceiptLineSql(sql, wh, inv, free, field_text(line, "cCode"), field_text(line, "cbatch"));
        else builder->GetReceiptLineSql(sql, wh, inv, free, field_text(line, "cCode"), field_text(line, "cbatch"));
        if (batch_mode) sql = selection->GetAllRDSSQL(sql);
    } else {
        auto builder = services_.batch_query_builder();
        builder->Init(stock->GetOptions());
        builder->GetBatchSql(sql, wh, inv, free, field_text(line, "cBatch"));
        if (batch_mode) sql = selection->GetAllBSQL(sql);
    }
    // 6. The selection service allocates.
    double quantity = vb::Val(field_text(line, "iquantity")), pieces = vb::Val(field_text(line, "inum"));
    double rate = ModuleCtl::TextAmount(field_text(line, "iinvexchrate"));
    std::int32_t ref_type = receipt_lines ? (red ? 2 : 1) : 0;
    bool red_vouch = receipt_lines && red, multi = true;
    std::string from;
    if (automatic)
        selection->AutoRefer(login(), wh, inv, free_items, quantity, pieces, rate, ref_type, sql, red_vouch, multi, from,
                             message);
    else
        selection->Refer(login(), wh, inv, free_items, quantity, pieces, rate, ref_type, sql, red_vouch, multi, from);
    // 7. A pass names the inventory its message is about.
    if (batch_mode && !message.empty()) message = T::kInventoryPrefix + inv + message;
    // 7a. Its trace explains the row, whatever the run gave it.
    long trace_key = 0;
    if (tracing_) {
        traces_.push_back(selection->last_trace());
        trace_key = static_cast<long>(traces_.size());
        list.put_RowData(row, trace_key);
    }
    // 8. The stock rows.
    auto rows = selection->ReturnData();
    if (!rows || rows->State() != ado::adStateOpen || rows->RecordCount() == 0) return;
    for (auto* rec : {line.get(), model.get()}) {
        put_field(*rec, "iquantity", Variant(ModuleCtl::CellAmount(list, row, cols - 8)));
        put_field(*rec, "inum", Variant(ModuleCtl::CellAmount(list, row, cols - 7)));
        rec->Update();
    }
    // 9. One line per stock row.
    bool first = true;
    for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext(), first = false) {
        ado::Recordset& to = *line;
        if (!first) {
            to.AddNew();
            for (long f = 0; f < model->Fields().Count(); ++f)
                to.Fields(Variant(f)).put_Value((*model)(Variant(f)));
        }
        for (long f = 0; f < rows->Fields().Count(); ++f) {
            auto field = rows->Fields().Item(Variant(f));
            const std::string base = vb::CStr(field.Properties("BASECOLUMNNAME"));
            if (vb::LCase(base.substr(0, 5)) != "cfree") break;
            put_field(to, base.c_str(), field.Value());
        }
        if (receipt_lines) {
            put_field(to, "cbatch", stock_value(*rows, "批号"));
            put_field(to, "dvdate", stock_value(*rows, "失效日期"));
            put_field(to, "cCode", stock_value(*rows, "入库单号"));
            put_field(to, "iBatch", stock_value(*rows, "入库系统编号"));
            put_field(to, "iMassDate", stock_value(*rows, "保质期"));
            put_field(to, "dMadeDate", stock_value(*rows, "生产日期"));
            if (red) put_field(to, "AutoId", stock_value(*rows, "出库系统编号"));
        } else {
            put_field(to, "cBatch", stock_value(*rows, "批号"));
            put_field(to, "dVdate", stock_value(*rows, "失效日期"));
            put_field(to, "imassdate", stock_value(*rows, "保质期"));
            put_field(to, "dmadedate", stock_value(*rows, "生产日期"));
        }
        if (batch_mode) {
            double q = vb::Val(vb::text_or_empty(stock_value(*rows, "出库数量")));
            double n = vb::Val(vb::text_or_empty(stock_value(*rows, "出库件数")));
            std::int32_t id = 0;
            if (receipt_lines) {
                id = vb::CLng(stock_value(*rows, "入库系统编号"));
                selection->UpdateTmpRdrecords(login(), q, n, id);
            } else {
                id = selection->GetAutoID(login(), wh, inv, free, vb::text_or_empty(stock_value(*rows, "批号")));
                selection->UpdateTmpCurrentStock(login(), q, n, id);
            }
        }
        to.Update();
    }
    // 10. The list shows them: in place, or the row hidden and its parts added.
    line->MoveFirst();
    rows->MoveFirst();
    if (line->RecordCount() == 1) {
        ModuleCtl::FillSourceGrid(services_, line, list, true, false, rows, true);
        if (tracing_) list.put_RowData(row, trace_key);
        return;
    }
    list.put_Redraw(false);
    list.put_RowHidden(row, true);
    const long first_new = list.Rows();
    ModuleCtl::FillSourceGrid(services_, line, list, true, true, rows);
    if (tracing_)
        for (long r = first_new; r < list.Rows(); ++r) list.put_RowData(r, trace_key);
    services_.host().SendKeys("{ESC}");
    list.put_Redraw(true);
    if (!receipt_lines) return;
    const long col = list.Col();
    for (long r = first_new; r < list.Rows(); ++r) {
        list.select(r, col);
        old_cell_text_ = list.TextMatrix(r, col);
        std::string text = old_cell_text_;
        validate_line_edit(r, col, text);
        list.put_TextMatrix(r, col, text);
    }
}

}  // namespace korvane::generation
