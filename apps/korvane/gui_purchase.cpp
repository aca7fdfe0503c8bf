// `korvane gui --purchase`: the host's purchase receipt voucher in a window;
// 生单 opens the purchase generation form. With a screenshot path the
// generation runs scripted on the account and the filled voucher is saved.
#include "apps/korvane/demo_purchase.h"

#include <cstdio>

#ifdef KORVANE_HAVE_QT
#include "apps/korvane/screenshot_ui.h"
#include "apps/korvane/voucher_purchase.h"
#include "session/login.h"

namespace korvane::app {

int run_purchase_gui(const std::string& db, const std::string& screenshot) {
    GuiApp app;
    auto login = session::AccountLogin::create("Provider=SQLite;Data Source=" + db, "demo");
    if (!screenshot.empty()) {
        ui::HeadlessUi headless;
        auto voucher = scripted_purchase_voucher(db, headless, login);
        qt::FormView view(*voucher);
        const bool saved = render_png(view, QString::fromStdString(screenshot));
        report_png(saved, screenshot);
        return saved ? 0 : 1;
    }
    return run_voucher_window<PurchaseReceiptVoucher>(login);
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
