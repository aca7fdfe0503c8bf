#include "platform/ado/criteria.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cmath>
#include <string>
#include <vector>

#include "platform/ado/types.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"
#include "tests/support/errors.h"

namespace korvane::ado::detail {
namespace {

struct Col {
    const char* name;
    int type;
};
const Col kCols[] = {{"cInvCode", adVarWChar}, {"cInvName", adVarWChar}, {"iQuantity", adDecimal},
                     {"iNum", adInteger},      {"dDate", adDBTimeStamp}, {"bFree", adBoolean},
                     {"mPrice", adCurrency},   {"cBatch", adVarWChar}};

Variant day(int y, int m, int d, double hours = 0) { return Variant::date(vb::date_serial(y, m, d) + hours / 24); }

const std::vector<std::vector<Variant>>& rows() {
    static const std::vector<std::vector<Variant>> r = {
        {Variant("A001"), Variant("不锈钢螺栓 M8"), Variant::decimal(10), Variant(1), day(2024, 5, 1), Variant(true),
         Variant::currency(12.5), Variant("B1")},
        {Variant("a002"), Variant("电机外壳"), Variant::decimal(-2.5), Variant(2), day(2024, 6, 1, 10.5), Variant(false),
         Variant::currency(0.1), Variant::null()},
        {Variant("B010"), Variant("O'Brien 垫片"), Variant::decimal(0), Variant(3), Variant::null(), Variant(false),
         Variant::null(), Variant("b1")},
        {Variant("C100"), Variant("螺母"), Variant::decimal(1000), Variant(40), day(2023, 12, 31), Variant(true),
         Variant::currency(1000), Variant()},
        {Variant("c5"), Variant::null(), Variant::null(), Variant::null(), day(2024, 5, 1), Variant::null(),
         Variant::currency(0), Variant("")},
    };
    return r;
}

ColumnLookup lookup() {
    return [](std::string_view name) -> std::optional<ColumnRef> {
        for (int i = 0; i < static_cast<int>(std::size(kCols)); ++i)
            if (vb::LCase(name) == vb::LCase(kCols[i].name)) return ColumnRef{i, kCols[i].type};
        return std::nullopt;
    };
}

std::vector<int> matching(const std::string& text) {
    Criteria c = parse_criteria(text, lookup());
    std::vector<int> out;
    for (int i = 0; i < static_cast<int>(rows().size()); ++i)
        if (c.matches(rows()[i].data())) out.push_back(i);
    return out;
}

TEST(FilterCriteria, SelectTheExpectedRows) {
    struct Case {
        const char* text;
        std::vector<int> expected;
    } cases[] = {
        // text, case-insensitive in names, keywords and values
        {"cInvCode = 'A001'", {0}},
        {"cinvcode='a001'", {0}},
        {"[cInvCode] <> 'A001'", {1, 2, 3, 4}},
        {"cInvCode > 'B'", {2, 3, 4}},
        {"cBatch <> 'B1'", {4}},
        // numbers; a text literal against a number field compares as a number
        {"iQuantity > 0", {0, 3}},
        {"iQuantity >= '0'", {0, 2, 3}},
        {"iQuantity < -1", {1}},
        {"iQuantity = 1e3", {3}},
        {"iQuantity=-2.5", {1}},
        {"mPrice = 0.1", {1}},
        {"mPrice >= 12.5", {0, 3}},
        {"mPrice = 1000", {3}},
        {"bFree = True", {0, 3}},
        {"bFree = 1", {0, 3}},
        {"bFree = 'false'", {1, 2}},
        // dates
        {"dDate > #2024-01-01#", {0, 1, 4}},
        {"dDate = #2024/05/01#", {0, 4}},
        {"dDate < '2024-05-02'", {0, 3, 4}},
        {"dDate >= #2024-06-01 10:30#", {1}},
        // Null and Empty
        {"cBatch = null", {1, 3}},
        {"cBatch=NULL", {1, 3}},
        {"cBatch <> Null", {0, 2, 4}},
        {"iNum < 100", {0, 1, 2, 3}},
        // LIKE, wildcards anywhere
        {"cInvName LIKE '螺*'", {3}},
        {"cInvName like '%螺%'", {0, 3}},
        {"cInvName LIKE '*m8'", {0}},
        {"cInvName LIKE '不*螺*8'", {0}},
        {"cInvName LIKE 'o''brien*'", {2}},
        {"cInvCode LIKE 'C5'", {4}},
        {"cInvCode LIKE '*'", {0, 1, 2, 3, 4}},
        {"iNum LIKE '4*'", {3}},
        // AND binds tighter than OR; parentheses; blanks optional
        {"cInvCode = 'C100' OR cInvCode = 'B010' AND iNum > 5", {3}},
        {"(cInvCode = 'C100' OR cInvCode = 'B010') AND iNum < 5", {2}},
        {"iQuantity > 0 AND (cBatch = Null OR cBatch = 'B1')", {0, 3}},
        {"cInvCode='A001'OR(iNum=40)", {0, 3}},
        {"((cInvCode = 'A001'))", {0}},
        {"  ", {0, 1, 2, 3, 4}},
    };
    for (const auto& c : cases) EXPECT_EQ(matching(c.text), c.expected) << c.text;
}

TEST(FilterCriteria, MalformedTextSaysWhatIsWrongAndWhere) {
    const Error missing = korvane::testing::raised([] { parse_criteria("cInvCode = ", lookup()); });
    EXPECT_EQ(missing.number(), err::kBadArgs);
    EXPECT_EQ(missing.description(), "Filter: expected a value after '=' at position 10 in \"cInvCode = \"");
    struct Case {
        std::string text;
        long number;
        const char* fragment;
    } cases[] = {
        {"cInvCode '01'", err::kBadArgs, "expected an operator after 'cInvCode', found '01' at position 10"},
        {"cInvCode == 'x'", err::kBadArgs, "expected a value after '=', found '=' at position 11"},
        {"cInvCode = abc", err::kBadArgs, "found 'abc'"},
        {"cInvCode = 'A01", err::kBadArgs, "opened at position 12 is not closed"},
        {"[cInvCode = 1", err::kBadArgs, "field name opened at position 1 is not closed"},
        {"(cInvCode = 'A001'", err::kBadArgs, "the '(' at position 1 is not closed"},
        {"cInvCode = 'A001')", err::kBadArgs, "unexpected ')' at position 18"},
        {"cInvCode = 'A001' AND", err::kBadArgs, "expected a field name after 'AND'"},
        {"cInvName = '螺母' extra", err::kBadArgs, "expected AND or OR after '螺母', found 'extra' at position 17"},
        {"cInvCode = 'a' & iNum = 1", err::kBadArgs, "unexpected character '&'"},
        {"iNum = 1.2.3", err::kBadArgs, "'1.2.3' is not a number"},
        {"iQuantity = 'many'", err::kBadArgs, "'many' cannot be converted to a number for field 'iQuantity'"},
        {"dDate = #2023-02-29#", err::kBadArgs, "#2023-02-29# is not a valid date"},
        {"dDate = 'soon'", err::kBadArgs, "cannot be converted to a date"},
        {"bFree = 'maybe'", err::kBadArgs, "True or False"},
        {"cBatch > Null", err::kBadArgs, "Null can only be compared with = or <>"},
        {"cInvName LIKE 5", err::kBadArgs, "LIKE needs a text pattern"},
        {std::string(300, '(') + "iNum = 1" + std::string(300, ')'), err::kBadArgs, "nested too deeply"},
        {"nosuch = 1", err::kItemNotFound, "no field 'nosuch'"},
        {"iNum = 1 OR [名称] = 'x'", err::kItemNotFound, "名称"},
    };
    for (const auto& c : cases) {
        const Error e = korvane::testing::raised([&] { parse_criteria(c.text, lookup()); });
        EXPECT_EQ(e.number(), c.number) << c.text;
        EXPECT_NE(e.description().find(c.fragment), std::string::npos) << c.text << ": " << e.description();
    }
}

TEST(SortKeys, ParseFieldsAndDirections) {
    struct Case {
        const char* text;
        std::vector<std::pair<int, bool>> keys;  // column, descending
    } cases[] = {
        {"cInvCode", {{0, false}}},
        {"cInvCode, iQuantity DESC, [dDate] asc", {{0, false}, {2, true}, {4, false}}},
        {"  inum desc ,cInvName", {{3, true}, {1, false}}},
        {"[cInvName]DESC", {{1, true}}},
        {"", {}},
        {"   ", {}},
    };
    for (const auto& c : cases) {
        std::vector<std::pair<int, bool>> got;
        for (const SortKey& k : parse_sort(c.text, lookup())) got.emplace_back(k.column, k.descending);
        EXPECT_EQ(got, c.keys) << c.text;
    }
}

TEST(SortKeys, RefuseUnknownFieldsAndMalformedLists) {
    struct Case {
        const char* text;
        long number;
        const char* fragment;
    } cases[] = {
        {"cInvCode, nosuch DESC", err::kItemNotFound,
         "Item cannot be found in the collection corresponding to the requested name or ordinal. (Sort: no field 'nosuch')"},
        {"cInvCode,", err::kBadArgs, "expected a field name after ',' at position 9"},
        {", iNum", err::kBadArgs, "expected a field name at position 1"},
        {"cInvCode DOWN", err::kBadArgs, "expected ASC, DESC or ',' after 'cInvCode', found 'DOWN' at position 10"},
        {"cInvCode DESC iNum", err::kBadArgs, "expected ',' after 'DESC', found 'iNum'"},
        {"[cInvCode", err::kBadArgs, "not closed"},
    };
    for (const auto& c : cases) {
        const Error e = korvane::testing::raised([&] { parse_sort(c.text, lookup()); });
        EXPECT_EQ(e.number(), c.number) << c.text;
        EXPECT_NE(e.description().find(c.fragment), std::string::npos) << c.text << ": " << e.description();
    }
}

// LIKE compares a number or a date on the text CStr gives it.
TEST(FilterCriteria, LikeOnNumbersAndDatesReadsTheirVbText) {
    const std::vector<std::vector<Variant>> r = {
        {Variant("A"), Variant(), Variant(5.6789e-5), Variant(1), day(2024, 5, 1, 12), Variant(), Variant::currency(0.5),
         Variant()},
        {Variant("B"), Variant(), Variant(5.6789e-11), Variant(2), day(2024, 5, 1), Variant(), Variant::currency(12),
         Variant()},
        {Variant("C"), Variant(), Variant(1e-12), Variant(3), Variant(), Variant(), Variant::currency_scaled(INT64_MAX),
         Variant()},
    };
    auto pick = [&r](const std::string& text) {
        Criteria c = parse_criteria(text, lookup());
        std::vector<int> out;
        for (int i = 0; i < static_cast<int>(r.size()); ++i)
            if (c.matches(r[i].data())) out.push_back(i);
        return out;
    };
    EXPECT_EQ(pick("iQuantity LIKE '0.0000*'"), (std::vector<int>{0, 1}));
    EXPECT_EQ(pick("iQuantity LIKE '*56789'"), (std::vector<int>{0, 1}));
    EXPECT_EQ(pick("iQuantity LIKE '*E-12'"), (std::vector<int>{2}));
    EXPECT_EQ(pick("mPrice LIKE '0.5'"), (std::vector<int>{0}));
    EXPECT_EQ(pick("mPrice LIKE '*.5807'"), (std::vector<int>{2}));
    EXPECT_EQ(pick("dDate LIKE '2024-05-01 12:00:00'"), (std::vector<int>{0}));
    EXPECT_EQ(pick("dDate LIKE '2024-05-01'"), (std::vector<int>{1}));
}

// A date the driver can read but VB cannot show: LIKE raises CStr's error
// instead of ending the process; comparisons still work on the number.
TEST(FilterCriteria, LikeOnADateOutsideVbsRangeRaisesOverflow) {
    const std::vector<Variant> early = {Variant("A"), Variant(), Variant(), Variant(), Variant::date(-675000.0),
                                        Variant(), Variant(), Variant()};
    const std::vector<Variant> late = {Variant("B"), Variant(), Variant(), Variant(), Variant::date(3e6),
                                       Variant(), Variant(), Variant()};
    Criteria like = parse_criteria("dDate LIKE '00*'", lookup());
    for (const auto* row : {&early, &late})
        EXPECT_EQ(korvane::testing::error_number([&] { (void)like.matches(row->data()); }), err::kOverflow);
    Criteria first = parse_criteria("cInvCode LIKE 'A*' OR dDate LIKE '*'", lookup());
    EXPECT_TRUE(first.matches(early.data()));  // decided before the date is read
    EXPECT_EQ(korvane::testing::error_number([&] { (void)first.matches(late.data()); }), err::kOverflow);
    EXPECT_TRUE(parse_criteria("dDate < #1900-01-01#", lookup()).matches(early.data()));
    EXPECT_TRUE(parse_criteria("dDate > #9999-12-31#", lookup()).matches(late.data()));
}

int sign(int v) { return (v > 0) - (v < 0); }
std::string describe(const Variant& v) {
    if (v.is_number() && std::isnan(v.number())) return "NaN";
    return v.is_null() ? "Null" : v.is_empty() ? "Empty" : vb::CStr(v);
}

TEST(ValueOrder, NullsFirstNumbersByValueTextFolded) {
    struct Case {
        Variant a, b;
        int expected;
    } cases[] = {
        {Variant::null(), Variant(), 0},
        {Variant::null(), Variant(-1e9), -1},
        {Variant(), Variant(""), -1},
        {Variant(), Variant(2.5), -1},
        {Variant(2), Variant(10.0), -1},
        {Variant(9007199254740993LL), Variant(9007199254740992LL), 1},  // beyond a double's precision
        {Variant::currency(1.5), Variant(1.5), 0},
        {Variant::currency_scaled(10000), Variant(1), 0},
        {Variant(true), Variant(false), -1},  // True is -1
        {Variant::date(45413), Variant(45413.0), 0},
        {Variant(std::nan("")), Variant(-1e300), -1},
        {Variant("abc"), Variant("ABC"), 0},
        {Variant("a"), Variant("B"), -1},
        {Variant("_"), Variant("a"), -1},  // folded to lower case, as NOCASE does
        {Variant("Z"), Variant("螺"), -1},
        {Variant("螺母"), Variant("螺栓"), 1},  // by code point
        {Variant("Warehouse-0001-a"), Variant("WAREHOUSE-0001-A"), 0},
        {Variant("inv00012345abc"), Variant("INV00012345ABD"), -1},
        {Variant("10"), Variant("9"), -1},  // texts stay texts
        {Variant(5), Variant(" 5"), 0},
        {Variant(10), Variant("9"), 1},
        {Variant(5), Variant("x"), -1},
        {Variant("x"), Variant(5), 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sign(compare_values(c.a, c.b)), c.expected) << describe(c.a) << " vs " << describe(c.b);
        EXPECT_EQ(sign(compare_values(c.b, c.a)), -c.expected) << describe(c.b) << " vs " << describe(c.a);
    }
}

// What Sort uses must be a strict weak order whatever a column mixes, or a
// stable sort may misplace rows; compare_values follows VB (numbers as
// Doubles, numeric texts as numbers) and is not one.
TEST(ValueOrder, SortOrderIsAStrictWeakOrderOverMixedValues) {
    const std::vector<Variant> v = {
        Variant(), Variant::null(), Variant(9007199254740993LL), Variant(9007199254740992LL),
        Variant(9007199254740992.0), Variant::currency_scaled(9007199254740993LL),
        Variant::currency_scaled(9007199254740992LL), Variant(900719925474.0992), Variant(10), Variant(9.5),
        Variant("9"), Variant("10"), Variant(" 9.5"), Variant(std::nan("")), Variant("abc"), Variant("ABC"),
        Variant(true), Variant::date(2.5), Variant::currency(0.1), Variant(0.1), Variant::single(0.1f),
    };
    for (const Variant& a : v) {
        EXPECT_EQ(sort_order(a, a), 0) << describe(a);
        for (const Variant& b : v) {
            const int ab = sign(sort_order(a, b));
            ASSERT_EQ(ab, -sign(sort_order(b, a))) << describe(a) << " vs " << describe(b);
            for (const Variant& c : v) {
                const int bc = sign(sort_order(b, c)), ac = sign(sort_order(a, c));
                auto seen = [&] { return describe(a) + ", " + describe(b) + ", " + describe(c); };
                if (ab < 0 && bc < 0) {
                    ASSERT_LT(ac, 0) << seen();
                }
                if (ab == 0 && bc == 0) {
                    ASSERT_EQ(ac, 0) << seen();
                }
                if ((ab < 0 && bc == 0) || (ab == 0 && bc < 0)) {
                    ASSERT_LT(ac, 0) << seen();
                }
            }
        }
    }
    EXPECT_EQ(sort_order(Variant(9007199254740993LL), Variant(9007199254740992.0)), 1);
    EXPECT_EQ(compare_values(Variant(9007199254740993LL), Variant(9007199254740992.0)), 0);  // as VB compares
    EXPECT_EQ(sort_order(Variant(10), Variant("9")), -1);  // every number before every text
    EXPECT_EQ(sort_order(Variant::currency(1.5), Variant(1.5)), 0);
    EXPECT_EQ(sort_order(Variant::null(), Variant()), 0);
}

}  // namespace
}  // namespace korvane::ado::detail
