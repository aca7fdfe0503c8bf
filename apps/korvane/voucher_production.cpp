#include "apps/korvane/voucher_production.h"

#include <memory>

#include "platform/ado/recordset.h"
#include "platform/vb/convert.h"

namespace korvane::app {

std::string field_text(const ado::RecordsetPtr& rs, const char* field) {
    return vb::text_or_empty((*rs)(Variant(field)));
}
double field_number(const ado::RecordsetPtr& rs, const char* field) {
    const Variant& v = (*rs)(Variant(field));
    return v.is_null() ? 0.0 : vb::CDbl(v);
}
std::string amount_text(double v) { return vb::Format(Variant(v), "##0.00"); }

namespace {

constexpr auto text = field_text;
constexpr auto number = field_number;
constexpr auto amount = amount_text;

ado::RecordsetPtr item(const component::ProduceOrder::CollectionPtr& c, const char* key) {
    return std::dynamic_pointer_cast<ado::Recordset>(c->Item(Variant(key)).object());
}

}  // namespace

ProductionVoucher::ProductionVoucher(ui::UiHost& host, session::LoginPtr login, Kind kind)
    : ui::Form(kind == Kind::Receipt ? "frmProductReceipt" : "frmMaterialIssue", host),
      login_(std::move(login)),
      kind_(kind) {
    const bool receipt = kind == Kind::Receipt;
    put_Caption(receipt ? "产成品入库单" : "材料出库单");
    resize(10200, 6600);
    auto field = [this](const char* name, const char* caption, int left, int top) {
        auto& l = add<ui::Label>(std::string("lbl") + name);
        l.put_Caption(caption);
        l.Move(left, top + 45, 1100, 300);
        auto& t = add<ui::TextBox>(name);
        t.Move(left + 1120, top, 2000, 330);
        return &t;
    };
    code_ = field("txtCode", "单据号：", 240, 240);
    date_ = field("txtDate", "单据日期：", 3500, 240);
    order_ = field("txtOrder", "生产订单号：", 240, 700);
    dept_ = field("txtDept", "生产部门：", 3500, 700);
    order_->put_Locked(true);
    dept_->put_Locked(true);
    code_->put_Text(receipt ? "RK0000001" : "CL0000001");
    if (login_) date_->put_Text(vb::format_date(login_->LoginDate()));

    body_ = &add<ui::Grid>("vchBody");
    body_->Move(240, 1200, 9720, 4500);
    body_->put_Cols(kCols);
    body_->put_Rows(1);
    body_->put_FixedRows(1);
    const char* heads[] = {receipt ? "产品行" : "材料行", "生产订单号", "存货编码", "存货名称",
                           receipt ? "投产数量" : "应出库数量", receipt ? "累计入库数量" : "材料出库数量",
                           receipt ? "本次入库数量" : "本次出库数量"};
    const int widths[] = {900, 1500, 1700, 1800, 1200, 1300, 1300};
    for (long c = 0; c < kCols; ++c) {
        body_->put_TextMatrix(0, c, heads[c]);
        body_->put_ColWidth(c, widths[c]);
    }
    // Only this time's quantity is the clerk's to change.
    body_->on_before_edit = [](long, long col, bool& cancel) { cancel = col != kQuantity; };
    body_->on_validate_edit = [this](long, long, std::string& t, bool& cancel) {
        if (!vb::IsNumeric(Variant(t))) {
            this->host().MsgBox("数量必须是数字", ui::vb::vbInformation, Caption());
            cancel = true;
        }
    };

    auto button = [this](const char* name, const char* caption, int left) {
        auto& b = add<ui::CommandButton>(name);
        b.put_Caption(caption);
        b.Move(left, 5900, 1250, 400);
        return &b;
    };
    button("cmdGenerate", "生单(&G)", 5400)->on_click = [this] { generate(); };
    button("cmdSave", "保存(&S)", 6900)->on_click = [this] { save(); };
    button("cmdExit", "退出(&X)", 8400)->on_click = [this] { Unload(); };
}

bool ProductionVoucher::generate(const std::string& order_code) {
    component::ProduceOrder::CollectionPtr got;
    std::string err;
    const bool receipt = kind_ == Kind::Receipt;
    if (!producer_.load(order_code, login_, got, err, false, receipt ? kReceiptType : kIssueType)) {
        host().MsgBox(err, ui::vb::vbCritical, Caption());
        return false;
    }
    if (!got) return false;
    if (!receipt && !got->Exists("Child")) {
        host().MsgBox("材料出库单请在投产的材料页签上选择材料", ui::vb::vbInformation, Caption());
        return false;
    }
    auto parent = item(got, "Parent");
    auto lines = item(got, receipt ? "Sub" : "Child");
    parent->MoveFirst();
    order_->put_Text(text(parent, "cCode"));
    dept_->put_Text(text(parent, "cDepName"));
    body_->put_Rows(1);
    for (lines->MoveFirst(); !lines->Eof(); lines->MoveNext()) {
        const double planned = number(lines, "fQuantity");
        const double done = number(lines, receipt ? "fInQuantity" : "fOutQuantity");
        const long r = body_->Rows();
        body_->put_Rows(r + 1);
        body_->put_TextMatrix(r, kLine, text(lines, receipt ? "mainid" : "subid"));
        body_->put_TextMatrix(r, kOrder, order_->Text());
        body_->put_TextMatrix(r, kInv, text(lines, "cInvCode"));
        body_->put_TextMatrix(r, kName, text(lines, "cInvName"));
        body_->put_TextMatrix(r, kPlanned, amount(planned));
        body_->put_TextMatrix(r, kDone, amount(done));
        body_->put_TextMatrix(r, kQuantity, amount(planned > done ? planned - done : 0));
    }
    return true;
}

int ProductionVoucher::save() {
    body_->finish_edit();
    if (body_->Rows() < 2) {
        host().MsgBox("单据没有表体行", ui::vb::vbInformation, Caption());
        return 0;
    }
    if (kind_ == Kind::Issue) {
        // Materials leave stock through the host's own issue write-back.
        host().MsgBox("材料出库单已保存", ui::vb::vbInformation, Caption());
        return 0;
    }
    int written = 0, closed = 0;
    std::string failures;
    for (long r = 1; r < body_->Rows(); ++r) {
        const double q = vb::Val(body_->TextMatrix(r, kQuantity));
        if (q == 0) continue;
        const auto line = static_cast<std::int32_t>(vb::Val(body_->TextMatrix(r, kLine)));
        std::string err;
        if (!producer_.WritefQuantity(line, q, err, false, std::string(body_->TextMatrix(r, kInv)))) {
            failures += "\n" + err;
            continue;
        }
        ++written;
        // A line received in full is closed, so no later generation lists it.
        if (vb::Val(body_->TextMatrix(r, kDone)) + q >= vb::Val(body_->TextMatrix(r, kPlanned))) {
            if (producer_.WritebThrow(line, true, err)) ++closed;
            else failures += "\n" + err;
        }
    }
    refresh_done();
    std::string told = "已保存，回写 " + std::to_string(written) + " 行累计入库数量";
    if (closed > 0) told += "，关闭 " + std::to_string(closed) + " 行";
    host().MsgBox(told + failures, ui::vb::vbInformation, Caption());
    return written;
}

void ProductionVoucher::refresh_done() {
    auto con = ado::Connection::create();
    con->Open(login_->ConnectionString());
    for (long r = 1; r < body_->Rows(); ++r) {
        auto rs = ado::Recordset::create();
        rs->Open("select fInQuantity from pp_pomain where mainid = " +
                     std::to_string(static_cast<long>(vb::Val(body_->TextMatrix(r, kLine)))),
                 con);
        if (!rs->Eof()) body_->put_TextMatrix(r, kDone, amount(number(rs, "fInQuantity")));
    }
}

void add_production_voucher_buttons(ui::Form& window, const session::LoginPtr& login, int left, int top) {
    auto add = [&](const char* name, const char* caption, ProductionVoucher::Kind kind) {
        auto& b = window.add<ui::CommandButton>(name);
        b.put_Caption(caption);
        b.Move(left, top, 1300, 400);
        left += 1400;
        b.on_click = [&window, login, kind] {
            ProductionVoucher voucher(window.host(), login, kind);
            voucher.Show(ui::vbModal);
        };
    };
    add("cmdProductReceipt", "产成品入库单", ProductionVoucher::Kind::Receipt);
    add("cmdMaterialIssue", "材料出库单", ProductionVoucher::Kind::Issue);
}

}  // namespace korvane::app
