#include "platform/ado/recordset.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <optional>
#include <unordered_map>

#include <fmt/format.h>
#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#endif

#include "platform/ado/criteria.h"
#include "platform/ado/driver.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"

namespace korvane::ado {

namespace {

constexpr long kBadConnection = 3709;
constexpr long kNameInUse = 3367;
constexpr std::uint8_t kLive = 0;
constexpr std::uint8_t kDeleted = 1;

std::string fold(std::string_view s) { return vb::LCase(s); }

[[noreturn]] void no_such_field(const Variant& key) {
    std::string what = key.is_string() ? fmt::format("'{}'", key.str())
                                       : (key.is_number() ? fmt::format("{}", key.number()) : std::string("?"));
    err::raise(err::kItemNotFound, fmt::format("{} (field {})", err::standard_text(err::kItemNotFound), what));
}

detail::ColumnLookup lookup_of(const Recordset& rs) {
    return [&rs](std::string_view name) -> std::optional<detail::ColumnRef> {
        int i = rs.Fields().find(name);
        if (i < 0) return std::nullopt;
        return detail::ColumnRef{i, rs.Fields(Variant(i)).Type()};
    };
}

// Where the chunks of a set take their memory, read or copied on a write. A
// small set takes each chunk from the heap. Past kHeapChunks chunks, they
// come in blocks of a growing number of chunks, advised for huge pages: a
// large set otherwise faults in every 4 KB page anew (the heap gives the
// memory of the last set back), and on a virtual machine a fault costs more
// than reading the rows that fill the page.
class ChunkMemory {
public:
    explicit ChunkMemory(std::size_t chunk_bytes) : chunk_bytes_(chunk_bytes) {}

    struct Room {
        Variant* values;
        std::shared_ptr<void> block;  // none: the chunk's own heap memory
    };
    Room next() {
        if (handed_ < kHeapChunks) {
            ++handed_;
            return {static_cast<Variant*>(::operator new(chunk_bytes_)), nullptr};
        }
        if (left_ == 0) {
            const std::size_t chunks = std::min<std::size_t>(kHeapChunks << blocks_, kMaxBlockChunks);
            const std::size_t bytes = (chunks * chunk_bytes_ + kHugePage - 1) / kHugePage * kHugePage;
            void* p = std::aligned_alloc(kHugePage, bytes);
            if (!p) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
            ::madvise(p, bytes, MADV_HUGEPAGE);  // only advice: without huge pages the block works the same
#endif
            block_ = std::shared_ptr<void>(p, [](void* q) { std::free(q); });
            next_ = static_cast<char*>(p);
            left_ = bytes / chunk_bytes_;
            ++blocks_;
        }
        Variant* values = reinterpret_cast<Variant*>(next_);
        next_ += chunk_bytes_;
        --left_;
        ++handed_;
        return {values, block_};
    }

private:
    static constexpr std::size_t kHeapChunks = 8;
    static constexpr std::size_t kMaxBlockChunks = 256;
    static constexpr std::size_t kHugePage = std::size_t(2) << 20;

    std::size_t chunk_bytes_;
    std::size_t handed_ = 0, blocks_ = 0, left_ = 0;
    char* next_ = nullptr;
    std::shared_ptr<void> block_;
};

// Destroys a chunk's values; its memory goes back to the heap, or to its
// block, which is freed with the block's last chunk.
struct ChunkDelete {
    std::size_t size;
    std::shared_ptr<void> block;
    void operator()(Variant* p) noexcept {
        std::destroy_n(p, size);
        if (!block) ::operator delete(static_cast<void*>(p));
        block.reset();
    }
};

// A chunk of rows read from a driver. Each row is made (Empty) just before
// the driver writes it, while it is in cache, instead of the whole chunk
// being zeroed first and written over later. A chunk the read did not fill
// is handed over at the size of its rows, so a small result neither zeroes
// nor faults in the room of a thousand rows.
class ReadChunk {
public:
    ReadChunk(ChunkMemory::Room room, std::size_t width) : width_(width), room_(std::move(room)) {}
    ~ReadChunk() {
        if (room_.values) ChunkDelete{made_, std::move(room_.block)}(room_.values);
    }
    ReadChunk(const ReadChunk&) = delete;
    ReadChunk& operator=(const ReadChunk&) = delete;

    Variant* next_row() {
        Variant* row = room_.values + made_;
        std::uninitialized_value_construct_n(row, width_);
        made_ += width_;
        return row;
    }
    // The first `rows` rows read: the room itself when it is full, else a
    // chunk of their size (the room goes with this object).
    std::shared_ptr<Variant[]> release(std::size_t rows) {
        const std::size_t size = rows * width_;
        if (rows == Recordset::kChunkRows) {
            Variant* values = room_.values;
            room_.values = nullptr;
            return std::shared_ptr<Variant[]>(values, ChunkDelete{size, std::move(room_.block)});
        }
        auto* exact = static_cast<Variant*>(::operator new(std::max<std::size_t>(size, 1) * sizeof(Variant)));
        std::uninitialized_move_n(room_.values, size, exact);
        return std::shared_ptr<Variant[]>(exact, ChunkDelete{size, nullptr});
    }

private:
    std::size_t width_;
    std::size_t made_ = 0;
    ChunkMemory::Room room_;
};

}  // namespace

struct Recordset::Column {
    ColumnInfo info;
    std::string folded;
};

// Rows live in fixed chunks so that growth never moves a row that a Field
// handle or a grid may be reading.
struct Recordset::Storage {
    std::size_t width = 0;
    // Chunks are shared with the snapshots taken of the set; a write copies
    // a shared chunk first, so a snapshot never sees a later edit.
    std::vector<std::shared_ptr<Variant[]>> chunks;
    std::size_t last_rows = kChunkRows;  // room of the last chunk; a read may leave it short
    std::optional<ChunkMemory> memory;   // made with the first chunk, once the width is known
    std::vector<std::uint8_t> status;
    std::unordered_map<std::string, int> by_name;  // folded name -> column
    std::unordered_map<std::uint32_t, std::vector<Variant>> originals;  // values as read, for edited records

    std::uint32_t size() const noexcept { return static_cast<std::uint32_t>(status.size()); }
    std::size_t chunk_size() const noexcept { return kChunkRows * std::max<std::size_t>(width, 1); }
    const Variant* row(std::uint32_t r) const noexcept {
        return chunks[r / kChunkRows].get() + (r % kChunkRows) * width;
    }
    std::size_t rows_of(std::size_t chunk) const noexcept {
        return chunk + 1 == chunks.size() ? last_rows : kChunkRows;
    }
    ChunkMemory::Room room() {
        if (!memory) memory.emplace(chunk_size() * sizeof(Variant));
        return memory->next();
    }
    // A chunk of full room for this set: `count` values copied from `from`,
    // Empty after them.
    std::shared_ptr<Variant[]> new_chunk(const Variant* from = nullptr, std::size_t count = 0) {
        ChunkMemory::Room r = room();
        std::uninitialized_copy_n(from, count, r.values);
        std::uninitialized_value_construct_n(r.values + count, chunk_size() - count);
        return std::shared_ptr<Variant[]>(r.values, ChunkDelete{chunk_size(), std::move(r.block)});
    }
    // Chunk `c` copied into a chunk of full room, for this set alone.
    void own_whole(std::size_t c) {
        std::shared_ptr<Variant[]> own = new_chunk(chunks[c].get(), rows_of(c) * width);
        if (c + 1 == chunks.size()) last_rows = kChunkRows;
        chunks[c] = std::move(own);
    }
    Variant* write_row(std::uint32_t r) {
        const std::size_t c = r / kChunkRows;
        if (chunks[c].use_count() > 1) own_whole(c);
        return chunks[c].get() + (r % kChunkRows) * width;
    }
    std::uint32_t append() {
        std::uint32_t r = size();
        if (r % kChunkRows == 0) {
            chunks.push_back(new_chunk());
            last_rows = kChunkRows;
        } else if (r % kChunkRows >= last_rows) {
            own_whole(chunks.size() - 1);
        }
        status.push_back(kLive);
        return r;
    }
};

// ---------------------------------------------------------------- fields

const std::string& Field::Name() const { return rs_->columns_.at(index_).info.name; }
int Field::Type() const { return rs_->columns_.at(index_).info.type; }
long Field::DefinedSize() const { return rs_->columns_.at(index_).info.defined_size; }
int Field::Precision() const { return rs_->columns_.at(index_).info.precision; }
int Field::NumericScale() const { return rs_->columns_.at(index_).info.scale; }
int Field::Attributes() const { return rs_->columns_.at(index_).info.attributes; }

const Variant& Field::Value() const {
    rs_->require_record();
    return rs_->row(static_cast<std::uint32_t>(rs_->view_[rs_->pos_]))[index_];
}

Variant Field::OriginalValue() const {
    rs_->require_record();
    auto record = rs_->view_[rs_->pos_];
    auto it = rs_->storage_->originals.find(record);
    if (it != rs_->storage_->originals.end()) return it->second[index_];
    return rs_->row(record)[index_];
}

void Field::put_Value(const Variant& v) {
    Recordset& rs = *rs_;
    rs.require_record();
    if (rs.lock_type_ == adLockReadOnly) err::raise(err::kNotUpdatable);
    Variant converted = rs.convert_for(index_, v);  // throws before anything changes
    std::uint32_t record = rs.view_[rs.pos_];
    Variant* row = rs.write_row(record);
    if (rs.edit_mode_ == adEditNone) {
        rs.edit_backup_.assign(row, row + rs.columns_.size());
        rs.edit_mode_ = adEditInProgress;
        rs.storage_->originals.try_emplace(record, rs.edit_backup_);
    }
    row[index_] = std::move(converted);
}

Variant Field::Properties(std::string_view name) const {
    const ColumnInfo& c = rs_->columns_.at(index_).info;
    std::string key = fold(name);
    if (key == "basecolumnname") return Variant(c.base_column);
    if (key == "basetablename") return Variant(c.base_table);
    if (key == "isautoincrement") return Variant(false);
    if (key == "keycolumn") return Variant(false);
    err::raise(err::kItemNotFound, fmt::format("{} (property '{}')", err::standard_text(err::kItemNotFound), name));
}

long FieldList::Count() const { return static_cast<long>(rs_->columns_.size()); }

int FieldList::find(std::string_view name) const {
    if (!rs_->storage_) return -1;
    auto& map = rs_->storage_->by_name;
    auto it = map.find(fold(name));
    return it == map.end() ? -1 : it->second;
}

Field FieldList::Item(const Variant& key) const {
    if (key.is_string()) {
        int i = find(key.str());
        if (i < 0) no_such_field(key);
        return Field(rs_, i);
    }
    if (key.is_number()) {
        double d = key.number();
        if (d >= 0 && d < static_cast<double>(rs_->columns_.size()) && d == std::floor(d))
            return Field(rs_, static_cast<int>(d));
    }
    no_such_field(key);
}

void FieldList::Append(std::string_view name, int type, long defined_size, int attributes, int precision,
                       int numeric_scale) {
    if (rs_->open_) err::raise(err::kIllegalOperation);
    if (name.empty()) err::raise(err::kBadArgs, "Fields.Append: a field needs a name");
    if (find(name) >= 0)
        err::raise(kNameInUse, fmt::format("Fields.Append: the field '{}' already exists", name));
    Recordset::Column c;
    c.info.name = std::string(name);
    c.info.type = type;
    c.info.defined_size = defined_size;
    c.info.attributes = attributes;
    c.info.precision = static_cast<std::uint8_t>(precision);
    c.info.scale = static_cast<std::uint8_t>(numeric_scale);
    c.folded = fold(name);
    rs_->storage_->by_name.emplace(c.folded, static_cast<int>(rs_->columns_.size()));
    rs_->columns_.push_back(std::move(c));
}

// ---------------------------------------------------------------- lifecycle

Recordset::Recordset() : fields_(this), storage_(std::make_unique<Storage>()), filter_(std::string()) {}
Recordset::~Recordset() = default;

void Recordset::put_CursorLocation(int location) {
    if (open_) err::raise(err::kOpen);
    if (location != adUseClient)
        err::raise(err::kBadArgs, "CursorLocation: only the client-side cursor (3) is offered");
    cursor_location_ = location;
}

void Recordset::put_CursorType(int t) {
    if (open_) err::raise(err::kOpen);
    cursor_type_ = t;
}

void Recordset::put_LockType(int t) {
    if (open_) err::raise(err::kOpen);
    lock_type_ = t;
}

void Recordset::Open(std::string_view source, const ConnectionPtr& connection, int cursor_type, int lock_type) {
    if (open_) err::raise(err::kOpen);
    if (!connection || connection->State() != adStateOpen)
        err::raise(kBadConnection,
                   "The connection cannot be used to perform this operation. It is either closed or invalid in this context.");
    if (source.empty()) err::raise(err::kBadArgs, "Recordset.Open: no source statement given");

    auto reader = connection->driver().query(source);
    auto storage = std::make_unique<Storage>();
    std::vector<Column> columns;
    for (const ColumnInfo& info : reader->columns()) {
        Column c{info, fold(info.name)};
        storage->by_name.emplace(c.folded, static_cast<int>(columns.size()));  // first of a duplicate name wins
        columns.push_back(std::move(c));
    }
    storage->width = columns.size();
    for (bool more = !columns.empty(); more;) {
        ReadChunk chunk(storage->room(), storage->width);
        std::size_t rows = 0;
        while (rows < kChunkRows && (more = reader->next(chunk.next_row()))) ++rows;
        if (rows == 0) break;
        storage->chunks.push_back(chunk.release(rows));
        storage->last_rows = rows;
        storage->status.resize(storage->status.size() + rows, kLive);
    }

    columns_ = std::move(columns);
    storage_ = std::move(storage);
    connection_ = connection;
    source_ = std::string(source);
    if (cursor_type != adOpenUnspecified) cursor_type_ = cursor_type;
    // An unspecified lock keeps the set editable in memory: the forms write
    // allocated amounts into the rows they were given.
    lock_type_ = lock_type == adLockUnspecified ? adLockBatchOptimistic : lock_type;
    open_ = true;
    reset_view_state();
}

void Recordset::Open() {
    if (open_) err::raise(err::kOpen);
    storage_->width = columns_.size();
    open_ = true;
    reset_view_state();
}

void Recordset::reset_view_state() {
    criteria_.reset();
    bookmark_filter_ = false;
    filter_records_.clear();
    filter_ = Variant(std::string());
    sort_.clear();
    sort_keys_.clear();
    edit_mode_ = adEditNone;
    edit_backup_.clear();
    apply_order();
    rebuild_view();
}

void Recordset::Close() {
    require_open();
    bool from_source = !source_.empty();
    auto storage = std::make_unique<Storage>();
    if (!from_source) {
        storage->by_name = storage_->by_name;  // a hand-built set keeps its fields
    } else {
        columns_.clear();
    }
    storage_ = std::move(storage);
    order_.clear();
    view_.clear();
    view_pos_.clear();
    pos_ = 0;
    current_deleted_ = false;
    edit_mode_ = adEditNone;
    criteria_.reset();
    sort_keys_.clear();
    connection_.reset();
    source_.clear();
    open_ = false;
}

// ---------------------------------------------------------------- helpers

void Recordset::require_open() const {
    if (!open_) err::raise(err::kClosed);
}

void Recordset::require_record() const {
    require_open();
    if (current_deleted_ || pos_ < 0 || pos_ >= static_cast<long>(view_.size())) err::raise(err::kNoCurrentRecord);
}

const Variant* Recordset::row(std::uint32_t record) const noexcept { return storage_->row(record); }
Variant* Recordset::write_row(std::uint32_t record) { return storage_->write_row(record); }

const Variant* Recordset::current_row() const noexcept {
    if (!open_ || current_deleted_ || pos_ < 0 || pos_ >= static_cast<long>(view_.size())) return nullptr;
    return storage_->row(view_[pos_]);
}

Variant Recordset::convert_for(int column, const Variant& v) const {
    const ColumnInfo& c = columns_[column].info;
    if (v.is_null() || v.is_empty()) return Variant::null();
    if (c.type == adVariant || c.type == adEmpty) return v;
    auto mismatch = [&]() -> Variant {
        err::raise(err::kDataConversion,
                   fmt::format("{} (field '{}' cannot hold the value '{}')", err::standard_text(err::kDataConversion),
                               c.name, v.is_object() ? std::string("<object>") : vb::CStr(v)));
    };
    try {
        if (is_text_type(c.type)) {
            if (v.is_string()) return v;
            if (v.is_object()) return mismatch();
            return Variant(vb::CStr(v));
        }
        if (v.is_object()) return mismatch();
        if (is_date_type(c.type)) {
            if (v.type() == VarType::Date) return v;
            if (v.is_string()) {
                if (!vb::IsDate(v)) return mismatch();
                return Variant::date(vb::CDate(v));
            }
            return Variant::date(vb::CDate(v));  // a number outside the date range is refused
        }
        if (c.type == adBoolean) {
            if (v.is_bool()) return v;
            return Variant(vb::CBool(v));
        }
        if (v.is_string() && !vb::IsNumeric(v)) return mismatch();
        double d = vb::CDbl(v);
        switch (c.type) {
        case adSmallInt:
        case adTinyInt:
        case adUnsignedTinyInt:
        case adInteger:
        case adBigInt: {
            double r = std::nearbyint(d);
            double lo = c.type == adSmallInt ? -32768.0 : c.type == adInteger ? -2147483648.0 : -9.2e18;
            double hi = c.type == adSmallInt ? 32767.0 : c.type == adInteger ? 2147483647.0 : 9.2e18;
            if (c.type == adUnsignedTinyInt) { lo = 0; hi = 255; }
            if (c.type == adTinyInt) { lo = -128; hi = 127; }
            if (!(r >= lo && r <= hi)) return mismatch();
            if (c.type == adSmallInt) return Variant(static_cast<std::int16_t>(r));
            if (c.type == adBigInt) return Variant(static_cast<long long>(r));
            if (c.type == adUnsignedTinyInt) return Variant::byte(static_cast<std::uint8_t>(r));
            return Variant(static_cast<int>(r));
        }
        case adSingle:
            if (!(std::fabs(d) <= std::numeric_limits<float>::max())) return mismatch();  // the cast would be undefined
            return Variant::single(static_cast<float>(d));
        case adCurrency: return Variant::currency(d);
        case adDecimal:
        case adNumeric: return Variant::decimal(d);
        default: return Variant(d);
        }
    } catch (const Error& e) {
        if (e.number() == err::kDataConversion) throw;
        return mismatch();
    }
}

// Sort order over the live records; the filter then picks from it.
void Recordset::apply_order() {
    order_.clear();
    order_.reserve(storage_->size());
    for (std::uint32_t r = 0, n = storage_->size(); r < n; ++r)
        if (storage_->status[r] == kLive) order_.push_back(r);
    if (sort_keys_.empty() || order_.size() < 2) return;

    struct Entry {
        const Variant* row;
        std::uint32_t record;
    };
    std::vector<Entry> entries;
    entries.reserve(order_.size());
    for (std::uint32_t r : order_) entries.push_back({storage_->row(r), r});
    const auto& keys = sort_keys_;
    std::stable_sort(entries.begin(), entries.end(), [&keys](const Entry& a, const Entry& b) {
        for (const auto& k : keys) {
            int c = detail::sort_order(a.row[k.column], b.row[k.column]);
            if (c != 0) return k.descending ? c > 0 : c < 0;
        }
        return false;
    });
    for (std::size_t i = 0; i < entries.size(); ++i) order_[i] = entries[i].record;
}

void Recordset::rebuild_view() {
    // built aside: a criteria that raises (LIKE on a date CStr refuses) leaves the view as it was
    std::vector<std::uint32_t> view;
    if (bookmark_filter_) {
        for (std::uint32_t r : order_)
            if (std::binary_search(filter_records_.begin(), filter_records_.end(), r)) view.push_back(r);
    } else if (criteria_) {
        view.reserve(order_.size() / 4);
        for (std::uint32_t r : order_)
            if (criteria_->matches(storage_->row(r))) view.push_back(r);
    } else {
        view = order_;
    }
    view_ = std::move(view);
    view_pos_.clear();
    pos_ = 0;
    current_deleted_ = false;
}

long Recordset::view_index_of(std::uint32_t record) const {
    if (view_pos_.size() != storage_->size()) {
        view_pos_.assign(storage_->size(), -1);
        for (std::size_t i = 0; i < view_.size(); ++i) view_pos_[view_[i]] = static_cast<std::int32_t>(i);
    }
    return record < view_pos_.size() ? view_pos_[record] : -1;
}

void Recordset::settle_edit() {
    if (edit_mode_ != adEditNone) Update();
}


// ---------------------------------------------------------------- filter and sort

void Recordset::put_Filter(const Variant& criteria) {
    require_open();
    std::shared_ptr<detail::Criteria> compiled;
    if (criteria.is_string()) {
        std::string_view text = criteria.str();
        if (text.find_first_not_of(" \t") != std::string_view::npos)
            compiled = std::make_shared<detail::Criteria>(detail::parse_criteria(text, lookup_of(*this)));
    } else if (criteria.is_number() && criteria.number() == 0.0) {
        // adFilterNone
    } else {
        err::raise(err::kBadArgs, "Filter: a criteria text, adFilterNone or an array of bookmarks is needed");
    }
    auto previous = std::move(criteria_);
    const bool by_bookmark = bookmark_filter_;
    criteria_ = (compiled && !compiled->empty()) ? compiled : nullptr;
    bookmark_filter_ = false;
    try {
        rebuild_view();
    } catch (...) {
        criteria_ = std::move(previous);
        bookmark_filter_ = by_bookmark;
        throw;
    }
    settle_edit();
    filter_records_.clear();
    filter_ = criteria.is_string() ? criteria : Variant(0);
}

void Recordset::put_Filter(const std::vector<Variant>& bookmarks) {
    require_open();
    std::vector<std::uint32_t> records;
    records.reserve(bookmarks.size());
    for (const Variant& b : bookmarks) {
        double d = b.is_number() ? b.number() : -1;
        if (!(d >= 1 && d <= storage_->size() && d == std::floor(d)))
            err::raise(err::kBadArgs, fmt::format("Filter: {} is not a bookmark of this record set",
                                                  b.is_object() ? std::string("<object>") : vb::CStr(b)));
        records.push_back(static_cast<std::uint32_t>(d) - 1);
    }
    settle_edit();
    std::sort(records.begin(), records.end());
    records.erase(std::unique(records.begin(), records.end()), records.end());
    filter_records_ = std::move(records);
    bookmark_filter_ = true;
    criteria_.reset();
    filter_ = Variant(static_cast<int>(filter_records_.size()));
    rebuild_view();
}

void Recordset::put_Sort(std::string_view keys) {
    require_open();
    auto parsed = detail::parse_sort(keys, lookup_of(*this));
    std::vector<std::uint32_t> previous_order;
    previous_order.swap(order_);
    sort_keys_.swap(parsed);
    try {
        apply_order();
        rebuild_view();  // the filter runs again and may raise
    } catch (...) {
        order_.swap(previous_order);
        sort_keys_.swap(parsed);
        throw;
    }
    settle_edit();
    sort_ = std::string(keys);
}

// ---------------------------------------------------------------- cursor

Variant Recordset::Bookmark() const {
    require_record();
    return Variant(static_cast<double>(view_[pos_]) + 1.0);
}

void Recordset::put_Bookmark(const Variant& bookmark) {
    require_open();
    double d = bookmark.is_number() ? bookmark.number() : -1;
    long index = -1;
    if (d >= 1 && d <= storage_->size() && d == std::floor(d)) index = view_index_of(static_cast<std::uint32_t>(d) - 1);
    if (index < 0) err::raise(err::kBadArgs, "Bookmark: the record is not in the current view of the record set");
    settle_edit();
    pos_ = index;
    current_deleted_ = false;
}

long Recordset::AbsolutePosition() const {
    require_open();
    if (view_.empty()) return adPosUnknown;
    if (pos_ < 0) return adPosBOF;
    if (pos_ >= static_cast<long>(view_.size())) return adPosEOF;
    return pos_ + 1;
}

void Recordset::put_AbsolutePosition(long position) {
    require_open();
    if (position < 1 || position > static_cast<long>(view_.size()))
        err::raise(err::kBadArgs, fmt::format("AbsolutePosition: {} is outside 1 to {}", position, view_.size()));
    settle_edit();
    pos_ = position - 1;
    current_deleted_ = false;
}

long Recordset::RecordCount() const {
    require_open();
    return static_cast<long>(view_.size());
}

bool Recordset::Eof() const {
    require_open();
    if (current_deleted_) return false;
    return view_.empty() || pos_ >= static_cast<long>(view_.size());
}

bool Recordset::Bof() const {
    require_open();
    if (current_deleted_) return false;
    return view_.empty() || pos_ < 0;
}

void Recordset::MoveFirst() {
    require_open();
    settle_edit();
    pos_ = 0;
    current_deleted_ = false;
}

void Recordset::MoveLast() {
    require_open();
    settle_edit();
    pos_ = view_.empty() ? 0 : static_cast<long>(view_.size()) - 1;
    current_deleted_ = false;
}

void Recordset::MoveNext() {
    require_open();
    if (Eof()) err::raise(err::kNoCurrentRecord);
    settle_edit();
    // A deleted record has already left the view: its successor sits at pos_.
    if (current_deleted_) current_deleted_ = false;
    else ++pos_;
}

void Recordset::MovePrevious() {
    require_open();
    if (Bof()) err::raise(err::kNoCurrentRecord);
    settle_edit();
    current_deleted_ = false;
    --pos_;
}

void Recordset::Move(long n) {
    require_open();
    if (n == 0) return;
    if ((n > 0 && Eof()) || (n < 0 && Bof())) err::raise(err::kNoCurrentRecord);
    settle_edit();
    long from = pos_;
    if (current_deleted_ && n > 0) --from;  // count from where the deleted record stood
    current_deleted_ = false;
    long to = from + n;
    long size = static_cast<long>(view_.size());
    pos_ = to < 0 ? -1 : (to >= size ? size : to);
}

// ---------------------------------------------------------------- editing

void Recordset::AddNew() {
    require_open();
    if (lock_type_ == adLockReadOnly) err::raise(err::kNotUpdatable);
    settle_edit();
    pos_before_add_ = pos_;
    std::uint32_t r = storage_->append();
    // a new record's fields are Empty until given a value, as ADO's are
    Variant* values = storage_->write_row(r);
    for (std::size_t i = 0; i < columns_.size(); ++i) values[i] = Variant();
    order_.push_back(r);
    view_.push_back(r);
    if (view_pos_.size() == r) view_pos_.push_back(static_cast<std::int32_t>(view_.size() - 1));
    else view_pos_.clear();
    pos_ = static_cast<long>(view_.size()) - 1;
    current_deleted_ = false;
    edit_mode_ = adEditAdd;
    edit_backup_.clear();
}

void Recordset::Update() {
    require_open();
    if (edit_mode_ == adEditNone) return;
    edit_mode_ = adEditNone;
    edit_backup_.clear();
}

void Recordset::CancelUpdate() {
    require_open();
    if (edit_mode_ == adEditAdd) {
        std::uint32_t r = view_[pos_];
        storage_->status[r] = kDeleted;
        order_.erase(std::find(order_.begin(), order_.end(), r));
        view_.erase(view_.begin() + pos_);
        view_pos_.clear();
        pos_ = std::min(pos_before_add_, static_cast<long>(view_.size()));
    } else if (edit_mode_ == adEditInProgress) {
        std::uint32_t r = view_[pos_];
        std::copy(edit_backup_.begin(), edit_backup_.end(), storage_->write_row(r));
    }
    edit_mode_ = adEditNone;
    edit_backup_.clear();
}

void Recordset::Delete() {
    require_record();
    if (lock_type_ == adLockReadOnly) err::raise(err::kNotUpdatable);
    edit_mode_ = adEditNone;
    edit_backup_.clear();
    std::uint32_t r = view_[pos_];
    storage_->status[r] = kDeleted;
    order_.erase(std::find(order_.begin(), order_.end(), r));
    view_.erase(view_.begin() + pos_);
    view_pos_.clear();
    current_deleted_ = true;
}

RecordsetPtr Recordset::copy_detached(bool with_rows) const {
    require_open();
    auto copy = Recordset::create();
    for (const Column& c : columns_) {
        copy->storage_->by_name.emplace(c.folded, static_cast<int>(copy->columns_.size()));
        copy->columns_.push_back(c);
    }
    Storage& to = *copy->storage_;
    to.width = columns_.size();
    if (with_rows && !columns_.empty()) {
        // A chunk of the copy whose records are a whole aligned chunk of
        // this set, in order, shares it; a write on either side copies it
        // first. Other chunks (a sorted or filtered view) are copied.
        const std::size_t n = view_.size();
        to.status.assign(n, kLive);
        to.chunks.reserve((n + kChunkRows - 1) / kChunkRows);
        for (std::size_t first = 0; first < n; first += kChunkRows) {
            const std::size_t count = std::min<std::size_t>(kChunkRows, n - first);
            const std::uint32_t from = view_[first];
            bool aligned = from % kChunkRows == 0;
            for (std::size_t k = 1; aligned && k < count; ++k) aligned = view_[first + k] == from + k;
            if (aligned) {
                to.chunks.push_back(storage_->chunks[from / kChunkRows]);
                to.last_rows = storage_->rows_of(from / kChunkRows);
                continue;
            }
            std::shared_ptr<Variant[]> own = to.new_chunk();
            for (std::size_t k = 0; k < count; ++k)
                std::copy(storage_->row(view_[first + k]), storage_->row(view_[first + k]) + to.width,
                          own.get() + k * to.width);
            to.chunks.push_back(std::move(own));
            to.last_rows = kChunkRows;
        }
    }
    copy->open_ = true;
    copy->source_.clear();
    copy->reset_view_state();
    return copy;
}

RecordSnapshot Recordset::view_snapshot() const {
    require_open();
    RecordSnapshot s;
    s.width_ = columns_.size();
    s.records_ = view_;
    s.chunks_.assign(storage_->chunks.begin(), storage_->chunks.end());
    return s;
}

const Variant* RecordSnapshot::row(std::size_t i) const noexcept {
    if (i >= records_.size()) return nullptr;
    const std::uint32_t r = records_[i];
    return chunks_[r / Recordset::kChunkRows].get() + (r % Recordset::kChunkRows) * width_;
}

}  // namespace korvane::ado
