// `korvane gui --sales`: the host's sales issue voucher in a window; 生单
// opens the sales generation form. With a screenshot path the generation
// runs scripted on the account: the form is saved as it stands before OK
// (stem + "-form.png") and the filled voucher at the path; then a Ctrl+E
// pass over a whole dispatch list runs in the Qt host, whose error box is
// saved as stem + "-batch-errors.png".
#include "apps/korvane/demo_sales.h"

#include <cstdio>

#ifdef KORVANE_HAVE_QT
#include <QFile>

#include "apps/korvane/screenshot_ui.h"
#include "component/module_state.h"
#include "generation/sales/texts.h"
#include "session/login.h"

namespace korvane::app {

namespace {

// Plays the clerk's batch pass on the generation form in its window, then
// leaves it by 退出; the boxes it raises are captured, not waited on.
class PassUi : public qt::QtUi {
public:
    explicit PassUi(std::string db) : db_(std::move(db)) {}
    void show_modal(ui::Form& form) override {
        auto* f = dynamic_cast<generation::frmCons*>(&form);
        if (!f) return qt::QtUi::show_modal(form);
        qt::FormView view(*f);
        view.show();
        QApplication::processEvents();
        batch_pass_with_errors(*f, db_);
        if (f->loaded()) f->cmdExit().click();
    }

private:
    std::string db_;
};

// The pass's error box as stem + "-batch-errors.png"; any other box it
// raised keeps its captured name. False when the error box is missing.
bool save_batch_errors(const std::string& db, const std::string& stem) {
    PassUi host(db);
    host.set_app_title("KORVANE");
    host.capture_messages_to(stem);
    component::set_ui_host(&host);
    {
        SalesIssueVoucher voucher(host, session::AccountLogin::create("Provider=SQLite;Data Source=" + db, "demo"));
        voucher.generate();
    }
    component::set_ui_host(nullptr);
    bool saved = false;
    for (const auto& m : host.captured_messages()) {
        std::string path = m.path;
        if (m.saved && m.title == generation::sales_texts::kBatchTitle) {
            path = stem + "-batch-errors.png";
            QFile::remove(QString::fromStdString(path));
            saved = QFile::rename(QString::fromStdString(m.path), QString::fromStdString(path));
        }
        report_png(m.saved, path);
    }
    if (!saved) std::printf("could not save %s-batch-errors.png: the pass showed no error box\n", stem.c_str());
    return saved;
}

}  // namespace

int run_sales_gui(const std::string& db, const std::string& screenshot) {
    GuiApp app;
    if (!screenshot.empty()) {
        ui::HeadlessUi headless;
        const std::string stem = screenshot.size() > 4 ? screenshot.substr(0, screenshot.size() - 4) : screenshot;
        bool saved = true;
        auto voucher = scripted_sales_voucher(db, headless, false, [&](generation::frmCons& f) {
            qt::FormView view(f);
            saved = render_png(view, QString::fromStdString(stem + "-form.png")) && saved;
        });
        qt::FormView view(*voucher);
        saved = render_png(view, QString::fromStdString(screenshot)) && saved;
        report_png(saved, screenshot);
        saved = save_batch_errors(db, stem) && saved;
        return saved ? 0 : 1;
    }
    return run_voucher_window<SalesIssueVoucher>(
        session::AccountLogin::create("Provider=SQLite;Data Source=" + db, "demo"));
}

}  // namespace korvane::app

#else

namespace korvane::app {
int run_sales_gui(const std::string&, const std::string&) {
    std::fprintf(stderr, "korvane gui: this build has no Qt (install qt6-base-dev and rebuild)\n");
    return 1;
}
}  // namespace korvane::app

#endif
