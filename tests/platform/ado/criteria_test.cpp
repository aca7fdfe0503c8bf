#include "platform/ado/criteria.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ado/types.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"

namespace korvane::ado::detail {
namespace {

// cWhCode text, cInvName text, iQuantity decimal, dVDate date, cBatch text (may be Null)
const char* kNames[] = {"cWhCode", "cInvName", "iQuantity", "dVDate", "cBatch"};
const int kTypes[] = {adVarWChar, adVarWChar, adDecimal, adDBTimeStamp, adVarWChar};

std::vector<std::vector<Variant>> rows() {
    auto d = [](int y, int m, int dd) { return Variant::date(vb::date_serial(y, m, dd)); };
    return {
        {Variant("01"), Variant("不锈钢螺栓 M8"), Variant::decimal(10), d(2024, 5, 1), Variant("B1")},
        {Variant("01"), Variant("电机外壳"), Variant::decimal(-2.5), d(2024, 6, 1), Variant::null()},
        {Variant("02"), Variant("O'Brien 垫片"), Variant::decimal(0), Variant::null(), Variant("b2")},
        {Variant("03"), Variant("螺母"), Variant::decimal(100), d(2023, 12, 31), Variant("")},
    };
}

ColumnLookup lookup() {
    return [](std::string_view name) -> std::optional<ColumnRef> {
        for (int i = 0; i < 5; ++i) {
            std::string a(name), b(kNames[i]);
            if (vb::LCase(a) == vb::LCase(b)) return ColumnRef{i, kTypes[i]};
        }
        return std::nullopt;
    };
}

std::vector<int> matching(const std::string& text) {
    Criteria c = parse_criteria(text, lookup());
    std::vector<int> out;
    auto data = rows();
    for (int i = 0; i < static_cast<int>(data.size()); ++i)
        if (c.matches(data[i].data())) out.push_back(i);
    return out;
}

TEST(FilterCriteria, SelectTheExpectedRows) {
    struct Case {
        const char* text;
        std::vector<int> expected;
    } cases[] = {
        {"cWhCode = '01'", {0, 1}},
        {"cwhcode='01'", {0, 1}},
        {"[cWhCode] <> '01'", {2, 3}},
        {"iQuantity > 0", {0, 3}},
        {"iQuantity >= '0'", {0, 2, 3}},
        {"iQuantity < -1", {1}},
        {"iQuantity <= 10 AND cWhCode = '01'", {0, 1}},
        {"cWhCode = '03' OR cWhCode = '02' AND iQuantity > 5", {3}},
        {"(cWhCode = '03' OR cWhCode = '02') AND iQuantity >= 0", {2, 3}},
        {"cBatch = null", {1}},
        {"cBatch=NULL", {1}},
        {"cBatch <> Null", {0, 2, 3}},
        {"cBatch = 'B2'", {2}},
        {"cInvName LIKE '螺*'", {3}},
        {"cInvName like '%螺%'", {0, 3}},
        {"cInvName LIKE 'o''brien*'", {2}},
        {"dVDate > #2024-01-01#", {0, 1}},
        {"dVDate = #2024/05/01#", {0}},
        {"dVDate < '2024-05-02'", {0, 3}},
        {"  ", {0, 1, 2, 3}},
    };
    for (const auto& c : cases) EXPECT_EQ(matching(c.text), c.expected) << c.text;
}

TEST(FilterCriteria, MalformedTextSaysWhatIsWrong) {
    struct Case {
        const char* text;
        long number;
        const char* fragment;
    } cases[] = {
        {"cWhCode = ", err::kBadArgs, "expected a value after '='"},
        {"cWhCode '01'", err::kBadArgs, "expected an operator"},
        {"cWhCode = '01", err::kBadArgs, "not closed"},
        {"(cWhCode = '01'", err::kBadArgs, "'(' is not closed"},
        {"cWhCode = '01' AND", err::kBadArgs, "expected a field name"},
        {"iQuantity = 'many'", err::kBadArgs, "not a number"},
        {"dVDate = #2023-02-29#", err::kBadArgs, "not a date"},
        {"cBatch > Null", err::kBadArgs, "Null"},
        {"cInvName LIKE 5", err::kBadArgs, "LIKE needs a text"},
        {"nosuch = 1", err::kItemNotFound, "nosuch"},
        {"cWhCode = '01' extra", err::kBadArgs, "unexpected"},
    };
    for (const auto& c : cases) {
        try {
            parse_criteria(c.text, lookup());
            ADD_FAILURE() << "no error for " << c.text;
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), c.number) << c.text;
            EXPECT_NE(e.description().find(c.fragment), std::string::npos) << c.text << ": " << e.description();
        }
    }
}

TEST(SortKeys, ParseDirectionsAndRefuseUnknownFields) {
    auto keys = parse_sort("cWhCode, iQuantity DESC, [dVDate] asc", lookup());
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[0].column, 0);
    EXPECT_FALSE(keys[0].descending);
    EXPECT_EQ(keys[1].column, 2);
    EXPECT_TRUE(keys[1].descending);
    EXPECT_FALSE(keys[2].descending);
    EXPECT_TRUE(parse_sort("", lookup()).empty());
    try {
        parse_sort("cWhCode, nosuch DESC", lookup());
        ADD_FAILURE();
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), err::kItemNotFound);
        EXPECT_NE(e.description().find("nosuch"), std::string::npos);
    }
}

TEST(ValueOrder, NullsFirstNumbersByValueTextFolded) {
    EXPECT_LT(compare_values(Variant::null(), Variant(-1e9)), 0);
    EXPECT_EQ(compare_values(Variant::null(), Variant()), 0);
    EXPECT_LT(compare_values(Variant(2), Variant(10.0)), 0);
    EXPECT_EQ(compare_values(Variant::currency(1.5), Variant(1.5)), 0);
    EXPECT_EQ(compare_values(Variant("abc"), Variant("ABC")), 0);
    EXPECT_LT(compare_values(Variant("a"), Variant("B")), 0);
    EXPECT_LT(compare_values(Variant("Z"), Variant("螺")), 0);
    EXPECT_EQ(compare_values(Variant(5), Variant(" 5")), 0);
    EXPECT_LT(compare_values(Variant(5), Variant("x")), 0);
    EXPECT_GT(compare_values(Variant(false), Variant(true)), 0);  // True is -1
}

}  // namespace
}  // namespace korvane::ado::detail
