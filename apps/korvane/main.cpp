// The demo host: builds demo accounts and runs the main job on one.
#include <CLI/CLI.hpp>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "apps/korvane/demo.h"
#include "apps/korvane/demo_purchase.h"
#include "apps/korvane/explain.h"
#include "apps/korvane/demo_sales.h"
#include "apps/korvane/gui.h"
#include "apps/korvane/voucher_production.h"
#include "apps/korvane/gui_picker.h"
#include "apps/korvane/gui_trace.h"
#include "platform/vb/error.h"
#include "schema/demo_generator.h"

namespace {

// Beyond this a demo account takes longer to build than anyone waits for,
// and the generator's row arithmetic would leave its range.
constexpr long kMaxDemoRows = 20'000'000;

// Held while an account file is made, so runs started at once on a missing
// account build it once and the others wait for it.
class CreationLock {
public:
    explicit CreationLock(const std::string& db) : fd_(::open((db + ".lock").c_str(), O_CREAT | O_RDWR, 0644)) {
        if (fd_ >= 0) ::flock(fd_, LOCK_EX);
    }
    ~CreationLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    CreationLock(const CreationLock&) = delete;
    CreationLock& operator=(const CreationLock&) = delete;

private:
    int fd_;
};

int init_demo(const std::string& db, long rows, unsigned seed, bool force, bool only_if_missing = false) {
    if (rows < 0 || rows > kMaxDemoRows) {
        std::fprintf(stderr, "init-demo: --rows must be between 0 and %ld, not %ld\n", kMaxDemoRows, rows);
        return 2;
    }
    if (std::filesystem::is_directory(db)) {
        std::fprintf(stderr, "init-demo: %s is a directory\n", db.c_str());
        return 2;
    }
    CreationLock lock(db);
    if (std::filesystem::exists(db)) {
        if (only_if_missing) return 0;  // another run made it meanwhile
        if (!force) {
            std::fprintf(stderr, "init-demo: %s already exists (use --force to replace it)\n", db.c_str());
            return 2;
        }
        for (const char* ext : {"", "-wal", "-shm"}) std::filesystem::remove(db + ext);
    }
    // Built beside and renamed into place: a run that stops half way leaves no half account.
    const std::string building = db + ".building";
    for (const char* ext : {"", "-wal", "-shm"}) std::filesystem::remove(building + ext);
    korvane::schema::DemoOptions o;
    o.path = building;
    o.rows = rows;
    o.seed = seed;
    bool printed = false;
    o.progress = [&printed](std::string_view line) {
        std::fprintf(stderr, "\r%-70.*s", static_cast<int>(line.size()), line.data());
        printed = true;
    };
    korvane::schema::generate_demo(o);
    if (printed) std::fprintf(stderr, "\n");
    std::filesystem::rename(building, db);
    std::printf("demo account %s: %ld current-stock rows (seed %u)\n", db.c_str(), rows, seed);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"KORVANE demo host"};
    app.require_subcommand(1);

    std::string init_db;
    long rows = 20000;
    unsigned seed = 1;
    bool force = false;
    auto* init = app.add_subcommand("init-demo", "create a demo account");
    init->add_option("--db", init_db, "account file")->required();
    init->add_option("--rows", rows, "current-stock rows (default 20000)");
    init->add_option("--seed", seed, "seed of the generated data");
    init->add_flag("--force", force, "replace an existing file");

    std::string demo_db;
    auto* demo = app.add_subcommand("demo", "run the main job on the demo account (created when missing)");
    demo->add_option("--db", demo_db, "account file")->required();

    std::string gui_db, screenshot;
    auto* gui = app.add_subcommand("gui", "open the host window with a filter field of each kind");
    gui->add_option("--db", gui_db, "account file")->required();
    gui->add_option("--screenshot", screenshot, "render the window into this PNG and exit");
    bool select = false;
    gui->add_flag("--select", select, "open the stock selection dialog for a demo issue line");
    bool production = false;
    gui->add_flag("--production", production, "open a production receipt voucher (生单 from production orders)");
    std::string open_form;
    gui->add_option("--open", open_form, "open one function alone: picker (inventory picker), positions (batch positions) or trace (分配说明)");
    bool purchase = false;
    gui->add_flag("--purchase", purchase, "open the purchase receipt voucher (生单 from orders and arrivals)");

    korvane::app::ExplainRequest explain;
    auto* explain_cmd = app.add_subcommand("explain", "explain the automatic allocation of one line (分配说明)");
    explain_cmd->add_option("--db", explain.db, "account file")->required()->check(CLI::ExistingFile);
    explain_cmd->add_option("--wh", explain.wh, "warehouse code")->required();
    explain_cmd->add_option("--inv", explain.inv, "inventory code")->required();
    explain_cmd->add_option("--qty", explain.quantity, "quantity to allocate")->required();
    explain_cmd->add_option("--rule", explain.rule, "allocation rule, e.g. 批号先进先出, 近效期先出, 先进先出, 后进先出");
    explain_cmd->add_option("--ref-type", explain.ref_type, "0 batches (default), 1 receipt lines");
    explain_cmd->add_flag("--red", explain.red, "a red line (negative quantity)");
    explain_cmd->add_flag("--single", explain.single, "one row only");
    explain_cmd->add_flag("--json", explain.json, "print the trace as JSON");
    bool sales = false;
    gui->add_flag("--sales", sales, "open the sales issue voucher (生单 from dispatch lists, 批次, 保存)");

    CLI11_PARSE(app, argc, argv);
    try {
        if (*init) return init_demo(init_db, rows, seed, force);
        if (*explain_cmd) return korvane::app::run_explain(explain);
        if (*gui) {
            if (!korvane::app::gui_platform_ready(!screenshot.empty())) return 1;
            if (int rc = init_demo(gui_db, 20000, 1, false, true)) return rc;
            if (production) return korvane::app::run_production_gui(gui_db, screenshot);
            if (open_form == "trace") return korvane::app::run_trace_gui(gui_db, screenshot);
            if (!open_form.empty()) return korvane::app::run_gui_form(gui_db, screenshot, open_form);
            if (purchase) return korvane::app::run_purchase_gui(gui_db, screenshot);
            if (sales) return korvane::app::run_sales_gui(gui_db, screenshot);
            return korvane::app::run_gui(gui_db, screenshot, select);
        }
        if (int rc = init_demo(demo_db, 20000, 1, false, true)) return rc;
        return korvane::app::run_demo(demo_db);
    } catch (const korvane::Error& e) {
        std::fprintf(stderr, "korvane: %s\n", e.description().c_str());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "korvane: %s\n", e.what());
        return 1;
    }
}
