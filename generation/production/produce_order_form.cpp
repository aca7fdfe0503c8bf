#include "generation/production/produce_order_form.h"

#include "generation/core/filter_fields.h"
#include "generation/core/grid_fill.h"
#include "generation/core/list_layout.h"
#include "generation/core/module_ctl.h"
#include "generation/production/texts.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"

namespace korvane::generation {

namespace T = production_texts;
namespace M = ModuleCtl;

namespace {

constexpr int kRightButton = 2;

// The item's record key: items are keyed "k" + their first field.
std::string key_of(const ui::ListView::ListItem& item) { return item.key.substr(1); }

void clear_list(ui::ListView& list) {
    list.clear_items();
    list.clear_columns();
}

ui::Label& label(ui::Form& f, const char* name, const char* caption, int left, int top, int width) {
    auto& l = f.add<ui::Label>(name);
    l.put_Caption(caption);
    l.Move(left, top + 45, width, 300);
    return l;
}

ui::TextBox& field(ui::Form& f, const char* name, const char* tag, int left, int top, int width) {
    auto& t = f.add<ui::TextBox>(name);
    t.put_Tag(tag);
    t.Move(left, top, width, 330);
    return t;
}

}  // namespace

frmProduceOrder::frmProduceOrder(FormServices services) : SourceForm(kFormName, std::move(services)) {
    put_Caption(T::kOrdersCaption);
    place_controls();

    tabs_->on_click = [this](long) { tab_changed(); };
    on_load = [this] { form_load(); };
    all_->on_click = [this] { leave_out_executed_ = all_->Value() != 1; };
    filter_->on_click = [this] { filter(); };
    ok_->on_click = [this] { ok(); };
    // Leaving with the exit button hands nothing over.
    exit_->on_click = [this] {
        hand_over(nullptr);
        Unload();
    };
    parent_->on_item_check = [this](ui::ListView::ListItem& item) { order_checked(item); };
    sub_->on_item_check = [this](ui::ListView::ListItem& item) { product_checked(item); };
    sub_->on_mouse_up = [this](int button, int) {
        if (button == kRightButton) PopupMenu(*menu_sub_);
    };
    child_->on_mouse_up = [this](int button, int) {
        if (button == kRightButton) PopupMenu(*menu_child_);
    };
    clear_sub_->on_click = [this] {
        uncheck_all(*sub_);
        clear_materials();
    };
    clear_child_->on_click = [this] { uncheck_all(*child_); };
    M::WireFilterFields(*this, services_, *refers_, {l_date_, u_date_, dept_, person_, ven_, inv_, poid_}, T::kTitle);
}

void frmProduceOrder::place_controls() {
    resize(11520, 8520);
    frame_ = &add<ui::Frame>("Frame1");
    frame_->put_Caption("过滤条件：");
    frame_->Move(120, 60, 11160, 1260);
    const int row1 = 360, row2 = 820;
    label(*this, "lblLDate", "订单日期：", 300, row1, 1000);
    l_date_ = &field(*this, "txtLDate", "rfdate", 1320, row1, 1300);
    label(*this, "lblUDate", "至", 2700, row1, 300);
    u_date_ = &field(*this, "txtUDate", "rfdate", 3000, row1, 1300);
    label(*this, "lblDept", "生产部门：", 4560, row1, 1000);
    dept_ = &field(*this, "cmbDept", "rfdepartment", 5580, row1, 1900);
    label(*this, "lblPerson", "计划员：", 7700, row1, 1150);
    person_ = &field(*this, "cmbPerson", "rfperson", 8880, row1, 2200);
    label(*this, "lblVen", "委外供应商：", 300, row2, 1100);
    ven_ = &field(*this, "cmbVen", "rfvendor", 1320, row2, 2980);
    inv_label_ = &label(*this, "lblInv", "产品：", 4560, row2, 1000);
    inv_ = &field(*this, "cmbInv", "rfinventory", 5580, row2, 1900);
    label(*this, "lblPOID", "生产订单号：", 7700, row2, 1150);
    poid_ = &field(*this, "cmbPOID", "rfnull", 8880, row2, 2200);
    refers_ = &add<ui::CommandButton>("cmdRefers");

    tabs_ = &add<ui::TabStrip>("SSTab1");
    tabs_->add_tab("生产的存货");
    tabs_->add_tab("投产的材料");
    tabs_->Move(120, 1440, 11160, 360);
    parent_ = &add<ui::ListView>("lstParent");
    sub_ = &add<ui::ListView>("lstSub");
    child_ = &add<ui::ListView>("lstChild");
    for (ui::ListView* l : {parent_, sub_, child_}) {
        l->put_Checkboxes(true);
        l->put_FullRowSelect(true);
    }
    parent_->Move(120, 1860, 11160, 1950);
    sub_->Move(120, 3870, 11160, 3760);
    child_->Move(120, 5830, 11160, 1800);
    tabs_->place(*child_, 1);

    all_ = &add<ui::CheckBox>("chkAll");
    all_->put_Caption("执行完未关闭的显示");
    all_->Move(240, 7800, 2800, 330);
    filter_ = &add<ui::CommandButton>("cmdFilter");
    filter_->put_Caption("过滤(&F)");
    filter_->Move(6960, 7760, 1300, 400);
    ok_ = &add<ui::CommandButton>("cmdOk");
    ok_->put_Caption("确定(&O)");
    ok_->Move(8420, 7760, 1300, 400);
    exit_ = &add<ui::CommandButton>("cmdExit");
    exit_->put_Caption("取消(&X)");
    exit_->Move(9880, 7760, 1300, 400);

    menu_sub_ = &add<ui::Menu>("MnuFYJCD");
    menu_sub_->put_Caption("父项右键菜单");
    clear_sub_ = &add<ui::Menu>("MnuClearFAll");
    clear_sub_->put_Caption(T::kClearAll);
    menu_sub_->add_item(*clear_sub_);
    menu_child_ = &add<ui::Menu>("MnuZYJCD");
    menu_child_->put_Caption("子项右键菜单");
    clear_child_ = &add<ui::Menu>("MnuClearCAll");
    clear_child_->put_Caption(T::kClearAll);
    menu_child_->add_item(*clear_child_);
}

void frmProduceOrder::form_load() {
    host().set_app_title("");
    // The module's flags: the body lists of the next form are laid out afresh.
    services_.layouts().BodyLaidOutA = services_.layouts().BodyLaidOutB = false;
    component_ = services_.production_order_component();

    const auto& permission = services_.session();
    const std::string deps = permission->RowAuthorityList("department", "", "W");
    const std::string scope = deps.empty() ? std::string(T::kDeptScopeAll)
                                           : T::kDeptScopeListHead + deps + T::kDeptScopeListTail;
    clause_ = context_.filter_clause.empty() ? scope : context_.filter_clause + " AND " + scope;
    const std::string invs = permission->RowAuthorityList("inventory", "", "W");
    inv_scope_ = invs.empty() ? std::string() : T::kInvScopeHead + invs + T::kInvScopeTail;

    refers_->put_Visible(false);
    if (!vouch_type_39()) {
        all_->put_Enabled(true);
        all_->put_Value(1);
        leave_out_executed_ = false;
    } else {
        all_->put_Enabled(false);
        all_->put_Value(0);
        leave_out_executed_ = true;
    }
    set_product_field(false);
    if (context_.bOI) {
        tabs_->put_TabEnabled(0, false);
        tabs_->put_Tab(1);
    }
    put_Caption(tabs_->Tab() == 0 ? T::kOrdersCaption : T::kPlansCaption);
}

bool frmProduceOrder::materials_in_use() const { return tabs_->Tab() == 1; }

bool frmProduceOrder::vouch_type_39() const {
    return context_.owner && context_.owner->eVouchType() == T::kVouchType39;
}

void frmProduceOrder::inform(const std::string& message) {
    host().MsgBox(message, ui::vb::vbInformation, T::kTitle);
}

std::string frmProduceOrder::code_of(const ui::TextBox& f) { return f.LinkItem().empty() ? f.Text() : f.LinkItem(); }

void frmProduceOrder::filter() {
    std::string where;
    auto add = [&where](const std::string& condition) {
        if (condition.empty()) return;
        where = where.empty() ? condition : where + " and" + condition;
    };
    add(M::BuildDateRangeSql("dDate", l_date_->Text(), u_date_->Text()));
    if (!dept_->Text().empty()) add(" cDepCode = '" + code_of(*dept_) + "'");
    if (!person_->Text().empty()) add(" cPersonCode = '" + code_of(*person_) + "'");
    if (!poid_->Text().empty()) add(" cCode = '" + poid_->Text() + "'");
    if (!ven_->Text().empty()) add(" cVenCode = '" + code_of(*ven_) + "'");
    const bool by_product = !inv_->Text().empty();
    if (by_product) where = " cInvCode = '" + code_of(*inv_) + "'";
    last_filter_ = where;

    if (by_product) {
        if (products_ && products_->State() == ado::adStateOpen) {
            products_->put_Filter(Variant(where));
            M::FillListView(services_, products_, *sub_, true);
            M::SetListLayout(services_, *sub_, products_);
            if (materials_in_use())
                for (long i = 1; i <= sub_->item_count(); ++i)
                    if (sub_->item(i).checked) {
                        uncheck_all(*sub_, i);
                        break;
                    }
        }
        clear_materials();
        return;
    }

    const std::string query = where.empty() ? clause_ : clause_.empty() ? where : where + " and " + clause_;
    std::string message;
    if (context_.bOI)
        orders_ = component_->PlanHeads(query, context_.connection, message);
    else if (vouch_type_39())
        orders_ = component_->OrderHeads39(query, context_.connection, leave_out_executed_, message);
    else
        orders_ = component_->OrderHeads(query, context_.connection, leave_out_executed_, message);
    if (!message.empty()) inform(message);
    orders_sql_ = orders_ ? orders_->Source() : std::string();
    M::FillListView(services_, orders_, *parent_, false);
    M::SetListLayout(services_, *parent_, orders_);
    clear_products();
    set_product_field(false);
}

void frmProduceOrder::order_checked(ui::ListView::ListItem& item) {
    if (busy_) return;
    if (!item.checked) {
        clear_products();
        set_product_field(false);
        return;
    }
    uncheck_all(*parent_, parent_->index_of(item.key));
    read_products(key_of(item));
}

void frmProduceOrder::read_products(const std::string& id) {
    std::string message;
    ado::RecordsetPtr rs;
    if (context_.bOI)
        rs = component_->PlanProducts(id, context_.connection, message);
    else if (vouch_type_39())
        rs = component_->OrderProducts39(id, context_.connection, message);
    else
        rs = component_->OrderProducts(id, context_.connection, message);
    if (!message.empty()) inform(message);
    clear_materials();
    M::CloseRecordset(products_);
    products_ = rs;
    products_sql_ = rs ? rs->Source() : std::string();
    sub_->put_Visible(false);
    M::FillListView(services_, products_, *sub_, true);
    M::SetListLayout(services_, *sub_, products_);
    sub_->put_Visible(true);
    set_product_field(true);
    // Products come checked: the materials tab keeps the first and lists its materials.
    if (materials_in_use() && sub_->item_count() > 0) {
        uncheck_all(*sub_, 1);
        read_materials(key_of(sub_->item(1)));
    }
}

void frmProduceOrder::product_checked(ui::ListView::ListItem& item) {
    if (busy_) return;
    const bool materials = materials_in_use();
    if (materials && item.checked) uncheck_all(*sub_, sub_->index_of(item.key));
    if (materials && item.checked) read_materials(key_of(item));
    else clear_materials();
    if (!item.checked || !find_record(products_, "mainid", key_of(item))) return;
    const long order = parent_->index_of("k" + vb::text_or_empty((*products_)(Variant("id"))));
    if (order > 0 && !parent_->item(order).checked) {
        parent_->item(order).checked = true;
        parent_->item_changed(order);
    }
}

void frmProduceOrder::read_materials(const std::string& mainid) {
    if (!find_record(products_, "mainid", mainid)) return;
    const Variant& q = (*products_)(Variant("fquantity"));
    const double fquantity = q.is_null() ? 0.0 : vb::CDbl(q);
    std::string message;
    auto rs = component_->Materials(context_.connection, fquantity, mainid, inv_scope_, message);
    if (!message.empty()) inform(message);
    M::CloseRecordset(materials_);
    materials_ = rs;
    materials_sql_ = rs ? rs->Source() : std::string();
    M::FillListView(services_, materials_, *child_, true);
    M::SetListLayout(services_, *child_, materials_);
}

void frmProduceOrder::tab_changed() {
    put_Caption(tabs_->Tab() == 0 ? T::kOrdersCaption : T::kPlansCaption);
    // Without the materials the products take their room.
    sub_->put_Height(materials_in_use() ? 1900 : 3760);
    if (!materials_in_use()) {
        clear_materials();
        return;
    }
    for (long i = 1; i <= sub_->item_count(); ++i)
        if (sub_->item(i).checked) {
            uncheck_all(*sub_, i);
            read_materials(key_of(sub_->item(i)));
            return;
        }
    clear_materials();
}

void frmProduceOrder::clear_materials() {
    M::CloseRecordset(materials_);
    materials_sql_.clear();
    clear_list(*child_);
}

void frmProduceOrder::clear_products() {
    M::CloseRecordset(products_);
    products_sql_.clear();
    clear_list(*sub_);
    clear_materials();
}

void frmProduceOrder::set_product_field(bool on) {
    if (!on) {
        inv_->put_Text("");
        inv_->put_LinkItem("");
    }
    inv_->put_Enabled(on);
    inv_label_->put_Enabled(on);
}

void frmProduceOrder::uncheck_all(ui::ListView& list, long except) {
    busy_ = true;
    for (long i = 1; i <= list.item_count(); ++i)
        if (i != except && list.item(i).checked) {
            list.item(i).checked = false;
            list.item_changed(i);
        }
    busy_ = false;
}

bool frmProduceOrder::find_record(const ado::RecordsetPtr& rs, const char* key, const std::string& value) {
    if (!rs || rs->State() != ado::adStateOpen || rs->RecordCount() == 0) return false;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
        if (vb::text_or_empty((*rs)(Variant(key))) == value) return true;
    return false;
}

std::string frmProduceOrder::with_key_condition(const std::string& sql, const std::string& condition) {
    const std::size_t at = vb::LCase(sql).find(" order by ");
    if (at == std::string::npos) return sql + " AND " + condition;
    return sql.substr(0, at) + " AND  " + condition + sql.substr(at);
}

ado::RecordsetPtr frmProduceOrder::reread(ui::ListView& list, const std::string& base_sql,
                                          const std::string& key_column, const std::string& extra, bool required) {
    const std::string choose = T::kChoose + Caption() + T::kChooseEnd;
    if (list.item_count() == 0) {
        inform(choose);
        return nullptr;
    }
    std::string keys;
    for (const auto& item : list.items())
        if (item.checked) keys += (keys.empty() ? "" : ",") + key_of(item);
    if (keys.empty()) {
        if (!required) return orders_;
        inform(choose);
        return nullptr;
    }
    auto rs = ado::Recordset::create();
    rs->put_CursorLocation(ado::adUseClient);
    rs->Open(with_key_condition(base_sql, key_column + " IN (" + keys + ")" + extra), context_.connection,
             ado::adOpenStatic, ado::adLockBatchOptimistic);
    if (rs->Bof() && rs->Eof()) {
        inform(T::kChangedByOthers);
        return nullptr;
    }
    return rs;
}

void frmProduceOrder::ok() {
    const bool materials = materials_in_use();
    ado::RecordsetPtr child, sub, parent;
    if (materials && !(child = reread(*child_, materials_sql_, "subid", "", true))) return;
    std::string project;
    if (materials)
        for (const auto& item : sub_->items())
            if (item.checked && find_record(products_, "mainid", key_of(item))) {
                project = " and ISNULL(citemcode,'')='" + vb::text_or_empty((*products_)(Variant("citemcode"))) +
                          "' and citem_class ='" + vb::text_or_empty((*products_)(Variant("citem_class"))) + "'";
                break;
            }
    if (!(sub = reread(*sub_, products_sql_, "pp_pomain.mainid", project, true))) return;
    if (!(parent = reread(*parent_, orders_sql_, "id", "", false))) return;
    confirm(parent, sub, child);
}

void frmProduceOrder::confirm(ado::RecordsetPtr parent, ado::RecordsetPtr sub, ado::RecordsetPtr child) {
    auto c = std::make_shared<Collection>();
    c->Add(Variant(ObjectPtr(std::move(parent))), Variant("Parent"));
    c->Add(Variant(ObjectPtr(std::move(sub))), Variant("Sub"));
    if (materials_in_use()) c->Add(Variant(ObjectPtr(std::move(child))), Variant("Child"));
    hand_over(std::move(c));
    Unload();
}

}  // namespace korvane::generation
