#include "generation/core/warehouse_fields.h"

#include "generation/core/body_rows.h"
#include "generation/core/grid_fill.h"
#include "generation/core/texts.h"
#include "host/inventory.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"

namespace korvane::generation::ModuleCtl {

namespace {

std::string picked(const ado::RecordsetPtr& rs, const char* field) {
    if (!rs || rs->State() != ado::adStateOpen || rs->RecordCount() == 0) return {};
    rs->MoveFirst();
    return vb::text_or_empty((*rs)(Variant(field)));
}

long warehouse_name_col(const FormServices& services, const ui::Grid& body) {
    long col = services.layout ? services.layout->WhNameCol : 0;
    if (col <= 0 || col >= body.Cols() || body.TextMatrix(0, col) != "仓库") col = CaptionColumn(body, "仓库");
    return col;
}

long warehouse_code_col(const FormServices& services, const ui::Grid& body) {
    long col = services.layout ? services.layout->WhCodeCol : 0;
    if (col > 0 && col < body.Cols()) return col;
    return 0;
}

}  // namespace

std::string WarehouseLookupSql(const FormServices& services, const std::string& text, const WarehouseOffer& offer) {
    std::string sql = offer.by_text ? std::string(texts::kWarehouseSqlHead) + text + texts::kWarehouseSqlMiddle + text +
                                          texts::kWarehouseSqlTail
                                    : std::string(texts::kWarehouseSqlAll);
    std::string list = services.session()->RowAuthorityList("warehouse", "", "W");
    if (!list.empty()) sql += offer.rights + list + ")";
    return sql;
}

std::string LookupWarehouse(const FormServices& services, const std::string& text, std::string& sWhCode,
                            const WarehouseOffer& offer) {
    if (!services.reference_list) err::raise(err::kObjectNotSet);
    auto rs = services.reference_list->Show(services.host(), services.session()->GetSession(),
                                            WarehouseLookupSql(services, text, offer), texts::kWarehouseTable, 0);
    std::string name = picked(rs, "cwhname");
    if (rs && rs->RecordCount() > 0) {
        sWhCode = picked(rs, "cWhCode");
        if (services.business) services.business->remember_choice("warehouse", {sWhCode, name});
    }
    return name;
}

bool ResolveWarehouse(const FormServices& services, std::string& text, std::string& sWhCode, const ui::Grid& body,
                      const std::function<void()>& refocus) {
    if (text.empty()) return true;
    host::BusinessItem wh;
    if (!services.warehouses()->Find(text, wh)) {
        services.host().MsgBox(texts::kBadWarehouse, ui::vb::vbCritical, texts::kSystemTitle);
        if (refocus) refocus();
        text.clear();
        sWhCode.clear();
        return false;
    }
    text = wh.name;
    sWhCode = wh.id;
    auto stock = services.stock_option ? services.stock_option() : nullptr;
    std::string message;
    if (stock && stock->InitFromSession(services.session()->GetSession(), message) &&
        stock->GetOptions()->CheckWareInv()) {
        const long row = body.Row();
        const long inv_col = CaptionColumn(body, "存货编码");
        if (row >= 1 && row < body.Rows() && inv_col > 0) {
            const std::string inventory(body.TextMatrix(row, inv_col));
            if (!inventory.empty() && !services.warehouses()->HasInventory(wh.id, inventory) &&
                services.host().MsgBox(texts::kNotRegisteredHead + text + texts::kNotRegisteredTail,
                                       ui::vb::vbYesNo | ui::vb::vbQuestion, texts::kSystemTitle) == ui::vb::vbNo) {
                text.clear();
                sWhCode.clear();
                return false;
            }
        }
    }
    return true;
}

void ApplyReceiptWarehouse(const FormServices& services, ui::TextBox& field, std::string& sWhCode, ui::Grid& body) {
    const bool has_row = body.Row() >= 1 && body.Row() < body.Rows();
    if (!has_row && !field.Text().empty()) {
        services.host().MsgBox(texts::kNoBodyRows, ui::vb::vbCritical, texts::kSystemTitle);
        field.put_Text("");
        return;
    }
    if (field.Text().empty()) return;
    std::string text = vb::Trim(field.Text());
    if (!ResolveWarehouse(services, text, sWhCode, body, {})) {
        field.put_Text("");
        return;
    }
    field.put_Text(text);
    const long name_col = warehouse_name_col(services, body);
    const long code_col = warehouse_code_col(services, body);
    const long invouch_col = CaptionColumn(body, "入库单号");
    if (name_col <= 0) return;
    for (long r = 1; r < body.Rows(); ++r) {
        body.select(r, name_col);
        if (invouch_col > 0 && !body.TextMatrix(r, invouch_col).empty()) continue;
        if (!body.TextMatrix(r, name_col).empty() && body.CellBackColor(r, name_col) == ui::kGrey) continue;
        body.put_TextMatrix(r, name_col, text);
        if (code_col > 0) body.put_TextMatrix(r, code_col, sWhCode);
    }
}

std::string LookupUnit(const FormServices& services, const std::string& inventory, const std::string& typed) {
    if (!services.reference_list) err::raise(err::kObjectNotSet);
    const std::string sql =
        "select cComunitCode, cComUnitName, cComunitCode as cBarCode, bMainUnit, iChangRate, 1 as iQuantity, "
        "0 as fFloatRate from ComputationUnit where cGroupCode = (select MainUnit.cGroupCode from Inventory "
        "inner join ComputationUnit MainUnit on MainUnit.cComunitCode = Inventory.cComUnitCode "
        "where Inventory.cInvCode = " +
        host::sql_quoted(inventory) + ") order by cComunitCode";
    auto rs = services.reference_list->ShowColumns(services.host(), services.session()->GetSession(), sql, "计量单位参照",
                                                   texts::kUnitCaptions,
                                                   std::string(texts::kLikeHead) + typed + texts::kLikeTail);
    return picked(rs, "cComUnitName");
}

std::string LookupFreeItem(const FormServices& services, int n, const std::string& typed) {
    if (!services.reference_list) err::raise(err::kObjectNotSet);
    const std::string sql = "select cValueCode, cValue, cBarCode from FreeItemValue where iFreeNo = " +
                            std::to_string(n) + " order by cValueCode";
    auto rs = services.reference_list->ShowColumns(services.host(), services.session()->GetSession(), sql, "自由项参照",
                                                   texts::kFreeCaptions,
                                                   std::string(texts::kLikeHead) + typed + texts::kLikeTail);
    return picked(rs, "cValue");
}

bool LookupWarehouseOrUnitCell(const FormServices& services, ui::Grid& body, long row, long col,
                               const ado::RecordsetPtr& rs_body, std::string& sWhCode, const WarehouseOffer& offer) {
    const std::string caption(body.TextMatrix(0, col));
    if (caption == "仓库") {
        std::string name = LookupWarehouse(services, std::string(body.TextMatrix(row, col)), sWhCode, offer);
        if (name.empty()) return true;
        body.put_TextMatrix(row, col, name);
        if (long code = services.layouts().WhCodeCol; code > 0 && code < body.Cols())
            body.put_TextMatrix(row, code, sWhCode);
        return true;
    }
    if (caption == "库存单位") {
        const long inv = GetColumnIndex("cinvcode", rs_body, body.Cols());
        std::string unit = LookupUnit(services, std::string(inv > 0 ? body.TextMatrix(row, inv) : ""),
                                      std::string(body.TextMatrix(row, col)));
        if (!unit.empty()) body.put_TextMatrix(row, col, unit);
        return true;
    }
    return false;
}

}  // namespace korvane::generation::ModuleCtl
