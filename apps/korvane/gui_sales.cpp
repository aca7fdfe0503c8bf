// `korvane gui --sales`: the host's sales issue voucher in a window; 生单
// opens the sales generation form. With a screenshot path the generation
// runs scripted on the account: the form is saved as it stands before OK
// (stem + "-form.png") and the filled voucher at the path.
#include "apps/korvane/demo_sales.h"

#include <cstdio>

#ifdef KORVANE_HAVE_QT
#include <QApplication>

#include "component/module_state.h"
#include "gui/qt/qt_ui.h"
#include "session/login.h"

namespace korvane::app {

int run_sales_gui(const std::string& db, const std::string& screenshot) {
    int argc = 1;
    char name[] = "korvane";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    if (!screenshot.empty()) {
        ui::HeadlessUi headless;
        const std::string stem = screenshot.size() > 4 ? screenshot.substr(0, screenshot.size() - 4) : screenshot;
        bool saved = true;
        auto voucher = scripted_sales_voucher(db, headless, false, [&](generation::frmCons& f) {
            qt::FormView view(f);
            view.show();
            QApplication::processEvents();
            saved = view.save_png(QString::fromStdString(stem + "-form.png")) && saved;
        });
        qt::FormView view(*voucher);
        view.show();
        QApplication::processEvents();
        saved = view.save_png(QString::fromStdString(screenshot)) && saved;
        std::printf("%s %s\n", saved ? "saved" : "could not save", screenshot.c_str());
        return saved ? 0 : 1;
    }
    qt::QtUi host;
    host.set_app_title("KORVANE");
    component::set_ui_host(&host);
    SalesIssueVoucher voucher(host, session::AccountLogin::create("Provider=SQLite;Data Source=" + db, "demo"));
    voucher.Show(ui::vbModal);
    component::set_ui_host(nullptr);
    return 0;
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
