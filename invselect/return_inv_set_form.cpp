#include "invselect/return_inv_set_form.h"

#include <algorithm>
#include <cmath>

#include "generation/core/module_ctl.h"
#include "invselect/texts.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"

namespace korvane::invselect {

namespace {

// The toolbar goes on with its next step whatever the last one raised.
template <class Step>
void resume_next(Step&& step) {
    try {
        step();
    } catch (...) {
    }
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

bool contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

constexpr int kMargin = 90;
constexpr int kToolbarHeight = 720;
constexpr int kStatusHeight = 300;
constexpr int kTreeWidth = 3900;

}  // namespace

std::string scratch_table_name(const std::string& session_tag) {
    return "tempdb..tmp" + replaced(session_tag, ".", "_") + "tmp";
}

std::string scratch_command(const std::string& table, const std::vector<std::string>& codes) {
    std::string sql = std::string(texts::kDropIfExists) + table + "')) drop table " + table + " create table " + table +
                      "(id nvarchar(255))";
    sql.reserve(sql.size() + codes.size() * (table.size() + 40));
    for (const auto& code : codes) sql.append(" insert into ").append(table).append("(id) values('").append(code).append("') ");
    return sql;
}

std::string checked_condition(const std::string& list_condition, const std::string& table,
                              const std::string& order_caption) {
    // a class or base condition is joined to the scratch-table test
    std::string where = list_condition.empty() ? std::string() : list_condition + " and";
    where += std::string(texts::kCodeIn) + table + ")";
    if (contains(order_caption, texts::kAscending)) where += texts::kOrderDesc;
    else if (contains(order_caption, texts::kDescending)) where += texts::kOrderAsc;
    return where;
}

frmReturnInvSet::frmReturnInvSet(generation::FormServices services, SelectionState state)
    : ui::Form(kFormName, services.host()), services_(std::move(services)), state_(state) {
    put_Caption("存货选择");
    resize(12600, 7800);
    toolbar_control_ = &add<ui::Toolbar>("ToolbarControl");
    tlb_ = &add<ui::Toolbar>("tlbInvClass");
    tlb_->add_button(texts::kKeyOk, "确定").tooltip = "将打勾的存货交给调用者";
    tlb_->add_button(texts::kKeySelAll, "全选", true).tooltip = "按下全选，抬起全消";
    tlb_->add_button(texts::kKeyLocal, "定位").tooltip = "按行号定位";
    tlb_->add_button(texts::kKeyOrder, "排序").tooltip = "按当前列排序";
    tlb_->add_button(texts::kKeyQuit, "退出");
    tlb_->set_image(texts::kKeyOk, "tlbok");
    tlb_->set_image(texts::kKeyQuit, "tlbexit");
    tlb_->on_button_click = [this](ui::Toolbar::Button& b) { TaskRun(b); };
    // the ToolbarControl's buttons stand for tlbInvClass's
    toolbar_control_->on_button_click = [this](ui::Toolbar::Button& b) {
        ui::Toolbar::Button& same = tlb_->button(b.key);
        same.pressed = b.pressed;
        TaskRun(same);
    };
    images_ = &add<ui::ImageList>("imlTree");
    images_->put_Visible(false);

    tree_ = &add<ui::TreeView>("treeMenu");
    tree_->put_Checkboxes(true);
    tree_->on_expand = [this](ui::TreeView::Node& n) {
        if (n.children.empty()) AddClassNodes(n.key);
    };
    tree_->on_node_check = [this](ui::TreeView::Node& n) {
        if (n.checked) node_check(n);
    };

    list_ = &add<ui::Grid>("ListView1");
    list_->put_Editable(false);
    list_->put_Cols(2);
    list_->put_Rows(1);
    list_->on_row_col_change = [this] { show_row(); };
    list_->on_click = [this] {
        const long r = list_->Row();
        if (list_->Col() != 0 || r < 1 || r >= list_->Rows()) return;
        list_->put_TextMatrix(r, 0, list_->TextMatrix(r, 0).empty() ? texts::kMark : "");
    };
    list_->on_mouse_up = [this](int button, int) {
        if (button == ui::vbRightButton) PopupMenu(*mnu_list_);
    };

    status_ = &add<ui::StatusBar>("StatusBar1");
    status_->add_panel("row", 2400);
    status_->add_panel("count", 2400);
    status_->add_panel("condition", 7000);

    mnu_list_ = &add<ui::Menu>("mnuList");
    mnu_list_->put_Visible(false);
    mnu_local_ = &add<ui::Menu>("mnuLocal");
    mnu_local_->put_Caption("定位(&L)");
    mnu_order_ = &add<ui::Menu>("mnuOrder");
    mnu_order_->put_Caption("降序排列(&O)");
    mnu_list_->add_item(*mnu_local_);
    mnu_list_->add_item(*mnu_order_);
    mnu_local_->on_click = [this] { Locate(); };
    mnu_order_->on_click = [this] { Order(); };

    on_load = [this] { form_load(); };
    on_unload = [this] { host().set_app_title(host_title_); };
    place_controls();
}

void frmReturnInvSet::place_controls() {
    toolbar_control_->Move(0, 0, Width(), kToolbarHeight);
    tlb_->Move(0, 0, Width(), kToolbarHeight);
    const int top = kToolbarHeight + kMargin;
    const int height = Height() - top - kStatusHeight - kMargin;
    tree_->Move(kMargin, top, kTreeWidth, height);
    list_->Move(kMargin * 2 + kTreeWidth, top, Width() - kTreeWidth - kMargin * 3, height);
    status_->Move(0, Height() - kStatusHeight, Width(), kStatusHeight);
}

void frmReturnInvSet::form_load() {
    host_title_ = host().app_title();
    host().set_app_title("");
    const auto& permission = services_.session();
    if (state_.connection && !*state_.connection) *state_.connection = permission->GetConnection();
    auto classes = services_.business ? services_.business->create_records("inventoryclass") : nullptr;
    if (!classes) err::raise(err::kObjectNotSet);
    classes->put_Login(permission);
    classes_ = classes->load_by_condition("");
    if (!services_.source_query) err::raise(err::kObjectNotSet);
    auto rule = services_.source_query->GetClassCodeRule(permission);
    rule_.clear();
    for (long i = 1; rule && i <= rule->Count(); ++i) rule_.push_back(vb::CLng(rule->Item(Variant(static_cast<int>(i)))));

    auto& root = tree_->add_node("", texts::kRootKey, texts::kRootText, texts::kImageFolder);
    root.expanded_image = texts::kImageOpen;
    grades_[texts::kRootKey] = 0;
    tree_->expand(texts::kRootKey);

    images_->add(texts::kImageFolder, "folder");
    images_->add(texts::kImageOpen, "open");
    images_->add(texts::kImageLast, "li");
    generation::ModuleCtl::ApplyToolbarStyle(services_.settings(), *tlb_, *toolbar_control_);
    status_->set_panel_text(1, texts::kRowPrefix + std::string("0") + texts::kRowSuffix);
    status_->set_panel_text(2, texts::kCountPrefix + std::string("0") + texts::kRowSuffix);
}

std::string frmReturnInvSet::parent_key(const std::string& class_code, long grade) const {
    if (grade <= 1) return texts::kRootKey;
    const long own = grade <= static_cast<long>(rule_.size()) ? rule_[static_cast<std::size_t>(grade - 1)] : 0;
    const long keep = static_cast<long>(class_code.size()) - own;
    return texts::kNodePrefix + class_code.substr(0, static_cast<std::size_t>(std::max(0L, keep)));
}

void frmReturnInvSet::AddClassNodes(const std::string& key) {
    auto level = grades_.find(key);
    if (level == grades_.end() || !classes_) return;
    const bool root = level->second == 0;
    if (!root) {
        ui::TreeView::Node& n = tree_->node(key);
        if (n.image == texts::kImageLast) return;
    }
    const std::string code = root ? std::string() : key.substr(1);
    const long grade = level->second + 1;
    classes_->put_Filter(Variant(root ? "iInvCGrade=1"
                                      : std::string(texts::kClassLike) + code + "%' and iInvCGrade=" + std::to_string(grade)));
    for (; !classes_->Eof(); classes_->MoveNext()) {
        const std::string child = vb::text_or_empty((*classes_)(Variant("cInvCCode")));
        const std::string name = vb::text_or_empty((*classes_)(Variant("cInvCName")));
        const Variant& end = (*classes_)(Variant("bInvCEnd"));
        const bool last = !end.is_null() && vb::CBool(end);
        const std::string child_key = texts::kNodePrefix + child;
        if (tree_->has_node(child_key)) continue;
        auto& node = tree_->add_node(parent_key(child, grade), child_key, child + " " + name,
                                     last ? texts::kImageLast : texts::kImageFolder);
        if (!last) node.expanded_image = texts::kImageOpen;
        grades_[child_key] = grade;
        tree_->node_changed(child_key);
        // a last-level class is open from the start: it offers nothing to expand
        if (last) tree_->expand(child_key);
    }
    classes_->put_Filter(Variant(0));
}

void frmReturnInvSet::node_check(ui::TreeView::Node& node) {
    const std::string key = node.key;
    const bool root = node.text == texts::kRootText;
    if (root && host().MsgBox(texts::kSelectAll, ui::vb::vbOKCancel | ui::vb::vbQuestion, texts::kTitle) ==
                    ui::vb::vbCancel) {
        tree_->put_checked(key, false);
        return;
    }
    std::string condition = root ? std::string() : texts::kClassLike + key.substr(1) + "%'";
    const std::string& base = state_.base_where ? *state_.base_where : std::string();
    if (!base.empty()) condition = condition.empty() ? base : base + texts::kBaseJoin + condition;
    list_condition_ = condition;
    load_list();
}

void frmReturnInvSet::load_list() {
    auto inventories = services_.business ? services_.business->create_records("inventory") : nullptr;
    if (!inventories) err::raise(err::kObjectNotSet);
    inventories->put_Login(services_.session());
    auto rs = inventories->load_by_condition(list_condition_);
    const long fields = rs->Fields().Count();
    list_->put_Redraw(false);
    list_->fill_rows_on_first_use(0, 0, {});  // the old rows go unwritten
    list_->put_Rows(1);
    list_->put_Cols(fields + 1);
    list_->put_TextMatrix(0, 0, texts::kMarkCaption);
    list_->put_ColWidth(0, 450);
    list_->put_ColAlignment(0, ui::Alignment::Center);
    for (long f = 0; f < fields; ++f) {
        const std::string name = rs->Fields().Item(Variant(f)).Name();
        const auto* caption = texts::column_caption(name);
        list_->put_TextMatrix(0, f + 1, caption ? caption->text : name);
        list_->put_ColWidth(f + 1, caption ? caption->width : 1200);
    }
    // The texts are written when a row is first shown or read, from the
    // values as loaded: a class of 100,000 inventories costs what is seen.
    auto rows = std::make_shared<const ado::RecordSnapshot>(rs->view_snapshot());
    list_->put_Rows(static_cast<long>(rows->size()) + 1);
    list_->fill_rows_on_first_use(1, 1, [rows, fields](long r, ui::RowCells& cells, std::uint32_t*) {
        const Variant* values = rows->row(static_cast<std::size_t>(r - 1));
        for (long f = 0; values && f < fields; ++f) cells.set(f, vb::text_or_empty(values[f]));
    });
    list_->select(list_->Rows() > 1 ? 1 : 0, 1);
    list_->put_Redraw(true);
    status_->set_panel_text(2, texts::kCountPrefix + std::to_string(list_->Rows() - 1) + texts::kRowSuffix);
    status_->set_panel_text(3, list_condition_);
    show_row();
}

void frmReturnInvSet::show_row() {
    const long r = list_->Rows() > 1 ? list_->Row() : 0;
    status_->set_panel_text(1, texts::kRowPrefix + std::to_string(r) + texts::kRowSuffix);
}

std::vector<std::string> frmReturnInvSet::checked_codes() const {
    std::vector<std::string> codes;
    for (long r = 1; r < list_->Rows(); ++r)
        if (!list_->TextMatrix(r, 0).empty()) codes.emplace_back(list_->TextMatrix(r, 1));
    return codes;
}

void frmReturnInvSet::mark_all(bool on) {
    list_->put_Redraw(false);
    for (long r = 1; r < list_->Rows(); ++r) list_->put_TextMatrix(r, 0, on ? texts::kMark : "");
    list_->put_Redraw(true);
}

void frmReturnInvSet::TaskRun(ui::Toolbar::Button& button) {
    const std::string key = button.key;
    if (key == texts::kKeyQuit) quit();
    else if (key == texts::kKeyOk) confirm();
    else if (key == texts::kKeyLocal) resume_next([this] { Locate(); });
    else if (key == texts::kKeyOrder) resume_next([this] { Order(); });
    else if (key == texts::kKeySelAll) resume_next([this, &button] { mark_all(button.pressed); });
}

void frmReturnInvSet::Locate() {
    const std::string answer = host().InputBox(texts::kLocatePrompt, texts::kLocateTitle);
    if (answer.empty()) return;
    const Variant v(answer);
    const long rows = list_->Rows() - 1;
    bool good = vb::IsNumeric(v);
    double n = good ? vb::CDbl(v) : 0;
    good = good && n == std::floor(n) && n >= 1 && n <= rows;
    if (!good) {
        host().MsgBox(texts::kBadRow + answer + "\r\n" + texts::kRetry, ui::vb::vbInformation, texts::kTitle);
        return;
    }
    list_->select(static_cast<long>(n), list_->Col());
    list_->put_TopRow(static_cast<long>(n));
}

void frmReturnInvSet::Order() {
    const std::string caption = mnu_order_->Caption();
    const bool ascending = contains(caption, texts::kAscending);
    if (!ascending && !contains(caption, texts::kDescending)) return;
    const long col = list_->Col() >= 1 && list_->Col() < list_->Cols() ? list_->Col() : 1;
    const long rows = list_->Rows() - 1, cols = list_->Cols();
    if (rows > 0 && col < cols) {
        struct Line {
            std::string key;
            std::vector<std::string> cells;
        };
        std::vector<Line> lines(static_cast<std::size_t>(rows));
        for (long r = 1; r <= rows; ++r) {
            Line& l = lines[static_cast<std::size_t>(r - 1)];
            l.cells.reserve(static_cast<std::size_t>(cols));
            for (long c = 0; c < cols; ++c) l.cells.emplace_back(list_->TextMatrix(r, c));
            l.key = vb::LCase(l.cells[static_cast<std::size_t>(col)]);
        }
        std::stable_sort(lines.begin(), lines.end(), [ascending](const Line& a, const Line& b) {
            return ascending ? a.key < b.key : b.key < a.key;
        });
        list_->put_Redraw(false);
        for (long r = 1; r <= rows; ++r)
            for (long c = 0; c < cols; ++c)
                list_->put_TextMatrix(r, c, std::move(lines[static_cast<std::size_t>(r - 1)].cells[static_cast<std::size_t>(c)]));
        list_->put_Redraw(true);
    }
    mnu_order_->put_Caption(ascending ? replaced(caption, texts::kAscending, texts::kDescending)
                                      : replaced(caption, texts::kDescending, texts::kAscending));
}

void frmReturnInvSet::confirm() {
    std::string table;
    resume_next([&] {
        table = scratch_table_name(services_.session()->GetSession()->SessionTag());
        ado::ConnectionPtr& con = *state_.connection;
        if (!con) con = services_.session()->GetConnection();
        con->Execute(scratch_command(table, checked_codes()));
    });
    resume_next([&] {
        const std::string where = checked_condition(list_condition_, table, mnu_order_->Caption());
        auto inventories = services_.business->create_records("inventory");
        inventories->put_Login(services_.session());
        *state_.RecordsetValue = inventories->load_by_condition(where);
    });
    Unload();
}

void frmReturnInvSet::quit() {
    resume_next([this] { state_.RecordsetValue->reset(); });
    Unload();
}

}  // namespace korvane::invselect
