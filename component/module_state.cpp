#include "component/module_state.h"

#include "component/guard.h"
#include "generation/core/list_layout.h"
#include "host/source_queries.h"
#include "host/user_define.h"
#include "platform/vb/error.h"
#include "session/options_loader.h"

namespace korvane::component {

namespace {

ModuleState& state();

void set_default_factories(ModuleState& m) {
    m.make_stock_option = [] { return session::AccountStockOptionService::create(); };
    m.make_source_query = [] { return host::source_query_service(); };
    // The sales queries get an options object only: they run on the
    // account of the latest entry point's session.
    host::set_sales_context_source([] { return session::module_permission(); });
    m.make_production_order = [] { return host::account_production_order_component(); };
    m.make_dispatch_write_back = [] { return host::account_dispatch_write_back_component(); };
}

ModuleState& state() {
    static ModuleState s = [] {
        ModuleState m;
        set_default_factories(m);
        return m;
    }();
    return s;
}

}  // namespace

ModuleState& module() { return state(); }

void ModuleStartup() {
    ModuleState& m = state();
    if (m.started) return;
    if (!m.shared_helper) m.shared_helper = session::SharedHelper::create();
    m.error_info = m.shared_helper->GetErrorInfo();
    m.started = true;
}

void reset() {
    host::reset_source_query_service();
    host::set_user_define_factory(nullptr);
    session::set_module_permission(nullptr);
    generation::ModuleCtl::ResetLayoutState();
    ModuleState& m = state();
    m = ModuleState{};
    set_default_factories(m);
}

ui::UiHost& ui_host() {
    ModuleState& m = state();
    if (m.ui) return *m.ui;
    if (!m.headless_ui) {
        m.headless_ui = std::make_shared<ui::HeadlessUi>();
        m.headless_ui->auto_ok(true);
    }
    return *m.headless_ui;
}

void set_ui_host(ui::UiHost* host) { state().ui = host; }

std::shared_ptr<session::SharedHelper> shared_helper() {
    ModuleState& m = state();
    if (!m.shared_helper) m.shared_helper = session::SharedHelper::create();
    return m.shared_helper;
}

session::PermissionServicePtr renew_permission(const session::LoginPtr& login) {
    auto service = session::PermissionService::create();
    service->InitFromSession(login);
    session::set_module_permission(service);
    return service;
}

session::PermissionServicePtr renew_permission_with_options(const session::LoginPtr& login) {
    auto service = session::PermissionService::create();
    service->InitFromSession(login);
    session::load_session_options(service);
    session::set_module_permission(service);
    return service;
}

session::PermissionServicePtr current_permission() { return session::require_module_permission(); }

session::SourceQueryServicePtr source_query_service() {
    ModuleState& m = state();
    if (!m.source_query) {
        if (!m.make_source_query) not_yet("SourceQueryService");
        m.source_query = m.make_source_query();
    }
    return m.source_query;
}

session::StockOptionServicePtr new_stock_option_service() {
    ModuleState& m = state();
    if (!m.make_stock_option) not_yet("StockOptionService");
    m.stock_option = m.make_stock_option();
    return m.stock_option;
}

}  // namespace korvane::component
