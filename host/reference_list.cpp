#include "host/reference_list.h"

#include <algorithm>

#include "platform/vb/convert.h"

namespace korvane::host {

namespace {

constexpr const char* kMark = "√";

struct TableView {
    const char* table;
    const char* title;
    std::vector<std::pair<const char*, const char*>> columns;  // field, caption
};

const TableView kViews[] = {
    {"inventory", "存货参照", {{"cInvCode", "存货编码"}, {"cInvName", "存货名称"}, {"cInvStd", "规格型号"}}},
    {"warehouse", "仓库参照", {{"cWhCode", "仓库编码"}, {"cWhName", "仓库名称"}}},
    {"customer", "客户参照", {{"cCusCode", "客户编码"}, {"cCusName", "客户名称"}}},
    {"department", "部门参照", {{"cDepCode", "部门编码"}, {"cDepName", "部门名称"}}},
    {"person", "人员参照", {{"cPersonCode", "人员编码"}, {"cPersonName", "人员名称"}}},
    {"vendor", "供应商参照", {{"cVenCode", "供应商编码"}, {"cVenName", "供应商名称"}}},
};

const TableView* view_of(const std::string& table) {
    std::string t = vb::LCase(table);
    for (const auto& v : kViews)
        if (t == v.table) return &v;
    return nullptr;
}

bool contains(std::string_view text, const std::string& part) {
    return vb::LCase(text).find(vb::LCase(part)) != std::string::npos;
}

}  // namespace

ReferenceListForm::ReferenceListForm(ui::UiHost& host, ado::RecordsetPtr rows, const std::string& table, long mode)
    : ui::Form(kFormName, host), rows_(std::move(rows)), table_(table), mode_(mode) {
    const TableView* view = view_of(table);
    put_Caption(view ? view->title : table);
    build();
}

ReferenceListForm::ReferenceListForm(ui::UiHost& host, ado::RecordsetPtr rows, const std::string& title,
                                     const std::string& captions, long mode)
    : ui::Form(kFormName, host), rows_(std::move(rows)), mode_(mode) {
    put_Caption(title);
    std::size_t start = 0;
    while (start <= captions.size()) {
        std::size_t comma = captions.find(',', start);
        captions_.push_back(captions.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    build();
}

void ReferenceListForm::build() {
    resize(7800, 5700);
    auto& label = add<ui::Label>("lblSearch");
    label.put_Caption("查找：");
    label.Move(150, 180, 700, 300);
    search_ = &add<ui::TextBox>("txtSearch");
    search_->Move(850, 120, 3600, 330);
    search_->on_change = [this] { apply_search(); };
    grid_ = &add<ui::Grid>("grdList");
    grid_->Move(150, 570, 7500, 4020);
    grid_->put_Editable(false);
    grid_->on_click = [this] {
        if (grid_->Col() == 0) toggle(grid_->Row());
    };
    grid_->on_dbl_click = [this] { pick(grid_->Row()); };
    status_ = &add<ui::Label>("lblStatus");
    status_->Move(150, 4800, 3600, 300);
    auto& all = add<ui::CommandButton>("cmdAll");
    all.put_Caption("全选(&A)");
    all.Move(3900, 4710, 1150, 390);
    all.put_Visible(mode_ == kPickSeveral);
    all.on_click = [this] { mark_all(marked_count() < grid_->Rows() - 1); };
    auto& ok = add<ui::CommandButton>("cmdOK");
    ok.put_Caption("确定(&O)");
    ok.Move(5200, 4710, 1150, 390);
    ok.on_click = [this] { confirm(); };
    auto& cancel_button = add<ui::CommandButton>("cmdCancel");
    cancel_button.put_Caption("取消(&C)");
    cancel_button.Move(6500, 4710, 1150, 390);
    cancel_button.on_click = [this] { cancel(); };
    fill();
}

void ReferenceListForm::fill() {
    const long fields = rows_->Fields().Count();
    const TableView* view = view_of(table_);
    grid_->put_Redraw(false);
    // Shown fields first, in the table's order, then the rest hidden.
    std::vector<long> order;
    std::vector<const char*> captions;
    if (view)
        for (const auto& [field, caption] : view->columns)
            for (long f = 0; f < fields; ++f)
                if (vb::LCase(rows_->Fields().Item(Variant(f)).Name()) == vb::LCase(field)) {
                    order.push_back(f);
                    captions.push_back(caption);
                }
    if (!view)
        for (long f = 0; f < fields && static_cast<std::size_t>(f) < captions_.size(); ++f) {
            order.push_back(f);
            captions.push_back(captions_[static_cast<std::size_t>(f)].c_str());
        }
    const bool named = view || !captions_.empty();
    const std::size_t shown = order.size();
    for (long f = 0; f < fields; ++f)
        if (std::find(order.begin(), order.end(), f) == order.end()) order.push_back(f);
    grid_->put_Cols(static_cast<long>(order.size()) + 1);
    grid_->put_Rows(1);
    grid_->put_TextMatrix(0, 0, "选择");
    grid_->put_ColWidth(0, 600);
    for (std::size_t i = 0; i < order.size(); ++i) {
        long col = static_cast<long>(i) + 1;
        grid_->put_TextMatrix(0, col, i < shown ? captions[i] : rows_->Fields().Item(Variant(order[i])).Name());
        // Without a known table every field is shown under its own name.
        grid_->put_ColHidden(col, named && i >= shown);
        grid_->put_ColWidth(col, i == 1 ? 2600 : 1800);
    }
    bookmarks_.clear();
    if (rows_->State() == ado::adStateOpen && rows_->RecordCount() > 0) {
        grid_->put_Rows(rows_->RecordCount() + 1);
        long r = 1;
        for (rows_->MoveFirst(); !rows_->Eof(); rows_->MoveNext(), ++r) {
            bookmarks_.push_back(rows_->Bookmark());
            grid_->put_RowData(r, r);
            for (std::size_t i = 0; i < order.size(); ++i)
                grid_->put_TextMatrix(r, static_cast<long>(i) + 1, vb::text_or_empty(rows_->Fields().Item(Variant(order[i])).Value()));
        }
    }
    grid_->put_Redraw(true);
    update_status();
}

void ReferenceListForm::apply_search() {
    const std::string& part = search_->Text();
    grid_->put_Redraw(false);
    for (long r = 1; r < grid_->Rows(); ++r) {
        bool match = part.empty();
        for (long c = 1; c < grid_->Cols() && !match; ++c)
            match = !grid_->ColHidden(c) && contains(grid_->TextMatrix(r, c), part);
        grid_->put_RowHidden(r, !match);
    }
    grid_->put_Redraw(true);
    update_status();
}

void ReferenceListForm::toggle(long row) {
    if (row < 1 || row >= grid_->Rows() || grid_->RowHidden(row)) return;
    bool on = grid_->TextMatrix(row, 0).empty();
    if (mode_ == kPickOne)
        for (long r = 1; r < grid_->Rows(); ++r) grid_->put_TextMatrix(r, 0, "");
    grid_->put_TextMatrix(row, 0, on ? kMark : "");
    update_status();
}

void ReferenceListForm::pick(long row) {
    if (row < 1 || row >= grid_->Rows() || grid_->RowHidden(row)) return;
    for (long r = 1; r < grid_->Rows(); ++r) grid_->put_TextMatrix(r, 0, r == row ? kMark : "");
    confirm();
}

void ReferenceListForm::mark_all(bool on) {
    if (mode_ != kPickSeveral) return;
    for (long r = 1; r < grid_->Rows(); ++r)
        if (!grid_->RowHidden(r)) grid_->put_TextMatrix(r, 0, on ? kMark : "");
    update_status();
}

long ReferenceListForm::marked_count() const {
    long n = 0;
    for (long r = 1; r < grid_->Rows(); ++r) n += !grid_->TextMatrix(r, 0).empty() && !grid_->RowHidden(r);
    return n;
}

void ReferenceListForm::update_status() {
    long shown = 0;
    for (long r = 1; r < grid_->Rows(); ++r) shown += !grid_->RowHidden(r);
    status_->put_Caption("共 " + std::to_string(shown) + " 条，已选 " + std::to_string(marked_count()) + " 条");
}

void ReferenceListForm::confirm() {
    std::vector<Variant> picked;
    for (long r = 1; r < grid_->Rows(); ++r)
        if (!grid_->TextMatrix(r, 0).empty() && !grid_->RowHidden(r)) picked.push_back(bookmarks_[static_cast<std::size_t>(r - 1)]);
    if (!picked.empty()) {
        rows_->put_Filter(picked);
        result_ = rows_->copy_detached(true);
        rows_->put_Filter(Variant(0));
        result_->MoveFirst();
    }
    Unload();
}

void ReferenceListForm::cancel() {
    result_.reset();
    Unload();
}

namespace {

// Runs `sql` on the session's account, narrows it by `condition` on its
// second field when given, and shows its rows in the form `make` builds.
template <class Make>
ado::RecordsetPtr show_rows(const session::LoginPtr& session, const std::string& sql, const std::string& condition,
                            Make&& make) {
    auto con = ado::Connection::create();
    con->Open(session->ConnectionString());
    auto rows = ado::Recordset::create();
    rows->Open(sql, con, ado::adOpenStatic, ado::adLockReadOnly);
    if (!condition.empty() && rows->Fields().Count() > 1) {
        std::string name = rows->Fields().Item(Variant(1L)).Name();
        rows->Close();
        rows->Open("select * from (" + sql + ") refrows where refrows." + name + condition, con, ado::adOpenStatic,
                   ado::adLockReadOnly);
    }
    auto form = make(rows);
    form->Show(ui::vbModal);
    if (form->loaded()) form->Unload();
    auto result = form->result();
    rows->Close();
    con->Close();
    return result;
}

class AccountReferenceList : public ReferenceList {
public:
    ado::RecordsetPtr Show(ui::UiHost& host, const session::LoginPtr& session, const std::string& sql,
                           const std::string& table, long mode) override {
        return show_rows(session, sql, "", [&](const ado::RecordsetPtr& rows) {
            return std::make_unique<ReferenceListForm>(host, rows, table, mode);
        });
    }

    ado::RecordsetPtr ShowColumns(ui::UiHost& host, const session::LoginPtr& session, const std::string& sql,
                                  const std::string& title, const std::string& captions,
                                  const std::string& condition) override {
        return show_rows(session, sql, condition, [&](const ado::RecordsetPtr& rows) {
            return std::make_unique<ReferenceListForm>(host, rows, title, captions, kPickOne);
        });
    }
};

}  // namespace

std::shared_ptr<ReferenceList> account_reference_list() { return std::make_shared<AccountReferenceList>(); }

}  // namespace korvane::host
