#include "platform/vb/convert.h"

#include <gtest/gtest.h>

#include "tests/support/errors.h"

#include "platform/vb/collection.h"
#include "platform/vb/error.h"

namespace korvane::vb {
namespace {

using testing::error_number;

TEST(VbFormat, NumberPatternsRoundHalfAwayFromZeroOnTheDecimalValue) {
    struct Case {
        double value;
        const char* pattern;
        const char* expected;
    } cases[] = {
        {2.675, "##0.00", "2.68"},     {1.005, "##0.00", "1.01"},   {-2.675, "##0.00", "-2.68"},
        {2.5, "##0", "3"},             {-2.5, "##0", "-3"},         {0.125, "##0.00", "0.13"},
        {1234567.891, "##0.00", "1234567.89"}, {1234567.891, "#,##0.00", "1,234,567.89"},
        {0, "##0.000000", "0.000000"}, {-0.001, "##0.00", "0.00"},  {99.995, "##0.00", "100.00"},
        {7, "##0.", "7."},             {0.5, "#.00", ".50"},        {1e15, "##0", "1000000000000000"},
    };
    for (const auto& c : cases) EXPECT_EQ(Format(Variant(c.value), c.pattern), c.expected) << c.value << " " << c.pattern;
    EXPECT_EQ(Format(Variant("3.14159"), "##0.00"), "3.14");
    EXPECT_EQ(Format(Variant("abc"), "##0.00"), "abc");
    EXPECT_EQ(Format(Variant::null(), "##0.00"), "");
    EXPECT_EQ(decimals_pattern(3), "##0.000");
    EXPECT_EQ(decimals_pattern(0), "##0");
}

TEST(VbFormat, DatePatterns) {
    Variant d = Variant::date(date_serial(2024, 3, 5) + 0.5);
    EXPECT_EQ(Format(d, "YYYY-MM-DD"), "2024-03-05");
    EXPECT_EQ(Format(d, "yyyy-mm-dd"), "2024-03-05");
    EXPECT_EQ(Format(d, "YYYY-MM-DD HH:MM:SS"), "2024-03-05 12:00:00");
    EXPECT_EQ(Format(Variant("2024/3/5"), "YYYY-MM-DD"), "2024-03-05");
}

TEST(VbDates, IsDateTakesRealCalendarDatesOnly) {
    for (const char* yes : {"2024-02-29", "2024/12/31", "2024-1-5", "2023-06-30 08:15", "2023-06-30 08:15:59"})
        EXPECT_TRUE(IsDate(Variant(yes))) << yes;
    for (const char* no : {"2024-13-01", "2023-02-29", "2024-04-31", "24-01-01", "2024-01", "", "abc",
                           "2024-01-01 25:00", "2024-01/01"})
        EXPECT_FALSE(IsDate(Variant(no))) << no;
    EXPECT_EQ(format_date(date_serial(1899, 12, 30)), "1899-12-30");
    EXPECT_DOUBLE_EQ(date_serial(1899, 12, 30), 0);
    EXPECT_DOUBLE_EQ(date_serial(2000, 1, 1), 36526);
    EXPECT_EQ(CStr(Variant::date(date_serial(2024, 5, 1))), "2024-05-01");
}

TEST(VbConversions, TextAndNumbers) {
    EXPECT_DOUBLE_EQ(CDbl(Variant("1,234.5")), 1234.5);
    EXPECT_DOUBLE_EQ(CDbl(Variant()), 0);
    EXPECT_EQ(error_number([] { CDbl(Variant("12a")); }), err::kTypeMismatch);
    EXPECT_EQ(error_number([] { CDbl(Variant::null()); }), err::kInvalidNull);
    EXPECT_EQ(CLng(Variant(2.5)), 2);
    EXPECT_EQ(CLng(Variant(3.5)), 4);
    EXPECT_EQ(CLng(Variant(-2.5)), -2);
    EXPECT_EQ(error_number([] { CLng(Variant(3e9)); }), err::kOverflow);
    EXPECT_TRUE(CBool(Variant("True")));
    EXPECT_FALSE(CBool(Variant("0")));
    EXPECT_EQ(error_number([] { CBool(Variant("yes")); }), err::kTypeMismatch);
    EXPECT_EQ(CStr(Variant(true)), "True");
    EXPECT_EQ(CStr(Variant(0.1)), "0.1");
    EXPECT_EQ(CStr(Variant(-12.75)), "-12.75");
    EXPECT_EQ(CStr(Variant(1e20)), "1E+20");
    EXPECT_EQ(CStr(Variant::currency(12.5)), "12.5");
    EXPECT_EQ(error_number([] { CStr(Variant::null()); }), err::kInvalidNull);
    EXPECT_DOUBLE_EQ(Val("12abc"), 12);
    EXPECT_DOUBLE_EQ(Val(" 1 2.5x"), 12.5);
    EXPECT_DOUBLE_EQ(Val("abc"), 0);
    EXPECT_DOUBLE_EQ(Val("-3e2"), -300);
    EXPECT_TRUE(IsNumeric(Variant("1,000")));
    EXPECT_TRUE(IsNumeric(Variant(" -2.5 ")));
    EXPECT_FALSE(IsNumeric(Variant("")));
    EXPECT_FALSE(IsNumeric(Variant::null()));
    EXPECT_FALSE(IsNumeric(Variant("1-2")));
}

TEST(VbLike, PatternsOverWholeCharacters) {
    EXPECT_TRUE(Like("螺栓M8", "螺?M#"));
    EXPECT_TRUE(Like("B20240301-01", "B2024*-##"));
    EXPECT_TRUE(Like("abc", "[a-c]b[!x]"));
    EXPECT_FALSE(Like("abc", "[!a]*"));
    EXPECT_FALSE(Like("ABC", "abc"));  // binary compare
    EXPECT_TRUE(Like("", "*"));
    EXPECT_FALSE(Like("a", ""));
    EXPECT_EQ(UCase("abc中"), "ABC中");
    EXPECT_EQ(Trim("  a b  "), "a b");
}

TEST(VbVariant, StaysSmallAndSharesLongText) {
    static_assert(sizeof(Variant) <= 16);
    std::string exact(14, 'x'), longer(15, 'y');
    Variant a(exact), b(longer), c("库存商品名称很长的一段文字");
    Variant copy = b;
    EXPECT_EQ(copy.str(), longer);
    EXPECT_EQ(a.str(), exact);
    EXPECT_EQ(c.str(), "库存商品名称很长的一段文字");
    Variant moved = std::move(c);
    EXPECT_EQ(moved.str(), "库存商品名称很长的一段文字");
    EXPECT_TRUE(c.is_empty());
    EXPECT_EQ(Variant(true).int_value(), -1);
}

TEST(VbCollection, KeysFoldCaseAndMissingItemsRaiseFive) {
    Collection col;
    col.Add(Variant(1), Variant("Head"));
    col.Add(Variant(2), Variant("Body"));
    col.Add(Variant(0), Variant("First"), Variant(1));
    col.Add(Variant(3), Variant(), Variant(), Variant("body"));
    EXPECT_EQ(col.Count(), 4);
    EXPECT_EQ(col.Item(Variant("HEAD")).int_value(), 1);
    EXPECT_EQ(col.Item(Variant(1)).int_value(), 0);
    EXPECT_EQ(col.Item(Variant(4)).int_value(), 3);
    EXPECT_EQ(error_number([&] { col.Add(Variant(9), Variant("head")); }), 457);
    EXPECT_EQ(error_number([&] { (void)col.Item(Variant("Date")); }), err::kInvalidCall);
    EXPECT_EQ(error_number([&] { (void)col.Item(Variant(5)); }), err::kInvalidCall);
    EXPECT_EQ(col.Count(), 4);
    col.Remove(Variant("first"));
    EXPECT_EQ(col.Item(Variant("body")).int_value(), 2);
    EXPECT_EQ(col.KeyAt(1), "Head");
    long sum = 0;
    for (const Variant& v : col) sum += v.int_value();
    EXPECT_EQ(sum, 6);
}

}  // namespace
}  // namespace korvane::vb
