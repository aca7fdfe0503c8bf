#include "platform/ado/drivers/sqlite/sqlite_driver.h"

#include <algorithm>

#include <sqlite3.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include "platform/ado/drivers/sqlite/tsql.h"
#include "platform/vb/ascii.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"

namespace korvane::ado::sqlite {
namespace {

// --- the one checking helper ----------------------------------------------------

// Where a native call sits in its batch, for the error text.
struct Where {
    std::string_view sql;
    std::size_t index = 0;  // 0-based
    std::size_t count = 1;
    const char* doing = "in statement";  // or "opening", with the file as sql
};

[[noreturn]] [[gnu::cold]] void raise_sqlite(sqlite3* db, int rc, const Where& where) {
    std::string text = (db && sqlite3_errcode(db) == rc) ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    append_where(text, where.doing, where.index, where.count, where.sql);
    throw Error(err::kProvider, std::move(text)).with_native_code(rc);
}

// Every open, prepare, step, exec and bind passes its result code through
// here: the success codes come back, anything else becomes the provider
// error a VB handler reads (E_FAIL), with SQLite's code and text and the
// statement it failed in.
inline int check(sqlite3* db, int rc, const Where& where) {
    if (rc == SQLITE_OK || rc == SQLITE_ROW || rc == SQLITE_DONE) [[likely]]
        return rc;
    raise_sqlite(db, rc, where);
}

struct StmtDeleter {
    void operator()(sqlite3_stmt* s) const noexcept { sqlite3_finalize(s); }
};
using StmtPtr = std::unique_ptr<sqlite3_stmt, StmtDeleter>;

StmtPtr prepare_one(sqlite3* db, const char* from, const char* end, const char** tail, const Where& where) {
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v2(db, from, static_cast<int>(end - from), &raw, tail);
    StmtPtr st(raw);
    check(db, rc, where);
    return st;
}

// Steps to the end, rows read and dropped; the rows the statement changed.
long step_to_end(sqlite3* db, sqlite3_stmt* st, const Where& where) {
    const auto before = sqlite3_total_changes64(db);
    while (check(db, sqlite3_step(st), where) == SQLITE_ROW) {
    }
    // sqlite3_changes keeps the last DML's count across DDL, so only a
    // statement that changed rows contributes it.
    return sqlite3_total_changes64(db) != before ? static_cast<long>(sqlite3_changes64(db)) : 0;
}

// Runs one translated statement to its end; the rows it changed.
long run_to_end(sqlite3* db, const std::string& sql, const Where& where) {
    long changed = 0;
    const char* p = sql.data();
    const char* end = p + sql.size();
    while (p < end) {
        const char* tail = nullptr;
        StmtPtr st = prepare_one(db, p, end, &tail, where);
        p = tail;
        if (st) changed += step_to_end(db, st.get(), where);  // null: nothing but a comment
    }
    return changed;
}

// --- dates -------------------------------------------------------------------

std::int64_t days_from_civil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

constexpr std::int64_t kOleEpoch = -25569;  // 1899-12-30 in days since 1970-01-01

bool leap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
unsigned month_days(int y, unsigned m) {
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && leap(y) ? 29 : kDays[m - 1];
}

// Reads 1..max digits; false when there is none.
bool digits(const char*& p, const char* end, int max, int& value) {
    const char* start = p;
    value = 0;
    while (p < end && p - start < max && *p >= '0' && *p <= '9') value = value * 10 + (*p++ - '0');
    return p > start;
}

// "HH:MM[:SS[.fff]]" as seconds into the day.
bool parse_time(const char*& p, const char* end, double& seconds) {
    int h = 0, mi = 0, s = 0;
    if (!digits(p, end, 2, h) || p >= end || *p != ':') return false;
    ++p;
    if (!digits(p, end, 2, mi)) return false;
    double frac = 0;
    if (p < end && *p == ':') {
        ++p;
        if (!digits(p, end, 2, s)) return false;
        if (p < end && *p == '.') {
            ++p;
            std::int64_t num = 0, den = 1;
            for (; p < end && *p >= '0' && *p <= '9'; ++p)
                if (den < 1000000000) {  // beyond nanoseconds the digits change nothing
                    num = num * 10 + (*p - '0');
                    den *= 10;
                }
            frac = static_cast<double>(num) / static_cast<double>(den);
        }
    }
    if (h > 23 || mi > 59 || s > 59) return false;
    seconds = h * 3600.0 + mi * 60.0 + s + frac;
    return true;
}

}  // namespace

std::optional<double> parse_date_text(std::string_view text) {
    const char* p = text.data();
    const std::size_t n = text.size();
    const char* end = p + n;
    while (end > p && end[-1] == ' ') --end;
    double seconds = 0;
    double days = 0;
    const char* q = p;
    int y = 0, m = 0, d = 0;
    if (digits(q, end, 4, y) && q - p == 4 && q < end && (*q == '-' || *q == '/')) {
        const char sep = *q++;
        if (!digits(q, end, 2, m) || q >= end || *q++ != sep || !digits(q, end, 2, d)) return std::nullopt;
        if (m < 1 || m > 12 || d < 1 || static_cast<unsigned>(d) > month_days(y, static_cast<unsigned>(m)))
            return std::nullopt;
        days = static_cast<double>(days_from_civil(y, static_cast<unsigned>(m), static_cast<unsigned>(d)) - kOleEpoch);
        if (q < end) {
            if (*q != ' ' && *q != 'T') return std::nullopt;
            ++q;
            if (!parse_time(q, end, seconds)) return std::nullopt;
        }
    } else {
        q = p;
        if (!parse_time(q, end, seconds)) return std::nullopt;
    }
    if (q != end) return std::nullopt;
    const double frac = seconds / 86400.0;
    // Before 1899-12-30 the OLE day counts down while its time still counts up.
    return days < 0 ? days - frac : days + frac;
}

namespace {

// --- value conversion ----------------------------------------------------------

// One column's value from the current row into the record set's storage.
// Chosen once per column, so the per-row loop is a plain indirect call.
using Convert = void (*)(sqlite3_stmt*, int, Variant&);

void put_text(sqlite3_stmt* st, int i, Variant& out) {
    const auto* p = sqlite3_column_text(st, i);
    if (!p) {
        out = Variant::null();
        return;
    }
    out = Variant(std::string_view(reinterpret_cast<const char*>(p), static_cast<std::size_t>(sqlite3_column_bytes(st, i))));
}

void put_blob(sqlite3_stmt* st, int i, Variant& out) {
    const void* p = sqlite3_column_blob(st, i);
    if (!p) {
        out = Variant::null();
        return;
    }
    out = Variant(std::string_view(static_cast<const char*>(p), static_cast<std::size_t>(sqlite3_column_bytes(st, i))));
}

void put_int(std::int64_t v, Variant& out) {
    if (v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max())
        out = Variant(static_cast<int>(v));
    else
        out = Variant(static_cast<long long>(v));
}

// An integer column holding a float (SQLite keeps what was inserted) is cut
// toward zero, as the server's conversion to int does.
std::optional<std::int64_t> integral(sqlite3_stmt* st, int i, int storage) {
    if (storage == SQLITE_INTEGER) return sqlite3_column_int64(st, i);
    const double d = std::trunc(sqlite3_column_double(st, i));
    if (!(d >= -9.2e18 && d <= 9.2e18)) return std::nullopt;
    return static_cast<std::int64_t>(d);
}

// Null, and text in a numeric column (SQLite stores what it cannot convert as
// text), handled alike for all number kinds: true when `out` is set.
bool null_or_text(sqlite3_stmt* st, int i, int storage, Variant& out) {
    switch (storage) {
    case SQLITE_NULL: out = Variant::null(); return true;
    case SQLITE_TEXT: put_text(st, i, out); return true;
    case SQLITE_BLOB: put_blob(st, i, out); return true;
    default: return false;
    }
}

void put_long(sqlite3_stmt* st, int i, Variant& out) {
    const int t = sqlite3_column_type(st, i);
    if (t == SQLITE_INTEGER) return put_int(sqlite3_column_int64(st, i), out);
    if (null_or_text(st, i, t, out)) return;
    if (auto v = integral(st, i, t)) return put_int(*v, out);
    out = Variant(sqlite3_column_double(st, i));
}

void put_small(sqlite3_stmt* st, int i, Variant& out) {
    const int t = sqlite3_column_type(st, i);
    if (null_or_text(st, i, t, out)) return;
    auto v = integral(st, i, t);
    if (v && *v >= std::numeric_limits<std::int16_t>::min() && *v <= std::numeric_limits<std::int16_t>::max())
        out = Variant(static_cast<std::int16_t>(*v));
    else
        put_long(st, i, out);
}

void put_byte(sqlite3_stmt* st, int i, Variant& out) {
    const int t = sqlite3_column_type(st, i);
    if (null_or_text(st, i, t, out)) return;
    auto v = integral(st, i, t);
    if (v && *v >= 0 && *v <= 255)
        out = Variant::byte(static_cast<std::uint8_t>(*v));
    else
        put_long(st, i, out);
}

void put_bigint(sqlite3_stmt* st, int i, Variant& out) {
    const int t = sqlite3_column_type(st, i);
    if (null_or_text(st, i, t, out)) return;
    if (auto v = integral(st, i, t))
        out = Variant(static_cast<long long>(*v));
    else
        out = Variant(sqlite3_column_double(st, i));
}

void put_bool(sqlite3_stmt* st, int i, Variant& out) {
    const int t = sqlite3_column_type(st, i);
    if (null_or_text(st, i, t, out)) return;
    out = Variant(sqlite3_column_double(st, i) != 0.0);
}

void put_decimal(sqlite3_stmt* st, int i, Variant& out) {
    const int t = sqlite3_column_type(st, i);
    if (null_or_text(st, i, t, out)) return;
    out = Variant::decimal(sqlite3_column_double(st, i));
}

void put_currency(sqlite3_stmt* st, int i, Variant& out) {
    const int t = sqlite3_column_type(st, i);
    if (null_or_text(st, i, t, out)) return;
    constexpr std::int64_t kExact = std::numeric_limits<std::int64_t>::max() / 10000;
    if (t == SQLITE_INTEGER) {
        const auto v = sqlite3_column_int64(st, i);
        if (v >= -kExact && v <= kExact) {
            out = Variant::currency_scaled(v * 10000);
            return;
        }
    }
    out = Variant::currency(sqlite3_column_double(st, i));
}

void put_double(sqlite3_stmt* st, int i, Variant& out) {
    const int t = sqlite3_column_type(st, i);
    if (null_or_text(st, i, t, out)) return;
    out = Variant(sqlite3_column_double(st, i));
}

void put_single(sqlite3_stmt* st, int i, Variant& out) {
    const int t = sqlite3_column_type(st, i);
    if (null_or_text(st, i, t, out)) return;
    out = Variant::single(static_cast<float>(sqlite3_column_double(st, i)));
}

// Dates are kept as text (or as an OLE day number); text that is no date
// stays text rather than becoming a wrong date.
void put_date(sqlite3_stmt* st, int i, Variant& out) {
    switch (sqlite3_column_type(st, i)) {
    case SQLITE_NULL: out = Variant::null(); return;
    case SQLITE_INTEGER:
    case SQLITE_FLOAT: out = Variant::date(sqlite3_column_double(st, i)); return;
    case SQLITE_BLOB: put_blob(st, i, out); return;
    default: break;
    }
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
    const auto n = static_cast<std::size_t>(sqlite3_column_bytes(st, i));
    if (auto ole = parse_date_text(std::string_view(p, n)))
        out = Variant::date(*ole);
    else
        out = Variant(std::string_view(p, n));
}

// Computed columns take each value as SQLite holds it.
void put_natural(sqlite3_stmt* st, int i, Variant& out) {
    switch (sqlite3_column_type(st, i)) {
    case SQLITE_NULL: out = Variant::null(); return;
    case SQLITE_INTEGER: put_int(sqlite3_column_int64(st, i), out); return;
    case SQLITE_FLOAT: out = Variant(sqlite3_column_double(st, i)); return;
    case SQLITE_BLOB: put_blob(st, i, out); return;
    default: put_text(st, i, out); return;
    }
}

// --- column description ------------------------------------------------------

struct TypeSpec {
    int type;
    long size;
    std::uint8_t precision;
    std::uint8_t scale;
    Convert convert;
};

constexpr long kMaxText = 2147483647;
constexpr long kMaxWideText = 1073741823;

// The declared type as written in CREATE TABLE: "nvarchar(20)", "decimal(20, 6)",
// "INT identity(1,1)"; only the first word and the arguments right after it count.
std::optional<TypeSpec> declared_type(const char* decl) {
    if (!decl) return std::nullopt;
    std::string_view s(decl);
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    std::string word;
    while (i < s.size() && ((s[i] >= 'a' && s[i] <= 'z') || (s[i] >= 'A' && s[i] <= 'Z') ||
                            (s[i] >= '0' && s[i] <= '9') || s[i] == '_'))
        word += vb::lower_ascii(s[i++]);
    while (i < s.size() && s[i] == ' ') ++i;
    long args[2] = {-1, -1};
    bool max_length = false;
    if (i < s.size() && s[i] == '(') {
        ++i;
        for (int a = 0; a < 2 && i < s.size(); ++a) {
            while (i < s.size() && s[i] == ' ') ++i;
            if (s.size() - i >= 3 && vb::iequals_ascii(s.substr(i, 3), "max")) {
                max_length = true;
                i += 3;
            } else if (i < s.size() && s[i] >= '0' && s[i] <= '9') {
                long v = 0;
                while (i < s.size() && s[i] >= '0' && s[i] <= '9' && v < 100000000) v = v * 10 + (s[i++] - '0');
                args[a] = v;
            }
            while (i < s.size() && s[i] == ' ') ++i;
            if (i >= s.size() || s[i] != ',') break;
            ++i;
        }
    }
    auto length = [&](long none, long max) { return max_length ? max : (args[0] > 0 ? args[0] : none); };
    auto u8 = [](long v, std::uint8_t dflt) { return v >= 0 && v <= 255 ? static_cast<std::uint8_t>(v) : dflt; };

    if (word == "int" || word == "integer" || word == "int4" || word == "mediumint")
        return TypeSpec{adInteger, 4, 10, 0, put_long};
    if (word == "smallint" || word == "int2") return TypeSpec{adSmallInt, 2, 5, 0, put_small};
    if (word == "tinyint") return TypeSpec{adUnsignedTinyInt, 1, 3, 0, put_byte};
    if (word == "bigint" || word == "int8") return TypeSpec{adBigInt, 8, 19, 0, put_bigint};
    if (word == "bit" || word == "boolean" || word == "bool") return TypeSpec{adBoolean, 2, 0, 0, put_bool};
    if (word == "decimal" || word == "numeric")
        return TypeSpec{word == "decimal" ? adDecimal : adNumeric, 19, u8(args[0], 18), u8(args[1], 0), put_decimal};
    if (word == "money") return TypeSpec{adCurrency, 8, 19, 4, put_currency};
    if (word == "smallmoney") return TypeSpec{adCurrency, 8, 10, 4, put_currency};
    if (word == "float" || word == "double") return TypeSpec{adDouble, 8, 15, 0, put_double};
    if (word == "real") return TypeSpec{adSingle, 4, 7, 0, put_single};
    if (word == "datetime" || word == "datetime2" || word == "timestamp")
        return TypeSpec{adDBTimeStamp, 16, 23, 3, put_date};
    if (word == "smalldatetime") return TypeSpec{adDBTimeStamp, 16, 16, 0, put_date};
    if (word == "date") return TypeSpec{adDBDate, 6, 10, 0, put_date};
    if (word == "time") return TypeSpec{adDBTime, 6, 8, 0, put_date};
    if (word == "nvarchar") {
        if (max_length) return TypeSpec{adLongVarWChar, kMaxWideText, 0, 0, put_text};
        return TypeSpec{adVarWChar, length(4000, kMaxWideText), 0, 0, put_text};
    }
    if (word == "varchar") {
        if (max_length) return TypeSpec{adLongVarChar, kMaxText, 0, 0, put_text};
        return TypeSpec{adVarChar, length(8000, kMaxText), 0, 0, put_text};
    }
    if (word == "nchar") return TypeSpec{adWChar, length(1, 4000), 0, 0, put_text};
    if (word == "char" || word == "character") return TypeSpec{adChar, length(1, 8000), 0, 0, put_text};
    if (word == "ntext") return TypeSpec{adLongVarWChar, kMaxWideText, 0, 0, put_text};
    if (word == "text" || word == "clob") return TypeSpec{adLongVarWChar, kMaxText, 0, 0, put_text};
    if (word == "sysname") return TypeSpec{adVarWChar, 128, 0, 0, put_text};
    if (word == "uniqueidentifier") return TypeSpec{adVarWChar, 38, 0, 0, put_text};
    if (word == "blob" || word == "binary" || word == "varbinary" || word == "image")
        return TypeSpec{adBinary, length(kMaxText, kMaxText), 0, 0, put_blob};
    return std::nullopt;
}

constexpr long kComputedText = 4000;

// A computed column has no declared type: the first row's value tells.
TypeSpec computed_type(sqlite3_stmt* st, int i, bool have_row) {
    switch (have_row ? sqlite3_column_type(st, i) : SQLITE_NULL) {
    case SQLITE_INTEGER: {
        const auto v = sqlite3_column_int64(st, i);
        if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
            return TypeSpec{adBigInt, 8, 19, 0, put_natural};
        return TypeSpec{adInteger, 4, 10, 0, put_natural};
    }
    case SQLITE_FLOAT: return TypeSpec{adDouble, 8, 15, 0, put_natural};
    case SQLITE_BLOB: return TypeSpec{adBinary, kMaxText, 0, 0, put_natural};
    default: return TypeSpec{adVarWChar, kComputedText, 0, 0, put_natural};
    }
}

std::string text_or_empty(const char* s) { return s ? std::string(s) : std::string(); }

// --- reading -----------------------------------------------------------------

class SqliteRowReader final : public RowReader {
public:
    // Steps to the first row at once: computed columns are typed by it.
    SqliteRowReader(std::shared_ptr<sqlite3> db, StmtPtr stmt, std::vector<std::string> after, std::string sql,
                    Where where)
        : db_(std::move(db)), stmt_(std::move(stmt)), after_(std::move(after)), sql_(std::move(sql)),
          index_(where.index), count_(where.count) {
        pending_ = check(db_.get(), sqlite3_step(stmt_.get()), where_()) == SQLITE_ROW;
        describe();
        if (!pending_) stmt_.reset();  // no rows: release the read lock now
    }

    const std::vector<ColumnInfo>& columns() const override { return columns_; }

    bool next(Variant* out) override {
        if (!pending_) {
            if (!stmt_) return finish();
            if (check(db_.get(), sqlite3_step(stmt_.get()), where_()) == SQLITE_DONE) {
                stmt_.reset();
                return finish();
            }
        }
        pending_ = false;
        sqlite3_stmt* st = stmt_.get();
        const int n = static_cast<int>(convert_.size());
        const Convert* convert = convert_.data();
        for (int i = 0; i < n; ++i) convert[i](st, i, out[i]);
        return true;
    }

private:
    Where where_() const { return Where{sql_, index_, count_}; }

    void describe() {
        sqlite3_stmt* st = stmt_.get();
        const int n = sqlite3_column_count(st);
        columns_.reserve(static_cast<std::size_t>(n));
        convert_.reserve(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) {
            ColumnInfo c;
            c.name = text_or_empty(sqlite3_column_name(st, i));
            c.base_column = text_or_empty(sqlite3_column_origin_name(st, i));
            c.base_table = text_or_empty(sqlite3_column_table_name(st, i));
            const auto declared = declared_type(sqlite3_column_decltype(st, i));
            const TypeSpec spec = declared ? *declared : computed_type(st, i, pending_);
            c.type = spec.type;
            c.defined_size = spec.size;
            c.precision = spec.precision;
            c.scale = spec.scale;
            if (!c.base_column.empty()) {
                int not_null = 0;
                if (sqlite3_table_column_metadata(db_.get(), sqlite3_column_database_name(st, i), c.base_table.c_str(),
                                                  c.base_column.c_str(), nullptr, nullptr, &not_null, nullptr,
                                                  nullptr) == SQLITE_OK &&
                    not_null)
                    c.attributes &= ~adFldIsNullable;
            }
            columns_.push_back(std::move(c));
            convert_.push_back(spec.convert);
        }
    }

    // The rows are read: the statements that followed the query run now.
    bool finish() {
        auto after = std::move(after_);
        after_.clear();
        for (std::size_t k = 0; k < after.size(); ++k)
            run_to_end(db_.get(), after[k], Where{after[k], index_ + 1 + k, count_});
        return false;
    }

    std::shared_ptr<sqlite3> db_;
    StmtPtr stmt_;                      // null once the rows are read
    std::vector<ColumnInfo> columns_;
    std::vector<Convert> convert_;      // one per column, chosen from its type
    std::vector<std::string> after_;    // statements of the batch after the query
    std::string sql_;                   // the query's text, for error messages
    std::size_t index_;                 // its place in the batch
    std::size_t count_;
    bool pending_ = false;              // a row stepped to but not handed out yet
};

bool in_memory(const std::string& file) {
    return file.empty() || file == ":memory:" || file.rfind("file::memory:", 0) == 0 ||
           file.find("mode=memory") != std::string::npos;
}

void exec_setup(sqlite3* db, const char* sql, const std::string& file) {
    check(db, sqlite3_exec(db, sql, nullptr, nullptr, nullptr), Where{file, 0, 1, "opening"});
}

// --- prepared statements -------------------------------------------------------

// The value's bytes stay where they are while the statement runs, so text is
// bound without a copy (SQLITE_STATIC); the bindings are cleared before
// execute() returns.
int bind_value(sqlite3_stmt* st, int i, const Variant& v) {
    switch (v.type()) {
    case VarType::Empty:
    case VarType::Null: return sqlite3_bind_null(st, i);
    case VarType::Boolean: return sqlite3_bind_int(st, i, v.bool_value() ? 1 : 0);  // a bit holds 1, not True's -1
    case VarType::Integer:
    case VarType::Long:
    case VarType::LongLong:
    case VarType::Byte: return sqlite3_bind_int64(st, i, v.int_value());
    case VarType::Single:
    case VarType::Double:
    case VarType::Decimal: return sqlite3_bind_double(st, i, v.double_value());
    case VarType::Currency:
        // Whole amounts go in as integers, which read back exactly.
        if (v.int_value() % 10000 == 0) return sqlite3_bind_int64(st, i, v.int_value() / 10000);
        return sqlite3_bind_double(st, i, static_cast<double>(v.int_value()) / 10000.0);
    case VarType::Date: {
        // The account keeps dates as text; the converter reads them back.
        const std::string text = vb::CStr(v);
        return sqlite3_bind_text64(st, i, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    }
    case VarType::String: {
        const std::string_view s = v.str();
        return sqlite3_bind_text64(st, i, s.data(), s.size(), SQLITE_STATIC, SQLITE_UTF8);
    }
    default: err::raise(err::kDataConversion);  // objects and error values have no column type
    }
}

class SqliteStatement final : public DriverStatement {
public:
    SqliteStatement(std::shared_ptr<sqlite3> db, std::shared_ptr<const bool> open, StmtPtr stmt, std::string sql)
        : db_(std::move(db)), open_(std::move(open)), stmt_(std::move(stmt)), sql_(std::move(sql)),
          parameters_(static_cast<std::size_t>(sqlite3_bind_parameter_count(stmt_.get()))) {}

    std::size_t parameter_count() const override { return parameters_; }

    long execute(const Variant* values, std::size_t count) override {
        check_statement_call(*open_, count, parameters_);
        sqlite3* db = db_.get();
        sqlite3_stmt* st = stmt_.get();
        const Where where{sql_};
        // Runs even when a bind or the step raised, so the next run starts clean.
        // sqlite3_reset repeats the failed step's code, which was raised already.
        struct Rewind {
            sqlite3_stmt* st;
            ~Rewind() {
                sqlite3_reset(st);
                sqlite3_clear_bindings(st);
            }
        } rewind{st};
        for (std::size_t i = 0; i < count; ++i) check(db, bind_value(st, static_cast<int>(i + 1), values[i]), where);
        return step_to_end(db, st, where);
    }

private:
    std::shared_ptr<sqlite3> db_;        // kept open until the statement is finalized
    std::shared_ptr<const bool> open_;   // false once the connection is closed
    StmtPtr stmt_;
    std::string sql_;                    // the translated text, for error messages
    std::size_t parameters_;
};

}  // namespace

bool looks_like_query(std::string_view sql) {
    std::size_t i = 0;
    for (;;) {  // past blanks, comments and opening parentheses
        if (i < sql.size() && (sql[i] == '(' || sql[i] == ' ' || sql[i] == '\t' || sql[i] == '\r' || sql[i] == '\n')) {
            ++i;
        } else if (sql.compare(i, 2, "--") == 0) {
            i = sql.find('\n', i);
            if (i == std::string_view::npos) return false;
        } else if (sql.compare(i, 2, "/*") == 0) {
            i = sql.find("*/", i);
            if (i == std::string_view::npos) return false;
            i += 2;
        } else {
            break;
        }
    }
    std::string word;
    while (i < sql.size() && ((sql[i] >= 'a' && sql[i] <= 'z') || (sql[i] >= 'A' && sql[i] <= 'Z')))
        word += vb::lower_ascii(sql[i++]);
    return word == "select" || word == "with" || word == "values" || word == "pragma" || word == "explain";
}

void check_statement_call(bool open, std::size_t given, std::size_t takes) {
    if (!open) err::raise(err::kClosed);
    if (given != takes)
        err::raise(err::kBadArgs,
                   "The statement takes " + std::to_string(takes) + " parameters, not " + std::to_string(given) + ".");
}

void append_where(std::string& text, const char* doing, std::size_t index, std::size_t count, std::string_view sql) {
    constexpr std::size_t kShown = 400;
    bool cut = false;
    if (sql.size() > kShown) {
        std::size_t n = kShown;
        while (n > 0 && (static_cast<unsigned char>(sql[n]) & 0xC0) == 0x80) --n;  // whole characters only
        sql = sql.substr(0, n);
        cut = true;
    }
    text += " (";
    text += doing;
    text += count > 1 ? " " + std::to_string(index + 1) + " of " + std::to_string(count) + ": " : std::string(": ");
    text.append(sql);
    text += cut ? "...)" : ")";
}

std::optional<DeclaredType> declared_column_type(const char* declared) {
    const auto spec = declared_type(declared);
    if (!spec) return std::nullopt;
    return DeclaredType{spec->type, spec->size, spec->precision, spec->scale};
}

// The file as a URI that opens it read-only. The connection itself stays
// read-write, so the tempdb attached to it still takes the session's own
// tables (an attached database inherits the connection's flags).
std::string read_only_uri(const std::string& file) {
    if (file.rfind("file:", 0) == 0) return file + (file.find('?') == std::string::npos ? "?" : "&") + "mode=ro";
    std::string uri = "file:";
    for (char c : file) {
        if (c == '%') uri += "%25";
        else if (c == '?') uri += "%3F";
        else if (c == '#') uri += "%23";
        else uri += c;
    }
    return uri + "?mode=ro";
}

SqliteConnection::SqliteConnection(const std::string& file, OpenMode mode) : open_(std::make_shared<bool>(false)) {
    const bool memory = in_memory(file);
    // No mutex per call: a connection and its readers serve one thread at a
    // time, and the per-value calls of a read would otherwise each take it.
    constexpr int kFlags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX;
    // A missing account is an error, never a new empty database.
    const int create = mode == OpenMode::kCreate || memory ? SQLITE_OPEN_CREATE : 0;
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(mode == OpenMode::kRead && !memory ? read_only_uri(file).c_str() : file.c_str(), &raw,
                             kFlags | create, nullptr);
    if ((rc == SQLITE_READONLY || rc == SQLITE_CANTOPEN) && mode == OpenMode::kReadWrite && !memory) {
        // A file that exists but cannot be written is still there to read.
        std::error_code ec;
        if (std::filesystem::is_regular_file(file, ec)) {
            sqlite3_close_v2(raw);
            raw = nullptr;
            rc = sqlite3_open_v2(read_only_uri(file).c_str(), &raw, kFlags, nullptr);
        }
    }
    db_ = std::shared_ptr<sqlite3>(raw, [](sqlite3* d) { sqlite3_close_v2(d); });
    const Where opening{file, 0, 1, "opening"};
    check(raw, rc, opening);
    check(raw, sqlite3_busy_timeout(raw, 10000), opening);
    // Switching the journal writes the file, so a read-only one keeps its own.
    if (!memory && sqlite3_db_readonly(raw, "main") == 0) {
        exec_setup(raw, "PRAGMA journal_mode=WAL", file);
        exec_setup(raw, "PRAGMA synchronous=NORMAL", file);  // WAL keeps commits safe from crashes of the process
    }
    exec_setup(raw, "ATTACH DATABASE '' AS tempdb", file);
    // LIKE ignores case, as under the server's default collation.
    exec_setup(raw, "PRAGMA case_sensitive_like=OFF", file);
    *open_ = true;
}

SqliteConnection::~SqliteConnection() { close(); }

void SqliteConnection::close() noexcept {
    if (open_) *open_ = false;
    db_.reset();
}

sqlite3* SqliteConnection::db() const {
    if (!db_) err::raise(err::kClosed);
    return db_.get();
}

namespace {
// A statement that opens or ends a transaction itself, or that the engine
// refuses inside one (a pragma, attaching, vacuuming); a batch holding one
// runs as its statements say.
bool outside_transactions(const std::string& statement) {
    std::size_t first = 0;
    while (first < statement.size() &&
           (statement[first] == ' ' || statement[first] == '\t' || statement[first] == '\r' || statement[first] == '\n'))
        ++first;
    std::size_t end = first;
    while (end < statement.size() && ((statement[end] >= 'a' && statement[end] <= 'z') ||
                                      (statement[end] >= 'A' && statement[end] <= 'Z')))
        ++end;
    const std::string_view word(statement.data() + first, end - first);
    static constexpr std::string_view kWords[] = {"BEGIN",   "COMMIT", "END",    "ROLLBACK", "SAVEPOINT",
                                                  "RELEASE", "PRAGMA", "ATTACH", "DETACH",   "VACUUM"};
    if (word.empty()) return false;
    for (std::string_view w : kWords)
        if (w[0] == vb::upper_ascii(word[0]) && vb::iequals_ascii(word, w)) return true;
    return false;
}
}  // namespace

namespace {
// Where a single-row "insert into t (cols) values (...)" puts its row: the
// offset of the row's "(", or npos for any other statement. The row must
// end the statement, and the part before it hold no literal.
std::size_t single_row_at(const std::string& st) {
    constexpr std::string_view kInsert = "insert into ";
    if (st.size() < kInsert.size() || !vb::iequals_ascii(std::string_view(st).substr(0, kInsert.size()), kInsert))
        return std::string::npos;
    std::size_t v = std::string::npos;
    for (std::size_t i = kInsert.size(); i + 6 <= st.size(); ++i) {
        const char c = st[i];
        if (c == '\'' || c == '"' || c == '[' || c == '-' || c == '/') return std::string::npos;
        if ((c == 'v' || c == 'V') && (st[i - 1] == ' ' || st[i - 1] == ')') &&
            vb::iequals_ascii(std::string_view(st).substr(i, 6), "values")) {
            v = i + 6;
            break;
        }
        if ((c == 's' || c == 'S') && i + 6 <= st.size() && vb::iequals_ascii(std::string_view(st).substr(i, 6), "select"))
            return std::string::npos;
    }
    if (v == std::string::npos) return v;
    while (v < st.size() && st[v] == ' ') ++v;
    if (v >= st.size() || st[v] != '(') return std::string::npos;
    // the row runs to the statement's end: one "(" ... ")" with quotes skipped
    int depth = 0;
    for (std::size_t i = v; i < st.size(); ++i) {
        const char c = st[i];
        if (c == '\'') {
            for (++i; i < st.size() && st[i] != '\''; ++i) {
            }
            if (i >= st.size()) return std::string::npos;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')') {
            if (--depth == 0) return i + 1 == st.size() ? v : std::string::npos;
        } else if (c == '"' || c == '[' || c == ';' || c == '-' || c == '/') {
            return std::string::npos;
        }
    }
    return std::string::npos;
}

// One value of a one-row insert that binds as written: a string literal, a
// whole number or NULL. Bound, each is stored with the type and affinity
// the literal gets, so the row is the same.
struct PlainValue {
    enum class Type : std::uint8_t { kText, kInteger, kNull } type;
    std::string_view text;  // a string's characters, quotes still doubled
    std::int64_t integer = 0;
    bool doubled = false;  // the text holds '' for a quote
};

// The values of the row "(...)" at `at`, when every one is plain; false for
// any other row (expressions, signs, decimals, names, parameters).
bool plain_values(std::string_view st, std::size_t at, std::vector<PlainValue>& out) {
    out.clear();
    std::size_t i = at + 1;
    const std::size_t n = st.size();
    auto blanks = [&] {
        while (i < n && (st[i] == ' ' || st[i] == '\t' || st[i] == '\r' || st[i] == '\n')) ++i;
    };
    for (;;) {
        blanks();
        if (i >= n) return false;
        PlainValue v{PlainValue::Type::kNull, {}};
        if (st[i] == '\'') {
            const std::size_t from = ++i;
            for (;; ++i) {
                if (i >= n) return false;
                if (st[i] != '\'') continue;
                if (i + 1 < n && st[i + 1] == '\'') {
                    v.doubled = true;
                    ++i;
                    continue;
                }
                break;
            }
            v.type = PlainValue::Type::kText;
            v.text = st.substr(from, i - from);
            ++i;
        } else if (st[i] >= '0' && st[i] <= '9') {
            const std::size_t from = i;
            while (i < n && st[i] >= '0' && st[i] <= '9') ++i;
            // 18 digits always fit; a longer literal may read as a float
            if (i - from > 18) return false;
            std::from_chars(st.data() + from, st.data() + i, v.integer);
            v.type = PlainValue::Type::kInteger;
        } else if (i + 4 <= n && vb::iequals_ascii(st.substr(i, 4), "null")) {
            i += 4;
        } else {
            return false;
        }
        out.push_back(v);
        blanks();
        if (i >= n) return false;
        if (st[i] == ')') return i + 1 == n;
        if (st[i] != ',') return false;
        ++i;
    }
}

// Whether statement `st` starts with `head`, the head of a one-row insert
// ("insert into t (cols) values ") that ends where its row's "(" begins.
// The same bytes read as the same insert; plain_values then checks the row.
bool same_head(const std::string& st, std::string_view head) {
    return st.size() > head.size() && st[head.size()] == '(' && std::string_view(st).substr(0, head.size()) == head;
}

// Runs statements[i..] that are one-row inserts with plain values and the
// head of statements[i], by one prepared insert with each row's values
// bound; returns the index of the first statement it did not run. A row
// the insert refuses runs again as written, so its error is the one its
// own text gives, and the rows before it stay.
std::size_t run_bound(sqlite3* db, const std::vector<std::string>& statements, std::size_t i, long& changed) {
    const std::size_t n = statements.size();
    const std::size_t at = single_row_at(statements[i]);
    std::vector<PlainValue> values;
    if (at == std::string::npos || i + 1 >= n || !plain_values(statements[i], at, values)) return i;
    const std::string_view head(statements[i].data(), at);
    if (!same_head(statements[i + 1], head)) return i;
    const std::size_t width = values.size();
    std::string shape(head);
    shape += '(';
    for (std::size_t k = 0; k < width; ++k) shape += k ? ",?" : "?";
    shape += ')';
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, shape.c_str(), static_cast<int>(shape.size()), &raw, nullptr) != SQLITE_OK || !raw ||
        sqlite3_bind_parameter_count(raw) != static_cast<int>(width)) {
        sqlite3_finalize(raw);
        return i;  // the rows go as written, and say what is wrong
    }
    StmtPtr insert(raw);
    std::string unquoted;
    std::size_t k = i;
    for (; k < n; ++k) {
        if (k > i && (!same_head(statements[k], head) || !plain_values(statements[k], at, values) ||
                      values.size() != width))
            break;
        for (std::size_t c = 0; c < width; ++c) {
            const PlainValue& v = values[c];
            const int p = static_cast<int>(c) + 1;
            if (v.type == PlainValue::Type::kInteger) {
                sqlite3_bind_int64(raw, p, v.integer);
            } else if (v.type == PlainValue::Type::kNull) {
                sqlite3_bind_null(raw, p);
            } else if (!v.doubled) {
                sqlite3_bind_text(raw, p, v.text.data(), static_cast<int>(v.text.size()), SQLITE_STATIC);
            } else {
                unquoted.clear();
                for (std::size_t q = 0; q < v.text.size(); ++q) {
                    unquoted += v.text[q];
                    if (v.text[q] == '\'') ++q;
                }
                sqlite3_bind_text(raw, p, unquoted.data(), static_cast<int>(unquoted.size()), SQLITE_TRANSIENT);
            }
        }
        const auto before = sqlite3_total_changes64(db);
        const bool open = sqlite3_get_autocommit(db) == 0;
        const int rc = sqlite3_step(raw);
        if (rc == SQLITE_DONE) {
            sqlite3_reset(raw);
            if (sqlite3_total_changes64(db) != before) changed += static_cast<long>(sqlite3_changes64(db));
        } else {
            // A refusal that ended the transaction (ON CONFLICT ROLLBACK) took
            // the rows before with it: run again, the row could pass.
            if (open && sqlite3_get_autocommit(db) != 0) raise_sqlite(db, rc, Where{statements[k], k, n});
            sqlite3_reset(raw);
            changed += run_to_end(db, statements[k], Where{statements[k], k, n});
        }
    }
    return k;
}

// Runs a batch's statements in order. A run of one-row inserts into the
// same table and columns with plain values is prepared once and its rows
// bound (a scratch table filled by thousands of inserts would otherwise pay
// a parse per row); every other statement runs as written.
long run_statements(sqlite3* db, const std::vector<std::string>& statements) {
    const std::size_t n = statements.size();
    long changed = 0;
    std::size_t i = 0;
    while (i < n) {
        const std::size_t next = run_bound(db, statements, i, changed);
        if (next > i) {
            i = next;
            continue;
        }
        changed += run_to_end(db, statements[i], Where{statements[i], i, n});
        ++i;
    }
    return changed;
}
}  // namespace

long SqliteConnection::execute(std::string_view sql) {
    sqlite3* db = this->db();
    const std::vector<std::string> statements = translate_batch(sql);
    // A batch of several statements outside a transaction commits once, at
    // its end, not once per statement (a scratch table filled by thousands
    // of inserts would otherwise write its journal thousands of times). What
    // ran before a failing statement stays, as when each committed alone.
    // The write lock is taken first, waiting as a single write would: a batch
    // that read before it wrote could find another connection's commit in
    // between and fail at once instead of waiting.
    const bool grouped = statements.size() > 1 && sqlite3_get_autocommit(db) != 0 &&
                         sqlite3_db_readonly(db, "main") == 0 &&
                         std::none_of(statements.begin(), statements.end(), outside_transactions);
    if (grouped) run_to_end(db, "BEGIN IMMEDIATE", Where{"BEGIN IMMEDIATE"});
    long changed = 0;
    try {
        changed = run_statements(db, statements);
    } catch (...) {
        if (grouped && sqlite3_get_autocommit(db) == 0 &&
            sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    if (grouped) run_to_end(db, "COMMIT", Where{"COMMIT"});
    return changed;
}

std::unique_ptr<RowReader> SqliteConnection::query(std::string_view sql) {
    sqlite3* db = this->db();
    std::vector<std::string> statements = translate_batch(sql);
    const std::size_t n = statements.size();
    if (n == 0) return std::make_unique<EmptyReader>();
    // The rows come from the last statement that reads like a query; without
    // one, from the last statement if it turns out to return rows.
    std::size_t at = n - 1;
    for (std::size_t i = n; i-- > 0;)
        if (looks_like_query(statements[i])) {
            at = i;
            break;
        }
    for (std::size_t i = 0; i < at; ++i) run_to_end(db, statements[i], Where{statements[i], i, n});

    const std::string& text = statements[at];
    const Where where{text, at, n};
    const char* tail = nullptr;
    StmtPtr st = prepare_one(db, text.data(), text.data() + text.size(), &tail, where);
    std::vector<std::string> after;
    const std::string rest(tail ? tail : "");
    if (rest.find_first_not_of(" \t\r\n") != std::string::npos) after.push_back(rest);
    for (std::size_t i = at + 1; i < n; ++i) after.push_back(std::move(statements[i]));

    if (!st || sqlite3_column_count(st.get()) == 0) {
        if (st) {
            step_to_end(db, st.get(), where);
            st.reset();
        }
        for (std::size_t k = 0; k < after.size(); ++k) run_to_end(db, after[k], Where{after[k], at + 1 + k, n});
        return std::make_unique<EmptyReader>();
    }
    std::string kept = text;
    return std::make_unique<SqliteRowReader>(db_, std::move(st), std::move(after), std::move(kept), where);
}

std::unique_ptr<DriverStatement> SqliteConnection::prepare(std::string_view sql) {
    sqlite3* db = this->db();
    std::vector<std::string> statements = translate_batch(sql);
    if (statements.size() != 1)
        err::raise(err::kBadArgs, "A prepared command runs one statement, not " + std::to_string(statements.size()) +
                                      ".");
    std::string& text = statements.front();
    const char* tail = nullptr;
    StmtPtr st = prepare_one(db, text.data(), text.data() + text.size(), &tail, Where{text});
    // A translated statement holds no ';', so only a comment can be left.
    if (!st) err::raise(err::kBadArgs, "A prepared command runs one statement, not 0.");
    return std::make_unique<SqliteStatement>(db_, open_, std::move(st), std::move(text));
}

void SqliteConnection::begin_transaction() { run_to_end(db(), "BEGIN", Where{"BEGIN"}); }
void SqliteConnection::commit() { run_to_end(db(), "COMMIT", Where{"COMMIT"}); }
void SqliteConnection::rollback() { run_to_end(db(), "ROLLBACK", Where{"ROLLBACK"}); }

}  // namespace korvane::ado::sqlite
