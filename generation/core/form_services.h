// FormServices: everything a form works with, handed to it whole when it is
// made. The pattern every form copies:
//
//   class frmX : public ui::Form {
//   public:
//       explicit frmX(FormServices services);   // keeps it as services_
//   };
//
// An entry point of the component layer builds the object from the module's
// state for the session it has just renewed; a test builds one over a
// fixture account with `standard_services` and replaces what it fakes. A
// form reaches nothing else: no global, no factory default, no options
// reloaded behind its caller's back. The shared ModuleCtl procedures take
// the same object when they need more than their arguments.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "generation/core/stock_selection.h"
#include "host/business_objects.h"
#include "host/calendar.h"
#include "host/production_order.h"
#include "host/reference_list.h"
#include "host/stock_queries.h"
#include "host/user_define.h"
#include "host/warehouse_master.h"
#include "platform/registry/registry.h"
#include "platform/ui/ui_host.h"
#include "session/permission_service.h"
#include "session/source_query_service.h"
#include "session/stock_option_service.h"

namespace korvane::generation {

namespace ModuleCtl {
// The module-wide state of the list layouts, read and cleared by the forms.
struct LayoutState {
    std::int16_t LayoutColumn = 0;  // the column being laid out
    std::int32_t WhNameCol = 0;     // columns of cwhname, cwhcode and the line id
    std::int32_t WhCodeCol = 0;     //   in the last body list laid out
    std::int32_t IdCol = 0;
    bool BodyLaidOutA = false;  // lstDhdBody, lstFhdBody or lstCldBody has been laid out
    bool BodyLaidOutB = false;  // lstDdBody or lstZjdBody has been laid out
};
}  // namespace ModuleCtl

struct FormServices {
    // Where the form and its message boxes appear.
    ui::UiHost* ui = nullptr;
    // The session's connection, options and row authority.
    session::PermissionServicePtr permission;
    std::shared_ptr<host::BusinessObjects> business;
    std::shared_ptr<host::ReferenceList> reference_list;
    std::shared_ptr<host::Calendar> calendar;
    // A fresh definitions service per use; `user_defines()` logs it in.
    host::UserDefineFactory user_define;
    session::SourceQueryServicePtr source_query;
    // A new stock-option service, made the module's current one.
    std::function<session::StockOptionServicePtr()> stock_option;
    // The candidate-query builders; empty: ours over the session, naming
    // the free items through `user_define`.
    std::function<std::unique_ptr<host::BatchQueryBuilder>()> batch_queries;
    std::function<std::unique_ptr<host::ReceiptLineQueryBuilder>()> receipt_queries;
    // A new selection-service object (the issue form's batch and
    // receipt-line assignment).
    std::function<StockSelectionPtr()> ref_select;
    // The production-order component a production form makes at load;
    // empty: ours over the account.
    std::function<std::unique_ptr<host::ProductionOrderComponent>()> production_order;
    // The warehouse master; empty: ours over the account.
    std::shared_ptr<host::WarehouseMaster> warehouse_master;
    // The module's list-layout state and the machine's settings store.
    ModuleCtl::LayoutState* layout = nullptr;
    registry::Registry* registry = nullptr;

    // Each raises 91 when the entry is missing, as an object never set.
    ui::UiHost& host() const;
    const session::PermissionServicePtr& session() const;
    std::unique_ptr<host::UserDefineService> user_defines() const;
    // The warehouse master logged in to the session.
    std::shared_ptr<host::WarehouseMaster> warehouses() const;
    ModuleCtl::LayoutState& layouts() const;
    registry::Registry& settings() const;
    std::unique_ptr<host::BatchQueryBuilder> batch_query_builder() const;
    std::unique_ptr<host::ReceiptLineQueryBuilder> receipt_query_builder() const;
    std::unique_ptr<host::ProductionOrderComponent> production_order_component() const;
    StockSelectionPtr new_ref_select() const;
};

// Our components over the account of `permission`. The layout state and the
// settings store are the caller's: they outlive the form.
FormServices standard_services(ui::UiHost& ui, session::PermissionServicePtr permission,
                               ModuleCtl::LayoutState& layout, registry::Registry& registry);

}  // namespace korvane::generation
