// The module-wide state: everything that lives as long as the process, one
// copy, owned here and nowhere else. The layers below define the narrow
// piece they need (a LayoutState, an ObjectFactories table, a RegistryApi,
// a FormServices) and receive it from here; they keep no state of their own.
//
// Nothing here locks: the host calls one member at a time on its UI thread.
// reset() replaces the whole object, so a test case after it sees a fresh
// process.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "generation/core/form_services.h"
#include "host/business_objects.h"
#include "host/calendar.h"
#include "host/positions.h"
#include "host/production_order.h"
#include "host/reference_list.h"
#include "host/user_define.h"
#include "platform/ado/recordset.h"
#include "platform/registry/registry.h"
#include "platform/system/system.h"
#include "platform/ui/ui_host.h"
#include "session/login.h"
#include "session/permission_service.h"
#include "session/shared_helper.h"
#include "session/source_query_service.h"
#include "session/stock_option_service.h"

namespace korvane::component {

struct ModuleState {
    ModuleState();
    ModuleState(const ModuleState&) = delete;
    ModuleState& operator=(const ModuleState&) = delete;

    bool started = false;
    // Kept by ModuleStartup; every error handler reads the error through it.
    std::shared_ptr<session::ErrorInfoObject> error_info;
    std::shared_ptr<session::SharedHelper> shared_helper;
    // The statement TrackSet and the scratch-table members build and run.
    std::string sql;
    // ReturnInvSet.RecordsetValue and the inventory selection dialog's result.
    ado::RecordsetPtr returned_recordset;
    // ReturnInvSet.frmShow's sWhere, for the inventory selection dialog.
    std::string selection_where;
    // The inventory selection dialog's connection, taken from the current
    // PermissionService when first needed; and the dialog a modeless show
    // leaves open.
    ado::ConnectionPtr selection_connection;
    std::shared_ptr<ui::Form> selection_dialog;

    // Connections to the sessions' accounts, one per connection string,
    // kept across calls: opening one (SQLite reads the account's schema)
    // costs more than most calls that use it. Each entry point's new
    // PermissionService and the scratch-table members work on these.
    std::map<std::string, ado::ConnectionPtr> connections;

    // The one the latest entry point made; every form works with it.
    session::PermissionServicePtr permission;
    // Created on first use and shared by every form.
    session::SourceQueryServicePtr source_query;
    // Replaced by each caller with a new instance before it initialises it.
    session::StockOptionServicePtr stock_option;
    // The list layouts' columns and flags, shared by every form.
    generation::ModuleCtl::LayoutState layout;
    // Components created by ProgID ("Pobrex.Terminal"), and the settings store.
    system::ObjectFactories objects;
    registry::RegistryApi registry;

    // Where the dialogs and message boxes appear: the host's UiHost, or
    // while it gave none a headless one that answers every box with OK.
    ui::UiHost* ui = nullptr;
    std::shared_ptr<ui::HeadlessUi> headless_ui;

    // How the outside components are made; ours by default, a host with its
    // own sets these.
    std::function<session::SourceQueryServicePtr()> make_source_query;
    std::function<session::StockOptionServicePtr()> make_stock_option;
    std::function<std::unique_ptr<host::ProductionOrderComponent>()> make_production_order;
    std::function<std::unique_ptr<host::DispatchWriteBackComponent>()> make_dispatch_write_back;
    host::UserDefineFactory make_user_define;
    std::function<std::shared_ptr<host::BusinessObjects>()> make_business;
    std::function<std::shared_ptr<host::ReferenceList>()> make_reference_list;
    std::function<std::shared_ptr<host::Calendar>()> make_calendar;
    // PositionSet's components; our position service works on the current
    // session's account.
    std::function<host::PositionServicePtr()> make_position_service;
    std::function<host::VoucherListServicePtr()> make_voucher_list;
    std::function<host::FilterServicePtr()> make_filter_service;
};

ModuleState& module();

// Creates the SharedHelper if there is none and keeps its ErrorInfo object.
// Runs once; later calls do nothing until reset().
void ModuleStartup();

// Forgets every module-wide object and the start-up, as a fresh process.
void reset();

// The module-wide SharedHelper, created on first use.
std::shared_ptr<session::SharedHelper> shared_helper();

// The kept connection to the session's account (see `connections`), opened
// by its first user. Raises 91 without a session.
ado::ConnectionPtr account_connection(const session::LoginPtr& login);

// A new PermissionService initialised from the session, working on the kept
// connection to its account, and made the current one (the entry points'
// first step). Raises 91 without a session.
session::PermissionServicePtr renew_permission(const session::LoginPtr& login);
// The same with a fresh options object loaded from the session's keys.
session::PermissionServicePtr renew_permission_with_options(const session::LoginPtr& login);

// What a form made now works with: the module's components over the
// session of `permission`.
generation::FormServices form_services(const session::PermissionServicePtr& permission);

// The UiHost the dialogs use; set_ui_host(nullptr) goes back to the headless one.
ui::UiHost& ui_host();
void set_ui_host(ui::UiHost* host);

// The shared SourceQueryService, made on first use; 445 while no
// implementation is plugged in.
session::SourceQueryServicePtr source_query_service();
// A new StockOptionService, made the module-wide one.
session::StockOptionServicePtr new_stock_option_service();

}  // namespace korvane::component
