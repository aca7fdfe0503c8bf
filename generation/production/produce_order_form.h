// frmProduceOrder: production orders (or plans), their products and the
// products' materials, handed over as "Parent", "Sub" and "Child".
//
// Tab rules: the order and product lists sit beside the tab strip and take
// part on both tabs; the material list sits on the second tab, and the
// materials take part exactly while the second tab is current. Generating
// from plans (bOI) turns the first tab off and opens on the second. Going
// to the second tab keeps only the first checked product checked and lists
// its materials; going back to the first clears the materials.
//
// Checking follows the lists: one order at a time, whose products come
// listed and checked; on the materials tab one product at a time, whose
// materials come listed and checked. OK reads the checked rows again with
// the lists' own SQL narrowed to their keys and refuses when a row is gone.
#pragma once

#include <memory>
#include <string>

#include "generation/core/source_form.h"
#include "host/production_order.h"
#include "platform/ado/recordset.h"
#include "platform/ui/lists.h"
#include "platform/ui/tabs_menus.h"

namespace korvane::generation {

class frmProduceOrder : public SourceForm {
public:
    static constexpr const char* kFormName = "frmProduceOrder";
    explicit frmProduceOrder(FormServices services);

    ui::TabStrip& SSTab1() { return *tabs_; }
    ui::ListView& lstParent() { return *parent_; }
    ui::ListView& lstSub() { return *sub_; }
    ui::ListView& lstChild() { return *child_; }
    ui::Frame& Frame1() { return *frame_; }
    ui::TextBox& txtLDate() { return *l_date_; }
    ui::TextBox& txtUDate() { return *u_date_; }
    ui::TextBox& cmbDept() { return *dept_; }
    ui::TextBox& cmbPerson() { return *person_; }
    ui::TextBox& cmbVen() { return *ven_; }
    ui::TextBox& cmbInv() { return *inv_; }
    ui::Label& lblInv() { return *inv_label_; }
    ui::TextBox& cmbPOID() { return *poid_; }
    ui::CheckBox& chkAll() { return *all_; }
    ui::CommandButton& cmdFilter() { return *filter_; }
    ui::CommandButton& cmdOk() { return *ok_; }
    ui::CommandButton& cmdExit() { return *exit_; }
    ui::CommandButton& cmdRefers() { return *refers_; }
    ui::Menu& MnuFYJCD() { return *menu_sub_; }
    ui::Menu& MnuZYJCD() { return *menu_child_; }

    // The materials list takes part on the second tab.
    bool materials_in_use() const;

    // Form state the lists were filled from.
    const std::string& filter_clause() const { return clause_; }     // received clause + department scope
    const std::string& inventory_scope() const { return inv_scope_; }
    // True leaves out the orders fully executed but not closed (not chkAll).
    bool leave_out_executed() const { return leave_out_executed_; }
    // The WHERE text the last filter built from the fields ("" for none).
    const std::string& last_filter() const { return last_filter_; }
    const ado::RecordsetPtr& orders() const { return orders_; }
    const ado::RecordsetPtr& products() const { return products_; }
    const ado::RecordsetPtr& materials() const { return materials_; }

    // What OK hands over: the chosen orders, products and (on the materials
    // tab) materials; then the form unloads.
    void confirm(ado::RecordsetPtr parent, ado::RecordsetPtr sub, ado::RecordsetPtr child);

    // The SQL text narrowed to `condition`: appended with " AND ", or when
    // it has an ORDER BY inserted with " AND  " in front of it.
    static std::string with_key_condition(const std::string& sql, const std::string& condition);

private:
    void place_controls();
    void form_load();
    void filter();
    void ok();
    void order_checked(ui::ListView::ListItem& item);
    void product_checked(ui::ListView::ListItem& item);
    void tab_changed();
    // The products of order `id`, by the operation bOI and eVouchType choose.
    void read_products(const std::string& id);
    void read_materials(const std::string& mainid);
    void clear_materials();
    void clear_products();
    void set_product_field(bool on);
    void uncheck_all(ui::ListView& list, long except = 0);
    // Moves rs to the record whose `key` field is `value`; false when none.
    static bool find_record(const ado::RecordsetPtr& rs, const char* key, const std::string& value);
    // The code a reference field holds: its link, else what was typed.
    static std::string code_of(const ui::TextBox& field);
    bool vouch_type_39() const;
    void inform(const std::string& message);
    // Re-reads the checked rows of one list; null after telling the user why not.
    ado::RecordsetPtr reread(ui::ListView& list, const std::string& base_sql, const std::string& key_column,
                             const std::string& extra, bool required);

    std::unique_ptr<host::ProductionOrderComponent> component_;
    std::string clause_, inv_scope_, last_filter_;
    bool leave_out_executed_ = false;
    ado::RecordsetPtr orders_, products_, materials_;
    // The lists' own SQL texts, as read: OK narrows these to the checked keys.
    std::string orders_sql_, products_sql_, materials_sql_;
    bool busy_ = false;  // a handler is checking items itself

    ui::TabStrip* tabs_;
    ui::ListView *parent_, *sub_, *child_;
    ui::Frame* frame_;
    ui::TextBox *l_date_, *u_date_, *dept_, *person_, *ven_, *inv_, *poid_;
    ui::Label* inv_label_;
    ui::CheckBox* all_;
    ui::CommandButton *filter_, *refers_;
    ui::Menu *menu_sub_, *menu_child_, *clear_sub_, *clear_child_;
};

}  // namespace korvane::generation
