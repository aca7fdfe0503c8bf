// `korvane gui --purchase`: the host's purchase receipt voucher in a window;
// 生单 opens the purchase generation form. With a screenshot path the
// generation runs scripted on the account and the filled voucher is saved.
#include "apps/korvane/demo_purchase.h"

#include <cstdio>

#ifdef KORVANE_HAVE_QT
#include <QApplication>

#include "apps/korvane/voucher_purchase.h"
#include "component/module_state.h"
#include "gui/qt/qt_ui.h"
#include "session/login.h"

namespace korvane::app {

int run_purchase_gui(const std::string& db, const std::string& screenshot) {
    int argc = 1;
    char name[] = "korvane";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    auto login = session::AccountLogin::create("Provider=SQLite;Data Source=" + db, "demo");
    if (!screenshot.empty()) {
        ui::HeadlessUi headless;
        auto voucher = scripted_purchase_voucher(db, headless, login);
        qt::FormView view(*voucher);
        view.show();
        QApplication::processEvents();
        bool saved = view.save_png(QString::fromStdString(screenshot));
        std::printf("%s %s\n", saved ? "saved" : "could not save", screenshot.c_str());
        return saved ? 0 : 1;
    }
    qt::QtUi host;
    host.set_app_title("KORVANE");
    component::set_ui_host(&host);
    PurchaseReceiptVoucher voucher(host, login);
    voucher.Show(ui::vbModal);
    component::set_ui_host(nullptr);
    return 0;
}

}  // namespace korvane::app

#else

namespace korvane::app {
int run_purchase_gui(const std::string&, const std::string&) {
    std::fprintf(stderr, "korvane gui: this build has no Qt (install qt6-base-dev and rebuild)\n");
    return 1;
}
}  // namespace korvane::app

#endif
