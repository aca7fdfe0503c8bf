// Inventory picker costs, each against its limit in the same run: a class
// of 100,000 inventories listed after its node is checked, against the
// inventory collection's own load of those rows; and the hand-over command
// for 10,000 checked inventories built and run, against inserting the same
// ids into a scratch table straight through SQLite.
#include <benchmark/benchmark.h>

#include "bench/bench_account.h"
#include "bench/ratio_reporter.h"
#include <sqlite3.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "component/module_state.h"
#include "invselect/return_inv_set_form.h"
#include "platform/ado/recordset.h"
#include "schema/account_schema.h"
#include "session/login.h"
#include "tests/support/services.h"

namespace {

using namespace korvane;
namespace kb = korvane::bench;

constexpr long kListed = 100'000;
constexpr long kChecked = 10'000;

void check(int rc, sqlite3* db) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error(std::string("bench account: ") + sqlite3_errmsg(db));
}

// Class 01 (last level 0101001) holds 100,000 inventories, class 02 (0201001) 10,000.
std::string picker_account() {
    return kb::built_once("bench-invselect.db", "110,000 inventories in two classes", [](const std::string& tmp) {
        schema::create_account(tmp);
        sqlite3* db = nullptr;
        check(sqlite3_open(tmp.c_str(), &db), db);
        check(sqlite3_exec(db,
                           "BEGIN; insert into CodeRule values ('InventoryClass', '2,2,3'); "
                           "insert into InventoryClass (cInvCCode, cInvCName, iInvCGrade, bInvCEnd) values "
                           "('01', '原材料', 1, 0), ('0101', '金属件', 2, 0), ('0101001', '螺纹件', 3, 1), "
                           "('02', '产成品', 1, 0), ('0201', '整机', 2, 0), ('0201001', '一类', 3, 1);",
                           nullptr, nullptr, nullptr),
              db);
        sqlite3_stmt* inv = nullptr;
        check(sqlite3_prepare_v2(db,
                                 "insert into Inventory (cInvCode, cInvName, cInvStd, cInvCCode, cComUnitCode, iId) "
                                 "values (?, '基准存货', 'M8×30', ?, '01', ?)",
                                 -1, &inv, nullptr),
              db);
        for (long i = 0; i < kListed + kChecked; ++i) {
            const bool first = i < kListed;
            char code[24];
            std::snprintf(code, sizeof code, "%s%06ld", first ? "A" : "B", i);
            sqlite3_bind_text(inv, 1, code, -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(inv, 2, first ? "0101001" : "0201001", -1, SQLITE_STATIC);
            sqlite3_bind_int64(inv, 3, i + 1);
            check(sqlite3_step(inv), db);
            sqlite3_reset(inv);
        }
        sqlite3_finalize(inv);
        check(sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr), db);
        sqlite3_close(db);
    });
}

// The picker open on the account, as a clerk sees it after the form loaded.
struct Picker {
    session::LoginPtr login;
    session::PermissionServicePtr permission = session::PermissionService::create();
    std::unique_ptr<testing::Services> services;
    ado::RecordsetPtr result;
    std::string where;
    ado::ConnectionPtr connection;
    std::unique_ptr<invselect::frmReturnInvSet> form;

    Picker() {
        login = session::AccountLogin::create(
            session::LoginSettings{.connection_string = "Provider=SQLite;Data Source=" + picker_account(),
                                   .operator_code = "demo", .session_tag = "bench.1"});
        permission->InitFromSession(login);
        services = std::make_unique<testing::Services>(permission);
        services->headless.auto_ok(true);
        form = std::make_unique<invselect::frmReturnInvSet>(services->services,
                                                             invselect::SelectionState{&result, &where, &connection});
        form->Load();
        form->treeMenu().expand("m01");
        form->treeMenu().expand("m02");
    }
    // Checks a class node afresh: the list is loaded again.
    void check_node(const char* key) {
        form->treeMenu().put_checked(key, false);
        form->treeMenu().check_node(key, true);
    }
};

Picker& picker() {
    static Picker p;
    return p;
}

// The limit: the inventory collection's load of the class's rows.
void BM_CollectionLoad(benchmark::State& state) {
    Picker& p = picker();
    for (auto _ : state) {
        auto inventories = p.services->services.business->create_records("inventory");
        inventories->put_Login(p.permission);
        auto rs = inventories->load_by_condition("cInvCCode like '01%'");
        if (rs->RecordCount() != kListed) state.SkipWithError("the class does not hold its inventories");
    }
    state.SetItemsProcessed(state.iterations() * kListed);
}
BENCHMARK(BM_CollectionLoad)->Unit(benchmark::kMillisecond);

// The clerk checks the class node: the list loads, the status bar counts it.
void BM_ListAfterNodeCheck(benchmark::State& state) {
    Picker& p = picker();
    for (auto _ : state) {
        p.check_node("m01");
        if (p.form->ListView1().Rows() != kListed + 1) state.SkipWithError("the list does not hold the class");
    }
    state.SetItemsProcessed(state.iterations() * kListed);
}
BENCHMARK(BM_ListAfterNodeCheck)->Unit(benchmark::kMillisecond);

// Confirm's first step for 10,000 checked rows: the marked codes read from
// the list, the one command text built and run on the module-wide connection.
void BM_ConfirmCommand(benchmark::State& state) {
    Picker& p = picker();
    p.check_node("m02");
    auto& all = p.form->tlbInvClass().button("tlbSelAll");
    all.pressed = true;
    p.form->TaskRun(all);
    const std::string table = invselect::scratch_table_name(p.login->SessionTag());
    auto con = p.permission->GetConnection();
    for (auto _ : state) {
        const std::vector<std::string> codes = p.form->checked_codes();
        con->Execute(invselect::scratch_command(table, codes));
        if (codes.size() != kChecked) state.SkipWithError("not every row is checked");
    }
    state.SetItemsProcessed(state.iterations() * kChecked);
}
BENCHMARK(BM_ConfirmCommand)->Unit(benchmark::kMillisecond);

// The limit: the same 10,000 ids into a new scratch table of a temporary
// database, one prepared insert in one transaction.
void BM_DirectScratchInsert(benchmark::State& state) {
    std::vector<std::string> ids;
    for (long i = 0; i < kChecked; ++i) {
        char code[24];
        std::snprintf(code, sizeof code, "B%06ld", kListed + i);
        ids.emplace_back(code);
    }
    sqlite3* db = nullptr;
    sqlite3_open_v2(picker_account().c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    sqlite3_exec(db, "ATTACH DATABASE '' AS tempdb", nullptr, nullptr, nullptr);
    for (auto _ : state) {
        check(sqlite3_exec(db,
                           "DROP TABLE IF EXISTS tempdb.tmpdirect; CREATE TABLE tempdb.tmpdirect(id nvarchar(255)); BEGIN",
                           nullptr, nullptr, nullptr),
              db);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "insert into tempdb.tmpdirect(id) values(?)", -1, &st, nullptr);
        for (const auto& id : ids) {
            sqlite3_bind_text(st, 1, id.data(), static_cast<int>(id.size()), SQLITE_STATIC);
            check(sqlite3_step(st), db);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
    }
    sqlite3_close(db);
    state.SetItemsProcessed(state.iterations() * kChecked);
}
BENCHMARK(BM_DirectScratchInsert)->Unit(benchmark::kMillisecond);

// For comparison: the same inserts as one text of SQLite statements run by
// sqlite3_exec in one transaction (no translation, a prepare per insert).
void BM_DirectInsertText(benchmark::State& state) {
    std::string text = "DROP TABLE IF EXISTS tempdb.tmptext; CREATE TABLE tempdb.tmptext(id nvarchar(255)); BEGIN;";
    for (long i = 0; i < kChecked; ++i) {
        char code[24];
        std::snprintf(code, sizeof code, "B%06ld", kListed + i);
        text += std::string(" insert into tempdb.tmptext(id) values('") + code + "');";
    }
    text += " COMMIT;";
    sqlite3* db = nullptr;
    sqlite3_open_v2(picker_account().c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    sqlite3_exec(db, "ATTACH DATABASE '' AS tempdb", nullptr, nullptr, nullptr);
    for (auto _ : state) check(sqlite3_exec(db, text.c_str(), nullptr, nullptr, nullptr), db);
    sqlite3_close(db);
    state.SetItemsProcessed(state.iterations() * kChecked);
}
BENCHMARK(BM_DirectInsertText)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    picker();
    kb::RatioReporter reporter;
    kb::run_benchmarks(reporter, argc, argv, 0.5, 5);
    kb::print_ratio("class of 100,000 inventories listed after its node is checked, against the collection's load",
                    reporter.get("BM_ListAfterNodeCheck"), reporter.get("BM_CollectionLoad"), kb::Goal::AtMost, 1.5);
    kb::print_ratio("10,000 checked inventories: the command built and run, against inserting the ids directly",
                    reporter.get("BM_ConfirmCommand"), reporter.get("BM_DirectScratchInsert"), kb::Goal::AtMost, 2);
    kb::print_ratio("  the same against the inserts as one SQLite text (a prepare per insert, no translation)",
                    reporter.get("BM_ConfirmCommand"), reporter.get("BM_DirectInsertText"));
    return 0;
}
