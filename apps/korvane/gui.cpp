#include "apps/korvane/gui.h"

#include <cstdio>
#include <cstdlib>

#ifdef KORVANE_HAVE_QT
#include <QApplication>
#include <QTimer>

#include "apps/korvane/demo.h"
#include "apps/korvane/voucher_production.h"
#include "apps/korvane/gui_picker.h"
#include "apps/korvane/voucher_purchase.h"
#include "apps/korvane/voucher_sales.h"
#include "apps/korvane/gui_trace.h"
#include "component/module_state.h"
#include "component/ref_select.h"
#include "generation/core/module_ctl.h"
#include "generation/core/ref_fields.h"
#include "apps/korvane/screenshot_ui.h"
#include "gui/qt/qt_ui.h"
#include "host/stock_queries.h"
#include "platform/vb/convert.h"
#include "session/login.h"

namespace korvane::app {

namespace {

using generation::FormServices;
namespace M = generation::ModuleCtl;

struct Field {
    const char* name;
    const char* caption;
    const char* tag;
};

constexpr Field kFields[] = {
    {"txtDate", "单据日期：", "rfdate"},       {"cmbWhName", "仓库：", "rfwarehouse"},
    {"cmbInv", "存货：", "rfinventory"},       {"cmbCus", "客户：", "rfcustomer"},
    {"cmbDept", "部门：", "rfdepartment"},     {"cmbPerson", "业务员：", "rfperson"},
    {"cmbVen", "供应商：", "rfvendor"},
};

// Opens the selection dialog for a line through RefSelect, as a voucher
// window does when the operator asks for stock, and tells what was chosen.
void select_stock(ui::UiHost& host, const session::LoginPtr& login, const session::PermissionServicePtr& permission,
                  const std::string& wh, const std::string& inv) {
    auto con = ado::Connection::create();
    con->Open(login->ConnectionString());
    DemoLine line;
    if (!demo_batch_line(con, line, wh, inv)) {
        host.MsgBox("该仓库、存货没有可分配的现存量。", ui::vb::vbInformation);
        return;
    }
    std::string sql;
    component::form_services(permission).batch_query_builder()->GetBatchSql(sql, line.wh, line.inv, {}, "");
    component::RefSelect select;
    select.set_tracing(true);
    select.Refer(login, line.wh, line.inv, component::RefSelect::CollectionPtr(), line.quantity, 0.0, line.rate, 0,
                 sql, false, true, std::string());
    remember_trace(select.trace());
    auto rs = select.ReturnData();
    if (!rs) return;
    double total = 0;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) total += vb::CDbl((*rs)(Variant("出库数量")));
    host.MsgBox("已选择 " + std::to_string(rs->RecordCount()) + " 行，出库数量合计 " +
                    vb::Format(Variant(total), "##0.00") + "。",
                ui::vb::vbInformation);
}


// The host's window: one filter field of each kind, wired as the
// generation forms wire theirs.
class HostWindow : public ui::Form {
public:
    HostWindow(ui::UiHost& host, FormServices services, session::LoginPtr login,
               session::PermissionServicePtr permission)
        : ui::Form("frmKorvaneHost", host), services_(std::move(services)), login_(std::move(login)),
          permission_(std::move(permission)) {
        put_Caption("KORVANE 演示 - 过滤条件");
        resize(7200, 5700);
        put_KeyPreview(true);
        auto& frame = add<ui::Frame>("Frame1");
        frame.put_Caption("过滤条件：");
        frame.Move(150, 120, 6900, 3700);
        int top = 480;
        for (const auto& f : kFields) {
            auto& label = add<ui::Label>(std::string("lbl") + f.name);
            label.put_Caption(f.caption);
            label.Move(400, top + 40, 1200, 300);
            auto& box = add<ui::TextBox>(f.name);
            box.put_Tag(f.tag);
            box.Move(1600, top, 2800, 330);
            auto& link = add<ui::Label>(std::string("lnk") + f.name);
            link.Move(4600, top + 40, 2300, 300);
            top += 450;
        }
        refers_ = &add<ui::CommandButton>("cmdRefers");
        refers_->put_Visible(false);
        auto& hint = add<ui::Label>("lblHint");
        hint.put_Caption("F2 或右端按钮打开参照；离开字段时校验输入。分配存货按仓库、存货打开批次分配。");
        hint.Move(150, 4000, 6900, 300);
        auto& select = add<ui::CommandButton>("cmdSelect");
        select.put_Caption("分配存货(&S)");
        select.Move(4400, 4450, 1250, 400);
        select.on_click = [this] {
            select_stock(this->host(), login_, permission_, control_as<ui::TextBox>("cmbWhName").LinkItem(),
                         control_as<ui::TextBox>("cmbInv").LinkItem());
        };
        add_production_voucher_buttons(*this, login_, 150, 4450);
        auto& picker = add<ui::CommandButton>("cmdPicker");
        picker.put_Caption("选择存货(&I)");
        picker.Move(150, 4950, 1300, 400);
        picker.on_click = [this] { pick_inventories(this->host(), login_); };
        auto& positions = add<ui::CommandButton>("cmdPositions");
        positions.put_Caption("批量货位(&W)");
        positions.Move(1550, 4950, 1300, 400);
        positions.on_click = [this] { batch_positions(this->host(), login_); };
        auto& purchase = add<ui::CommandButton>("cmdPurchase");
        purchase.put_Caption("采购入库单(&P)");
        purchase.Move(2950, 4450, 1350, 400);
        purchase.on_click = [this] {
            PurchaseReceiptVoucher voucher(this->host(), login_);
            voucher.Show(ui::vbModal);
        };
        auto& sales = add<ui::CommandButton>("cmdSales");
        sales.put_Caption("销售出库单(&O)");
        sales.Move(4350, 4950, 1350, 400);
        sales.on_click = [this] {
            SalesIssueVoucher voucher(this->host(), login_);
            voucher.Show(ui::vbModal);
        };
        auto& trace = add<ui::CommandButton>("cmdTrace");
        trace.put_Caption("分配说明(&E)");
        trace.Move(2950, 4950, 1300, 400);
        trace.on_click = [this] { show_last_trace(this->host()); };
        auto& exit = add<ui::CommandButton>("cmdExit");
        exit.put_Caption("退出(&X)");
        exit.Move(5800, 4950, 1250, 400);
        exit.on_click = [this] { Unload(); };

        on_got_focus = [this](ui::Control& c) {
            if (auto* box = dynamic_cast<ui::TextBox*>(&c)) {
                std::string err;
                if (!M::ShowRefButton(*box, *refers_, err)) this->host().MsgBox(err, ui::vb::vbInformation);
            }
        };
        on_validate = [this](ui::Control& c, ui::Control* next, bool& cancel) {
            auto* box = dynamic_cast<ui::TextBox*>(&c);
            if (!box || next == refers_) return;
            if (vb::LCase(box->Tag()) == "rfdate") {
                M::CheckDateField(this->host(), *box, cancel);
                return;
            }
            std::string err;
            if (!M::CheckRefField(services_, *box, err, true)) {
                this->host().MsgBox(err, ui::vb::vbInformation);
                cancel = true;
            }
            show_link(*box);
        };
        on_key_press = [this](int& key) { M::FilterKeyAscii(this->host(), key); };
        on_key_down = [this](int& key, int) {
            if (key == 113 && refers_->Visible()) {
                lookup();
                key = 0;
            }
        };
        refers_->on_click = [this] { lookup(); };
    }

private:
    void lookup() {
        auto& box = control_as<ui::TextBox>(refers_->Tag());
        std::string err;
        if (!M::LookupReference(services_, box, *refers_, err, 0)) host().MsgBox(err, ui::vb::vbInformation);
        show_link(box);
    }
    void show_link(ui::TextBox& box) {
        control_as<ui::Label>("lnk" + box.Name()).put_Caption(box.LinkItem().empty() ? "" : "代码：" + box.LinkItem());
    }

    FormServices services_;
    session::LoginPtr login_;
    session::PermissionServicePtr permission_;
    ui::CommandButton* refers_;
};

bool env_set(const char* name) {
    const char* v = std::getenv(name);
    return v && *v;
}

}  // namespace

bool gui_platform_ready(bool screenshot) {
    if (env_set("QT_QPA_PLATFORM") || env_set("DISPLAY") || env_set("WAYLAND_DISPLAY")) return true;
    if (screenshot) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        return true;
    }
    std::fprintf(stderr,
                 "korvane gui: no display to open the window on. Set DISPLAY (or WAYLAND_DISPLAY), run it under "
                 "xvfb-run, or add --screenshot FILE.png to render it offscreen.\n");
    return false;
}

int run_gui(const std::string& db, const std::string& screenshot, bool select) {
    GuiApp app;
    auto login = session::AccountLogin::create("Provider=SQLite;Data Source=" + db, "demo");
    auto permission = session::PermissionService::create();
    permission->InitFromSession(login);
    if (select) {
        // The selection dialog alone, for the demo line.
        std::unique_ptr<qt::QtUi> host;
        ScreenshotUi* shot = nullptr;
        if (screenshot.empty()) host = std::make_unique<qt::QtUi>();
        else host.reset(shot = new ScreenshotUi(QString::fromStdString(screenshot)));
        host->set_app_title("KORVANE");
        component::set_ui_host(host.get());
        select_stock(*host, login, permission, "", "");
        component::set_ui_host(nullptr);
        if (!shot) return 0;
        report_png(shot->saved(), screenshot);
        return shot->saved() ? 0 : 1;
    }
    qt::QtUi host;
    host.set_app_title("KORVANE");
    component::set_ui_host(&host);
    HostWindow window(host, component::form_services(permission), login, permission);
    window.Load();
    qt::FormView view(window);
    if (!screenshot.empty()) {
        view.show();
        auto& wh = window.control_as<ui::TextBox>("cmbWhName");
        window.set_focus(&wh);
        wh.replace_text("01");
        QApplication::processEvents();
        bool saved = view.save_png(QString::fromStdString(screenshot));
        report_png(saved, screenshot);
        component::set_ui_host(nullptr);
        return saved ? 0 : 1;
    }
    view.exec();
    component::set_ui_host(nullptr);
    return 0;
}

}  // namespace korvane::app

#else

namespace korvane::app {
bool gui_platform_ready(bool) { return true; }
int run_gui(const std::string&, const std::string&, bool) {
    std::fprintf(stderr, "korvane gui: this build has no Qt (install qt6-base-dev and rebuild)\n");
    return 1;
}
}  // namespace korvane::app

#endif
