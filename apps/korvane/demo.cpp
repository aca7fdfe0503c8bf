#include "apps/korvane/demo.h"
#include "apps/korvane/demo_production.h"
#include "apps/korvane/demo_positions.h"
#include "apps/korvane/demo_purchase.h"
#include "apps/korvane/explain.h"
#include "apps/korvane/rule_scope.h"
#include "apps/korvane/demo_sales.h"

#include <cmath>
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "platform/ado/recordset.h"
#include "platform/system/system.h"
#include "platform/vb/convert.h"
#include "component/module_state.h"
#include "component/track_set.h"
#include "component/ref_select.h"
#include "host/inventory.h"
#include "host/stock_queries.h"
#include "host/source_queries.h"
#include "host/production_order.h"
#include "generation/core/grid_fill.h"
#include "generation/core/list_layout.h"
#include "component/module_state.h"
#include "schema/demo_generator.h"
#include "selection/texts.h"
#include "session/login.h"
#include "session/texts.h"

namespace korvane::app {

namespace {

using ado::Recordset;

std::string text(const Recordset& rs, const char* field) {
    return vb::text_or_empty(rs(Variant(field)));
}

// Pads to a display width, counting a CJK character as two columns.
std::string pad(std::string_view s, int width) {
    int w = vb::display_width(s);
    return std::string(s) + std::string(w < width ? width - w : 1, ' ');
}

void stock_report(const ado::ConnectionPtr& con) {
    auto rs = Recordset::create();
    rs->put_CursorLocation(ado::adUseClient);
    rs->Open("select s.AutoID, s.cWhCode, w.cWhName, s.cInvCode, i.cInvName, i.cInvStd, s.cBatch, s.iQuantity, "
             "s.iNum, s.dVDate from CurrentStock s join Warehouse w on w.cWhCode = s.cWhCode "
             "join Inventory i on i.cInvCode = s.cInvCode",
             con);
    long all = rs->RecordCount();
    rs->put_Filter(Variant("cWhCode = '01' AND iQuantity >= 1000 AND cBatch LIKE 'B*' AND dVDate <> Null"));
    rs->put_Sort("dVDate, iQuantity DESC");
    std::printf("现存量报表: %s 中有失效日期、结存不少于 1000 的批次, 按失效日期、数量降序 (共 %ld 行, 选中 %ld 行)\n",
                "原料仓", all, rs->RecordCount());
    std::printf("%s%s%s%s%s%s\n", pad("存货编码", 16).c_str(), pad("存货名称", 18).c_str(), pad("规格", 10).c_str(),
                pad("批号", 16).c_str(), pad("结存数量", 12).c_str(), "失效日期");
    int shown = 0;
    for (rs->MoveFirst(); !rs->Eof() && shown < 10; rs->MoveNext(), ++shown) {
        const Variant& expiry = (*rs)(Variant("dVDate"));
        std::printf("%s%s%s%s%s%s\n", pad(text(*rs, "cInvCode"), 16).c_str(), pad(text(*rs, "cInvName"), 18).c_str(),
                    pad(text(*rs, "cInvStd"), 10).c_str(), pad(text(*rs, "cBatch"), 16).c_str(),
                    pad(vb::Format((*rs)(Variant("iQuantity")), "##0.00"), 12).c_str(),
                    expiry.is_null() ? "-" : vb::Format(expiry, "YYYY-MM-DD").c_str());
    }
    if (rs->RecordCount() > shown) std::printf("... 另有 %ld 行\n", rs->RecordCount() - shown);
}

// An issue of five from the first well-stocked row of the raw-material
// store, written back to that row through TrackSet.
void issue_and_write_back(const ado::ConnectionPtr& con) {
    auto row = Recordset::create();
    row->Open("select AutoID, cWhCode, cInvCode, cBatch, cFree1, cFree2, cFree3, cFree4, cFree5, cFree6, cFree7, "
              "cFree8, cFree9, cFree10, iQuantity, iNum from CurrentStock where cWhCode = '01' and iQuantity >= 10 "
              "order by AutoID",
              con);
    if (row->Eof()) return;
    std::string auto_id = text(*row, "AutoID");
    auto show = [&](const char* when) {
        auto now = Recordset::create();
        now->Open("select iQuantity, iNum from CurrentStock where AutoID = " + auto_id, con);
        std::printf("  %s: 现存量 AutoID %s  %s %s 批号 %s  结存数量 %s  件数 %s\n", when, auto_id.c_str(),
                    text(*row, "cWhCode").c_str(), text(*row, "cInvCode").c_str(), text(*row, "cBatch").c_str(),
                    vb::Format((*now)(Variant("iQuantity")), "##0.00").c_str(),
                    vb::Format((*now)(Variant("iNum")), "##0.00").c_str());
    };

    auto head = Recordset::create();
    head->Fields().Append("cWhCode", ado::adVarWChar, 10);
    head->Open();
    head->AddNew();
    head->Fields("cWhCode").put_Value((*row)(Variant("cWhCode")));
    head->Update();
    auto line = Recordset::create();
    for (const char* f : {"cInvCode", "cBatch"}) line->Fields().Append(f, ado::adVarWChar, 60);
    for (int i = 1; i <= 10; ++i) line->Fields().Append("cFree" + std::to_string(i), ado::adVarWChar, 20);
    for (const char* f : {"iQuantity", "iNum", "iSOutQuantity", "iSOutNum"})
        line->Fields().Append(f, ado::adDecimal, 0, ado::adFldIsNullable, 20, 6);
    line->Open();
    line->AddNew();
    for (int i = 0; i < line->Fields().Count(); ++i) {
        const std::string& name = line->Fields(Variant(i)).Name();
        if (row->Fields().find(name) >= 0) line->Fields(Variant(i)).put_Value((*row)(Variant(name)));
    }
    bool pieces = (*row)(Variant("iNum")).number() != 0;
    line->Fields("iQuantity").put_Value(5);
    line->Fields("iNum").put_Value(pieces ? 1 : 0);
    line->Fields("iSOutQuantity").put_Value(5);
    line->Fields("iSOutNum").put_Value(pieces ? 1 : 0);
    line->Update();

    std::printf("\n出库回写: 从现存量行出库 5\n");
    show("回写前");
    component::TrackSet track;
    std::string message;
    bool issued = false;  // bIO False: the amounts leave the row
    if (!track.WritCountofRD_CS("", head, line, con, false, message, issued)) {
        std::printf("  回写失败: %s\n", message.c_str());
        return;
    }
    show("回写后");
    std::printf("  执行的语句: %s\n", component::module().sql.c_str());
    // The same line cancelled: its amounts go back, so every run starts alike.
    track.WritCountofRD_CS("", head, line, con, false, message);
    show("冲回后");
}


std::string amount(const Recordset& rs, const char* field) {
    const Variant& v = rs(Variant(field));
    return v.is_null() || v.is_empty() ? "-" : vb::Format(v, "##0.00");
}

std::string day_of(const Recordset& rs, const char* field) {
    const Variant& v = rs(Variant(field));
    return v.is_null() || v.is_empty() ? "-" : vb::Format(v, "YYYY-MM-DD");
}

void print_columns(const std::vector<std::pair<std::string, int>>& cols) {
    std::string line = "    ";
    for (const auto& [name, width] : cols) line += pad(name, width);
    std::printf("%s\n", line.c_str());
}

bool receipt_line(const ado::ConnectionPtr& con, DemoLine& line) {
    auto rs = Recordset::create();
    rs->Open("select h.cWhCode, l.cInvCode, i.cInvName, sum(l.iQuantity - ifnull(l.iSOutQuantity, 0)) as q "
             "from RdRecords l join RdRecord h on h.ID = l.ID join Inventory i on i.cInvCode = l.cInvCode "
             "where h.bRdFlag = 1 and l.iQuantity > ifnull(l.iSOutQuantity, 0) "
             "group by h.cWhCode, l.cInvCode, i.cInvName having count(*) >= 3 order by l.cInvCode, h.cWhCode",
             con);
    if (rs->Eof()) return false;
    line = {text(*rs, "cWhCode"), text(*rs, "cInvCode"), text(*rs, "cInvName"),
            std::floor(vb::CDbl((*rs)(Variant("q"))) / 2)};
    return true;
}

void allocation(const ado::ConnectionPtr& con, const std::string& db) {
    session::LoginSettings settings;
    settings.connection_string = "Provider=SQLite;Data Source=" + db;
    settings.operator_code = "demo";
    settings.options_key1 = schema::kDemoOptionsKey1;
    settings.options_key2 = "run" + std::to_string(static_cast<long>(::getpid()));
    auto login = session::AccountLogin::create(settings);
    // Each demo run is a terminal session of its own, so two runs started
    // from one shell keep their scratch tables apart.
    struct RunTerminal : system::TerminalSession {
        Variant GetSessionID() override { return Variant(std::to_string(static_cast<long>(::getpid()))); }
    };
    component::module().objects.register_factory("Pobrex.Terminal", [] { return std::make_shared<RunTerminal>(); });
    auto permission = session::PermissionService::create();
    permission->InitFromSession(login);
    component::RefSelect select;

    auto run = [&](std::int32_t ref_type, const std::string& sql, const DemoLine& l) {
        std::string err = " ";  // text mode: the shortfall comes back here
        select.AutoRefer(login, l.wh, l.inv, component::RefSelect::CollectionPtr(), l.quantity, 0.0, l.rate, ref_type,
                         sql, false, true, std::string(), err);
        return err;
    };
    auto shortfall = [](const std::string& err) {
        if (!err.empty() && err != " ") std::printf("    %s\n", err.c_str());
    };

    DemoLine l;
    if (demo_batch_line(con, l)) {
        std::string sql;
        component::form_services(permission).batch_query_builder()->GetBatchSql(sql, l.wh, l.inv, {}, "");
        std::printf("\n批次分配: 仓库 %s 存货 %s %s, 出库 %s\n", l.wh.c_str(), l.inv.c_str(), l.name.c_str(),
                    vb::Format(Variant(l.quantity), "##0.00").c_str());
        RuleScope scope(con, settings.options_key2, "BatchOut");
        for (const char* rule : {selection::texts::kRuleBatchFifo, selection::texts::kRuleNearestExpiry,
                                 session::texts::kRuleManual}) {
            scope.set(rule);
            std::string err = run(0, sql, l);
            std::printf("  %s\n", rule);
            print_columns({{"批号", 16}, {"生产日期", 12}, {"失效日期", 12}, {"结存数量", 12}, {"出库数量", 12}, {"出库件数", 10}});
            if (auto rs = select.ReturnData())
                for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
                    std::printf("    %s%s%s%s%s%s\n", pad(text(*rs, "批号"), 16).c_str(), pad(day_of(*rs, "生产日期"), 12).c_str(),
                                pad(day_of(*rs, "失效日期"), 12).c_str(), pad(amount(*rs, "结存数量"), 12).c_str(),
                                pad(amount(*rs, "出库数量"), 12).c_str(), amount(*rs, "出库件数").c_str());
            shortfall(err);
        }

        // Three lines of a run share the scratch table: each sees what the
        // earlier ones took, so no batch quantity is taken twice.
        scope.set(selection::texts::kRuleBatchFifo);
        DemoLine third = l;
        third.quantity = std::floor(l.quantity * 2 / 3);
        std::printf("\n  连续三行 (各出库 %s, 批号先进先出, 临时现存量表记下已分配的数量)\n",
                    vb::Format(Variant(third.quantity), "##0.00").c_str());
        bool create = true;
        select.CreateAndDropTmpCurrentStock(login, create);
        print_columns({{"行", 6}, {"批号", 16}, {"现存量编号", 12}, {"可用数量", 12}, {"出库数量", 12}});
        for (int n = 1; n <= 3; ++n) {
            std::string text_sql = sql;
            std::string err = run(0, select.GetAllBSQL(text_sql), third);
            if (auto rs = select.ReturnData())
                for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
                    double q = vb::CDbl((*rs)(Variant("出库数量"))), pieces = vb::CDbl((*rs)(Variant("出库件数")));
                    std::int32_t id = static_cast<std::int32_t>(vb::CDbl((*rs)(Variant("现存量编号"))));
                    select.UpdateTmpCurrentStock(login, q, pieces, id);
                    std::printf("    %s%s%s%s%s\n", pad(std::to_string(n), 6).c_str(), pad(text(*rs, "批号"), 16).c_str(),
                                pad(std::to_string(id), 12).c_str(), pad(amount(*rs, "结存数量"), 12).c_str(),
                                amount(*rs, "出库数量").c_str());
                }
            shortfall(err);
        }
        create = false;
        select.CreateAndDropTmpCurrentStock(login, create);
    }

    if (receipt_line(con, l)) {
        std::string sql;
        component::form_services(permission).receipt_query_builder()->GetReceiptLineSql(sql, l.wh, l.inv, {}, "", "");
        std::printf("\n出库跟踪入库: 仓库 %s 存货 %s %s, 出库 %s\n", l.wh.c_str(), l.inv.c_str(), l.name.c_str(),
                    vb::Format(Variant(l.quantity), "##0.00").c_str());
        RuleScope scope(con, settings.options_key2, "InOutTrace");
        for (const char* rule : {selection::texts::kRuleFifo, selection::texts::kRuleLifo}) {
            scope.set(rule);
            std::string err = run(1, sql, l);
            std::printf("  %s\n", rule);
            print_columns({{"入库单号", 14}, {"入库日期", 12}, {"入库系统编号", 14}, {"结存数量", 12}, {"出库数量", 12}});
            if (auto rs = select.ReturnData())
                for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
                    std::printf("    %s%s%s%s%s\n", pad(text(*rs, "入库单号"), 14).c_str(), pad(day_of(*rs, "入库日期"), 12).c_str(),
                                pad(text(*rs, "入库系统编号"), 14).c_str(), pad(amount(*rs, "结存数量"), 12).c_str(),
                                amount(*rs, "出库数量").c_str());
            shortfall(err);
        }
    }
}

// A list as the generation forms show it: filled from the record set, laid
// out (captions, hidden columns), printed with its visible columns.
void print_grid(const generation::FormServices& services, const char* title, const char* list_name, const ado::RecordsetPtr& rs, long max_rows = 5) {
    ui::Grid grid(list_name);
    generation::ModuleCtl::FillSourceGrid(services, rs, grid, false);
    generation::ModuleCtl::SetListLayout(services, grid, rs);
    std::vector<long> cols;
    for (long c = 1; c < grid.Cols() && cols.size() < 9; ++c)
        if (grid.ColWidth(c) != 0 && !grid.TextMatrix(0, c).empty()) cols.push_back(c);
    std::printf("\n%s (%ld 张)\n", title, grid.Rows() - 1);
    std::string line = "  ";
    for (long c : cols) line += pad(grid.TextMatrix(0, c), 14);
    std::printf("%s\n", line.c_str());
    for (long r = 1; r < grid.Rows() && r <= max_rows; ++r) {
        line = "  ";
        for (long c : cols) line += pad(grid.TextMatrix(r, c), 14);
        std::printf("%s\n", line.c_str());
    }
    if (grid.Rows() - 1 > max_rows) std::printf("  ... 另有 %ld 张\n", grid.Rows() - 1 - max_rows);
}

void print_list_view(const generation::FormServices& services, const char* title, const ado::RecordsetPtr& rs, long max_rows = 5) {
    ui::ListView list("lstParent");
    generation::ModuleCtl::FillListView(services, rs, list, false);
    generation::ModuleCtl::SetListLayout(services, list, rs);
    std::vector<long> cols;
    for (long c = 1; c <= list.column_count() && cols.size() < 8; ++c)
        if (list.column(c).width != 0) cols.push_back(c);
    std::printf("\n%s (%ld 张)\n", title, list.item_count());
    std::string line = "  ";
    for (long c : cols) line += pad(list.column(c).text, 14);
    std::printf("%s\n", line.c_str());
    for (long i = 1; i <= list.item_count() && i <= max_rows; ++i) {
        line = "  ";
        for (long c : cols) line += pad(c == 1 ? list.item(i).text : list.item(i).SubItems(c - 1), 14);
        std::printf("%s\n", line.c_str());
    }
    if (list.item_count() > max_rows) std::printf("  ... 另有 %ld 张\n", list.item_count() - max_rows);
}

// The open source documents as the generation forms list them, read
// through the host's query services.
void source_documents(const std::string& db) {
    auto login = session::AccountLogin::create("Provider=SQLite;Data Source=" + db, "demo");
    auto permission = component::renew_permission_with_options(login);
    const generation::FormServices services = component::form_services(permission);
    auto queries = services.source_query;
    std::printf("\n来源单据 (未执行完、未关闭)\n");
    print_grid(services, "采购订单", "lstDdHead", queries->GetOrderHeads(permission, ""));
    print_grid(services, "采购到货单", "lstDhdHead", queries->GetArrivalHeads(permission, ""));
    auto options = services.stock_option();
    std::string message;
    if (options->InitFromSession(login, message)) {
        ado::RecordsetPtr rs;
        if (queries->GetDispatchHeads(options->GetOptions(), "", rs, message))
            print_grid(services, "发货单", "lstFhdHead", rs);
        else
            std::printf("\n发货单: %s\n", message.c_str());
    } else {
        std::printf("\n发货单: %s\n", message.c_str());
    }
    auto production = host::account_production_order_component();
    auto con = permission->GetConnection();
    print_list_view(services, "生产订单", production->OrderHeads("", con, true, message));
}

}  // namespace

bool demo_batch_line(const ado::ConnectionPtr& con, DemoLine& line, const std::string& wh, const std::string& inv) {
    // Unnamed, the first fixed-rate batch inventory with three dated batches
    // in one warehouse: enough rows for the rules to differ.
    std::string where = wh.empty() && inv.empty() ? "s.cBatch <> '' and i.iGroupType = 1" : "1 = 1";
    if (!wh.empty()) where += " and s.cWhCode = " + host::sql_quoted(wh);
    if (!inv.empty()) where += " and s.cInvCode = " + host::sql_quoted(inv);
    auto rs = Recordset::create();
    rs->Open("select s.cWhCode, s.cInvCode, i.cInvName, i.iChangRate, sum(s.iQuantity) as q from CurrentStock s "
             "join Inventory i on i.cInvCode = s.cInvCode where s.iQuantity > 0 and " + where +
                 " group by s.cWhCode, s.cInvCode, i.cInvName, i.iChangRate having count(s.dVDate) >= " +
                 (wh.empty() && inv.empty() ? "3" : "0") + " order by s.cInvCode, s.cWhCode",
             con);
    if (rs->Eof()) return false;
    line = {text(*rs, "cWhCode"), text(*rs, "cInvCode"), text(*rs, "cInvName"),
            std::floor(vb::CDbl((*rs)(Variant("q"))) / 2), vb::CDbl((*rs)(Variant("iChangRate")))};
    return true;
}

int run_demo(const std::string& db) {
    auto con = ado::Connection::create();
    con->Open("Provider=SQLite;Data Source=" + db);
    std::printf("demo account: %s\n\n", db.c_str());
    stock_report(con);
    issue_and_write_back(con);
    demo_checked_write(con);
    production_generation(db);
    positions_and_picker(db);
    // Saves an issue: before the part that concurrent runs compare.
    sales_generation(db);
    allocation(con, db);
    demo_trace(con, db);
    source_documents(db);
    purchase_generation(db);
    return 0;
}

}  // namespace korvane::app
