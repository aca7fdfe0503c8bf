// The host's reference list: shows the rows of a query under a title and
// lets the user pick one or several of them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ado/recordset.h"
#include "platform/ui/form.h"
#include "platform/ui/grid.h"
#include "session/login.h"

namespace korvane::host {

// The mode a caller passes: several rows may be picked, or only one.
inline constexpr long kPickSeveral = 0;
inline constexpr long kPickOne = 1;

class ReferenceList {
public:
    virtual ~ReferenceList() = default;
    // Runs `sql` on the session's account and shows its rows; the picked
    // rows (every field of the query), or null when the user cancels or
    // picks nothing.
    virtual ado::RecordsetPtr Show(ui::UiHost& host, const session::LoginPtr& session, const std::string& sql,
                                   const std::string& table, long mode) = 0;
    // The same for a query of no known table: its fields in order under
    // `captions` (comma-separated; fields beyond them hidden), and only the
    // rows whose second field (the name) meets `condition` (SQL after the
    // column, e.g. " like '%x%'"; empty: all rows). One row is picked.
    virtual ado::RecordsetPtr ShowColumns(ui::UiHost& host, const session::LoginPtr& session, const std::string& sql,
                                          const std::string& title, const std::string& captions,
                                          const std::string& condition) = 0;
};

// The list's window. Column 0 carries the mark, then the code and name
// fields of the table under their captions; the query's other fields are
// kept in hidden columns. Typing into the search field hides the rows that
// do not contain the text.
class ReferenceListForm : public ui::Form {
public:
    static constexpr const char* kFormName = "frmReferenceList";
    ReferenceListForm(ui::UiHost& host, ado::RecordsetPtr rows, const std::string& table, long mode);
    // Fields in order under the given captions (comma-separated), a title of its own.
    ReferenceListForm(ui::UiHost& host, ado::RecordsetPtr rows, const std::string& title, const std::string& captions,
                      long mode);

    ui::Grid& grid() { return *grid_; }
    ui::TextBox& search() { return *search_; }
    // User actions.
    void toggle(long row);   // marks or unmarks a data row (mode one: the only mark)
    void pick(long row);     // a double-click: that row alone, confirmed
    void mark_all(bool on);  // the visible rows (mode several only)
    void confirm();
    void cancel();
    long marked_count() const;
    // The marked rows after confirm(), null otherwise.
    ado::RecordsetPtr result() const { return result_; }

private:
    void build();
    void fill();
    void apply_search();
    void update_status();

    ado::RecordsetPtr rows_;
    std::string table_;
    long mode_;
    std::vector<std::string> captions_;  // by field, when no table names the columns
    std::vector<Variant> bookmarks_;  // by grid row - 1
    ado::RecordsetPtr result_;
    ui::Grid* grid_;
    ui::TextBox* search_;
    ui::Label* status_;
};

std::shared_ptr<ReferenceList> account_reference_list();

}  // namespace korvane::host
