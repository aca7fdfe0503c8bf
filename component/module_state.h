// The module-wide state every public class and form shares, one copy per
// process, and the start-up that runs before the first object is created.
//
// Nothing here locks: the host calls one member at a time on its UI thread.
// Tests call reset() between cases so no case sees another's session.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "host/production_order.h"
#include "platform/ado/recordset.h"
#include "platform/ui/ui_host.h"
#include "session/login.h"
#include "session/permission_service.h"
#include "session/shared_helper.h"
#include "session/source_query_service.h"
#include "session/stock_option_service.h"

namespace korvane::component {

struct ModuleState {
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

    // Created on first use and shared by every form.
    session::SourceQueryServicePtr source_query;
    // Replaced by each caller with a new instance before it initialises it.
    session::StockOptionServicePtr stock_option;

    // Where the dialogs and message boxes appear: the host's UiHost, or
    // while it gave none a headless one that answers every box with OK.
    ui::UiHost* ui = nullptr;
    std::shared_ptr<ui::HeadlessUi> headless_ui;

    // How those services are made; a host with its own components sets these.
    std::function<session::SourceQueryServicePtr()> make_source_query;
    std::function<session::StockOptionServicePtr()> make_stock_option;
    std::function<std::unique_ptr<host::ProductionOrderComponent>()> make_production_order;
    std::function<std::unique_ptr<host::DispatchWriteBackComponent>()> make_dispatch_write_back;
};

ModuleState& module();

// Creates the SharedHelper if there is none and keeps its ErrorInfo object.
// Runs once; later calls do nothing until reset().
void ModuleStartup();

// Forgets every module-wide object and the start-up, as a fresh process.
void reset();

// The module-wide SharedHelper, created on first use.
std::shared_ptr<session::SharedHelper> shared_helper();

// A new PermissionService initialised from the session and made the current
// one (the entry points' first step). Raises 91 without a session.
session::PermissionServicePtr renew_permission(const session::LoginPtr& login);
// The same with a fresh options object loaded from the session's keys.
session::PermissionServicePtr renew_permission_with_options(const session::LoginPtr& login);
// The current PermissionService; 91 when no entry point has made one.
session::PermissionServicePtr current_permission();

// The UiHost the dialogs use; set_ui_host(nullptr) goes back to the headless one.
ui::UiHost& ui_host();
void set_ui_host(ui::UiHost* host);

// The shared SourceQueryService, made on first use; 445 while no
// implementation is plugged in.
session::SourceQueryServicePtr source_query_service();
// A new StockOptionService, made the module-wide one.
session::StockOptionServicePtr new_stock_option_service();

}  // namespace korvane::component
