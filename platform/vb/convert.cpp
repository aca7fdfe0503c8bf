#include "platform/vb/convert.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <ctime>
#include <vector>

#include "platform/vb/ascii.h"
#include "platform/vb/error.h"

// Everything here is locale-free on purpose: a Qt host calls setlocale() and
// printf/strtod would then read and write "," as the decimal point.

namespace korvane::vb {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::string_view trim_view(std::string_view s) {
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
    return s;
}

[[noreturn]] void mismatch() { err::raise(err::kTypeMismatch); }

enum class NumberText { Ok, NotANumber, TooBig };

// A whole text as VB reads a number: blanks around, sign, digits with an
// optional point, an exponent with E or D, "," separators dropped.
NumberText read_number(std::string_view text, double& out) {
    std::string s;
    s.reserve(text.size());
    for (char c : trim_view(text))
        if (c != ',') s += c;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < s.size() && is_digit(s[i])) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && is_digit(s[i])) ++i, ++digits;
    }
    if (digits == 0) return NumberText::NotANumber;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        s[i++] = 'e';
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        std::size_t exp_digits = 0;
        while (i < s.size() && is_digit(s[i])) ++i, ++exp_digits;
        if (exp_digits == 0) return NumberText::NotANumber;
    }
    if (i != s.size()) return NumberText::NotANumber;
    const char* first = s.data() + (s[0] == '+' ? 1 : 0);
    auto [ptr, ec] = std::from_chars(first, s.data() + s.size(), out);
    if (ec == std::errc::result_out_of_range) {
        // from_chars also refuses denormal underflow; that is just zero
        std::size_t e = s.find('e');
        if (e != std::string::npos && s.compare(e + 1, 1, "-") == 0) {
            out = 0;
            return NumberText::Ok;
        }
        return NumberText::TooBig;
    }
    return ec == std::errc() ? NumberText::Ok : NumberText::NotANumber;
}

double number_or_raise(std::string_view text) {
    double d = 0;
    switch (read_number(text, d)) {
    case NumberText::Ok: return d;
    case NumberText::TooBig: err::raise(err::kOverflow);
    default: mismatch();
    }
}

// The platform writes a number with up to `precision` significant digits (15
// for a Double, 7 for a Single) and switches to E notation only outside
// 1E-11 <= |d| < 10^precision: 5.6789E-05 is "0.000056789", 5.6789E-11 is
// "0.000000000056789" and 9.9E-12 is "9.9E-12". printf's %G would switch
// below 1E-04 already.
constexpr int kLowestPlainExponent = -11;

// "00" to "99": two digits a division.
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes n's digits so that they end just before `end`; returns where they
// begin.
char* put_digits_before(char* end, std::uint64_t n) {
    char* p = end;
    while (n >= 100) {
        p -= 2;
        std::memcpy(p, kDigitPairs + 2 * (n % 100), 2);
        n /= 100;
    }
    if (n >= 10) {
        p -= 2;
        std::memcpy(p, kDigitPairs + 2 * n, 2);
    } else {
        *--p = static_cast<char>('0' + n);
    }
    return p;
}

// n / 10^decimals as "123.45" (or "-123.45"), into the end of buf.
std::string_view put_scaled(std::uint64_t n, int decimals, bool negative, TextBuffer& buf) {
    char* end = buf.data() + buf.size();
    char* p = end;
    if (decimals > 0) {
        // by constant divisors: a division by 10^decimals would cost more than the digits
        int left = decimals;
        for (; left >= 2; left -= 2, n /= 100) {
            p -= 2;
            std::memcpy(p, kDigitPairs + 2 * (n % 100), 2);
        }
        if (left) {
            *--p = static_cast<char>('0' + n % 10);
            n /= 10;
        }
        *--p = '.';
    }
    p = put_digits_before(p, n);
    if (negative) *--p = '-';
    return {p, static_cast<std::size_t>(end - p)};
}

// Most numbers a list shows have a few decimals. When |d| times 10^k is a
// whole number n below 10^precision for some k up to 6, n with k decimals is
// d to `precision` digits (the product is off by far less than half a unit
// of the last digit), and the smallest such k leaves no trailing zeros: no
// digit string is needed. 0 when d is not such a number.
std::size_t write_few_decimals(double d, int precision, char* out) {
    static constexpr double kPow10[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    if (precision < 1 || precision > 15) return 0;
    const double a = std::fabs(d), limit = kPow10[precision];
    for (int k = 0; k <= 6; ++k) {
        const double x = a * kPow10[k];
        if (!(x < limit)) return 0;
        if (x != std::floor(x)) continue;
        TextBuffer buf;
        const std::string_view text = put_scaled(static_cast<std::uint64_t>(x), k, d < 0, buf);
        std::memcpy(out, text.data(), text.size());
        return text.size();
    }
    return 0;
}

// Writes d into out (room for kTextRoom characters) and returns the length.
std::size_t write_number(double d, int precision, char* out) {
    if (d == 0) {
        out[0] = '0';
        return 1;
    }
    if (!std::isfinite(d)) err::raise(err::kOverflow);
    if (std::size_t n = write_few_decimals(d, precision, out)) return n;
    // rounded to `precision` digits first, so 9.99999999999999999E-12 counts as 1E-11
    char sci[48];
    auto res = std::to_chars(sci, sci + sizeof sci, std::fabs(d), std::chars_format::scientific, precision - 1);
    std::string_view s(sci, static_cast<std::size_t>(res.ptr - sci));
    const std::size_t e = s.find('e');
    char digits[24];
    std::size_t nd = 0;
    for (char c : s.substr(0, e))
        if (c != '.') digits[nd++] = c;
    while (nd > 1 && digits[nd - 1] == '0') --nd;
    std::string_view es = s.substr(e + 1);
    const bool exp_negative = es.front() == '-';
    es.remove_prefix(1);
    int exp = 0;
    std::from_chars(es.data(), es.data() + es.size(), exp);
    if (exp_negative) exp = -exp;

    char* p = out;
    if (d < 0) *p++ = '-';
    if (exp >= precision || exp < kLowestPlainExponent) {
        *p++ = digits[0];
        if (nd > 1) {
            *p++ = '.';
            for (std::size_t i = 1; i < nd; ++i) *p++ = digits[i];
        }
        *p++ = 'E';
        *p++ = exp < 0 ? '-' : '+';
        const int a = exp < 0 ? -exp : exp;
        if (a < 10) *p++ = '0';
        p = std::to_chars(p, p + 4, a).ptr;
    } else if (exp < 0) {
        *p++ = '0';
        *p++ = '.';
        for (int i = -1; i > exp; --i) *p++ = '0';
        for (std::size_t i = 0; i < nd; ++i) *p++ = digits[i];
    } else {
        const std::size_t point = static_cast<std::size_t>(exp) + 1;
        for (std::size_t i = 0; i < point; ++i) *p++ = i < nd ? digits[i] : '0';
        if (nd > point) {
            *p++ = '.';
            for (std::size_t i = point; i < nd; ++i) *p++ = digits[i];
        }
    }
    return static_cast<std::size_t>(p - out);
}

// Currency is exact to four decimals, trailing zeros dropped: "12.5", not a
// rounded double.
std::size_t write_currency(std::int64_t scaled, char* out) {
    char* p = out;
    std::uint64_t u = static_cast<std::uint64_t>(scaled);
    if (scaled < 0) {
        *p++ = '-';
        u = 0 - u;
    }
    p = std::to_chars(p, p + 24, u / 10000).ptr;
    unsigned frac = static_cast<unsigned>(u % 10000);
    if (frac != 0) {
        char f[4];
        for (int i = 3; i >= 0; --i, frac /= 10) f[i] = static_cast<char>('0' + frac % 10);
        int n = 4;
        while (f[n - 1] == '0') --n;
        *p++ = '.';
        for (int i = 0; i < n; ++i) *p++ = f[i];
    }
    return static_cast<std::size_t>(p - out);
}

// ---- dates ---------------------------------------------------------------

constexpr double kOleEpochDays = 25569.0;  // 1970-01-01 as an OLE date

// VB's date range, 100-01-01 00:00:00 to 9999-12-31 23:59:59. Before 1899 the
// day counts down while its time counts up, so 100-01-01 12:00 is -657434.5.
bool in_date_range(double ole) { return ole > -657435.0 && ole < 2958466.0; }

long long days_from_civil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void civil_from_days(long long z, int& y, int& m, int& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long yy = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yy + (m <= 2));
}

bool leap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int days_in_month(int y, int m) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && leap(y) ? 29 : kDays[m - 1];
}

// OLE dates before 1899-12-30 count the day backwards but the time forwards:
// -1.25 is 1899-12-29 06:00.
double ole_from_parts(double day, int seconds) {
    double frac = seconds / 86400.0;
    return day < 0 ? day - frac : day + frac;
}

// Reads 1..max_digits digits.
bool read_int(std::string_view s, std::size_t& i, int max_digits, int& out) {
    int n = 0, v = 0;
    while (i < s.size() && n < max_digits && is_digit(s[i])) {
        v = v * 10 + (s[i] - '0');
        ++i;
        ++n;
    }
    out = v;
    return n > 0;
}

void append_padded(std::string& out, int v, int width) {
    char b[16];
    auto r = std::to_chars(b, b + sizeof b, v);
    for (int n = static_cast<int>(r.ptr - b); n < width; ++n) out += '0';
    out.append(b, r.ptr);
}

char* put_padded(char* p, int v, int width) {
    char b[16];
    auto r = std::to_chars(b, b + sizeof b, v);
    for (int n = static_cast<int>(r.ptr - b); n < width; ++n) *p++ = '0';
    for (const char* q = b; q < r.ptr; ++q) *p++ = *q;
    return p;
}

char* put_day(char* p, const CivilDate& c) {
    p = put_padded(p, c.year, 4);
    *p++ = '-';
    p = put_padded(p, c.month, 2);
    *p++ = '-';
    return put_padded(p, c.day, 2);
}

char* put_time(char* p, const CivilDate& c) {
    p = put_padded(p, c.hour, 2);
    *p++ = ':';
    p = put_padded(p, c.minute, 2);
    *p++ = ':';
    return put_padded(p, c.second, 2);
}

// CStr of a Date: the day, the time, or both, as VB leaves out a zero part
// (day zero is 1899-12-30).
std::size_t write_date(double ole, char* out) {
    const CivilDate c = civil_from_ole(ole);
    const bool has_time = c.hour || c.minute || c.second;
    const bool has_day = !(c.year == 1899 && c.month == 12 && c.day == 30);
    char* p = out;
    if (has_day || !has_time) p = put_day(p, c);
    if (has_day && has_time) *p++ = ' ';
    if (has_time) p = put_time(p, c);
    return static_cast<std::size_t>(p - out);
}

bool is_date_letter(char c) {
    switch (c) {
    case 'Y': case 'M': case 'D': case 'H': case 'N': case 'S': return true;
    default: return false;
    }
}

// Runs of y, m, d, h, n, s become the fields; anything else is copied. An m
// run right after an hour or right before seconds means minutes, as in VB.
std::string format_date_pattern(double ole, std::string_view pattern) {
    CivilDate c = civil_from_ole(ole);
    std::string up = upper_ascii(pattern);
    struct Run { std::size_t at, len; char letter; };
    std::vector<Run> runs;
    for (std::size_t i = 0; i < up.size();) {
        if (!is_date_letter(up[i])) { ++i; continue; }
        std::size_t j = i;
        while (j < up.size() && up[j] == up[i]) ++j;
        runs.push_back({i, j - i, up[i]});
        i = j;
    }
    std::string out;
    std::size_t pos = 0;
    for (std::size_t r = 0; r < runs.size(); ++r) {
        const Run& run = runs[r];
        out.append(pattern.substr(pos, run.at - pos));
        pos = run.at + run.len;
        int width = run.len >= 2 ? 2 : 1;
        switch (run.letter) {
        case 'Y':
            if (run.len >= 3) append_padded(out, c.year, 4);
            else append_padded(out, c.year % 100, 2);
            break;
        case 'M': {
            bool minutes = (r > 0 && runs[r - 1].letter == 'H') || (r + 1 < runs.size() && runs[r + 1].letter == 'S');
            append_padded(out, minutes ? c.minute : c.month, width);
            break;
        }
        case 'D': append_padded(out, c.day, width); break;
        case 'H': append_padded(out, c.hour, width); break;
        case 'N': append_padded(out, c.minute, width); break;
        case 'S': append_padded(out, c.second, width); break;
        }
    }
    out.append(pattern.substr(pos));
    return out;
}

// ---- numbers -------------------------------------------------------------

// Digits of |d| rounded half away from zero at `decimals`, worked on the
// shortest text that reads back as d: 2.675 is rounded as written, not as
// the binary value just below it.
void rounded_digits(double d, int decimals, std::string& ip, std::string& fp) {
    // Scientific shortest gives the fewest digits; fixed would spell out the
    // binary value of 1e300 digit by digit.
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(d), std::chars_format::scientific);
    std::string_view s(buf, static_cast<std::size_t>(res.ptr - buf));
    std::size_t e = s.find('e');
    std::string digits;
    for (char c : s.substr(0, e))
        if (c != '.') digits += c;
    int exp = 0;
    std::string_view es = s.substr(e + 1);
    if (!es.empty() && es[0] == '+') es.remove_prefix(1);
    std::from_chars(es.data(), es.data() + es.size(), exp);
    // the point sits after exp + 1 digits
    int point = exp + 1;
    if (point <= 0) {
        ip = "0";
        fp = std::string(static_cast<std::size_t>(-point), '0') + digits;
    } else if (point >= static_cast<int>(digits.size())) {
        ip = digits + std::string(static_cast<std::size_t>(point) - digits.size(), '0');
        fp.clear();
    } else {
        ip = digits.substr(0, static_cast<std::size_t>(point));
        fp = digits.substr(static_cast<std::size_t>(point));
    }
    bool up = static_cast<int>(fp.size()) > decimals && fp[static_cast<std::size_t>(decimals)] >= '5';
    fp.resize(static_cast<std::size_t>(decimals), '0');
    if (!up) return;
    std::string all = ip + fp;
    int i = static_cast<int>(all.size()) - 1;
    for (; i >= 0; --i) {
        if (all[static_cast<std::size_t>(i)] != '9') {
            ++all[static_cast<std::size_t>(i)];
            break;
        }
        all[static_cast<std::size_t>(i)] = '0';
    }
    if (i < 0) all.insert(all.begin(), '1');
    ip = all.substr(0, all.size() - static_cast<std::size_t>(decimals));
    fp = all.substr(all.size() - static_cast<std::size_t>(decimals));
}

bool is_placeholder(char c) { return c == '0' || c == '#'; }

// One section of a number pattern: literal text before and after the digit
// placeholders, "," for grouping, "%" to show hundredths.
std::string format_number(double d, std::string_view pattern) {
    std::size_t first = pattern.find_first_of("0#.");
    std::size_t last = pattern.find_last_of("0#.,");
    if (first == std::string_view::npos) return std::string(pattern);
    std::string_view prefix = pattern.substr(0, first);
    std::string_view body = pattern.substr(first, last - first + 1);
    std::string_view suffix = pattern.substr(last + 1);
    if (pattern.find('%') != std::string_view::npos) {
        d *= 100;
        if (!std::isfinite(d)) err::raise(err::kOverflow);  // else the digits of "inf" get a point
    }

    auto dot = body.find('.');
    std::string_view int_pat = body.substr(0, dot);
    std::string_view frac_pat = dot == std::string_view::npos ? std::string_view() : body.substr(dot + 1);
    int decimals = 0, required = 0, min_int = 0;
    for (char c : frac_pat) {
        if (is_placeholder(c)) ++decimals;
        if (c == '0') ++required;
    }
    bool group = false;
    for (std::size_t i = 0; i < int_pat.size(); ++i) {
        if (int_pat[i] == '0') ++min_int;
        // a "," between placeholders groups; a trailing one would scale, which no caller uses
        if (int_pat[i] == ',' && i + 1 < int_pat.size()) group = true;
    }

    std::string ip, fp;
    rounded_digits(d, decimals, ip, fp);
    bool zero = ip.find_first_not_of('0') == std::string::npos && fp.find_first_not_of('0') == std::string::npos;
    // optional '#' decimals drop trailing zeros
    while (static_cast<int>(fp.size()) > required && fp.back() == '0') fp.pop_back();
    std::size_t nz = ip.find_first_not_of('0');
    ip = nz == std::string::npos ? std::string() : ip.substr(nz);
    while (static_cast<int>(ip.size()) < min_int) ip.insert(ip.begin(), '0');
    if (group && ip.size() > 3) {
        std::string g;
        g.reserve(ip.size() + ip.size() / 3);
        std::size_t lead = ip.size() % 3 == 0 ? 3 : ip.size() % 3;
        g.append(ip, 0, lead);
        for (std::size_t i = lead; i < ip.size(); i += 3) {
            g += ',';
            g.append(ip, i, 3);
        }
        ip = std::move(g);
    }
    std::string out;
    if (d < 0 && !zero) out += '-';
    out.append(prefix);
    out += ip;
    if (dot != std::string_view::npos) out += "." + fp;
    out.append(suffix);
    return out;
}

// VB's named formats that mean a plain pattern.
std::string_view named_pattern(std::string_view pattern) {
    // no named format holds a digit placeholder: the common case costs no copy
    if (pattern.find_first_of("0#") != std::string_view::npos) return pattern;
    std::string up = upper_ascii(pattern);
    if (up == "GENERAL NUMBER") return "";
    if (up == "FIXED") return "0.00";
    if (up == "STANDARD") return "#,##0.00";
    if (up == "PERCENT") return "0.00%";
    if (up == "SHORT DATE") return "yyyy-mm-dd";
    if (up == "LONG TIME") return "hh:mm:ss";
    if (up == "GENERAL DATE") return "yyyy-mm-dd hh:mm:ss";
    return pattern;
}

bool is_date_pattern(std::string_view pattern) {
    if (pattern.find_first_of("0#") != std::string_view::npos) return false;
    for (char c : upper_ascii(pattern))
        if (is_date_letter(c)) return true;
    return false;
}

// ---- Like ----------------------------------------------------------------

// UTF-8 to code points; a stray byte stands for itself.
std::vector<char32_t> code_points(std::string_view s) {
    std::vector<char32_t> out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        std::size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
        for (std::size_t k = 1; k < len; ++k)
            if (i + k >= s.size() || (static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) len = 1;
        char32_t cp = len == 1 ? c : (c & (0x7F >> len));
        for (std::size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        // An overlong form ("\xC1\x9B" for "[") or one past U+10FFFF is no
        // character: its bytes count one by one, never as the ASCII they spell.
        static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (len > 1 && (cp < kLeast[len] || cp > 0x10FFFF)) {
            len = 1;
            cp = c;
        }
        out.push_back(cp);
        i += len;
    }
    return out;
}

struct LikeToken {
    enum Kind { Star, AnyChar, Digit, Literal, Set } kind;
    explicit LikeToken(Kind k, char32_t c = 0) : kind(k), ch(c) {}
    char32_t ch;
    bool negate = false;
    std::vector<std::pair<char32_t, char32_t>> ranges;

    bool matches(char32_t c) const {
        switch (kind) {
        case AnyChar: return true;
        case Digit: return c >= U'0' && c <= U'9';
        case Literal: return c == ch;
        case Set: {
            bool hit = false;
            for (const auto& [lo, hi] : ranges)
                if (c >= lo && c <= hi) hit = true;
            return hit != negate;
        }
        default: return false;
        }
    }
};

// An unclosed "[" or a descending range is VB's error 93 whatever the text.
std::vector<LikeToken> like_tokens(const std::vector<char32_t>& p) {
    std::vector<LikeToken> out;
    for (std::size_t i = 0; i < p.size(); ++i) {
        char32_t c = p[i];
        if (c == U'*') {
            if (out.empty() || out.back().kind != LikeToken::Star) out.emplace_back(LikeToken::Star);
        } else if (c == U'?') {
            out.emplace_back(LikeToken::AnyChar);
        } else if (c == U'#') {
            out.emplace_back(LikeToken::Digit);
        } else if (c == U'[') {
            std::size_t close = i + 1;
            while (close < p.size() && p[close] != U']') ++close;
            if (close >= p.size()) err::raise(err::kInvalidPattern);
            LikeToken t(LikeToken::Set);
            std::size_t k = i + 1;
            if (k < close && p[k] == U'!') t.negate = true, ++k;
            for (; k < close; ++k) {
                if (k + 2 < close && p[k + 1] == U'-') {
                    if (p[k + 2] < p[k]) err::raise(err::kInvalidPattern);
                    t.ranges.emplace_back(p[k], p[k + 2]);
                    k += 2;
                } else {
                    t.ranges.emplace_back(p[k], p[k]);
                }
            }
            // "[]" matches the empty string; "[!]" any one character
            if (!t.ranges.empty() || t.negate) out.push_back(std::move(t));
            i = close;
        } else {
            out.emplace_back(LikeToken::Literal, c);
        }
    }
    return out;
}

}  // namespace

// ---- conversions -----------------------------------------------------------

std::string_view scalar_text(const Variant& v, TextBuffer& buf) {
    char* out = buf.data();
    switch (v.type()) {
    case VarType::Boolean: return v.bool_value() ? "True" : "False";
    case VarType::Integer: case VarType::Long: case VarType::LongLong: case VarType::Byte: {
        const std::int64_t i = v.int_value();
        return put_scaled(i < 0 ? 0 - static_cast<std::uint64_t>(i) : static_cast<std::uint64_t>(i), 0, i < 0, buf);
    }
    case VarType::Single: return {out, write_number(v.double_value(), 7, out)};
    case VarType::Double: case VarType::Decimal: return {out, write_number(v.double_value(), 15, out)};
    case VarType::Currency: return {out, write_currency(v.int_value(), out)};
    case VarType::Date: return {out, write_date(v.double_value(), out)};
    default: return {};
    }
}

std::string CStr(const Variant& v) {
    switch (v.type()) {
    case VarType::Empty: return {};
    case VarType::Null: err::raise(err::kInvalidNull);
    case VarType::String: return std::string(v.str());
    case VarType::Object: mismatch();
    case VarType::Error: return "Error " + std::to_string(v.int_value());
    default: {
        TextBuffer buf;
        return std::string(scalar_text(v, buf));
    }
    }
}

double CDbl(const Variant& v) {
    switch (v.type()) {
    case VarType::Empty: return 0;
    case VarType::Null: err::raise(err::kInvalidNull);
    case VarType::String: return number_or_raise(v.str());
    case VarType::Object: case VarType::Error: mismatch();
    default: return v.number();
    }
}

std::int32_t CLng(const Variant& v) {
    double d = CDbl(v);
    // half to even, written out so it does not depend on the FPU rounding mode
    double r = std::floor(d);
    double frac = d - r;
    if (frac > 0.5 || (frac == 0.5 && std::fmod(r, 2.0) != 0)) r += 1;
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) err::raise(err::kOverflow);
    return static_cast<std::int32_t>(r);
}

bool CBool(const Variant& v) {
    if (v.is_string()) {
        std::string u = upper_ascii(trim_view(v.str()));
        if (u == "TRUE") return true;
        if (u == "FALSE") return false;
        return number_or_raise(v.str()) != 0;
    }
    return CDbl(v) != 0;
}

double CDate(const Variant& v) {
    switch (v.type()) {
    case VarType::Null: err::raise(err::kInvalidNull);
    case VarType::Date: return v.double_value();
    case VarType::Empty: return 0;
    case VarType::String: {
        auto d = parse_date(v.str());
        if (!d) mismatch();
        return *d;
    }
    case VarType::Object: case VarType::Error: mismatch();
    default: {
        const double d = v.number();
        if (!in_date_range(d)) err::raise(err::kOverflow);
        return d;
    }
    }
}

double Val(std::string_view s) {
    // VB skips blanks anywhere, not just in front: Val(" 1 2") is 12
    std::string t;
    t.reserve(s.size());
    for (char c : s)
        if (!is_blank(c)) t += c;
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) ++i;
    std::size_t digits = 0;
    while (i < t.size() && is_digit(t[i])) ++i, ++digits;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && is_digit(t[i])) ++i, ++digits;
    }
    if (digits == 0) return 0;
    std::size_t end = i;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E' || t[i] == 'd' || t[i] == 'D')) {
        std::size_t j = i + 1;
        if (j < t.size() && (t[j] == '-' || t[j] == '+')) ++j;
        std::size_t k = j;
        while (j < t.size() && is_digit(t[j])) ++j;
        if (j > k) end = j;
    }
    double d = 0;
    if (read_number(std::string_view(t).substr(0, end), d) == NumberText::TooBig) err::raise(err::kOverflow);
    return d;
}

double Val(const Variant& v) {
    switch (v.type()) {
    case VarType::Null: err::raise(err::kInvalidNull);
    case VarType::Empty: return 0;
    case VarType::String: return Val(v.str());
    case VarType::Object: mismatch();
    case VarType::Boolean: case VarType::Date: return Val(CStr(v));  // Val(True) reads "True": 0
    default: return v.number();
    }
}

bool IsNumeric(const Variant& v) {
    switch (v.type()) {
    case VarType::Empty: case VarType::Boolean: return true;
    case VarType::String: {
        double d;
        return read_number(v.str(), d) == NumberText::Ok;
    }
    default: return v.is_number();
    }
}

bool IsDate(const Variant& v) {
    if (v.type() == VarType::Date) return true;
    return v.is_string() && parse_date(v.str()).has_value();
}

bool Like(std::string_view text, std::string_view pattern) {
    const std::vector<char32_t> t = code_points(text);
    const std::vector<LikeToken> p = like_tokens(code_points(pattern));
    // Every token but "*" takes exactly one character, so backing up to the
    // last star is enough: linear in practice, never exponential.
    std::size_t ti = 0, pi = 0;
    std::size_t star = std::string::npos, star_ti = 0;
    while (ti < t.size()) {
        if (pi < p.size() && p[pi].kind == LikeToken::Star) {
            star = pi++;
            star_ti = ti;
        } else if (pi < p.size() && p[pi].matches(t[ti])) {
            ++pi;
            ++ti;
        } else if (star != std::string::npos) {
            pi = star + 1;
            ti = ++star_ti;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi].kind == LikeToken::Star) ++pi;
    return pi == p.size();
}

std::string UCase(std::string_view s) { return upper_ascii(s); }

std::string LCase(std::string_view s) { return lower_ascii(s); }

// VB trims blanks (U+0020) only; tabs and full-width spaces stay.
std::string Trim(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return std::string(s);
}

std::string LTrim(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    return std::string(s);
}

std::string RTrim(std::string_view s) {
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return std::string(s);
}

std::string Format(const Variant& v, std::string_view pattern) {
    if (v.is_null() || v.is_empty()) return {};
    if (v.is_object()) mismatch();
    pattern = named_pattern(pattern);
    if (pattern.empty()) return CStr(v);
    if (is_date_pattern(pattern)) {
        double ole;
        if (v.type() == VarType::Date) {
            ole = v.double_value();
        } else if (v.is_string()) {
            auto d = parse_date(v.str());
            if (!d) return std::string(v.str());
            ole = *d;
        } else if (v.is_number()) {
            ole = v.number();
        } else {
            return CStr(v);
        }
        return format_date_pattern(ole, pattern);
    }
    double d;
    if (v.is_string()) {
        if (read_number(v.str(), d) != NumberText::Ok) return std::string(v.str());
    } else if (v.type() == VarType::Error) {
        return CStr(v);
    } else {
        d = v.number();
    }
    if (!std::isfinite(d)) err::raise(err::kOverflow);
    // "pos;neg": a second section shows negatives without their sign
    auto semi = pattern.find(';');
    if (semi != std::string_view::npos) {
        if (d < 0) {
            std::string_view neg = pattern.substr(semi + 1);
            neg = neg.substr(0, neg.find(';'));
            if (!neg.empty()) return format_number(-d, neg);
        }
        pattern = pattern.substr(0, semi);
    }
    return format_number(d, pattern);
}

std::string decimals_pattern(int n) {
    if (n <= 0) return "##0";
    return "##0." + std::string(static_cast<std::size_t>(n), '0');
}

std::optional<std::string_view> fixed_text(double d, int decimals, TextBuffer& buf) {
    static constexpr double kScale[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    if (decimals < 0 || decimals > 9) return std::nullopt;
    const double scaled = std::fabs(d) * kScale[decimals];
    if (!(scaled <= 1.8e19)) return std::nullopt;  // NaN too
    // Below 2^52 the whole part and the rest are exact, and the product lies
    // within scaled * 2^-52 of the shortest text times 10^decimals, which
    // Format rounds: only a rest that close to a half can round otherwise
    // there (2.675 is 2.67499999... as a double and rounds up as written).
    if (scaled < 4503599627370496.0) {
        const auto whole = static_cast<std::uint64_t>(scaled);
        const double rest = scaled - static_cast<double>(whole);
        if (std::fabs(rest - 0.5) > scaled * 4.5e-16) {
            const std::uint64_t n = whole + (rest > 0.5 ? 1 : 0);
            return put_scaled(n, decimals, d < 0 && n != 0, buf);
        }
    }
    // Rounded as Format rounds: on the shortest digits that read back as d.
    char sci[40];
    const auto res = std::to_chars(sci, sci + sizeof sci, std::fabs(d), std::chars_format::scientific);
    const std::string_view s(sci, static_cast<std::size_t>(res.ptr - sci));
    const std::size_t e = s.find('e');
    char digits[24];
    int nd = 0;
    for (char c : s.substr(0, e))
        if (c != '.') digits[nd++] = c;
    int exp = 0;
    std::string_view es = s.substr(e + 1);
    if (es.front() == '+') es.remove_prefix(1);
    std::from_chars(es.data(), es.data() + es.size(), exp);
    // the digits kept: those before the point (exp + 1) and `decimals` after it
    const int keep = exp + 1 + decimals;
    if (keep > 19) return std::nullopt;
    std::uint64_t n = 0;
    for (int i = 0; i < keep; ++i) n = n * 10 + static_cast<std::uint64_t>(i < nd ? digits[i] - '0' : 0);
    if (keep >= 0 && keep < nd && digits[keep] >= '5') ++n;
    return put_scaled(n, decimals, d < 0 && n != 0, buf);
}

// ---- dates -----------------------------------------------------------------

std::optional<double> parse_date(std::string_view text) {
    std::string_view s = trim_view(text);
    std::size_t i = 0;
    int y, m, d;
    if (!read_int(s, i, 4, y) || i != 4) return std::nullopt;
    if (i >= s.size() || (s[i] != '-' && s[i] != '/')) return std::nullopt;
    char sep = s[i++];
    if (!read_int(s, i, 2, m)) return std::nullopt;
    if (i >= s.size() || s[i] != sep) return std::nullopt;
    ++i;
    if (!read_int(s, i, 2, d)) return std::nullopt;
    if (y < 100 || m < 1 || m > 12 || d < 1 || d > days_in_month(y, m)) return std::nullopt;
    int hh = 0, mm = 0, ss = 0;
    if (i < s.size()) {
        if (s[i] != ' ' && s[i] != 'T') return std::nullopt;
        while (i < s.size() && (s[i] == ' ' || s[i] == 'T')) ++i;
        if (!read_int(s, i, 2, hh) || i >= s.size() || s[i] != ':') return std::nullopt;
        ++i;
        if (!read_int(s, i, 2, mm)) return std::nullopt;
        if (i < s.size() && s[i] == ':') {
            ++i;
            if (!read_int(s, i, 2, ss)) return std::nullopt;
            if (i < s.size() && s[i] == '.') {  // database texts carry milliseconds; a Date holds seconds
                ++i;
                while (i < s.size() && is_digit(s[i])) ++i;
            }
        }
        if (i != s.size() || hh > 23 || mm > 59 || ss > 59) return std::nullopt;
    }
    return ole_from_parts(date_serial(y, m, d), hh * 3600 + mm * 60 + ss);
}

double date_serial(int year, int month, int day) {
    // VB's DateSerial carries months and days over: (2024, 13, 1) is 2025-01-01.
    // Worked in 64 bits: any int arguments fit, and the range check decides.
    const long long months = static_cast<long long>(month) - 1;
    long long y = static_cast<long long>(year) + months / 12;
    long long mo = months % 12;
    if (mo < 0) mo += 12, --y;
    if (y < 0 || y > 10000) err::raise(err::kOverflow);  // far outside the range; keeps the day count exact
    const long long first = days_from_civil(y, static_cast<unsigned>(mo + 1), 1);
    const double ole = static_cast<double>(first + static_cast<long long>(day) - 1) + kOleEpochDays;
    if (!in_date_range(ole)) err::raise(err::kOverflow);
    return ole;
}

CivilDate civil_from_ole(double ole) {
    if (!in_date_range(ole)) err::raise(err::kOverflow);
    double day = std::trunc(ole);
    long long secs = std::llround(std::fabs(ole - day) * 86400.0);
    if (secs >= 86400) {
        // the time rounds up to midnight: the next calendar day, before 1899 too
        day += 1;
        secs -= 86400;
    }
    CivilDate c{};
    civil_from_days(static_cast<long long>(day - kOleEpochDays), c.year, c.month, c.day);
    c.hour = static_cast<int>(secs / 3600);
    c.minute = static_cast<int>(secs / 60 % 60);
    c.second = static_cast<int>(secs % 60);
    return c;
}

std::string format_date(double ole) {
    char b[16];
    return std::string(b, put_day(b, civil_from_ole(ole)));
}

double now_ole() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return ole_from_parts(date_serial(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday),
                          tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec);
}

double today_ole() { return std::trunc(now_ole()); }

}  // namespace korvane::vb

namespace korvane::vb {
std::string text_or_empty(const Variant& v) { return v.is_null() ? std::string() : CStr(v); }
int display_width(std::string_view s) {
    int w = 0;
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const std::size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
        w += len >= 3 ? 2 : 1;
        i += len;
    }
    return w;
}
}  // namespace korvane::vb
