#include "platform/vb/convert.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <cstdint>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "platform/vb/ascii.h"
#include "platform/vb/error.h"
#include "tests/support/errors.h"

namespace korvane::vb {
namespace {

using testing::error_number;

struct FormatCase {
    Variant value;
    const char* pattern;
    const char* expected;
};

TEST(VbFormat, AmountsRoundHalfAwayFromZeroAsWritten) {
    const FormatCase cases[] = {
        {2.675, "##0.00", "2.68"},  // the double is 2.67499999…; the user typed 2.675
        {1.005, "##0.00", "1.01"},
        {-2.675, "##0.00", "-2.68"},
        {0.125, "##0.00", "0.13"},
        {2.5, "##0", "3"},
        {-2.5, "##0", "-3"},
        {0.5, "##0", "1"},
        {99.995, "##0.00", "100.00"},
        {9.9999995, "##0.000000", "10.000000"},
        {-0.001, "##0.00", "0.00"},  // no "-0.00" in a grid
        {0.0, "##0.000000", "0.000000"},
        {7, "##0.", "7."},
        {0.4, "#", ""},
        {12.0, "0", "12"},
        {0.5, "#.00", ".50"},
        {1234567.891, "##0.00", "1234567.89"},
        {1234567.891, "#,##0.00", "1,234,567.89"},
        {-1234.5, "#,##0.00", "-1,234.50"},
        {999.999, "#,##0.00", "1,000.00"},
        {1e15, "##0", "1000000000000000"},
        {1e20, "#,##0", "100,000,000,000,000,000,000"},  // the decimal value, not the binary expansion
        {5e-324, "##0.00", "0.00"},
        {123456789012.345, "##0.00", "123456789012.35"},
        {1.5, "##0.00", "1.50"},
        {-1.5, "##0.00", "-1.50"},
        {Variant::currency(12.3456), "##0.000", "12.346"},
        {Variant(3), "##0.00", "3.00"},
        {Variant(true), "##0", "-1"},
    };
    for (const auto& c : cases) EXPECT_EQ(Format(c.value, c.pattern), c.expected) << CStr(c.value) << " " << c.pattern;
}

TEST(VbFormat, TextIsFormattedAsItsNumberOrLeftAlone) {
    EXPECT_EQ(Format(Variant("3.14159"), "##0.00"), "3.14");
    EXPECT_EQ(Format(Variant("1,234.5"), "##0.00"), "1234.50");
    EXPECT_EQ(Format(Variant(" -2.675 "), "##0.00"), "-2.68");
    EXPECT_EQ(Format(Variant("abc"), "##0.00"), "abc");
    EXPECT_EQ(Format(Variant("螺栓"), "##0.00"), "螺栓");
    EXPECT_EQ(Format(Variant::null(), "##0.00"), "");
}

// The lists' fast amounts must read exactly as Format writes them: halves as
// written, values a hair beside them, signs of what rounds to zero, every
// magnitude up to what it leaves to Format.
TEST(VbFormat, FixedTextIsFormatOfTheDecimalsPattern) {
    std::vector<double> values = {0.0, -0.0, 2.675, -2.675, 1.005, 0.125, 2.5, -2.5, 0.5, 99.995, 9.9999995,
                                  -0.001, 1e-9, 5e-324, 2147483.6475, 4503599627370495.5, 4503599627370497.0,
                                  9007199254740993.0, 1e15, 123456789012345.67, 9.999999999999999e18};
    std::mt19937_64 rnd(7);
    for (int i = 0; i < 20000; ++i) {
        // a decimal text of up to 9 decimals, most of them ending in 5, read as a double
        const int places = static_cast<int>(rnd() % 10);
        std::string text = std::to_string(rnd() % 100000000) + "." + std::to_string(rnd() % 1000000000);
        text.resize(text.find('.') + 1 + static_cast<std::size_t>(places));
        if (i % 3) text += '5';
        values.push_back(std::stod(text) * (i % 2 ? -1 : 1));
        values.push_back(std::nextafter(values.back(), 0.0));
        // any bit pattern of a finite double
        double any;
        const std::uint64_t bits = rnd();
        std::memcpy(&any, &bits, sizeof any);
        if (std::isfinite(any)) values.push_back(any);
        values.push_back(static_cast<double>(rnd() % 1000000) / 997.0);
    }
    long answered = 0;
    for (double d : values)
        for (int decimals = 0; decimals <= 9; ++decimals) {
            TextBuffer buf;
            if (auto text = fixed_text(d, decimals, buf)) {
                ++answered;
                ASSERT_EQ(*text, Format(Variant(d), decimals_pattern(decimals))) << std::hexfloat << d << " " << decimals;
            }
        }
    EXPECT_GT(answered, static_cast<long>(values.size()) * 7);  // only huge values are left to Format
    EXPECT_EQ(decimals_pattern(3), "##0.000");
    EXPECT_EQ(decimals_pattern(0), "##0");
    TextBuffer buf;
    EXPECT_FALSE(fixed_text(1e20, 2, buf));
    EXPECT_FALSE(fixed_text(std::numeric_limits<double>::quiet_NaN(), 2, buf));
    EXPECT_FALSE(fixed_text(std::numeric_limits<double>::infinity(), 0, buf));
    EXPECT_FALSE(fixed_text(1.5, 10, buf));
}

TEST(VbFormat, DatePatterns) {
    Variant d = Variant::date(date_serial(2024, 3, 5) + (13 * 3600 + 7 * 60 + 9) / 86400.0);
    EXPECT_EQ(Format(d, "YYYY-MM-DD"), "2024-03-05");
    EXPECT_EQ(Format(d, "yyyy-mm-dd"), "2024-03-05");
    EXPECT_EQ(Format(d, "YYYY-MM-DD HH:MM:SS"), "2024-03-05 13:07:09");
    EXPECT_EQ(Format(Variant("2024/3/5"), "YYYY-MM-DD"), "2024-03-05");
    EXPECT_EQ(Format(Variant("2024-03-05 08:30:00.123"), "YYYY-MM-DD HH:MM:SS"), "2024-03-05 08:30:00");
    EXPECT_EQ(Format(Variant("not a date"), "YYYY-MM-DD"), "not a date");
    EXPECT_EQ(Format(Variant::null(), "YYYY-MM-DD"), "");
    EXPECT_EQ(error_number([] { Format(Variant::date(1e300), "YYYY-MM-DD"); }), err::kOverflow);
}

TEST(VbDates, IsDateTakesRealCalendarDatesOnly) {
    for (const char* yes : {"2024-02-29", "2000-02-29", "2024/12/31", "2024-1-5", "2023-06-30 08:15",
                            "2023-06-30 08:15:59", " 2024-01-01 "})
        EXPECT_TRUE(IsDate(Variant(yes))) << yes;
    for (const char* no : {"2024-13-01", "2023-02-29", "1900-02-29", "2024-04-31", "2024-00-10", "24-01-01",
                           "2024-01", "", "abc", "2024-01-01 25:00", "2024-01-01 10:60", "2024-01/01",
                           "2024-01-01x", "二〇二四-01-01"})
        EXPECT_FALSE(IsDate(Variant(no))) << no;
    EXPECT_TRUE(IsDate(Variant::date(45000)));
    EXPECT_FALSE(IsDate(Variant(45000)));
    EXPECT_FALSE(IsDate(Variant::null()));
}

TEST(VbDates, OleDaysCountFrom18991230) {
    EXPECT_DOUBLE_EQ(date_serial(1899, 12, 30), 0);
    EXPECT_DOUBLE_EQ(date_serial(2000, 1, 1), 36526);
    EXPECT_DOUBLE_EQ(date_serial(2024, 13, 1), date_serial(2025, 1, 1));
    EXPECT_EQ(format_date(date_serial(2024, 2, 29)), "2024-02-29");
    EXPECT_EQ(format_date(-1), "1899-12-29");
    CivilDate before = civil_from_ole(-1.25);  // the day counts back, the time forward
    EXPECT_EQ(before.day, 29);
    EXPECT_EQ(before.hour, 6);
    EXPECT_DOUBLE_EQ(*parse_date("1899-12-29 06:00"), -1.25);
    CivilDate late = civil_from_ole(date_serial(2024, 5, 1) + 86399.6 / 86400);  // rounds into the next day
    EXPECT_EQ(late.day, 2);
    EXPECT_EQ(late.hour, 0);
    EXPECT_DOUBLE_EQ(CDate(Variant("2024-05-01")), date_serial(2024, 5, 1));
    EXPECT_EQ(error_number([] { CDate(Variant("2024-02-30")); }), err::kTypeMismatch);
    EXPECT_GE(now_ole(), today_ole());
    EXPECT_LT(now_ole() - today_ole(), 1.0);
}

// Small numbers stay plain decimals down to 1E-11.
TEST(VbConversions, CStrWritesVbText) {
    const std::pair<Variant, const char*> cases[] = {
        {Variant(true), "True"},
        {Variant(false), "False"},
        {Variant(), ""},
        {Variant(0.1 + 0.2), "0.3"},
        {Variant(-12.75), "-12.75"},
        {Variant(1e20), "1E+20"},
        {Variant(0.00001), "0.00001"},
        {Variant(123456789012345.0), "123456789012345"},
        {Variant::currency(12.5), "12.5"},
        {Variant::single(0.1f), "0.1"},
        {Variant(3000000000LL), "3000000000"},
        {Variant(static_cast<long long>(INT64_MIN)), "-9223372036854775808"},
        {Variant(-7), "-7"},
        {Variant(0), "0"},
        {Variant::date(date_serial(2024, 5, 1)), "2024-05-01"},
        {Variant::date(date_serial(2024, 5, 1) + 0.5), "2024-05-01 12:00:00"},
        {Variant(5.6789e-5), "0.000056789"},
        {Variant(-5.6789e-5), "-0.000056789"},
        {Variant(5.6789e-11), "0.000000000056789"},
        {Variant(1e-11), "0.00000000001"},
        {Variant(9.99999999999999999e-12), "0.00000000001"},  // rounds to 15 digits first
        {Variant(9.9e-12), "9.9E-12"},
        {Variant(1e-12), "1E-12"},
        {Variant(-1.5e-300), "-1.5E-300"},
        {Variant(0.000123456789012345678), "0.000123456789012346"},
        {Variant(1e15), "1E+15"},
        {Variant(999999999999999.0), "999999999999999"},
        {Variant(-1.25e100), "-1.25E+100"},
        {Variant(100.0), "100"},
        {Variant::single(1e-5f), "0.00001"},
        {Variant::single(12345678.0f), "1.234568E+07"},
        {Variant::decimal(0.5), "0.5"},
        {Variant::currency_scaled(INT64_MAX), "922337203685477.5807"},  // exact, not a rounded double
        {Variant::currency_scaled(INT64_MIN), "-922337203685477.5808"},
        {Variant::currency_scaled(-5), "-0.0005"},
    };
    for (const auto& [value, text] : cases) EXPECT_EQ(CStr(value), text) << text;
    EXPECT_EQ(error_number([] { CStr(Variant::null()); }), err::kInvalidNull);
    TextBuffer buf;
    EXPECT_EQ(scalar_text(Variant(5.6789e-11), buf), "0.000000000056789");
    EXPECT_EQ(scalar_text(Variant("text"), buf), "");
}

TEST(VbConversions, ValuesBeyondWhatVbHoldsRaiseOverflow) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"Format percent of 1e307", [] { Format(Variant(1e307), "0%"); }},
        {"Format percent named", [] { Format(Variant(1.7e308), "Percent"); }},
        {"Format of infinity", [&] { Format(Variant(inf), "##0.00"); }},
        {"Format of NaN", [&] { Format(Variant(nan), "0"); }},
        {"CStr of infinity", [&] { CStr(Variant(-inf)); }},
        {"CStr of a date before 100", [] { CStr(Variant::date(-700000)); }},
        {"CLng of NaN", [&] { CLng(Variant(nan)); }},
        {"CLng of infinity", [&] { CLng(Variant(inf)); }},
        {"CLng of a huge text", [] { CLng(Variant("1e999")); }},
        {"CDate of a huge number", [] { CDate(Variant(1e300)); }},
        {"CDate past 9999", [] { CDate(Variant(2958466.0)); }},
        {"CCur of 1e15", [] { Variant::currency(1e15); }},
        {"CCur of NaN", [&] { Variant::currency(nan); }},
        {"DateSerial huge year", [] { date_serial(INT_MAX, 1, 1); }},
        {"DateSerial lowest year", [] { date_serial(INT_MIN, 1, 1); }},
        {"DateSerial huge month", [] { date_serial(2024, INT_MAX, 1); }},
        {"DateSerial lowest month", [] { date_serial(2024, INT_MIN, 1); }},
        {"DateSerial huge day", [] { date_serial(2024, 1, INT_MAX); }},
        {"DateSerial all lowest", [] { date_serial(INT_MIN, INT_MIN, INT_MIN); }},
        {"DateSerial year 10000", [] { date_serial(10000, 1, 1); }},
        {"DateSerial year 99", [] { date_serial(99, 12, 31); }},
        {"Format of a date past 9999", [] { Format(Variant(3e6), "yyyy-mm-dd"); }},
    };
    for (const auto& [what, call] : cases) EXPECT_EQ(error_number(call), err::kOverflow) << what;
    // the edges themselves still work
    EXPECT_EQ(format_date(date_serial(9999, 12, 31)), "9999-12-31");
    EXPECT_EQ(format_date(date_serial(100, 1, 1)), "0100-01-01");
    EXPECT_EQ(format_date(date_serial(9999, 13, -30)), "9999-12-01");
    EXPECT_EQ(CStr(Variant::date(date_serial(100, 1, 1) - 0.5)), "0100-01-01 12:00:00");
    EXPECT_GT(Variant::currency(922337203685477.0).int_value(), 0);
    const std::string big = Format(Variant(1e300), "0%");  // finite: every digit, as VB writes it
    EXPECT_EQ(big.size(), 304u);
    EXPECT_EQ(big.substr(0, 2), "10");
    EXPECT_EQ(big.back(), '%');
}

TEST(VbDates, ATimeRoundingUpToMidnightGivesTheNextDayBefore1900Too) {
    CivilDate c = civil_from_ole(-1.9999999);  // 1899-12-29 23:59:59.99
    EXPECT_EQ(c.year, 1899);
    EXPECT_EQ(c.month, 12);
    EXPECT_EQ(c.day, 30);
    EXPECT_EQ(c.hour, 0);
    EXPECT_EQ(CStr(Variant::date(-3.9999999)), "1899-12-28");
}

TEST(VbConversions, NumbersFromText) {
    EXPECT_DOUBLE_EQ(CDbl(Variant("1,234.5")), 1234.5);
    EXPECT_DOUBLE_EQ(CDbl(Variant(" -2.5 ")), -2.5);
    EXPECT_DOUBLE_EQ(CDbl(Variant("1e3")), 1000);
    EXPECT_DOUBLE_EQ(CDbl(Variant()), 0);
    EXPECT_DOUBLE_EQ(CDbl(Variant(true)), -1);
    for (const char* bad : {"12a", "", "abc", "1-2", "inf", "nan", "0x10", "1e", "--1"})
        EXPECT_EQ(error_number([&] { CDbl(Variant(bad)); }), err::kTypeMismatch) << bad;
    EXPECT_EQ(error_number([] { CDbl(Variant("1e999")); }), err::kOverflow);
    EXPECT_EQ(error_number([] { CDbl(Variant::null()); }), err::kInvalidNull);
}

TEST(VbConversions, CLngRoundsHalfToEvenAndOverflows) {
    const std::pair<double, std::int32_t> cases[] = {
        {2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {2.4999, 2}, {2.5001, 3}, {0.5, 0}, {1.5, 2},
        {2147483647.0, 2147483647}, {-2147483648.0, -2147483647 - 1}, {2147483647.4, 2147483647},
    };
    for (auto [in, out] : cases) EXPECT_EQ(CLng(Variant(in)), out) << in;
    EXPECT_EQ(CLng(Variant("1,234.5")), 1234);
    for (double big : {2147483647.5, 3e9, -2147483649.0})
        EXPECT_EQ(error_number([&] { CLng(Variant(big)); }), err::kOverflow) << big;
    EXPECT_EQ(error_number([] { CLng(Variant::null()); }), err::kInvalidNull);
    EXPECT_EQ(error_number([] { CLng(Variant("十")); }), err::kTypeMismatch);
}

TEST(VbConversions, CBool) {
    for (const char* yes : {"True", " true ", "-1"}) EXPECT_TRUE(CBool(Variant(yes))) << yes;
    for (const char* no : {"FALSE", "0"}) EXPECT_FALSE(CBool(Variant(no))) << no;
    EXPECT_TRUE(CBool(Variant(0.1)));
    EXPECT_FALSE(CBool(Variant()));
    EXPECT_EQ(error_number([] { CBool(Variant("yes")); }), err::kTypeMismatch);
    EXPECT_EQ(error_number([] { CBool(Variant::null()); }), err::kInvalidNull);
}

TEST(VbConversions, ValReadsTheLeadingNumber) {
    const std::pair<const char*, double> cases[] = {
        {"12abc", 12}, {" 1 2.5x", 12.5} /* VB skips blanks anywhere */, {"abc", 0}, {"", 0}, {"-3e2", -300},
        {"1,234", 1},  {"-.5", -0.5},    {"5e", 5},
    };
    for (auto [text, value] : cases) EXPECT_DOUBLE_EQ(Val(text), value) << text;
    EXPECT_DOUBLE_EQ(Val(Variant(2.5)), 2.5);
    EXPECT_DOUBLE_EQ(Val(Variant(true)), 0);
    EXPECT_EQ(error_number([] { Val(Variant::null()); }), err::kInvalidNull);
}

TEST(VbConversions, IsNumeric) {
    for (const char* yes : {"1,000", " -2.5 ", "0", ".5", "1e5", "+3"}) EXPECT_TRUE(IsNumeric(Variant(yes))) << yes;
    for (const char* no : {"", " ", "1-2", "abc", "12a", "一", "inf"}) EXPECT_FALSE(IsNumeric(Variant(no))) << no;
    EXPECT_TRUE(IsNumeric(Variant()));
    EXPECT_TRUE(IsNumeric(Variant(3)));
    EXPECT_FALSE(IsNumeric(Variant::null()));
    EXPECT_FALSE(IsNumeric(Variant::date(45000)));
}

TEST(VbLike, PatternsOverWholeCharacters) {
    struct {
        const char* text;
        const char* pattern;
        bool match;
    } cases[] = {
        {"螺栓M8", "螺?M#", true},
        {"螺栓M8", "螺?M", false},
        {"螺栓M8", "*M8", true},
        {"库存商品", "库*品", true},
        {"库存商品", "库[存货]??", true},
        {"库货商品", "库[!存]*", true},
        {"库存商品", "库[!存]*", false},
        {"中", "[一-龥]", true},
        {"z", "[一-龥]", false},
        {"B20240301-01", "B2024*-##", true},
        {"abc", "[a-c]b[!x]", true},
        {"abc", "[!a]*", false},
        {"ABC", "abc", false},  // binary compare
        {"a*c", "a[*]c", true},
        {"abc", "a[*]c", false},
        {"a-", "a[x-]", true},
        {"cdefine1", "cdefine*", true},
        {"cfree10", "cfree*", true},
        {"lstHead", "*head", false},
        {"lsthead", "*head", true},
        {"", "*", true},
        {"", "", true},
        {"a", "", false},
        {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*a*c", false},
        // overlong forms of "[", "*" and "?" are no pattern characters
        {"x", "\xC1\x9B", false},
        {"\xC1\x9B", "\xC1\x9B", true},
        {"abc", "\xC0\xAA", false},
        {"a", "\xE0\x80\xBF", false},
    };
    for (const auto& c : cases) EXPECT_EQ(Like(c.text, c.pattern), c.match) << c.text << " Like " << c.pattern;
    EXPECT_EQ(error_number([] { Like("a", "[a"); }), err::kInvalidPattern);
    EXPECT_EQ(error_number([] { Like("a", "[z-a]"); }), err::kInvalidPattern);
}

TEST(VbText, CaseAndTrim) {
    EXPECT_EQ(UCase("abc中"), "ABC中");
    EXPECT_EQ(LCase("ABC中"), "abc中");
    EXPECT_EQ(Trim("  a b  "), "a b");
    EXPECT_EQ(LTrim("  a "), "a ");
    EXPECT_EQ(RTrim("  a "), "  a");
    EXPECT_EQ(Trim("\t a \t"), "\t a \t");  // only blanks, as VB
}

// The one ASCII case fold: letters A-Z only, every other byte (UTF-8 included) as it is.
TEST(AsciiFold, OnlyAsciiLettersChange) {
    EXPECT_EQ(lower_ascii("ST0118 Ab-z@[`{"), "st0118 ab-z@[`{");
    EXPECT_EQ(upper_ascii("st0118 aB-Z@[`{"), "ST0118 AB-Z@[`{");
    EXPECT_EQ(lower_ascii("原料仓ÀÉ"), "原料仓ÀÉ");
    EXPECT_EQ(upper_ascii("原料仓àé"), "原料仓àé");
    static_assert(lower_ascii('Q') == 'q' && upper_ascii('q') == 'Q' && lower_ascii('\xC3') == '\xC3');
}

TEST(AsciiFold, EqualityAndOrderIgnoreCaseOnly) {
    EXPECT_TRUE(iequals_ascii("cInvCode", "CINVCODE"));
    EXPECT_FALSE(iequals_ascii("cInvCode", "cInvCod"));
    EXPECT_FALSE(iequals_ascii("a_", "A-"));
    EXPECT_TRUE(iequals_ascii("仓A", "仓a"));
    EXPECT_TRUE(iless_ascii("abc", "ABD"));
    EXPECT_FALSE(iless_ascii("ABC", "abc"));
    EXPECT_FALSE(iless_ascii("abc", "ABC"));
    EXPECT_TRUE(iless_ascii("AB", "abc"));
    // '_' lies between 'Z' and 'a': folded to lower case, as NOCASE does, it sorts before every letter.
    EXPECT_TRUE(iless_ascii("_", "A"));
    EXPECT_FALSE(iless_ascii("Z", "_"));
    EXPECT_TRUE(iless_ascii("z", "仓"));  // UTF-8 bytes order after ASCII
}

}  // namespace
}  // namespace korvane::vb
