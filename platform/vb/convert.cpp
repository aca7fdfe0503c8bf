#include "platform/vb/convert.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "platform/vb/error.h"

namespace korvane::vb {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view trim_view(std::string_view s) {
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
    return s;
}

// A whole text as a number, "," separators allowed; nullopt when it is none.
std::optional<double> parse_number(std::string_view text) {
    std::string s;
    s.reserve(text.size());
    for (char c : trim_view(text))
        if (c != ',') s += c;
    if (s.empty()) return std::nullopt;
    std::size_t start = (s[0] == '+') ? 1 : 0;
    if (start == s.size()) return std::nullopt;
    double d = 0;
    const char* first = s.data() + start;
    const char* last = s.data() + s.size();
    auto [ptr, ec] = std::from_chars(first, last, d);
    if (ec != std::errc() || ptr != last) return std::nullopt;
    return d;
}

[[noreturn]] void mismatch() { err::raise(err::kTypeMismatch); }

void require_value(const Variant& v) {
    if (v.is_null()) err::raise(err::kInvalidNull);
    if (v.is_object()) mismatch();
}

std::string number_text(double d) {
    if (d == 0) return "0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", d);
    std::string s(buf);
    auto e = s.find('e');
    if (e != std::string::npos) {
        // VB writes 1E+20 and 1E-05
        s[e] = 'E';
    }
    return s;
}

constexpr double kOleEpochDays = 25569.0;  // 1970-01-01 as an OLE date

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

// Reads 1..max_digits digits.
bool read_int(std::string_view s, std::size_t& i, int max_digits, int& out) {
    int n = 0, v = 0;
    while (i < s.size() && n < max_digits && s[i] >= '0' && s[i] <= '9') {
        v = v * 10 + (s[i] - '0');
        ++i;
        ++n;
    }
    out = v;
    return n > 0;
}

std::string two(int v) {
    char b[8];
    std::snprintf(b, sizeof b, "%02d", v);
    return b;
}

std::string date_time_text(double ole) {
    CivilDate c = civil_from_ole(ole);
    char b[32];
    std::snprintf(b, sizeof b, "%04d-%02d-%02d %02d:%02d:%02d", c.year, c.month, c.day, c.hour, c.minute, c.second);
    return b;
}

// Decimal digits of |d| rounded half away from zero at `decimals`, from the
// shortest text that reads back as d: 2.675 is rounded as written, not as
// the binary value just below it.
std::pair<std::string, std::string> rounded_digits(double d, int decimals) {
    char buf[400];
    auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, std::fabs(d), std::chars_format::fixed);
    std::string s(buf, ec == std::errc() ? ptr : buf);
    auto dot = s.find('.');
    std::string ip = dot == std::string::npos ? s : s.substr(0, dot);
    std::string fp = dot == std::string::npos ? std::string() : s.substr(dot + 1);
    bool up = static_cast<int>(fp.size()) > decimals && fp[decimals] >= '5';
    fp.resize(decimals, '0');
    if (up) {
        std::string all = ip + fp;
        int i = static_cast<int>(all.size()) - 1;
        for (; i >= 0; --i) {
            if (all[i] == '9') {
                all[i] = '0';
            } else {
                ++all[i];
                break;
            }
        }
        if (i < 0) all.insert(all.begin(), '1');
        ip = all.substr(0, all.size() - decimals);
        fp = all.substr(all.size() - decimals);
    }
    return {ip, fp};
}

std::string format_number(double d, std::string_view pattern) {
    auto dot = pattern.find('.');
    std::string_view int_pat = pattern.substr(0, dot);
    std::string_view frac_pat = dot == std::string_view::npos ? std::string_view() : pattern.substr(dot + 1);
    int decimals = 0;
    for (char c : frac_pat)
        if (c == '0' || c == '#') ++decimals;
    int min_int = 0;
    bool group = false;
    for (char c : int_pat) {
        if (c == '0') ++min_int;
        if (c == ',') group = true;
    }
    auto [ip, fp] = rounded_digits(d, decimals);
    // optional '#' decimals drop trailing zeros
    int required = 0;
    for (char c : frac_pat)
        if (c == '0') ++required;
    while (static_cast<int>(fp.size()) > required && !fp.empty() && fp.back() == '0') fp.pop_back();
    std::size_t nz = ip.find_first_not_of('0');
    ip = nz == std::string::npos ? std::string() : ip.substr(nz);
    while (static_cast<int>(ip.size()) < min_int) ip.insert(ip.begin(), '0');
    if (group && ip.size() > 3) {
        std::string g;
        int count = 0;
        for (int i = static_cast<int>(ip.size()) - 1; i >= 0; --i) {
            g.insert(g.begin(), ip[i]);
            if (++count % 3 == 0 && i > 0) g.insert(g.begin(), ',');
        }
        ip = g;
    }
    bool zero = ip.find_first_not_of("0,") == std::string::npos && fp.find_first_not_of('0') == std::string::npos;
    std::string out = (d < 0 && !zero) ? "-" : "";
    out += ip;
    if (dot != std::string_view::npos) out += "." + fp;
    return out;
}

std::string upper_ascii(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return r;
}

// UTF-8 to code points; a stray byte stands for itself.
std::vector<char32_t> code_points(std::string_view s) {
    std::vector<char32_t> out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
        if (i + len > s.size()) len = 1;
        char32_t cp = len == 1 ? c : (c & (0x7F >> len));
        for (int k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        out.push_back(cp);
        i += len;
    }
    return out;
}

bool like_at(const std::vector<char32_t>& t, std::size_t ti, const std::vector<char32_t>& p, std::size_t pi) {
    while (pi < p.size()) {
        char32_t pc = p[pi];
        if (pc == U'*') {
            while (pi < p.size() && p[pi] == U'*') ++pi;
            if (pi == p.size()) return true;
            for (std::size_t k = ti; k <= t.size(); ++k)
                if (like_at(t, k, p, pi)) return true;
            return false;
        }
        if (ti >= t.size()) return false;
        if (pc == U'?') {
            ++ti;
            ++pi;
        } else if (pc == U'#') {
            if (t[ti] < U'0' || t[ti] > U'9') return false;
            ++ti;
            ++pi;
        } else if (pc == U'[') {
            std::size_t close = pi + 1;
            while (close < p.size() && p[close] != U']') ++close;
            if (close >= p.size()) err::raise(err::kInvalidCall);  // VB: bad pattern
            std::size_t k = pi + 1;
            bool negate = k < close && p[k] == U'!';
            if (negate) ++k;
            bool hit = false;
            for (; k < close; ++k) {
                if (k + 2 < close && p[k + 1] == U'-') {
                    if (t[ti] >= p[k] && t[ti] <= p[k + 2]) hit = true;
                    k += 2;
                } else if (t[ti] == p[k]) {
                    hit = true;
                }
            }
            if (hit == negate) return false;
            ++ti;
            pi = close + 1;
        } else {
            if (t[ti] != pc) return false;
            ++ti;
            ++pi;
        }
    }
    return ti == t.size();
}

}  // namespace

std::string CStr(const Variant& v) {
    switch (v.type()) {
    case VarType::Empty: return {};
    case VarType::Null: err::raise(err::kInvalidNull);
    case VarType::String: return std::string(v.str());
    case VarType::Boolean: return v.bool_value() ? "True" : "False";
    case VarType::Date: {
        double ole = v.double_value();
        return ole == std::floor(ole) ? format_date(ole) : date_time_text(ole);
    }
    case VarType::Object: mismatch();
    case VarType::Error: return "Error " + std::to_string(v.int_value());
    case VarType::Integer: case VarType::Long: case VarType::LongLong: case VarType::Byte:
        return std::to_string(v.int_value());
    case VarType::Single: {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.7g", v.double_value());
        return buf;
    }
    default: return number_text(v.number());
    }
}

double CDbl(const Variant& v) {
    require_value(v);
    if (v.is_empty()) return 0;
    if (v.is_string()) {
        auto d = parse_number(v.str());
        if (!d) mismatch();
        return *d;
    }
    return v.number();
}

std::int32_t CLng(const Variant& v) {
    double d = CDbl(v);
    double r = std::nearbyint(d);  // half to even, as VB
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) err::raise(err::kOverflow);
    return static_cast<std::int32_t>(r);
}

bool CBool(const Variant& v) {
    require_value(v);
    if (v.is_string()) {
        std::string u = upper_ascii(trim_view(v.str()));
        if (u == "TRUE") return true;
        if (u == "FALSE") return false;
        auto d = parse_number(v.str());
        if (!d) mismatch();
        return *d != 0;
    }
    return v.number() != 0;
}

double CDate(const Variant& v) {
    require_value(v);
    if (v.type() == VarType::Date) return v.double_value();
    if (v.is_string()) {
        auto d = parse_date(v.str());
        if (!d) mismatch();
        return *d;
    }
    if (v.is_number()) return v.number();
    mismatch();
}

double Val(std::string_view s) {
    std::string t;
    for (char c : s)
        if (!is_blank(c)) t += c;
    std::size_t i = 0;
    std::string num;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) num += t[i++];
    bool digits = false;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') num += t[i++], digits = true;
    if (i < t.size() && t[i] == '.') {
        num += t[i++];
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') num += t[i++], digits = true;
    }
    if (!digits) return 0;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E' || t[i] == 'd' || t[i] == 'D')) {
        std::string e = "e";
        std::size_t j = i + 1;
        if (j < t.size() && (t[j] == '-' || t[j] == '+')) e += t[j++];
        std::size_t k = j;
        while (j < t.size() && t[j] >= '0' && t[j] <= '9') e += t[j++];
        if (j > k) num += e;
    }
    return std::strtod(num.c_str(), nullptr);
}

double Val(const Variant& v) {
    if (v.is_null()) err::raise(err::kInvalidNull);
    if (v.is_string()) return Val(v.str());
    return CDbl(v);
}

bool IsNumeric(const Variant& v) {
    switch (v.type()) {
    case VarType::Empty: return true;
    case VarType::Boolean: return true;
    case VarType::String: return parse_number(v.str()).has_value();
    default: return v.is_number();
    }
}

bool IsDate(const Variant& v) {
    if (v.type() == VarType::Date) return true;
    if (!v.is_string()) return false;
    return parse_date(v.str()).has_value();
}

bool Like(std::string_view text, std::string_view pattern) {
    return like_at(code_points(text), 0, code_points(pattern), 0);
}

std::string UCase(std::string_view s) { return upper_ascii(s); }

std::string LCase(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return r;
}

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
    std::string up = upper_ascii(pattern);
    bool date_pattern = up.find("YY") != std::string::npos || up.find("DD") != std::string::npos;
    if (date_pattern) {
        double ole;
        if (v.type() == VarType::Date) ole = v.double_value();
        else if (v.is_string()) {
            auto d = parse_date(v.str());
            if (!d) return std::string(v.str());
            ole = *d;
        } else if (v.is_number()) ole = v.number();
        else return CStr(v);
        CivilDate c = civil_from_ole(ole);
        std::string out;
        for (std::size_t i = 0; i < up.size();) {
            auto at = [&](const char* tok) { return up.compare(i, std::strlen(tok), tok) == 0; };
            if (at("YYYY")) { char b[8]; std::snprintf(b, sizeof b, "%04d", c.year); out += b; i += 4; }
            else if (at("YY")) { out += two(c.year % 100); i += 2; }
            else if (at("MM")) {
                // minutes when a time part came just before
                bool minutes = !out.empty() && (up.rfind("HH", i) != std::string::npos) && up.rfind("HH", i) + 3 >= i;
                out += two(minutes ? c.minute : c.month);
                i += 2;
            }
            else if (at("NN")) { out += two(c.minute); i += 2; }
            else if (at("DD")) { out += two(c.day); i += 2; }
            else if (at("HH")) { out += two(c.hour); i += 2; }
            else if (at("SS")) { out += two(c.second); i += 2; }
            else { out += pattern[i]; ++i; }
        }
        return out;
    }
    if (pattern.empty()) return CStr(v);
    double d;
    if (v.is_string()) {
        auto n = parse_number(v.str());
        if (!n) return std::string(v.str());
        d = *n;
    } else if (v.is_object()) {
        mismatch();
    } else {
        d = v.number();
    }
    return format_number(d, pattern);
}

std::string decimals_pattern(int n) {
    if (n <= 0) return "##0";
    return "##0." + std::string(static_cast<std::size_t>(n), '0');
}

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
    if (m < 1 || m > 12 || d < 1 || d > days_in_month(y, m) || y < 100) return std::nullopt;
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
            if (i < s.size() && s[i] == '.') {  // fractions of a second are dropped
                ++i;
                while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
            }
        }
        if (i != s.size() || hh > 23 || mm > 59 || ss > 59) return std::nullopt;
    }
    return date_serial(y, m, d) + (hh * 3600 + mm * 60 + ss) / 86400.0;
}

double date_serial(int year, int month, int day) {
    return static_cast<double>(days_from_civil(year, static_cast<unsigned>(month), static_cast<unsigned>(day))) +
           kOleEpochDays;
}

CivilDate civil_from_ole(double ole) {
    double days = std::floor(ole);
    long long secs = std::llround((ole - days) * 86400.0);
    if (secs >= 86400) {
        days += 1;
        secs -= 86400;
    }
    CivilDate c{};
    civil_from_days(static_cast<long long>(days - kOleEpochDays), c.year, c.month, c.day);
    c.hour = static_cast<int>(secs / 3600);
    c.minute = static_cast<int>(secs / 60 % 60);
    c.second = static_cast<int>(secs % 60);
    return c;
}

std::string format_date(double ole) {
    CivilDate c = civil_from_ole(ole);
    char b[16];
    std::snprintf(b, sizeof b, "%04d-%02d-%02d", c.year, c.month, c.day);
    return b;
}

double now_ole() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return date_serial(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday) +
           (tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec) / 86400.0;
}

double today_ole() { return std::floor(now_ole()); }

}  // namespace korvane::vb
