#include "apps/korvane/gui_picker.h"

#include <cstdio>

#include "component/position_set.h"
#include "component/return_inv_set.h"
#include "platform/vb/convert.h"

#ifdef KORVANE_HAVE_QT
#include "apps/korvane/screenshot_ui.h"
#include "component/module_state.h"
#include "host/position_filter.h"
#include "invselect/return_inv_set_form.h"
#include "positions/batch_position_form.h"
#endif

namespace korvane::app {

void pick_inventories(ui::UiHost& host, const session::LoginPtr& login) {
    component::ReturnInvSet picker;
    picker.frmShow(login, 1, std::string());
    auto rs = picker.RecordsetValue();
    if (!rs) {
        host.MsgBox("没有选择存货（已退出）。", ui::vb::vbInformation);
        return;
    }
    std::string text = "选择了 " + std::to_string(rs->RecordCount()) + " 种存货：";
    int shown = 0;
    for (rs->MoveFirst(); !rs->Eof() && shown < 12; rs->MoveNext(), ++shown)
        text += "\r\n" + vb::text_or_empty((*rs)(Variant("cInvCode"))) + "  " +
                vb::text_or_empty((*rs)(Variant("cInvName")));
    if (rs->RecordCount() > shown) text += "\r\n……";
    host.MsgBox(text, ui::vb::vbInformation);
}

void batch_positions(ui::UiHost& host, const session::LoginPtr& login) {
    component::PositionSet set;
    std::string where = "（未过滤）";
    set.BatchInvPos(login, "批量货位", where);
    host.MsgBox("批量货位的过滤条件：\r\n" + where, ui::vb::vbInformation);
}

#ifdef KORVANE_HAVE_QT

namespace {

// Fills each dialog as a clerk would, renders it into its PNG and ends it
// the way the clerk would.
class ScriptedShots : public PrintingUi {
public:
    struct Shot {
        std::function<void(ui::Form&)> fill;
        QString path;
        std::function<void(ui::Form&)> finish;
    };
    std::map<std::string, Shot> shots;
    bool all_saved = true;

    void show_modal(ui::Form& form) override {
        auto it = shots.find(form.Name());
        qt::FormView view(form);
        view.show();
        if (it == shots.end()) {
            form.Unload();
            return;
        }
        it->second.fill(form);
        QApplication::processEvents();
        const bool saved = view.save_png(it->second.path);
        report_png(saved, it->second.path.toStdString());
        all_saved = all_saved && saved;
        it->second.finish(form);
        if (form.visible()) form.Hide();
    }
};

QString beside(const std::string& path, const char* suffix) {
    std::string p = path;
    const auto dot = p.rfind(".png");
    return QString::fromStdString(dot == std::string::npos ? p + suffix + ".png" : p.substr(0, dot) + suffix + ".png");
}

}  // namespace

int run_gui_form(const std::string& db, const std::string& screenshot, const std::string& which) {
    if (which != "picker" && which != "positions") {
        std::fprintf(stderr, "korvane gui: --open takes picker or positions, not %s\n", which.c_str());
        return 2;
    }
    GuiApp app;
    auto login = session::AccountLogin::create("Provider=SQLite;Data Source=" + db, "demo");
    std::unique_ptr<qt::QtUi> host;
    ScriptedShots* shots = nullptr;
    if (screenshot.empty()) {
        host = std::make_unique<qt::QtUi>();
    } else {
        host.reset(shots = new ScriptedShots);
        shots->shots[invselect::frmReturnInvSet::kFormName] = {
            [](ui::Form& form) {
                auto& f = dynamic_cast<invselect::frmReturnInvSet&>(form);
                f.treeMenu().expand("m01");
                f.treeMenu().expand("m0101");
                f.treeMenu().check_node("m0101001", true);
                for (long r : {1L, 2L, 4L})
                    if (r < f.ListView1().Rows()) f.ListView1().click(r, 0);
                f.ListView1().select(4, 1);
            },
            QString::fromStdString(screenshot),
            [](ui::Form& form) {
                auto& f = dynamic_cast<invselect::frmReturnInvSet&>(form);
                (f.ToolbarControl().Visible() ? f.ToolbarControl() : f.tlbInvClass()).click("Ok");
            }};
        shots->shots[host::frmPositionFilter::kFormName] = {
            [](ui::Form& form) {
                auto& f = dynamic_cast<host::frmPositionFilter&>(form);
                f.txtWhCode().type_text("01");
                f.txtPosFrom().type_text("01A01");
                f.txtPosTo().type_text("01B06");
                f.chkStocked().click();
            },
            beside(screenshot, "-filter"),
            [](ui::Form& form) { dynamic_cast<host::frmPositionFilter&>(form).cmdOk().click(); }};
        shots->shots[positions::frmBatchPosition::kFormName] = {
            [](ui::Form&) {}, beside(screenshot, "-list"), [](ui::Form& form) { form.Unload(); }};
    }
    host->set_app_title("KORVANE");
    component::set_ui_host(host.get());
    if (which == "picker") pick_inventories(*host, login);
    else batch_positions(*host, login);
    component::set_ui_host(nullptr);
    return shots && !shots->all_saved ? 1 : 0;
}

#else

int run_gui_form(const std::string&, const std::string&, const std::string&) {
    std::fprintf(stderr, "korvane gui: this build has no Qt (install qt6-base-dev and rebuild)\n");
    return 1;
}

#endif

}  // namespace korvane::app
