#include "generation/core/form_services.h"

#include "host/source_queries.h"
#include "platform/vb/error.h"

namespace korvane::generation {

namespace {
template <class T>
T& required(T* p) {
    if (!p) err::raise(err::kObjectNotSet);
    return *p;
}
}  // namespace

ui::UiHost& FormServices::host() const { return required(ui); }

const session::PermissionServicePtr& FormServices::session() const {
    if (!permission) err::raise(err::kObjectNotSet);
    return permission;
}

std::unique_ptr<host::UserDefineService> FormServices::user_defines() const {
    auto service = user_define ? user_define() : nullptr;
    if (!service) service = host::account_user_define();
    service->put_Login(session());
    return service;
}

std::shared_ptr<host::WarehouseMaster> FormServices::warehouses() const {
    auto master = warehouse_master ? warehouse_master
                                   : host::account_warehouse_master(business ? business : host::account_business_objects());
    master->put_Login(session());
    return master;
}

ModuleCtl::LayoutState& FormServices::layouts() const { return required(layout); }

registry::Registry& FormServices::settings() const { return required(registry); }

std::unique_ptr<host::BatchQueryBuilder> FormServices::batch_query_builder() const {
    if (batch_queries) return batch_queries();
    return host::account_batch_query_builder(session(), user_define);
}

std::unique_ptr<host::ReceiptLineQueryBuilder> FormServices::receipt_query_builder() const {
    if (receipt_queries) return receipt_queries();
    return host::account_receipt_line_query_builder(session(), user_define);
}

std::unique_ptr<host::ProductionOrderComponent> FormServices::production_order_component() const {
    if (production_order) return production_order();
    return host::account_production_order_component();
}

StockSelectionPtr FormServices::new_ref_select() const {
    if (!ref_select) err::raise(err::kObjectNotSet);
    return ref_select();
}

FormServices standard_services(ui::UiHost& ui, session::PermissionServicePtr permission,
                               ModuleCtl::LayoutState& layout, registry::Registry& registry) {
    FormServices s;
    s.ui = &ui;
    s.permission = permission;
    s.business = host::account_business_objects();
    s.reference_list = host::account_reference_list();
    s.calendar = host::account_calendar();
    s.user_define = [] { return host::account_user_define(); };
    s.source_query = std::make_shared<host::AccountSourceQueryService>([permission] { return permission; });
    s.stock_option = [permission] {
        return session::AccountStockOptionService::create(
            [permission](const session::LoginPtr& login) { return session::SharedConnection(permission, login); });
    };
    s.layout = &layout;
    s.registry = &registry;
    return s;
}

}  // namespace korvane::generation
