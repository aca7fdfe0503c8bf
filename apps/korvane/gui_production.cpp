// `korvane gui --production`: the production receipt voucher on its own, in
// a window, or with --screenshot generated from the demo's order and saved.
#include "apps/korvane/voucher_production.h"

#include <cstdio>

#ifdef KORVANE_HAVE_QT
#include "apps/korvane/demo_production.h"
#include "apps/korvane/screenshot_ui.h"
#include "component/module_state.h"
#include "generation/production/produce_order_form.h"

namespace korvane::app {

namespace {

// Plays the clerk on the production form (filter, check the order, OK),
// saving the form as it looks just before OK.
class ClerkUi : public PrintingUi {
public:
    explicit ClerkUi(QString form_png) : form_png_(std::move(form_png)) {}
    void show_modal(ui::Form& form) override {
        auto* f = dynamic_cast<generation::frmProduceOrder*>(&form);
        if (!f) return qt::QtUi::show_modal(form);
        qt::FormView view(*f);
        view.show();
        f->cmdFilter().click();
        if (f->lstParent().item_count() > 0) f->lstParent().check_item(1, true);
        QApplication::processEvents();
        view.save_png(form_png_);
        f->cmdOk().click();
        if (f->loaded()) f->cmdExit().click();
    }

private:
    QString form_png_;
};

}  // namespace

int run_production_gui(const std::string& db, const std::string& screenshot) {
    GuiApp app;
    auto login = session::AccountLogin::create("Provider=SQLite;Data Source=" + db, "demo");
    if (screenshot.empty()) {
        qt::QtUi host;
        component::set_ui_host(&host);
        ProductionVoucher voucher(host, login, ProductionVoucher::Kind::Receipt);
        voucher.Show(ui::vbModal);
        component::set_ui_host(nullptr);
        return 0;
    }
    QString form_png = QString::fromStdString(screenshot);
    form_png.insert(form_png.lastIndexOf('.'), "_form");
    ClerkUi host(form_png);
    component::set_ui_host(&host);
    ProductionVoucher voucher(host, login, ProductionVoucher::Kind::Receipt);
    auto con = ado::Connection::create();
    con->Open(login->ConnectionString());
    const bool generated = voucher.generate(demo_production_order(con)) && voucher.body().Rows() > 1;
    if (!generated) std::printf("the demo order gave no receipt lines\n");
    qt::FormView view(voucher);
    const bool saved = render_png(view, QString::fromStdString(screenshot));
    std::printf("%s %s and %s\n", saved ? "saved" : "could not save", screenshot.c_str(),
                form_png.toStdString().c_str());
    component::set_ui_host(nullptr);
    return saved && generated ? 0 : 1;
}

}  // namespace korvane::app

#else

namespace korvane::app {
int run_production_gui(const std::string&, const std::string&) {
    std::fprintf(stderr, "korvane gui: this build has no Qt (install qt6-base-dev and rebuild)\n");
    return 1;
}
}  // namespace korvane::app

#endif
