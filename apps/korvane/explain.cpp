#include "apps/korvane/explain.h"

#include <unistd.h>

#include <cstdio>

#include "apps/korvane/demo.h"
#include "apps/korvane/rule_scope.h"
#include "component/module_state.h"
#include "component/ref_select.h"
#include "host/stock_queries.h"
#include "platform/ado/recordset.h"
#include "platform/vb/convert.h"
#include "selection/allocation_trace.h"
#include "selection/texts.h"
#include "session/login.h"

namespace korvane::app {

namespace {

// The trace of one AutoRefer, with what it reported; null when it ran none.
std::shared_ptr<const selection::AllocationTrace> traced_auto_refer(const ExplainRequest& r, std::string& message) {
    session::LoginSettings settings;
    settings.connection_string = "Provider=SQLite;Data Source=" + r.db;
    settings.operator_code = "demo";
    settings.options_key1 = schema::kDemoOptionsKey1;
    // the rule asked for is this run's own, as the demo keeps it
    settings.options_key2 = "explain" + std::to_string(static_cast<long>(::getpid()));
    auto login = session::AccountLogin::create(settings);
    auto permission = session::PermissionService::create();
    permission->InitFromSession(login);
    auto con = permission->GetConnection();

    std::string sql;
    if (r.ref_type == 1)
        host::account_receipt_line_query_builder(permission)->GetReceiptLineSql(sql, r.wh, r.inv, {}, "", "");
    else
        host::account_batch_query_builder(permission)->GetBatchSql(sql, r.wh, r.inv, {}, "");
    auto rate_rs = ado::Recordset::create();
    rate_rs->Open("select iChangRate from Inventory where cInvCode = " + host::sql_quoted(r.inv), con);
    const double rate = rate_rs->Eof() ? 0 : vb::CDbl((*rate_rs)(Variant("iChangRate")));

    RuleScope scope(con, settings.options_key2, r.ref_type == 1 ? "InOutTrace" : "BatchOut");
    if (!r.rule.empty()) scope.set(r.rule);
    component::RefSelect select;
    select.set_tracing(true);
    message = " ";  // text mode: what the pass reports comes back here
    select.AutoRefer(login, r.wh, r.inv, component::RefSelect::CollectionPtr(), r.quantity, 0.0, rate,
                     static_cast<std::int32_t>(r.ref_type), sql, r.red, !r.single, std::string(), message);
    return select.trace();
}

}  // namespace

int run_explain(const ExplainRequest& request) {
    std::string message;
    auto trace = traced_auto_refer(request, message);
    if (!trace) {
        std::fprintf(stderr, "korvane: no allocation ran\n");
        return 1;
    }
    if (request.json) {
        std::printf("%s\n", trace->json().c_str());
    } else {
        std::printf("分配说明: 仓库 %s 存货 %s 数量 %s\n%s", request.wh.c_str(), request.inv.c_str(),
                    selection::decimal_text(selection::Amount::of(request.quantity)).c_str(), trace->table().c_str());
        if (!message.empty()) std::printf("%s\n", message.c_str());
    }
    return 0;
}

void demo_trace(const ado::ConnectionPtr& con, const std::string& db) {
    DemoLine line;
    if (!demo_batch_line(con, line)) return;
    ExplainRequest r;
    r.db = db;
    r.wh = line.wh;
    r.inv = line.inv;
    r.quantity = line.quantity;
    r.rule = selection::texts::kRuleBatchFifo;
    std::printf("\n");
    run_explain(r);
}

}  // namespace korvane::app
