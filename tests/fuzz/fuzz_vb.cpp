// The VB conversions. The first byte picks a function, the rest is its input
// (texts cut at '\n'). Each raises only the errors VB gives it, and what it
// returns agrees with its siblings: a text IsNumeric accepts converts, CStr of
// a number reads back as that number, a date CStr writes reads back, Like
// agrees with a plain matcher.
#include <charconv>
#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "platform/vb/convert.h"
#include "tests/fuzz/fuzz_support.h"

namespace korvane::fuzz {
namespace {

using namespace korvane::vb;

// d rounded to `digits` significant digits, as a number.
double rounded(double d, int digits) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::scientific, digits - 1);
    double back = 0;
    std::from_chars(buf, r.ptr, back);
    return back;
}

void number_text_reads_back(const Variant& v, double expected) {
    std::string text;
    try {
        text = CStr(v);
    } catch (const Error& e) {
        allowed(e, {err::kOverflow});
        check(!std::isfinite(v.number()), "CStr refused a finite number");
        return;
    }
    TextBuffer buf;
    check(scalar_text(v, buf) == text, "scalar_text differs from CStr");
    check(IsNumeric(Variant(text)), "CStr of a number is not numeric");
    check(CDbl(Variant(text)) == expected, "CStr of a number does not read back");
    check(text.find('e') == std::string::npos, "lower-case exponent");
}

// Byte-wise Like for ASCII patterns without "[": the matcher's answer by
// plain recursion over the text.
bool like_reference(std::string_view t, std::string_view p) {
    std::vector<std::vector<char>> memo(t.size() + 1, std::vector<char>(p.size() + 1, -1));
    auto go = [&](auto& self, std::size_t i, std::size_t j) -> bool {
        char& m = memo[i][j];
        if (m >= 0) return m;
        bool r;
        if (j == p.size()) r = i == t.size();
        else if (p[j] == '*') r = self(self, i, j + 1) || (i < t.size() && self(self, i + 1, j));
        else if (i == t.size()) r = false;
        else if (p[j] == '?') r = self(self, i + 1, j + 1);
        else if (p[j] == '#') r = t[i] >= '0' && t[i] <= '9' && self(self, i + 1, j + 1);
        else r = t[i] == p[j] && self(self, i + 1, j + 1);
        m = r;
        return r;
    };
    return go(go, 0, 0);
}

bool ascii(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

void numbers_from_text(std::string_view text) {
    const Variant v(text);
    const bool numeric = IsNumeric(v);
    try {
        double d = CDbl(v);
        check(numeric, "CDbl read a text IsNumeric refuses");
        check(!std::isnan(d), "CDbl gave NaN");
        try {
            (void)CLng(v);
        } catch (const Error& e) {
            allowed(e, {err::kOverflow});
        }
        (void)CBool(v);
    } catch (const Error& e) {
        allowed(e, {err::kTypeMismatch, err::kOverflow});
        check(!numeric || e.number() == err::kOverflow, "CDbl refused a numeric text");
    }
    try {
        double d = Val(v);
        check(std::isfinite(d), "Val gave a number VB cannot hold");
    } catch (const Error& e) {
        allowed(e, {err::kOverflow});
    }
}

void dates_from_text(std::string_view text) {
    const Variant v(text);
    if (!IsDate(v)) {
        try {
            (void)CDate(v);
            fault("CDate read a text IsDate refuses");
        } catch (const Error& e) {
            allowed(e, {err::kTypeMismatch});
        }
        return;
    }
    const double ole = CDate(v);
    const CivilDate c = civil_from_ole(ole);
    if (c.year == 1899 && c.month == 12 && c.day == 30) return;  // CStr writes the time alone
    const std::string back = CStr(Variant::date(ole));
    check(IsDate(Variant(back)), "CStr of a date is no date");
    check(CDate(Variant(back)) == ole, "CStr of a date does not read back");
    check(Format(Variant::date(ole), "yyyy-mm-dd") == format_date(ole), "Format and format_date differ");
}

void format(const Variant& value, std::string_view pattern) {
    std::string out;
    try {
        out = Format(value, pattern);
    } catch (const Error& e) {
        allowed(e, {err::kOverflow});
        return;
    }
    if (pattern.find_first_of("iInN") == std::string_view::npos && !value.is_string())
        check(out.find("inf") == std::string::npos && out.find("nan") == std::string::npos, "Format wrote inf or nan");
}

void like(std::string_view text, std::string_view pattern) {
    bool got;
    try {
        got = Like(text, pattern);
    } catch (const Error& e) {
        allowed(e, {err::kInvalidPattern});
        check(pattern.find('[') != std::string_view::npos, "error 93 without a '['");
        return;
    }
    if (ascii(text) && ascii(pattern) && pattern.find('[') == std::string_view::npos && text.size() <= 256 &&
        pattern.size() <= 256)
        check(got == like_reference(text, pattern), "Like disagrees with the reference matcher");
}

void date_parts(int y, int m, int d) {
    double ole;
    try {
        ole = date_serial(y, m, d);
    } catch (const Error& e) {
        allowed(e, {err::kOverflow});
        return;
    }
    const CivilDate c = civil_from_ole(ole);
    check(c.hour == 0 && c.minute == 0 && c.second == 0, "a date_serial day has a time");
    if (y >= 100 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= 28)
        check(c.year == y && c.month == m && c.day == d, "date_serial does not read back");
}

void date_value(double ole) {
    try {
        const std::string text = CStr(Variant::date(ole));
        check(!text.empty(), "CStr of a date is empty");
        (void)Format(Variant::date(ole), "YYYY-MM-DD HH:MM:SS");
    } catch (const Error& e) {
        allowed(e, {err::kOverflow});
    }
}

void currency(double d) {
    Variant c;
    try {
        c = Variant::currency(d);
    } catch (const Error& e) {
        allowed(e, {err::kOverflow});
        check(!(std::fabs(d) < 9e14), "CCur refused an amount it can hold");
        return;
    }
    const std::string text = CStr(c);
    check(IsNumeric(Variant(text)), "CStr of a Currency is not numeric");
    check(std::fabs(CDbl(Variant(text)) - d) <= 0.00005 + std::fabs(d) * 1e-15, "CStr of a Currency is off");
}

}  // namespace
}  // namespace korvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvane;
    using namespace korvane::fuzz;
    Input in(data, size);
    switch (in.byte() % 10) {
    case 0: {
        const double d = in.raw<double>();
        number_text_reads_back(Variant(d), rounded(d, 15));
        break;
    }
    case 1: {
        const float f = in.raw<float>();
        number_text_reads_back(Variant::single(f), rounded(f, 7));
        break;
    }
    case 2: numbers_from_text(in.rest()); break;
    case 3: dates_from_text(in.rest()); break;
    case 4: {
        const std::string_view value = in.until('\n');
        format(Variant(value), in.rest());
        break;
    }
    case 5: {
        const double d = in.raw<double>();
        format(Variant(d), in.rest());
        break;
    }
    case 6: {
        const std::string_view text = in.until('\n');
        like(text, in.rest());
        break;
    }
    case 7: {
        const int y = in.raw<int>(), m = in.raw<int>(), d = in.raw<int>();
        date_parts(y, m, d);
        break;
    }
    case 8: date_value(in.raw<double>()); break;
    default: currency(in.raw<double>()); break;
    }
    return 0;
}
