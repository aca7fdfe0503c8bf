#include "apps/korvane/gui.h"

#include <cstdio>

#ifdef KORVANE_HAVE_QT
#include <QApplication>
#include <QTimer>

#include "generation/core/module_ctl.h"
#include "generation/core/ref_fields.h"
#include "gui/qt/qt_ui.h"
#include "platform/vb/convert.h"
#include "session/login.h"

namespace korvane::app {

namespace {

using generation::ModuleCtl::RefServices;
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

// The host's window: one filter field of each kind, wired as the
// generation forms wire theirs.
class HostWindow : public ui::Form {
public:
    HostWindow(ui::UiHost& host, RefServices services) : ui::Form("frmKorvaneHost", host), services_(std::move(services)) {
        put_Caption("KORVANE 演示 - 过滤条件");
        resize(7200, 5200);
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
        hint.put_Caption("F2 或右端按钮打开参照；离开字段时校验输入。");
        hint.Move(150, 4000, 6900, 300);
        auto& exit = add<ui::CommandButton>("cmdExit");
        exit.put_Caption("退出(&X)");
        exit.Move(5800, 4450, 1250, 400);
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

    RefServices services_;
    ui::CommandButton* refers_;
};

}  // namespace

int run_gui(const std::string& db, const std::string& screenshot) {
    int argc = 1;
    char name[] = "korvane";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    qt::QtUi host;
    host.set_app_title("KORVANE");
    auto permission = session::PermissionService::create();
    permission->InitFromSession(session::AccountLogin::create("Provider=SQLite;Data Source=" + db, "demo"));
    HostWindow window(host, RefServices::standard(host, permission));
    window.Load();
    qt::FormView view(window);
    if (!screenshot.empty()) {
        view.show();
        auto& wh = window.control_as<ui::TextBox>("cmbWhName");
        window.set_focus(&wh);
        wh.replace_text("01");
        QApplication::processEvents();
        bool saved = view.save_png(QString::fromStdString(screenshot));
        std::printf("%s %s\n", saved ? "saved" : "could not save", screenshot.c_str());
        return saved ? 0 : 1;
    }
    view.exec();
    return 0;
}

}  // namespace korvane::app

#else

namespace korvane::app {
int run_gui(const std::string&, const std::string&) {
    std::fprintf(stderr, "korvane gui: this build has no Qt (install qt6-base-dev and rebuild)\n");
    return 1;
}
}  // namespace korvane::app

#endif
