#include "generation/core/list_layout.h"

#include <memory>
#include <span>
#include <string>

#include "host/user_define.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"

namespace korvane::generation::ModuleCtl {

namespace {

struct Caption {
    const char* field;  // lower case
    const char* text;
};
using Table = std::span<const Caption>;

constexpr Caption kOrders[] = {
    {"id", "选择"},          {"cperiod", "计划周期"},     {"ccode", "生产订单号"},   {"ddate", "单据日期"},
    {"iproperty", "属性"},   {"cdepcode", "部门编码"},    {"cdepname", "部门"},      {"cvencode", "外协部门编码"},
    {"cvenname", "外协部门"}, {"cpersonname", "负责人"},  {"cmaker", "制单人"},      {"cverifier", "审核人"},
    {"dcheckdate", "审核日期"}, {"cmemo", "备注"},
};
constexpr Caption kProducts[] = {
    {"mainid", "选择"},          {"cinvcode", "产品编码"},      {"cinvname", "产品"},
    {"cinvstd", "规格型号"},     {"cinvm_unit", "计量单位"},    {"fquantity", "投产数量"},
    {"finquantity", "累计入库数量"}, {"dstartdate", "计划开工日期"}, {"denddate", "要求完工日期"},
    {"citemcode", "项目编码"},   {"citemname", "项目"},         {"citem_class", "项目大类编码"},
    {"citem_name", "项目大类"},
};
constexpr Caption kMaterials[] = {
    {"subid", "选择"},       {"ccode", "生产订单号"},     {"cinvcode", "材料编码"},       {"cinvname", "材料名称"},
    {"cinvstd", "规格型号"}, {"cinvm_unit", "计量单位"},  {"fquantity", "应出库数量"},    {"foutquantity", "材料出库数量"},
};
constexpr Caption kPurchaseHeads[] = {
    {"ccode", "单据号"},     {"cpoid", "单据号"},    {"ddate", "单据日期"},      {"dpodate", "单据日期"},
    {"cptname", "采购类型"}, {"cbustype", "业务类型"}, {"cvenabbname", "供应商"}, {"cdepname", "部门"},
    {"cpersonname", "业务员"}, {"cmaker", "制单人"},  {"cverifier", "审核人"},
};
constexpr Caption kPurchaseLines[] = {
    {"cinvcode", "存货编码"},       {"cinvaddcode", "存货代码"},   {"cinvname", "存货名称"},
    {"cinvstd", "规格型号"},        {"darrivedate", "计划到货日期"}, {"cbatch", "批号"},
    {"dpdate", "生产日期"},         {"dmadedate", "生产日期"},     {"dvdate", "失效日期"},
    {"imassdate", "保质期"},        {"iinvexchrate", "换算率"},    {"cinva_unit", "库存单位"},
    {"cinvm_unit", "主计量单位"},   {"iquantity", "应入库数量"},   {"inum", "应入库件数"},
    {"fvalidinquan", "已入库数量"}, {"ireceivedqty", "已入库数量"}, {"fvalidinnum", "已入库件数"},
    {"ireceivednum", "已入库件数"}, {"cinvouchcode", "入库单号"},
};
constexpr Caption kSalesHeads[] = {
    {"cbillname", "单据类型"}, {"cdlcode", "发货单号"},  {"csbvcode", "发票号"},    {"ddate", "单据日期"},
    {"cstname", "销售类型"},   {"cbustype", "业务类型"}, {"ccusname", "客户"},      {"cdepname", "部门"},
    {"cpersonname", "业务员"}, {"cmaker", "制单人"},     {"cverifier", "审核人"},
};
constexpr Caption kSalesLines[] = {
    {"cinvcode", "存货编码"},     {"cinvaddcode", "存货代码"}, {"cinvname", "存货名称"},   {"cinvstd", "规格型号"},
    {"ccode", "入库单号"},        {"cbatch", "批号"},          {"dmadedate", "生产日期"},  {"dvdate", "失效日期"},
    {"imassdate", "保质期"},      {"iinvexchrate", "换算率"},  {"cinva_unit", "库存单位"}, {"cinvm_unit", "主计量单位"},
    {"iquantity", "应出库数量"},  {"inum", "应出库件数"},      {"foutquantity", "已出库数量"},
    {"foutnum", "已出库件数"},    {"cinvouchcode", "入库单号"},
};
constexpr Caption kInspectionHeads[] = {
    {"dcdate", "检验日期"},   {"cchkcode", "检验单号"}, {"cchkperson", "检验员"}, {"darrdate", "到货日期"},
    {"carrcode", "到货单号"}, {"cptname", "采购类型"},  {"cbustype", "业务类型"}, {"cvenabbname", "供应商"},
    {"cdepname", "部门"},     {"cpersonname", "业务员"},
};
constexpr Caption kInspectionLines[] = {
    {"cinvcode", "存货编码"},   {"cinvaddcode", "存货代码"}, {"cinvname", "存货名称"}, {"cinvstd", "规格型号"},
    {"cbatch", "批号"},         {"dpdate", "生产日期"},      {"dmadedate", "生产日期"}, {"dvdate", "失效日期"},
    {"imassdate", "保质期"},    {"cinva_unit", "库存单位"},  {"cinvm_unit", "主计量单位"}, {"iinvexchrate", "换算率"},
    {"iquantity", "数量"},      {"inum", "件数"},
};

constexpr const char* kWarehouseCaption = "仓库";
constexpr const char* kItemCaption = "自定义项";
// The column right of the planned arrival date, widened in the purchase line lists.
constexpr int kAfterArrivalWidth = 1152;

const char* caption_of(Table table, const std::string& field) {
    for (const Caption& c : table)
        if (field == c.field) return c.text;
    return nullptr;
}

bool starts_with(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// The lists: which table, and which of the grids' rules apply.
enum class Flag { None, A, B };
struct GridKind {
    Table table;
    bool body = false;
    bool widen_after_arrival = false;
};

bool grid_kind(const std::string& name, GridKind& kind) {
    if (name == "lstDhdHead" || name == "lstDdHead") kind = {kPurchaseHeads};
    else if (name == "lstFhdHead") kind = {kSalesHeads};
    else if (name == "lstZjdHead" || name == "lstCldHead") kind = {kInspectionHeads};
    else if (name == "lstDhdBody" || name == "lstDdBody") kind = {kPurchaseLines, true, true};
    else if (name == "lstFhdBody") kind = {kSalesLines, true};
    else if (name == "lstZjdBody" || name == "lstCldBody") kind = {kInspectionLines, true};
    else return false;
    return true;
}

Flag flag_of(const std::string& lower_name) {
    if (lower_name == "lstdhdbody" || lower_name == "lstfhdbody" || lower_name == "lstcldbody") return Flag::A;
    if (lower_name == "lstddbody" || lower_name == "lstzjdbody") return Flag::B;
    return Flag::None;
}

// The account's definitions, opened on the first user-defined column of a call.
class ItemDefinitions {
public:
    explicit ItemDefinitions(const FormServices& services) : services_(services) {}
    host::UserDefinition item(const std::string& key) {
        if (!service_) service_ = services_.user_defines();
        return service_->item(key);
    }

private:
    const FormServices& services_;
    std::unique_ptr<host::UserDefineService> service_;
};

enum class ItemList { Grid, GridBody, Sub, Other };

// A user-defined column's decision: hidden, or shown with this caption.
struct ItemLayout {
    bool shown = false;
    std::string caption;
};

ItemLayout user_defined(ItemDefinitions& defs, const std::string& field, ItemList list) {
    const bool is_define = starts_with(field, "cdefine");
    const long n = static_cast<long>(vb::Val(field.substr(is_define ? 7 : 5)));
    std::string key;
    if (!is_define) {
        key = std::to_string(n <= 2 ? n + 19 : n + 25);
    } else if (list == ItemList::Sub) {
        key = std::to_string(n <= 28 ? n : n + 14);
    } else if (n <= 10) {
        key = (n < 10 ? "0" : "") + std::to_string(n);
    } else {
        key = std::to_string(n);
    }
    host::UserDefinition def = defs.item(key);
    ItemLayout out;
    if (def.display_name == def.default_name) return out;
    out.shown = true;
    out.caption = def.display_name;
    if (is_define && list == ItemList::Sub) {
        out.caption = kItemCaption + std::to_string(n <= 28 ? n - 21 : n - 35);
    } else if (is_define && list == ItemList::GridBody && n > 21) {
        // Our choice: a line's own items (cdefine22 on) are numbered from 1 as
        // the product list numbers them; the head's items carried on a line
        // keep the account's name.
        out.caption = kItemCaption + std::to_string(n - 21);
    }
    return out;
}

// Shows a column a previous layout of the list had hidden.
void show_column(ui::Grid& list, long col) {
    if (list.ColWidth(col) == 0) list.put_ColWidth(col, -1);
}

}  // namespace

void SetListLayout(const FormServices& services, ui::Grid& list, const ado::RecordsetPtr& rs) {
    LayoutState& state = services.layouts();
    GridKind kind;
    if (!grid_kind(list.Name(), kind)) return;
    const Flag flag = flag_of(vb::LCase(list.Name()));
    if (flag == Flag::A && state.BodyLaidOutA) return;
    if (flag == Flag::B && state.BodyLaidOutB) return;
    if (!rs) err::raise(err::kObjectNotSet);

    ItemDefinitions defs(services);
    const long fields = rs->Fields().Count();
    const ItemList items = kind.body ? ItemList::GridBody : ItemList::Grid;
    for (state.LayoutColumn = 1; state.LayoutColumn <= fields; ++state.LayoutColumn) {
        const long col = state.LayoutColumn;
        const std::string field = vb::LCase(rs->Fields(Variant(static_cast<int>(col - 1))).Name());
        if (starts_with(field, "cfree") || starts_with(field, "cdefine")) {
            ItemLayout item = user_defined(defs, field, items);
            if (item.shown) {
                list.put_TextMatrix(0, col, item.caption);
                show_column(list, col);
            } else {
                list.put_ColWidth(col, 0);
            }
        } else if (field == "cwhname") {
            list.put_TextMatrix(0, col, kWarehouseCaption);
            show_column(list, col);
            if (kind.body) state.WhNameCol = static_cast<std::int32_t>(col);
        } else if (field == "cwhcode") {
            list.put_ColWidth(col, 0);
            if (kind.body) state.WhCodeCol = static_cast<std::int32_t>(col);
        } else if (field == "id" || field == "autoid") {
            list.put_ColWidth(col, 0);
            if (kind.body) state.IdCol = static_cast<std::int32_t>(col);
        } else if (const char* caption = caption_of(kind.table, field)) {
            list.put_TextMatrix(0, col, caption);
            show_column(list, col);
            if (kind.widen_after_arrival && field == "darrivedate") list.put_ColWidth(col + 1, kAfterArrivalWidth);
        } else {
            list.put_ColWidth(col, 0);
        }
    }
    if (flag == Flag::A) state.BodyLaidOutA = true;
    if (flag == Flag::B) state.BodyLaidOutB = true;
}

void SetListLayout(const FormServices& services, ui::ListView& list, const ado::RecordsetPtr& rs) {
    LayoutState& state = services.layouts();
    (void)rs;
    const std::string& name = list.Name();
    Table table;
    ItemList items = ItemList::Other;
    if (name == "lstParent") {
        table = kOrders;
    } else if (name == "lstSub") {
        table = kProducts;
        items = ItemList::Sub;
    } else if (name == "lstChild") {
        table = kMaterials;
    } else {
        return;
    }
    const bool free_items = name != "lstParent";

    list.put_Visible(false);
    list.put_Enabled(false);
    ItemDefinitions defs(services);
    const long count = list.column_count();
    for (state.LayoutColumn = 1; state.LayoutColumn <= count; ++state.LayoutColumn) {
        ui::ListView::ColumnHeader& header = list.column(state.LayoutColumn);
        const std::string field = vb::LCase(header.text);
        if (starts_with(field, "cdefine") || (free_items && starts_with(field, "cfree"))) {
            ItemLayout item = user_defined(defs, field, items);
            if (item.shown) header.text = item.caption;
            else header.width = 0;
        } else if (const char* caption = caption_of(table, field)) {
            header.text = caption;
        } else {
            header.width = 0;
        }
    }
    list.put_Enabled(true);
    list.put_Visible(true);
}

}  // namespace korvane::generation::ModuleCtl
