// Recordset: a client-side cursor over rows read from a connection or built
// by hand, as ADO's Recordset with cursor location adUseClient.
//
// Storage. Open reads every row of the result into memory at once: rows are
// arrays of Variants (16 bytes a field) kept in chunks of kChunkRows, so a
// million-row set never moves a row once read. Past its first eight chunks
// a set being read takes them from larger blocks advised for huge pages, so
// a large read faults in few pages. Each record has a status
// (live, new, deleted). Nothing is written back to the database; Update only
// settles the edit in memory, as a disconnected batch-optimistic set does.
//
// Views. `order_` holds the record indices in Sort order (insertion order
// without a Sort); `view_` holds those that pass the Filter. Every cursor
// operation works on `view_`; a position is an index into it.
//
// Costs (n records, v in the view):
//   Open                         O(n) reads, one allocation per chunk or block
//   Move*, Fields, Value         O(1)
//   AbsolutePosition (get, put)  O(1)
//   Bookmark get O(1), put O(1) (a record-to-view index rebuilt in O(n)
//                                after the view changes)
//   Sort                         O(n log n) stable
//   Filter (criteria)            O(n) evaluations of a compiled criteria tree
//   Filter (bookmark array)      O(k log k + v)
//   AddNew                       O(1) amortised; Delete O(v) (the view is compacted)
//   copy_detached, view_snapshot O(v) record numbers, rows shared until the
//                                first write on either side copies a chunk
//                                (a copy of a sorted or gapped view copies rows)
//
// What it forbids (each raises korvane::Error and leaves the set as it was):
//   - a field value read or written with no current record (3021);
//   - a value that cannot be converted to the field's type (3421), a write
//     to a read-only set (3251);
//   - a malformed filter (3001), an unknown field or sort key (3265), a
//     LIKE filter on a value CStr refuses, such as a date before 100-01-01 (6);
//   - Fields.Append on an open set (3219), Open on an open set (3705), any
//     cursor operation on a closed set (3704).
// Moving off a record with an edit in progress settles the edit (Update),
// as ADO does. A deleted current record stays current until the next move,
// reading its fields then raises 3021.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ado/connection.h"
#include "platform/ado/types.h"
#include "platform/vb/variant.h"

namespace korvane::ado {

class Recordset;
using RecordsetPtr = std::shared_ptr<Recordset>;

// The values of a set's view as they were when it was taken, in view order.
// It shares the set's row storage instead of copying it: a later edit of the
// set copies the chunk it writes to first, and Close leaves the shared chunks
// to the snapshot. Taking one costs O(records in the view) record numbers.
class RecordSnapshot {
public:
    std::size_t size() const noexcept { return records_.size(); }
    std::size_t width() const noexcept { return width_; }
    // The i-th record's values, nullptr beyond the end.
    const Variant* row(std::size_t i) const noexcept;

private:
    friend class Recordset;
    std::size_t width_ = 0;
    std::vector<std::uint32_t> records_;
    std::vector<std::shared_ptr<const Variant[]>> chunks_;
};

namespace detail {
class Criteria;
struct SortKey;
}

// A lightweight handle to one field of a record set's current record. It
// stays valid while the set's structure is unchanged.
class Field {
public:
    const std::string& Name() const;
    // The current record's value; 3021 when there is none.
    const Variant& Value() const;
    void put_Value(const Variant& v);
    int Type() const;
    long DefinedSize() const;
    int Precision() const;
    int NumericScale() const;
    int Attributes() const;
    // The value as it was read (before an edit), 3021 when no record.
    Variant OriginalValue() const;
    // "BASECOLUMNNAME", "BASETABLENAME", "ISAUTOINCREMENT"...: the driver's
    // description of the column; an unknown name raises 3265.
    Variant Properties(std::string_view name) const;
    int index() const noexcept { return index_; }

private:
    friend class Recordset;
    friend class FieldList;
    Field(Recordset* rs, int index) : rs_(rs), index_(index) {}
    Recordset* rs_;
    int index_;
};

class FieldList {
public:
    long Count() const;
    // By 0-based index (a number) or case-insensitive name (a text); 3265 when missing.
    Field Item(const Variant& index_or_name) const;
    Field operator[](const Variant& index_or_name) const { return Item(index_or_name); }
    // Appends a field to an unopened set (3219 once open; 3367 for a name already used).
    void Append(std::string_view name, int type, long defined_size = 0,
                int attributes = adFldIsNullable | adFldMayBeNull | adFldUpdatable,
                int precision = 0, int numeric_scale = 0);
    // The 0-based index of a field, -1 when there is none.
    int find(std::string_view name) const;

private:
    friend class Recordset;
    explicit FieldList(Recordset* rs) : rs_(rs) {}
    Recordset* rs_;
};

class Recordset : public Object {
public:
    static constexpr std::size_t kChunkRows = 1024;

    static RecordsetPtr create() { return std::make_shared<Recordset>(); }
    Recordset();
    ~Recordset() override;
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;
    std::string_view type_name() const override { return "Recordset"; }

    int CursorLocation() const noexcept { return cursor_location_; }
    void put_CursorLocation(int location);  // only adUseClient is offered by this layer
    int CursorType() const noexcept { return cursor_type_; }
    void put_CursorType(int t);
    int LockType() const noexcept { return lock_type_; }
    void put_LockType(int t);

    // Opens the rows of a statement (source) on a connection. Without a
    // source the set opens with the appended fields and no rows.
    void Open(std::string_view source, const ConnectionPtr& connection,
              int cursor_type = adOpenUnspecified, int lock_type = adLockUnspecified);
    void Open();
    void Close();
    int State() const noexcept { return open_ ? adStateOpen : adStateClosed; }
    const std::string& Source() const noexcept { return source_; }
    ConnectionPtr ActiveConnection() const { return connection_; }
    void put_ActiveConnection(ConnectionPtr c) { connection_ = std::move(c); }

    FieldList& Fields() noexcept { return fields_; }
    const FieldList& Fields() const noexcept { return fields_; }
    Field Fields(const Variant& index_or_name) const { return fields_.Item(index_or_name); }
    // Shorthand for Fields(name).Value().
    const Variant& operator()(const Variant& index_or_name) const {
        return Fields(index_or_name).Value();
    }

    // Criteria text ("" = none), or Variant(int 0) = adFilterNone.
    void put_Filter(const Variant& criteria);
    // Only the records with these bookmarks, in view order.
    void put_Filter(const std::vector<Variant>& bookmarks);
    const Variant& Filter() const noexcept { return filter_; }
    void put_Sort(std::string_view keys);
    const std::string& Sort() const noexcept { return sort_; }

    // The current record's bookmark (a Double); 3021 when none.
    Variant Bookmark() const;
    // Moves to a bookmarked record; 3001 when it is not in the view.
    void put_Bookmark(const Variant& bookmark);
    // 1-based position in the view; adPosBOF (-2) / adPosEOF (-3) / adPosUnknown (-1).
    long AbsolutePosition() const;
    void put_AbsolutePosition(long position);
    long RecordCount() const;
    bool Eof() const;
    bool Bof() const;

    void MoveFirst();
    void MoveLast();
    void MoveNext();      // 3021 at EOF
    void MovePrevious();  // 3021 at BOF
    void Move(long n);

    void AddNew();
    void Update();
    void CancelUpdate();
    void Delete();
    int EditMode() const noexcept { return edit_mode_; }

    // A copy bound to no connection: the structure, and the rows of the
    // current view (in view order) when with_rows. Its chunks that hold the
    // same records in the same places share this set's, copy-on-write; the
    // rows of a sorted or gapped view are copied.
    RecordsetPtr copy_detached(bool with_rows) const;

    // Row-level access for the layers that read many values (grids, rules):
    // the current record's values, nullptr when none.
    const Variant* current_row() const noexcept;
    // The current view's values, kept apart from what the set does next.
    RecordSnapshot view_snapshot() const;

private:
    friend class Field;
    friend class FieldList;
    struct Column;
    struct Storage;

    void require_open() const;
    void require_record() const;
    const Variant* row(std::uint32_t record) const noexcept;
    Variant* write_row(std::uint32_t record);
    std::uint32_t append_record();
    void rebuild_view();
    void reset_view_state();
    void apply_order();
    void settle_edit();
    Variant convert_for(int column, const Variant& v) const;
    long view_index_of(std::uint32_t record) const;

    FieldList fields_;
    std::vector<Column> columns_;
    std::unique_ptr<Storage> storage_;
    std::vector<std::uint32_t> order_;  // records in sort order, live ones only
    std::vector<std::uint32_t> view_;   // order_ filtered
    mutable std::vector<std::int32_t> view_pos_;  // record -> index in view_, built on demand
    long pos_ = 0;                      // index into view_; -1 BOF, view_.size() EOF
    bool current_deleted_ = false;
    int edit_mode_ = adEditNone;
    std::vector<Variant> edit_backup_;  // the record before the edit, for CancelUpdate
    long pos_before_add_ = 0;           // where CancelUpdate of an AddNew returns to

    std::shared_ptr<detail::Criteria> criteria_;
    std::vector<std::uint32_t> filter_records_;  // bookmark filter, sorted; empty = none
    bool bookmark_filter_ = false;
    Variant filter_;
    std::string sort_;
    std::vector<detail::SortKey> sort_keys_;

    ConnectionPtr connection_;
    std::string source_;
    bool open_ = false;
    int cursor_location_ = adUseClient;
    int cursor_type_ = adOpenStatic;
    int lock_type_ = adLockBatchOptimistic;
};

enum PositionEnum : long { adPosUnknown = -1, adPosBOF = -2, adPosEOF = -3 };

}  // namespace korvane::ado
