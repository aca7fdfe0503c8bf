#include "apps/korvane/voucher_sales.h"
#include "apps/korvane/voucher_layout.h"
#include "apps/korvane/gui_trace.h"

#include <iterator>
#include <utility>
#include <vector>

#include "component/ref_select.h"
#include "component/track_set.h"
#include "generation/sales/cons_form.h"
#include "platform/ado/connection.h"
#include "platform/ado/recordset.h"
#include "platform/vb/convert.h"

namespace korvane::app {

namespace {

constexpr const char* kTitle = "销售出库单";

constexpr HeadField kHead[] = {
    {"txtCode", "出库单号："}, {"txtDate", "出库日期："}, {"txtCustomer", "客户："},
    {"txtDept", "部门："},     {"txtSource", "来源单号："}, {"txtFlag", "回写发货单："},
};

// The hidden last columns carry what saving needs: the dispatch line and warehouse.
constexpr BodyColumn kBody[] = {
    {"存货编码", "cinvcode", 1500}, {"存货名称", "cinvname", 1300}, {"仓库", "cwhname", 900},
    {"批号", "cbatch", 1500},       {"数量", "iquantity", 1000},    {"件数", "inum", 700},
    {"失效日期", "dvdate", 1100},   {"发货单行", "autoid", 900},    {"仓库编码", "cwhcode", 0},
};
enum Col { kInv = 1, kName, kWhName, kBatch, kQty, kNum, kVdate, kLine, kWh };

using Values = std::vector<std::pair<std::string, std::string>>;

ado::RecordsetPtr one_row(const Values& values) {
    auto rs = ado::Recordset::create();
    for (const auto& [name, value] : values) rs->Fields().Append(name, ado::adVarWChar, 60);
    rs->Open();
    rs->AddNew();
    for (const auto& [name, value] : values) rs->Fields(Variant(name)).put_Value(Variant(value));
    rs->Update();
    return rs;
}

}  // namespace

SalesIssueVoucher::SalesIssueVoucher(ui::UiHost& host, session::LoginPtr login)
    : ui::Form(kFormName, host), login_(std::move(login)), produce_(component::ProduceOrder::create()) {
    put_Caption(kTitle);
    resize(11400, 6600);
    // The generation form keeps each line's allocation trace for 分配说明.
    produce_->set_tracing(true);
    body_ = &lay_out_voucher(*this, kHead, kBody);
    struct Button {
        const char* name;
        const char* caption;
        void (SalesIssueVoucher::*run)();
    };
    int left = 2460;
    for (const auto& [name, caption, run] :
         {Button{"cmdGenerate", "生单", nullptr}, Button{"cmdBatch", "批次", &SalesIssueVoucher::pick_batch},
          Button{"cmdTrace", "分配说明", &SalesIssueVoucher::explain_line}, Button{"cmdSave", "保存", nullptr},
          Button{"cmdExit", "退出(&X)", nullptr}}) {
        auto& b = add<ui::CommandButton>(name);
        b.put_Caption(caption);
        b.Move(left, 5880, 1500, 420);
        left += 1740;
        if (run) b.on_click = [this, run = run] { (this->*run)(); };
    }
    control_as<ui::CommandButton>("cmdGenerate").on_click = [this] { generate(); };
    control_as<ui::CommandButton>("cmdSave").on_click = [this] { save(); };
    control_as<ui::CommandButton>("cmdExit").on_click = [this] { Unload(); };
    on_unload = [this] {
        if (produce_->consignment_form()) produce_->UnLoadForm(false);
    };
}

bool SalesIssueVoucher::generate() {
    component::ProduceOrder::CollectionPtr handed;
    std::string error;
    if (!produce_->loadConsignment("", login_, handed, error)) {
        host().MsgBox(error, ui::vb::vbCritical, kTitle);
        return false;
    }
    if (!handed) return true;
    fill(handed);
    if (auto* form = dynamic_cast<generation::frmCons*>(produce_->consignment_form().get()))
        traces_ = form->handed_traces();
    return true;
}

void SalesIssueVoucher::fill(const std::shared_ptr<Collection>& handed) {
    auto head = handed->Item(Variant("Head")).as<ado::Recordset>();
    auto lines = handed->Item(Variant("Body")).as<ado::Recordset>();
    flag_ = vb::CLng(handed->Item(Variant("Flag")));
    head_field("txtDate").put_Text(std::string(handed->Item(Variant("Date")).str()));
    head_field("txtFlag").put_Text(flag_ == 1 ? "是" : "否");
    if (head && head->RecordCount() > 0) {
        head->MoveFirst();
        head_field("txtCustomer").put_Text(voucher_text(*head, "ccusabbname"));
        head_field("txtDept").put_Text(voucher_text(*head, "cdepname"));
        head_field("txtSource").put_Text(voucher_text(*head, "cdlcode"));
    }
    traces_.clear();
    fill_voucher_body(*body_, lines, kBody);
}

void SalesIssueVoucher::pick_batch() {
    const long r = body_->Row();
    if (r < 1 || r >= body_->Rows()) return;
    auto select = component::RefSelect::create();
    std::string wh(body_->TextMatrix(r, kWh)), inv(body_->TextMatrix(r, kInv));
    std::string sql = "select CurrentStock.cBatch as 批号, CurrentStock.iQuantity as 结存数量, "
                      "CurrentStock.iNum as 结存件数, CurrentStock.dVDate as 失效日期, CurrentStock.AutoID "
                      "from CurrentStock where CurrentStock.cWhCode = '" + wh + "' and CurrentStock.cInvCode = '" +
                      inv + "' and CurrentStock.iQuantity > 0";
    double q = vb::Val(body_->TextMatrix(r, kQty)), n = vb::Val(body_->TextMatrix(r, kNum)), rate = 0;
    select->set_tracing(true);
    select->Refer(login_, wh, inv, std::make_shared<Collection>(), q, n, rate, 0, sql);
    auto rows = select->ReturnData();
    if (!rows || rows->RecordCount() == 0) return;
    traces_.resize(static_cast<std::size_t>(body_->Rows() - 1));
    traces_[static_cast<std::size_t>(r - 1)] = select->trace();
    rows->MoveFirst();
    body_->put_TextMatrix(r, kBatch, vb::text_or_empty((*rows)(Variant("批号"))));
}

void SalesIssueVoucher::explain_line() { show_trace(host(), line_trace(body_->Row())); }

std::shared_ptr<const selection::AllocationTrace> SalesIssueVoucher::line_trace(long row) const {
    if (row < 1 || row > static_cast<long>(traces_.size())) return nullptr;
    return traces_[static_cast<std::size_t>(row - 1)];
}

long SalesIssueVoucher::save() {
    auto con = ado::Connection::create();
    con->Open(login_->ConnectionString());
    component::TrackSet track;
    long written = 0;
    std::string refusals;
    for (long r = 1; r < body_->Rows(); ++r) {
        const std::string q = vb::CStr(Variant(vb::Val(body_->TextMatrix(r, kQty))));
        const std::string n = vb::CStr(Variant(vb::Val(body_->TextMatrix(r, kNum))));
        auto head = one_row({{"cWhCode", std::string(body_->TextMatrix(r, kWh))}});
        Values fields = {{"cInvCode", std::string(body_->TextMatrix(r, kInv))}, {"cBatch", std::string(body_->TextMatrix(r, kBatch))},
                         {"iSOutQuantity", q}, {"iSOutNum", n}, {"iQuantity", q}, {"iNum", n}};
        for (int f = 1; f <= 10; ++f) fields.push_back({"cFree" + std::to_string(f), ""});
        auto line = one_row(fields);
        std::string err;
        // The issue takes from the current-stock row: no receipt line is named.
        track.AllowWritCount("0", head, line, con, nullptr, err, false);
        if (err.empty()) track.WritCountofRD_CS("0", head, line, con, false, err, false);
        if (err.empty() && flag_ == 1)
            produce_->WritefDispQuantity(static_cast<std::int32_t>(vb::Val(body_->TextMatrix(r, kLine))),
                                         vb::Val(q), err, vb::Val(n));
        if (!err.empty()) {
            refusals += "\n第" + std::to_string(r) + "行: " + err;
            continue;
        }
        ++written;
    }
    host().MsgBox("已保存 " + std::to_string(written) + " 行" + refusals, ui::vb::vbInformation, kTitle);
    return written;
}

}  // namespace korvane::app
