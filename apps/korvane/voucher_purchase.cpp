#include "apps/korvane/voucher_purchase.h"
#include "apps/korvane/voucher_layout.h"

#include "platform/ado/recordset.h"
#include "platform/vb/convert.h"

namespace korvane::app {

namespace {

constexpr HeadField kHead[] = {
    {"txtCode", "入库单号："}, {"txtDate", "入库日期："}, {"txtSource", "来源："},
    {"txtVendor", "供应商："}, {"txtDept", "部门："},     {"txtBusType", "业务类型："},
};

constexpr BodyColumn kBody[] = {
    {"存货编码", "cinvcode", 1100}, {"存货名称", "cinvname", 1500}, {"规格型号", "cinvstd", 1100},
    {"仓库", "cwhname", 1000},      {"批号", "cbatch", 1300},       {"数量", "iquantity", 1000},
    {"件数", "inum", 800},          {"生产日期", "dmadedate", 1100}, {"失效日期", "dvdate", 1100},
};

}  // namespace

PurchaseReceiptVoucher::PurchaseReceiptVoucher(ui::UiHost& host, session::LoginPtr login)
    : ui::Form(kFormName, host), login_(std::move(login)), produce_(component::ProduceOrder::create()) {
    put_Caption("采购入库单");
    resize(11400, 6600);
    body_ = &lay_out_voucher(*this, kHead, kBody);
    auto& gen = add<ui::CommandButton>("cmdGenerate");
    gen.put_Caption("生单");
    gen.Move(7800, 5880, 1500, 420);
    gen.on_click = [this] { generate(); };
    auto& exit = add<ui::CommandButton>("cmdExit");
    exit.put_Caption("退出(&X)");
    exit.Move(9600, 5880, 1500, 420);
    exit.on_click = [this] { Unload(); };
    on_unload = [this] {
        if (produce_->stock_order_form()) produce_->UnLoadForm(true);
    };
}

bool PurchaseReceiptVoucher::generate() {
    component::ProduceOrder::CollectionPtr handed;
    bool from_orders = true;
    error_.clear();
    if (!produce_->loadStockOrder("", login_, handed, error_, from_orders)) {
        host().MsgBox(error_, ui::vb::vbCritical, "采购入库单");
        return false;
    }
    if (!handed) return true;
    if (on_handed) on_handed(handed);
    fill(handed, from_orders);
    return true;
}

void PurchaseReceiptVoucher::fill(const std::shared_ptr<Collection>& handed, bool from_orders) {
    auto head = handed->Item(Variant("Head")).as<ado::Recordset>();
    auto lines = handed->Item(Variant("Body")).as<ado::Recordset>();
    head_field("txtDate").put_Text(std::string(handed->Item(Variant("Date")).str()));
    head_field("txtSource").put_Text(from_orders ? "采购订单" : "采购到货单");
    if (head && head->RecordCount() > 0) {
        head->MoveFirst();
        head_field("txtVendor").put_Text(voucher_text(*head, "cvenabbname"));
        head_field("txtDept").put_Text(voucher_text(*head, "cdepname"));
        head_field("txtBusType").put_Text(voucher_text(*head, "cbustype"));
    }
    fill_voucher_body(*body_, lines, kBody);
}

}  // namespace korvane::app
