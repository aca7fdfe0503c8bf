#include "platform/ado/drivers/odbc/odbc_driver.h"

#include <cstdlib>
#include <string>

#include "platform/ado/drivers/sqlite/tsql.h"
#include "platform/vb/ascii.h"
#include "platform/vb/error.h"

namespace korvane::ado::odbc {

// DIALECT: the one place that tells the servers apart, from the DBMS name the
// driver reports. SQL Server takes the callers' T-SQL as written, a batch
// whole. The SQLite ODBC driver (the tests' stand-in for a server) gets the
// embedded driver's translation, one statement a call, its session set up as
// the embedded driver sets its own up (WAL, a private tempdb, LIKE ignoring
// case), and two of its quirks handled: it names a column's alias as its base
// column, and it keeps the last statement's change count across DDL.
Dialect dialect_of(std::string_view dbms) {
    return dbms.size() >= 6 && vb::iequals_ascii(dbms.substr(0, 6), "SQLite") ? Dialect::kSqlite : Dialect::kServer;
}

std::vector<std::string> batch_statements(Dialect dialect, std::string_view sql) {
    if (dialect == Dialect::kSqlite) return sqlite::translate_batch(sql);
    if (sql.find_first_not_of(" \t\r\n") == std::string_view::npos) return {};
    return {std::string(sql)};
}

}  // namespace korvane::ado::odbc

#ifndef KORVANE_HAVE_ODBC

namespace korvane::ado::odbc {

std::vector<std::string> installed_drivers() { return {}; }

std::unique_ptr<DriverConnection> open(std::string_view, const Pairs&) {
    throw Error(3706, "This build of the library has no ODBC driver (it was built without unixODBC), so it cannot "
                      "open an ODBC or SQL Server connection string: install unixodbc-dev and rebuild it with "
                      "KORVANE_WITH_ODBC on.");
}

}  // namespace korvane::ado::odbc

#else

#include <sql.h>
#include <sqlext.h>
#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "platform/ado/drivers/sqlite/sqlite_driver.h"
#include "platform/vb/convert.h"

namespace korvane::ado::odbc {
namespace {

// --- the one checking helper ----------------------------------------------------

// What a native call was doing, for the error text.
struct Where {
    std::string_view sql;
    std::size_t index = 0;  // 0-based place in its batch
    std::size_t count = 1;
    const char* doing = "in statement";
    const Pairs* secrets = nullptr;  // whose password never shows
};

// The driver's diagnostics become the error a VB handler reads: E_FAIL with
// the driver's text, SQLSTATE and statement, the server's error number as the
// native code, as ADO reports a provider error. Where ADO has a number of its
// own (no driver, a refused login) it is that number.
[[noreturn]] [[gnu::cold]] void raise_odbc(SQLSMALLINT type, SQLHANDLE h, SQLRETURN rc, const Where& where) {
    std::string text;
    std::string first_state;
    SQLINTEGER first_native = 0;
    for (SQLSMALLINT rec = 1; h && rec <= 8; ++rec) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLCHAR msg[1024];
        SQLSMALLINT len = 0;
        if (!SQL_SUCCEEDED(SQLGetDiagRec(type, h, rec, state, &native, msg, sizeof msg, &len))) break;
        if (rec == 1) {
            first_state = reinterpret_cast<const char*>(state);
            first_native = native;
        }
        if (!text.empty()) text += " ";
        text.append(reinterpret_cast<const char*>(msg), static_cast<std::size_t>(std::min<SQLSMALLINT>(len, sizeof msg - 1)));
        text += " [SQLSTATE ";
        text += reinterpret_cast<const char*>(state);
        text += "]";
    }
    if (text.empty()) text = rc == SQL_INVALID_HANDLE ? "invalid ODBC handle" : "ODBC call failed with no diagnostics";
    long number = err::kProvider;
    if (first_state == "IM002" || first_state == "IM003") number = 3706;        // adErrProviderNotFound
    else if (first_state == "28000") number = -2147217843;                      // DB_SEC_E_AUTH_FAILED
    sqlite::append_where(text, where.doing, where.index, where.count, where.sql);
    if (where.secrets) text = without_password(std::move(text), *where.secrets);
    throw Error(number, std::move(text)).with_native_code(first_native ? first_native : rc);
}

// Every native call passes its return code through here: success (with or
// without information) and the end of data come back, anything else raises.
inline SQLRETURN check(SQLSMALLINT type, SQLHANDLE h, SQLRETURN rc, const Where& where) {
    if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO || rc == SQL_NO_DATA) [[likely]]
        return rc;
    raise_odbc(type, h, rc, where);
}

// --- text ----------------------------------------------------------------------

void append_utf8(std::string& out, const SQLWCHAR* p, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        std::uint32_t c = p[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < n && p[i + 1] >= 0xDC00 && p[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (p[++i] - 0xDC00);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
}

std::u16string utf16(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        std::uint32_t c = b;
        int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
        if (extra) c = b & (0x3F >> extra);
        ++i;
        for (; extra > 0 && i < s.size(); --extra, ++i) c = (c << 6) | (static_cast<unsigned char>(s[i]) & 0x3F);
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

// --- handles ---------------------------------------------------------------------

// The environment and the connection, shared with the readers and statements
// still open, so closing the connection never pulls it from under a record
// set being read.
void close_engine_db(sqlite3* db);

struct Session {
    void close_engine() {
        close_engine_db(engine_db);
        engine_db = nullptr;
    }
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    bool connected = false;
    Dialect dialect = Dialect::kServer;
    std::string file;  // the SQLite driver's database file
    sqlite3* engine_db = nullptr;  // the same file, opened to describe statements (DIALECT)
    sqlite3* engine();
    ~Session() {
        close_engine();
        if (connected) SQLDisconnect(dbc);
        if (dbc) SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        if (env) SQLFreeHandle(SQL_HANDLE_ENV, env);
    }
};

SQLHENV new_env() {
    SQLHENV env = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
        throw Error(3706, "unixODBC could not allocate an environment.");
    check(SQL_HANDLE_ENV, env,
          SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
          Where{"", 0, 1, "setting up ODBC"});
    return env;
}

struct StmtHandle {
    SQLHSTMT h = SQL_NULL_HSTMT;
    StmtHandle() = default;
    explicit StmtHandle(SQLHDBC dbc, const Where& where) {
        check(SQL_HANDLE_DBC, dbc, SQLAllocHandle(SQL_HANDLE_STMT, dbc, &h), where);
    }
    StmtHandle(StmtHandle&& o) noexcept : h(o.h) { o.h = SQL_NULL_HSTMT; }
    StmtHandle& operator=(StmtHandle&& o) noexcept {
        std::swap(h, o.h);
        return *this;
    }
    ~StmtHandle() {
        if (h) SQLFreeHandle(SQL_HANDLE_STMT, h);
    }
};

SQLCHAR* sql_text(std::string_view s) { return reinterpret_cast<SQLCHAR*>(const_cast<char*>(s.data())); }

// Runs one statement to its end, its results read and dropped; the rows it
// changed. The SQLite driver keeps the last change count across DDL, so there
// only INSERT, UPDATE and DELETE count (DIALECT).
long run_to_end(Session& s, std::string_view sql, const Where& where) {
    StmtHandle st(s.dbc, where);
    const SQLRETURN rc = check(SQL_HANDLE_STMT, st.h, SQLExecDirect(st.h, sql_text(sql), static_cast<SQLINTEGER>(sql.size())), where);
    long changed = 0;
    bool counts = true;
    if (s.dialect == Dialect::kSqlite) {
        std::size_t i = sql.find_first_not_of(" \t\r\n(");
        const std::string_view w = i == std::string_view::npos ? "" : sql.substr(i, 6);
        counts = vb::iequals_ascii(w, "insert") || vb::iequals_ascii(w, "update") || vb::iequals_ascii(w, "delete");
    }
    // SQL_NO_DATA: a searched UPDATE or DELETE that touched nothing, which
    // may lead a server's batch whose other results still follow.
    for (bool none = rc == SQL_NO_DATA;; none = false) {
        SQLLEN n = 0;
        SQLSMALLINT cols = 0;
        if (!none) check(SQL_HANDLE_STMT, st.h, SQLNumResultCols(st.h, &cols), where);
        if (!none && cols == 0) {
            check(SQL_HANDLE_STMT, st.h, SQLRowCount(st.h, &n), where);
            if (counts && n > 0) changed += static_cast<long>(n);
        }
        if (check(SQL_HANDLE_STMT, st.h, SQLMoreResults(st.h), where) == SQL_NO_DATA) break;
    }
    return changed;
}

// --- column buffers and conversion -------------------------------------------------

constexpr long kMaxText = 2147483647;
constexpr long kMaxWideText = 1073741823;
constexpr SQLULEN kBoundTextLimit = 4000;  // characters; longer columns are read with SQLGetData

// One column of a block: its values for every row of the block, side by side.
struct Column {
    SQLSMALLINT c_type = SQL_C_WCHAR;
    SQLLEN width = 0;  // bytes per row in `data`
    bool bound = true;
    std::vector<char> data;
    std::vector<SQLLEN> indicator;
    void (*convert)(const Column&, std::size_t row, Variant& out) = nullptr;
    const char* at(std::size_t row) const { return data.data() + row * static_cast<std::size_t>(width); }
};

void put_int(std::int64_t v, Variant& out) {
    if (v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max())
        out = Variant(static_cast<int>(v));
    else
        out = Variant(static_cast<long long>(v));
}

std::int64_t int_at(const Column& c, std::size_t row) {
    std::int64_t v;
    std::memcpy(&v, c.at(row), sizeof v);
    return v;
}
double double_at(const Column& c, std::size_t row) {
    double v;
    std::memcpy(&v, c.at(row), sizeof v);
    return v;
}
// A bound buffer is as wide as the column's declared size; a value longer
// than that (which SQLite lets a column hold) would arrive cut, so it raises.
[[noreturn]] [[gnu::cold]] void raise_too_long() {
    throw Error(err::kProvider, "A text value is longer than its column's declared size and would be cut.");
}

std::string_view chars_at(const Column& c, std::size_t row) {
    const SQLLEN n = c.indicator[row];
    if (n == SQL_NO_TOTAL || n > c.width - 1) raise_too_long();
    return std::string_view(c.at(row), static_cast<std::size_t>(n));
}

void conv_long(const Column& c, std::size_t row, Variant& out) { put_int(int_at(c, row), out); }
void conv_small(const Column& c, std::size_t row, Variant& out) {
    const auto v = int_at(c, row);
    if (v >= std::numeric_limits<std::int16_t>::min() && v <= std::numeric_limits<std::int16_t>::max())
        out = Variant(static_cast<std::int16_t>(v));
    else
        put_int(v, out);
}
void conv_byte(const Column& c, std::size_t row, Variant& out) {
    const auto v = int_at(c, row);
    if (v >= 0 && v <= 255)
        out = Variant::byte(static_cast<std::uint8_t>(v));
    else
        put_int(v, out);
}
void conv_bigint(const Column& c, std::size_t row, Variant& out) { out = Variant(static_cast<long long>(int_at(c, row))); }
void conv_bool(const Column& c, std::size_t row, Variant& out) { out = Variant(int_at(c, row) != 0); }
void conv_double(const Column& c, std::size_t row, Variant& out) { out = Variant(double_at(c, row)); }
void conv_single(const Column& c, std::size_t row, Variant& out) {
    out = Variant::single(static_cast<float>(double_at(c, row)));
}
void conv_decimal(const Column& c, std::size_t row, Variant& out) {
    const std::string_view t = chars_at(c, row);
    double v = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec != std::errc() || end != t.data() + t.size()) v = std::strtod(std::string(t).c_str(), nullptr);  // "+1", " 1"
    out = Variant::decimal(v);
}

// Money read as its digits, so amounts stay exact to the ten-thousandth.
void conv_currency(const Column& c, std::size_t row, Variant& out) {
    const std::string_view t = chars_at(c, row);
    std::size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) negative = t[i++] == '-';
    std::int64_t whole = 0;
    int digits = 0;
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i, ++digits) whole = whole * 10 + (t[i] - '0');
    std::int64_t frac = 0;
    int places = 0;
    if (i < t.size() && t[i] == '.')
        for (++i; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i)
            if (places < 4) {
                frac = frac * 10 + (t[i] - '0');
                ++places;
            }
    if (i != t.size() || digits > 14) {  // an exponent or an amount past Currency's exact range
        out = Variant::currency(std::strtod(std::string(t).c_str(), nullptr));
        return;
    }
    for (; places < 4; ++places) frac *= 10;
    const std::int64_t scaled = whole * 10000 + frac;
    out = Variant::currency_scaled(negative ? -scaled : scaled);
}

void conv_wide(const Column& c, std::size_t row, Variant& out) {
    const auto* p = reinterpret_cast<const SQLWCHAR*>(c.at(row));
    if (c.indicator[row] == SQL_NO_TOTAL || c.indicator[row] > c.width - static_cast<SQLLEN>(sizeof(SQLWCHAR)))
        raise_too_long();
    const std::size_t n = static_cast<std::size_t>(c.indicator[row]) / sizeof(SQLWCHAR);
    // Short text converts on the stack; only text longer than that allocates.
    char small[256];
    if (n * 3 <= sizeof small) {
        std::size_t k = 0;
        std::string tmp;
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint32_t ch = p[i];
            if (ch < 0x80) {
                small[k++] = static_cast<char>(ch);
            } else if (ch < 0x800) {
                small[k++] = static_cast<char>(0xC0 | (ch >> 6));
                small[k++] = static_cast<char>(0x80 | (ch & 0x3F));
            } else if (ch >= 0xD800 && ch < 0xE000) {
                tmp.clear();
                append_utf8(tmp, p, n);  // surrogate pairs: the general path
                out = Variant(tmp);
                return;
            } else {
                small[k++] = static_cast<char>(0xE0 | (ch >> 12));
                small[k++] = static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
                small[k++] = static_cast<char>(0x80 | (ch & 0x3F));
            }
        }
        out = Variant(std::string_view(small, k));
        return;
    }
    std::string s;
    append_utf8(s, p, n);
    out = Variant(s);
}

// DIALECT: the SQLite driver keeps text as UTF-8, which it hands over as is.
void conv_utf8(const Column& c, std::size_t row, Variant& out) {
    if (c.indicator[row] == SQL_NO_TOTAL || c.indicator[row] > c.width - 1) raise_too_long();
    out = Variant(std::string_view(c.at(row), static_cast<std::size_t>(c.indicator[row])));
}

void conv_binary(const Column& c, std::size_t row, Variant& out) {
    out = Variant(std::string_view(c.at(row), static_cast<std::size_t>(c.indicator[row])));
}

// Dates arrive as text: a date or time reads as an OLE date, a number (the
// SQLite driver's stored day number) as that day, other text stays text.
void conv_date(const Column& c, std::size_t row, Variant& out) {
    const std::string_view t = chars_at(c, row);
    if (auto ole = sqlite::parse_date_text(t)) {
        out = Variant::date(*ole);
        return;
    }
    char* end = nullptr;
    const std::string copy(t);
    const double d = std::strtod(copy.c_str(), &end);
    if (!copy.empty() && end == copy.c_str() + copy.size() && std::isfinite(d))
        out = Variant::date(d);
    else
        out = Variant(t);
}

// A column kind's ADO description and how its values are fetched and read.
// DIALECT: the SQLite driver reports a computed column as text; each value
// takes the kind its digits show, as the embedded driver reads it.
void conv_natural(const Column& c, std::size_t row, Variant& out) {
    const std::string_view t = chars_at(c, row);
    const std::string copy(t);
    char* end = nullptr;
    if (!copy.empty() && copy.find_first_of(".eE") == std::string::npos) {
        const long long v = std::strtoll(copy.c_str(), &end, 10);
        if (end == copy.c_str() + copy.size() && errno != ERANGE) return put_int(v, out);
    }
    if (!copy.empty()) {
        const double d = std::strtod(copy.c_str(), &end);
        if (end == copy.c_str() + copy.size()) {
            out = Variant(d);
            return;
        }
    }
    out = Variant(t);
}

struct TypeSpec {
    int type;
    long size;
    std::uint8_t precision;
    std::uint8_t scale;
    SQLSMALLINT c_type = SQL_C_WCHAR;
    void (*convert)(const Column&, std::size_t, Variant&) = conv_wide;
};

// Numbers come as 64-bit integers or doubles, exact amounts and dates as
// their text, all other text as UTF-16.
void set_binding(TypeSpec& t) {
    switch (t.type) {
    case adInteger: t.c_type = SQL_C_SBIGINT; t.convert = conv_long; break;
    case adSmallInt: t.c_type = SQL_C_SBIGINT; t.convert = conv_small; break;
    case adUnsignedTinyInt: t.c_type = SQL_C_SBIGINT; t.convert = conv_byte; break;
    case adBigInt: t.c_type = SQL_C_SBIGINT; t.convert = conv_bigint; break;
    case adBoolean: t.c_type = SQL_C_SBIGINT; t.convert = conv_bool; break;
    case adDecimal:
    case adNumeric: t.c_type = SQL_C_CHAR; t.convert = conv_decimal; break;
    case adCurrency: t.c_type = SQL_C_CHAR; t.convert = conv_currency; break;
    case adDouble: t.c_type = SQL_C_DOUBLE; t.convert = conv_double; break;
    case adSingle: t.c_type = SQL_C_DOUBLE; t.convert = conv_single; break;
    case adDBTimeStamp:
    case adDBDate:
    case adDBTime: t.c_type = SQL_C_CHAR; t.convert = conv_date; break;
    case adBinary: t.c_type = SQL_C_BINARY; t.convert = conv_binary; break;
    default: t.c_type = SQL_C_WCHAR; t.convert = conv_wide; break;
    }
}

std::uint8_t u8(SQLLEN v, std::uint8_t dflt) { return v >= 0 && v <= 255 ? static_cast<std::uint8_t>(v) : dflt; }

// The ADO type of an ODBC column: its SQL type, with the server's type name
// telling money and smalldatetime from their neighbours.
TypeSpec ado_type(SQLLEN sql_type, std::string_view type_name, SQLLEN length, SQLLEN precision, SQLLEN scale) {
    const auto name = [&](std::string_view n) { return vb::iequals_ascii(type_name, n); };
    auto len = [&](long none, long max) { return length > 0 && length <= max ? static_cast<long>(length) : none; };
    switch (sql_type) {
    case SQL_INTEGER: return {adInteger, 4, 10, 0};
    case SQL_SMALLINT: return {adSmallInt, 2, 5, 0};
    case SQL_TINYINT: return {adUnsignedTinyInt, 1, 3, 0};
    case SQL_BIGINT: return {adBigInt, 8, 19, 0};
    case SQL_BIT: return {adBoolean, 2, 0, 0};
    case SQL_DECIMAL:
    case SQL_NUMERIC:
        if (name("money")) return {adCurrency, 8, 19, 4};
        if (name("smallmoney")) return {adCurrency, 8, 10, 4};
        return {sql_type == SQL_DECIMAL ? adDecimal : adNumeric, 19, u8(precision, 18), u8(scale, 0)};
    case SQL_FLOAT:
    case SQL_DOUBLE: return {adDouble, 8, 15, 0};
    case SQL_REAL: return {adSingle, 4, 7, 0};
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
        if (name("smalldatetime")) return {adDBTimeStamp, 16, 16, 0};
        return {adDBTimeStamp, 16, 23, 3};
    case SQL_TYPE_DATE:
    case SQL_DATE: return {adDBDate, 6, 10, 0};
    case SQL_TYPE_TIME:
    case SQL_TIME:
    case -154:  // SQL_SS_TIME2
        return {adDBTime, 6, 8, 0};
    case SQL_WVARCHAR: return {adVarWChar, len(4000, kMaxWideText), 0, 0};
    case SQL_VARCHAR: return {adVarChar, len(8000, kMaxText), 0, 0};
    case SQL_WCHAR: return {adWChar, len(1, 4000), 0, 0};
    case SQL_CHAR: return {adChar, len(1, 8000), 0, 0};
    case SQL_WLONGVARCHAR: return {adLongVarWChar, kMaxWideText, 0, 0};
    case SQL_LONGVARCHAR: return {adLongVarChar, kMaxText, 0, 0};
    case SQL_GUID: return {adVarWChar, 38, 0, 0};
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY: return {adBinary, len(kMaxText, kMaxText), 0, 0};
    default: return {adVarWChar, 4000, 0, 0};
    }
}

std::string attr_text(SQLHSTMT st, SQLUSMALLINT col, SQLUSMALLINT field, const Where& where) {
    SQLCHAR buf[512];
    SQLSMALLINT len = 0;
    check(SQL_HANDLE_STMT, st, SQLColAttribute(st, col, field, buf, sizeof buf, &len, nullptr), where);
    return std::string(reinterpret_cast<const char*>(buf), static_cast<std::size_t>(std::min<SQLSMALLINT>(len, sizeof buf - 1)));
}

SQLLEN attr_number(SQLHSTMT st, SQLUSMALLINT col, SQLUSMALLINT field, const Where& where) {
    SQLLEN v = 0;
    check(SQL_HANDLE_STMT, st, SQLColAttribute(st, col, field, nullptr, 0, nullptr, &v), where);
    return v;
}

// --- reading -----------------------------------------------------------------------

class OdbcRowReader final : public RowReader {
public:
    OdbcRowReader(std::shared_ptr<Session> s, StmtHandle st, std::vector<std::string> after, std::string sql,
                  Where where)
        : s_(std::move(s)), st_(std::move(st)), after_(std::move(after)), sql_(std::move(sql)), index_(where.index),
          count_(where.count) {
        describe();
        bind();
        // The first block is fetched as the query runs, so the rows are those
        // of that moment: the SQLite driver steps into its snapshot only when
        // fetching.
        ended_ = !fetch();
    }

    ~OdbcRowReader() override { sqlite3_finalize(engine_); }

    // A server's batch goes on past this result: once its rows are read, the
    // statement is handed back, unbound, to walk to the next result.
    void keep_statement() { keep_ = true; }
    StmtHandle release() {
        SQLFreeStmt(st_.h, SQL_UNBIND);
        SQLSetStmtAttr(st_.h, SQL_ATTR_ROWS_FETCHED_PTR, nullptr, 0);
        return std::move(st_);
    }

    const std::vector<ColumnInfo>& columns() const override { return columns_; }

    bool next(Variant* out) override {
        if (!st_.h) return false;
        if (ended_ || (pos_ >= fetched_ && !fetch())) return finish();
        const std::size_t row = pos_++;
        for (std::size_t i = 0; i < cols_.size(); ++i) {
            Column& c = cols_[i];
            if (!c.bound) read_unbound(i, c);
            if (c.indicator[row] == SQL_NULL_DATA)
                out[i] = Variant::null();
            else
                c.convert(c, row, out[i]);
        }
        return true;
    }

private:
    Where where_() const { return Where{sql_, index_, count_}; }

    // The next block; false at the end.
    bool fetch() {
        pos_ = 0;
        fetched_ = 0;
        return check(SQL_HANDLE_STMT, st_.h, SQLFetch(st_.h), where_()) != SQL_NO_DATA && fetched_ > 0;
    }

    void describe() {
        SQLSMALLINT n = 0;
        const Where w = where_();
        check(SQL_HANDLE_STMT, st_.h, SQLNumResultCols(st_.h, &n), w);
        columns_.reserve(static_cast<std::size_t>(n));
        cols_.resize(static_cast<std::size_t>(n));
        for (SQLUSMALLINT i = 1; i <= static_cast<SQLUSMALLINT>(n); ++i) {
            ColumnInfo c;
            c.name = attr_text(st_.h, i, SQL_DESC_LABEL, w);
            c.base_column = attr_text(st_.h, i, SQL_DESC_BASE_COLUMN_NAME, w);
            c.base_table = attr_text(st_.h, i, SQL_DESC_BASE_TABLE_NAME, w);
            TypeSpec spec = ado_type(attr_number(st_.h, i, SQL_DESC_CONCISE_TYPE, w),
                                           attr_text(st_.h, i, SQL_DESC_TYPE_NAME, w),
                                           attr_number(st_.h, i, SQL_DESC_LENGTH, w),
                                           attr_number(st_.h, i, SQL_DESC_PRECISION, w),
                                           attr_number(st_.h, i, SQL_DESC_SCALE, w));
            set_binding(spec);
            if (s_->dialect == Dialect::kSqlite) {
                sqlite_column(i - 1, c, spec);
                if (spec.c_type == SQL_C_WCHAR) {
                    spec.c_type = SQL_C_CHAR;
                    spec.convert = conv_utf8;
                }
            }
            c.type = spec.type;
            c.defined_size = spec.size;
            c.precision = spec.precision;
            c.scale = spec.scale;
            if (attr_number(st_.h, i, SQL_DESC_NULLABLE, w) == SQL_NO_NULLS) c.attributes &= ~adFldIsNullable;
            Column& col = cols_[i - 1];
            col.c_type = spec.c_type;
            col.convert = spec.convert;
            switch (spec.c_type) {
            case SQL_C_SBIGINT:
            case SQL_C_DOUBLE: col.width = 8; break;
            case SQL_C_CHAR:
                if (spec.convert != conv_utf8) {
                    col.width = spec.convert == conv_natural ? 256 : 64;
                    break;
                }
                [[fallthrough]];
            default: {
                const auto chars = static_cast<SQLULEN>(spec.size);
                if (chars > kBoundTextLimit) {
                    col.bound = false;
                    col.width = 0;
                } else {
                    const std::size_t unit = spec.c_type == SQL_C_BINARY ? 1 : spec.c_type == SQL_C_CHAR ? 4 : sizeof(SQLWCHAR);
                    col.width = static_cast<SQLLEN>(chars * unit + unit);
                }
            }
            }
            columns_.push_back(std::move(c));
        }
    }

    // DIALECT: the SQLite driver names a column's alias as its base column
    // and reports most declared types as text. The engine itself knows both,
    // so the same statement is prepared (never run) on the account file to
    // ask it; a statement it cannot prepare there (one on the session's
    // tempdb) keeps what the driver reported.
    void sqlite_column(SQLUSMALLINT i, ColumnInfo& c, TypeSpec& spec);
    sqlite3_stmt* engine_ = nullptr;
    bool engine_asked_ = false;

    // Column-wise binding into buffers allocated here, once: a block of rows
    // per fetch. A result with a long column reads one row at a time, that
    // column and those after it through SQLGetData.
    void bind() {
        std::size_t first_unbound = cols_.size();
        for (std::size_t i = 0; i < cols_.size(); ++i)
            if (!cols_[i].bound) {
                first_unbound = i;
                break;
            }
        for (std::size_t i = first_unbound; i < cols_.size(); ++i) cols_[i].bound = false;
        std::size_t row_bytes = 0;
        for (const auto& c : cols_) row_bytes += static_cast<std::size_t>(c.width) + sizeof(SQLLEN);
        rows_ = first_unbound < cols_.size() ? 1 : std::clamp<std::size_t>((256 * 1024) / std::max<std::size_t>(row_bytes, 1), 1, 1024);
        const Where w = where_();
        check(SQL_HANDLE_STMT, st_.h, SQLSetStmtAttr(st_.h, SQL_ATTR_ROW_BIND_TYPE, reinterpret_cast<SQLPOINTER>(SQL_BIND_BY_COLUMN), 0), w);
        check(SQL_HANDLE_STMT, st_.h, SQLSetStmtAttr(st_.h, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(rows_), 0), w);
        check(SQL_HANDLE_STMT, st_.h, SQLSetStmtAttr(st_.h, SQL_ATTR_ROWS_FETCHED_PTR, &fetched_, 0), w);
        for (std::size_t i = 0; i < cols_.size(); ++i) {
            Column& c = cols_[i];
            c.indicator.assign(rows_, 0);
            if (!c.bound) continue;
            c.data.assign(rows_ * static_cast<std::size_t>(c.width), 0);
            check(SQL_HANDLE_STMT, st_.h,
                  SQLBindCol(st_.h, static_cast<SQLUSMALLINT>(i + 1), c.c_type, c.data.data(), c.width, c.indicator.data()), w);
        }
    }

    // A long column of the current (only) row, in pieces until its end.
    void read_unbound(std::size_t i, Column& c) {
        const Where w = where_();
        const SQLLEN unit = c.c_type == SQL_C_BINARY ? 1 : c.c_type == SQL_C_CHAR ? 1 : static_cast<SQLLEN>(sizeof(SQLWCHAR));
        std::size_t used = 0;
        c.data.resize(std::max<std::size_t>(c.data.size(), 4096));
        for (;;) {
            SQLLEN ind = 0;
            const SQLLEN room = static_cast<SQLLEN>(c.data.size() - used);
            const SQLRETURN rc = check(SQL_HANDLE_STMT, st_.h,
                                       SQLGetData(st_.h, static_cast<SQLUSMALLINT>(i + 1), c.c_type, c.data.data() + used, room, &ind), w);
            if (rc == SQL_NO_DATA) break;
            if (ind == SQL_NULL_DATA) {
                c.indicator[0] = SQL_NULL_DATA;
                return;
            }
            const SQLLEN terminator = c.c_type == SQL_C_BINARY ? 0 : unit;
            if (rc == SQL_SUCCESS_WITH_INFO && (ind == SQL_NO_TOTAL || ind > room - terminator)) {
                used += static_cast<std::size_t>(room - terminator);
                c.data.resize(ind == SQL_NO_TOTAL ? c.data.size() * 2 : used + static_cast<std::size_t>(ind) + 2 * unit);
                continue;
            }
            used += static_cast<std::size_t>(ind);
            break;
        }
        c.indicator[0] = static_cast<SQLLEN>(used);
        c.width = static_cast<SQLLEN>(c.data.size());
    }

    // The rows are read: the statements that followed the query run now.
    bool finish() {
        if (keep_) return false;
        st_ = StmtHandle();
        auto after = std::move(after_);
        after_.clear();
        for (std::size_t k = 0; k < after.size(); ++k) run_to_end(*s_, after[k], Where{after[k], index_ + 1 + k, count_});
        return false;
    }

    std::shared_ptr<Session> s_;
    StmtHandle st_;  // empty once the rows are read
    std::vector<ColumnInfo> columns_;
    std::vector<Column> cols_;
    std::vector<std::string> after_;
    std::string sql_;
    std::size_t index_;
    std::size_t count_;
    std::size_t rows_ = 1;     // rows per block
    SQLULEN fetched_ = 0;      // rows in the current block
    std::size_t pos_ = 0;      // the next of them to hand out
    bool keep_ = false;
    bool ended_ = false;       // no rows left to fetch
};

// A result's rows read to its end and held, while the results after it are
// looked at.
class HeldRows final : public RowReader {
public:
    explicit HeldRows(RowReader& from) : columns_(from.columns()) {
        std::vector<Variant> row(columns_.size());
        while (from.next(row.data()))
            for (auto& v : row) values_.push_back(std::move(v));
    }
    const std::vector<ColumnInfo>& columns() const override { return columns_; }
    bool next(Variant* out) override {
        if (at_ == values_.size()) return false;
        for (std::size_t i = 0; i < columns_.size(); ++i) out[i] = std::move(values_[at_++]);
        return true;
    }

private:
    std::vector<ColumnInfo> columns_;
    std::vector<Variant> values_;  // row after row
    std::size_t at_ = 0;
};

void close_engine_db(sqlite3* db) { sqlite3_close_v2(db); }

sqlite3* Session::engine() {
    if (!engine_db && !file.empty() &&
        sqlite3_open_v2(file.c_str(), &engine_db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK)
        close_engine();
    return engine_db;
}

void OdbcRowReader::sqlite_column(SQLUSMALLINT i, ColumnInfo& c, TypeSpec& spec) {
    if (!engine_asked_) {
        engine_asked_ = true;
        sqlite3* db = s_->engine();
        if (db && (sqlite3_prepare_v2(db, sql_.c_str(), static_cast<int>(sql_.size()), &engine_, nullptr) != SQLITE_OK ||
                   (engine_ && static_cast<std::size_t>(sqlite3_column_count(engine_)) != cols_.size()))) {
            sqlite3_finalize(engine_);
            engine_ = nullptr;
        }
    }
    if (!engine_) return;
    const int k = static_cast<int>(i);
    const char* origin = sqlite3_column_origin_name(engine_, k);
    const char* table = sqlite3_column_table_name(engine_, k);
    c.base_column = origin ? origin : "";
    c.base_table = table ? table : "";
    if (auto declared = sqlite::declared_column_type(sqlite3_column_decltype(engine_, k))) {
        spec = TypeSpec{declared->type, declared->size, declared->precision, declared->scale};
        set_binding(spec);
    } else if (!origin) {
        spec.c_type = SQL_C_CHAR;
        spec.convert = conv_natural;
    }
    if (static_cast<std::size_t>(i) + 1 == cols_.size()) {
        sqlite3_finalize(engine_);
        engine_ = nullptr;
    }
}

// --- prepared statements -------------------------------------------------------------

class OdbcStatement final : public DriverStatement {
public:
    OdbcStatement(std::shared_ptr<Session> s, std::shared_ptr<const bool> open, StmtHandle st, std::string sql)
        : s_(std::move(s)), open_(std::move(open)), st_(std::move(st)), sql_(std::move(sql)) {
        SQLSMALLINT n = 0;
        check(SQL_HANDLE_STMT, st_.h, SQLNumParams(st_.h, &n), Where{sql_});
        parameters_ = static_cast<std::size_t>(n);
    }

    std::size_t parameter_count() const override { return parameters_; }

    long execute(const Variant* values, std::size_t count) override {
        sqlite::check_statement_call(*open_, count, parameters_);
        const Where where{sql_};
        struct Rewind {
            SQLHSTMT h;
            ~Rewind() {
                SQLFreeStmt(h, SQL_CLOSE);
                SQLFreeStmt(h, SQL_RESET_PARAMS);
            }
        } rewind{st_.h};
        // Each value's bytes, kept until the statement has run.
        std::vector<std::int64_t> ints(count);
        std::vector<double> doubles(count);
        std::vector<std::u16string> texts(count);
        std::vector<std::string> narrow(count);
        std::vector<SQLLEN> ind(count);
        for (std::size_t i = 0; i < count; ++i) {
            const Variant& v = values[i];
            const auto n = static_cast<SQLUSMALLINT>(i + 1);
            SQLSMALLINT c_type = SQL_C_SBIGINT, sql_type = SQL_BIGINT;
            SQLULEN size = 0;
            SQLSMALLINT digits = 0;
            SQLPOINTER data = &ints[i];
            SQLLEN length = 0;
            ind[i] = 0;
            switch (v.type()) {
            case VarType::Empty:
            case VarType::Null:
                c_type = SQL_C_CHAR;
                sql_type = SQL_VARCHAR;
                size = 1;
                data = nullptr;
                ind[i] = SQL_NULL_DATA;
                break;
            case VarType::Boolean:
                ints[i] = v.bool_value() ? 1 : 0;  // a bit holds 1, not True's -1
                sql_type = SQL_INTEGER;
                break;
            case VarType::Integer:
            case VarType::Long:
            case VarType::LongLong:
            case VarType::Byte: ints[i] = v.int_value(); break;
            case VarType::Single:
            case VarType::Double:
            case VarType::Decimal:
                doubles[i] = v.double_value();
                c_type = SQL_C_DOUBLE;
                sql_type = SQL_DOUBLE;
                data = &doubles[i];
                size = 15;
                break;
            case VarType::Currency: {
                // As its digits, so the amount reaches the column exactly.
                const std::int64_t scaled = v.int_value();
                const std::uint64_t mag = scaled < 0 ? 0 - static_cast<std::uint64_t>(scaled) : static_cast<std::uint64_t>(scaled);
                std::string frac = std::to_string(mag % 10000);
                narrow[i] = (scaled < 0 ? "-" : "") + std::to_string(mag / 10000) + "." + std::string(4 - frac.size(), '0') + frac;
                c_type = SQL_C_CHAR;
                sql_type = SQL_DECIMAL;
                size = 19;
                digits = 4;
                data = narrow[i].data();
                ind[i] = static_cast<SQLLEN>(narrow[i].size());
                break;
            }
            case VarType::Date:
                narrow[i] = vb::CStr(v);  // the account keeps dates as this text
                c_type = SQL_C_CHAR;
                sql_type = SQL_VARCHAR;
                size = std::max<SQLULEN>(narrow[i].size(), 1);
                data = narrow[i].data();
                ind[i] = static_cast<SQLLEN>(narrow[i].size());
                break;
            case VarType::String:
                texts[i] = utf16(v.str());
                c_type = SQL_C_WCHAR;
                sql_type = SQL_WVARCHAR;
                size = std::max<SQLULEN>(texts[i].size(), 1);
                data = texts[i].data();
                ind[i] = static_cast<SQLLEN>(texts[i].size() * sizeof(char16_t));
                break;
            default: err::raise(err::kDataConversion);  // objects and error values have no column type
            }
            length = ind[i] > 0 ? ind[i] : 0;
            check(SQL_HANDLE_STMT, st_.h,
                  SQLBindParameter(st_.h, n, SQL_PARAM_INPUT, c_type, sql_type, size, digits, data, length, &ind[i]), where);
        }
        const SQLRETURN rc = check(SQL_HANDLE_STMT, st_.h, SQLExecute(st_.h), where);
        if (rc == SQL_NO_DATA) return 0;
        SQLLEN changed = 0;
        check(SQL_HANDLE_STMT, st_.h, SQLRowCount(st_.h, &changed), where);
        return changed > 0 ? static_cast<long>(changed) : 0;
    }

private:
    std::shared_ptr<Session> s_;
    std::shared_ptr<const bool> open_;
    StmtHandle st_;
    std::string sql_;
    std::size_t parameters_ = 0;
};

// --- the connection -------------------------------------------------------------------

class OdbcConnection final : public DriverConnection {
public:
    OdbcConnection(std::shared_ptr<Session> s) : s_(std::move(s)), open_(std::make_shared<bool>(true)) {}
    ~OdbcConnection() override { close(); }

    long execute(std::string_view sql) override {
        Session& s = session();
        const auto statements = batch_statements(s.dialect, sql);
        long changed = 0;
        for (std::size_t i = 0; i < statements.size(); ++i)
            changed += run_to_end(s, statements[i], Where{statements[i], i, statements.size()});
        return changed;
    }

    std::unique_ptr<RowReader> query(std::string_view sql) override {
        Session& s = session();
        if (s.dialect == Dialect::kServer) return server_query(s, sql);
        std::vector<std::string> statements = batch_statements(s.dialect, sql);
        const std::size_t n = statements.size();
        if (n == 0) return std::make_unique<sqlite::EmptyReader>();
        std::size_t at = n - 1;
        for (std::size_t i = n; i-- > 0;)
            if (sqlite::looks_like_query(statements[i])) {
                at = i;
                break;
            }
        for (std::size_t i = 0; i < at; ++i) run_to_end(s, statements[i], Where{statements[i], i, n});
        const Where where{statements[at], at, n};
        StmtHandle st(s.dbc, where);
        const std::string& text = statements[at];
        check(SQL_HANDLE_STMT, st.h, SQLExecDirect(st.h, sql_text(text), static_cast<SQLINTEGER>(text.size())), where);
        SQLSMALLINT cols = 0;
        check(SQL_HANDLE_STMT, st.h, SQLNumResultCols(st.h, &cols), where);
        std::vector<std::string> after(std::make_move_iterator(statements.begin() + static_cast<std::ptrdiff_t>(at + 1)),
                                       std::make_move_iterator(statements.end()));
        if (cols == 0) {
            st = StmtHandle();
            for (std::size_t k = 0; k < after.size(); ++k) run_to_end(s, after[k], Where{after[k], at + 1 + k, n});
            return std::make_unique<sqlite::EmptyReader>();
        }
        std::string kept = text;
        return std::make_unique<OdbcRowReader>(s_, std::move(st), std::move(after), std::move(kept), where);
    }

    std::unique_ptr<DriverStatement> prepare(std::string_view sql) override {
        Session& s = session();
        std::vector<std::string> statements = batch_statements(s.dialect, sql);
        if (statements.size() != 1)
            err::raise(err::kBadArgs, "A prepared command runs one statement, not " + std::to_string(statements.size()) + ".");
        std::string& text = statements.front();
        const Where where{text};
        StmtHandle st(s.dbc, where);
        check(SQL_HANDLE_STMT, st.h, SQLPrepare(st.h, sql_text(text), static_cast<SQLINTEGER>(text.size())), where);
        // Drivers defer the server's look at the statement; asking for its
        // columns makes a statement that cannot run fail here, as ADO's does.
        SQLSMALLINT cols = 0;
        check(SQL_HANDLE_STMT, st.h, SQLNumResultCols(st.h, &cols), where);
        // DIALECT: the SQLite driver looks at it only when it runs, so the
        // engine is asked instead (the session's tempdb tables are its own).
        if (s.dialect == Dialect::kSqlite && text.find("tempdb.") == std::string::npos)
            if (sqlite3* db = s.engine()) {
                sqlite3_stmt* probe = nullptr;
                const int rc = sqlite3_prepare_v2(db, text.c_str(), static_cast<int>(text.size()), &probe, nullptr);
                sqlite3_finalize(probe);
                if (rc != SQLITE_OK)
                    throw Error(err::kProvider, std::string(sqlite3_errmsg(db)) + " (in statement: " + text + ")")
                        .with_native_code(rc);
            }
        return std::make_unique<OdbcStatement>(s_, open_, std::move(st), std::move(text));
    }

    void begin_transaction() override {
        Session& s = session();
        if (in_transaction_) throw Error(err::kProvider, "A transaction is already open on this connection.");
        check(SQL_HANDLE_DBC, s.dbc, SQLSetConnectAttr(s.dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0), Where{"BEGIN"});
        in_transaction_ = true;
    }
    void commit() override { end(SQL_COMMIT, "COMMIT"); }
    void rollback() override { end(SQL_ROLLBACK, "ROLLBACK"); }

    void close() noexcept override {
        if (!s_) return;
        *open_ = false;
        if (in_transaction_) {
            SQLEndTran(SQL_HANDLE_DBC, s_->dbc, SQL_ROLLBACK);  // work left open is thrown away
            SQLSetConnectAttr(s_->dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
            in_transaction_ = false;
        }
        s_.reset();
    }

private:
    Session& session() {
        if (!s_) err::raise(err::kClosed);
        return *s_;
    }

    // The batch in one call, its results walked: row counts passed over, the
    // rows of the last row-returning result kept. Rows a later result could
    // still replace are read and held first; a batch of one statement (cut
    // only to count them) streams its rows.
    std::unique_ptr<RowReader> server_query(Session& s, std::string_view sql) {
        if (sql.find_first_not_of(" \t\r\n") == std::string_view::npos) return std::make_unique<sqlite::EmptyReader>();
        const Where where{sql};
        StmtHandle st(s.dbc, where);
        const SQLRETURN rc =
            check(SQL_HANDLE_STMT, st.h, SQLExecDirect(st.h, sql_text(sql), static_cast<SQLINTEGER>(sql.size())), where);
        const bool alone = sqlite::split_batch(sql).size() <= 1;
        std::unique_ptr<RowReader> last = std::make_unique<sqlite::EmptyReader>();
        for (bool none = rc == SQL_NO_DATA;; none = false) {
            SQLSMALLINT cols = 0;
            if (!none) check(SQL_HANDLE_STMT, st.h, SQLNumResultCols(st.h, &cols), where);
            if (cols > 0) {
                auto rows = std::make_unique<OdbcRowReader>(s_, std::move(st), std::vector<std::string>{}, std::string(sql), where);
                if (alone) return rows;
                rows->keep_statement();
                last = std::make_unique<HeldRows>(*rows);
                st = rows->release();
            }
            if (check(SQL_HANDLE_STMT, st.h, SQLMoreResults(st.h), where) == SQL_NO_DATA) break;
        }
        return last;
    }

    void end(SQLSMALLINT how, const char* what) {
        Session& s = session();
        if (!in_transaction_) throw Error(err::kProvider, std::string("No transaction is open to ") + (how == SQL_COMMIT ? "commit." : "roll back."));
        in_transaction_ = false;
        const Where where{what};
        check(SQL_HANDLE_DBC, s.dbc, SQLEndTran(SQL_HANDLE_DBC, s.dbc, how), where);
        check(SQL_HANDLE_DBC, s.dbc, SQLSetConnectAttr(s.dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0), where);
    }

    std::shared_ptr<Session> s_;
    std::shared_ptr<bool> open_;
    bool in_transaction_ = false;
};

std::string describe_target(const Pairs& odbc) {
    std::string out;
    for (const char* key : {"DRIVER", "DSN", "SERVER", "DATABASE", "UID"})
        if (const std::string* v = find_value(odbc, key)) {
            const bool braced = v->size() >= 2 && v->front() == '{' && v->back() == '}';
            out += (out.empty() ? "" : ", ") + std::string(key) + "=" + (braced ? v->substr(1, v->size() - 2) : *v);
        }
    return out;
}

}  // namespace

std::vector<std::string> installed_drivers() {
    std::vector<std::string> out;
    SQLHENV env = new_env();
    SQLCHAR name[256], attrs[1024];
    SQLSMALLINT name_len = 0, attrs_len = 0;
    SQLUSMALLINT dir = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(SQLDrivers(env, dir, name, sizeof name, &name_len, attrs, sizeof attrs, &attrs_len))) {
        out.emplace_back(reinterpret_cast<const char*>(name));
        dir = SQL_FETCH_NEXT;
    }
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return out;
}

std::unique_ptr<DriverConnection> open(std::string_view connection_string, const Pairs& pairs) {
    const std::vector<std::string> drivers = installed_drivers();
    const std::string odbc = odbc_connection_string(connection_string, pairs, drivers, std::getenv("KORVANE_ODBC_DRIVER"));
    const Pairs target = parse_connection_string(odbc);
    const std::string shown = describe_target(target);
    if (const std::string* d = find_value(target, "DRIVER")) {
        const std::string name(d->size() >= 2 && d->front() == '{' ? d->substr(1, d->size() - 2) : *d);
        bool listed = false;
        for (const auto& x : drivers) listed = listed || vb::iequals_ascii(x, name);
        // A driver named by its library's path needs no odbcinst entry.
        if (!listed && name.find('/') == std::string::npos) {
            std::string known;
            for (const auto& x : drivers) known += (known.empty() ? "" : ", ") + x;
            throw Error(3706, "The ODBC driver \"" + name + "\" is not installed: unixODBC lists " +
                                  (known.empty() ? std::string("no driver") : known) +
                                  ". Install it and give it an entry in odbcinst.ini.");
        }
    }
    auto s = std::make_shared<Session>();
    s->env = new_env();
    const Where opening{shown, 0, 1, "connecting to", &pairs};
    check(SQL_HANDLE_ENV, s->env, SQLAllocHandle(SQL_HANDLE_DBC, s->env, &s->dbc), opening);
    // A server that does not answer is reported after 15 s, not the driver's minute.
    check(SQL_HANDLE_DBC, s->dbc, SQLSetConnectAttr(s->dbc, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(15), 0),
          opening);
    auto connect = [&](const std::string& text) {
        SQLCHAR out[1024];
        SQLSMALLINT out_len = 0;
        check(SQL_HANDLE_DBC, s->dbc,
              SQLDriverConnect(s->dbc, nullptr, sql_text(text), static_cast<SQLSMALLINT>(text.size()), out, sizeof out,
                               &out_len, SQL_DRIVER_NOPROMPT),
              opening);
        s->connected = true;
    };
    connect(odbc);
    SQLCHAR dbms[128] = {};
    SQLSMALLINT dbms_len = 0;
    check(SQL_HANDLE_DBC, s->dbc, SQLGetInfo(s->dbc, SQL_DBMS_NAME, dbms, sizeof dbms, &dbms_len), opening);
    s->dialect = dialect_of(reinterpret_cast<const char*>(dbms));
    if (s->dialect == Dialect::kSqlite) {
        // DIALECT: unless told StepAPI=1, the SQLite driver reads a whole
        // result into memory when its statement runs (350 MB for a million
        // stock rows, and slower) instead of stepping through it as it is
        // fetched; it reads that only when connecting, so the session
        // connects again with it.
        if (!find_value(target, "StepAPI")) {
            SQLDisconnect(s->dbc);
            s->connected = false;
            connect(odbc + (odbc.ends_with(';') ? "" : ";") + "StepAPI=1");
        }
        // The session the embedded driver gives each connection.
        if (const std::string* f = find_value(target, "Database")) s->file = *f;
        for (const char* setup : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=NORMAL",
                                  "ATTACH DATABASE '' AS tempdb", "PRAGMA case_sensitive_like=OFF"})
            run_to_end(*s, setup, opening);
    } else {
        // Row counts come back for every statement, so Execute can add them up.
        run_to_end(*s, "SET NOCOUNT OFF", opening);
    }
    return std::make_unique<OdbcConnection>(std::move(s));
}

}  // namespace korvane::ado::odbc

#endif
