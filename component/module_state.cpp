#include "component/module_state.h"

#include "component/guard.h"
#include "component/stock_selection.h"
#include "host/source_queries.h"
#include "platform/vb/error.h"
#include "session/options_loader.h"

namespace korvane::component {

namespace {

std::unique_ptr<ModuleState>& holder() {
    static std::unique_ptr<ModuleState> state;
    return state;
}

}  // namespace

ModuleState::ModuleState() {
    make_stock_option = [] {
        return session::AccountStockOptionService::create(
            [](const session::LoginPtr& login) { return session::SharedConnection(module().permission, login); });
    };
    // The sales queries get an options object only: they run on the
    // account of the latest entry point's session.
    make_source_query = [] {
        return std::make_shared<host::AccountSourceQueryService>([] { return module().permission; });
    };
    make_production_order = [] { return host::account_production_order_component(); };
    make_dispatch_write_back = [] { return host::account_dispatch_write_back_component(); };
    make_user_define = [] { return host::account_user_define(); };
    make_business = [] { return host::account_business_objects(); };
    make_reference_list = [] { return host::account_reference_list(); };
    make_calendar = [] { return host::account_calendar(); };
    make_position_service = [] {
        return host::account_position_service([]() -> ado::ConnectionPtr {
            const auto& p = module().permission;
            return p ? p->GetConnection() : nullptr;
        });
    };
    make_voucher_list = [] { return host::account_voucher_list_service(); };
    make_filter_service = [] { return host::account_filter_service(ui_host()); };
    system::register_terminal_component(objects);
}

ModuleState& module() {
    auto& m = holder();
    if (!m) m = std::make_unique<ModuleState>();
    return *m;
}

void ModuleStartup() {
    ModuleState& m = module();
    if (m.started) return;
    if (!m.shared_helper) m.shared_helper = session::SharedHelper::create();
    m.error_info = m.shared_helper->GetErrorInfo();
    m.started = true;
}

void reset() { holder() = std::make_unique<ModuleState>(); }

ui::UiHost& ui_host() {
    ModuleState& m = module();
    if (m.ui) return *m.ui;
    if (!m.headless_ui) {
        m.headless_ui = std::make_shared<ui::HeadlessUi>();
        m.headless_ui->auto_ok(true);
    }
    return *m.headless_ui;
}

void set_ui_host(ui::UiHost* host) { module().ui = host; }

std::shared_ptr<session::SharedHelper> shared_helper() {
    ModuleState& m = module();
    if (!m.shared_helper) m.shared_helper = session::SharedHelper::create();
    return m.shared_helper;
}

ado::ConnectionPtr account_connection(const session::LoginPtr& login) {
    if (!login) err::raise(err::kObjectNotSet);
    ado::ConnectionPtr& kept = module().connections[login->ConnectionString()];
    if (!kept) kept = ado::Connection::create();
    return kept;
}

namespace {
session::PermissionServicePtr renew(const session::LoginPtr& login, bool with_options) {
    auto service = session::PermissionService::create();
    service->InitFromSession(login);
    service->SetConnection(account_connection(login));
    if (with_options) session::load_session_options(service);
    // only a service that could serve the session replaces the current one
    module().permission = service;
    return service;
}
}  // namespace

session::PermissionServicePtr renew_permission(const session::LoginPtr& login) { return renew(login, false); }

session::PermissionServicePtr renew_permission_with_options(const session::LoginPtr& login) {
    return renew(login, true);
}

generation::FormServices form_services(const session::PermissionServicePtr& permission) {
    ModuleState& m = module();
    generation::FormServices s;
    s.ui = &ui_host();
    s.permission = permission;
    s.business = m.make_business();
    s.reference_list = m.make_reference_list();
    s.calendar = m.make_calendar();
    s.user_define = m.make_user_define;
    s.source_query = source_query_service();
    s.stock_option = [] { return new_stock_option_service(); };
    s.production_order = m.make_production_order;
    s.ref_select = [] { return make_stock_selection(); };
    s.layout = &m.layout;
    s.registry = &m.registry.local_machine();
    return s;
}

session::SourceQueryServicePtr source_query_service() {
    ModuleState& m = module();
    if (!m.source_query) {
        if (!m.make_source_query) not_yet("SourceQueryService");
        m.source_query = m.make_source_query();
    }
    return m.source_query;
}

session::StockOptionServicePtr new_stock_option_service() {
    ModuleState& m = module();
    if (!m.make_stock_option) not_yet("StockOptionService");
    m.stock_option = m.make_stock_option();
    return m.stock_option;
}

}  // namespace korvane::component
