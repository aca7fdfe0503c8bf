#include "platform/vb/variant.h"

#include <gtest/gtest.h>

#include <utility>

namespace korvane {
namespace {

class Probe : public Object {
public:
    std::string_view type_name() const override { return "Probe"; }
};

TEST(VbVariant, KindsAndVbBooleans) {
    EXPECT_TRUE(Variant().is_empty());
    EXPECT_TRUE(Variant::null().is_null());
    EXPECT_EQ(Variant(true).int_value(), -1);
    EXPECT_EQ(Variant(false).int_value(), 0);
    EXPECT_EQ(Variant(5).type(), VarType::Long);
    EXPECT_EQ(Variant(2.5).type(), VarType::Double);
    EXPECT_EQ(Variant::currency(1.23456).int_value(), 12346);  // held in ten-thousandths
    EXPECT_DOUBLE_EQ(Variant::date(45000.5).number(), 45000.5);
    EXPECT_FALSE(Variant(true).is_number());
    EXPECT_FALSE(Variant::date(1).is_number());
    EXPECT_NE(Variant(1), Variant(1.0));  // same value, different kinds
    EXPECT_EQ(Variant("a"), Variant(std::string("a")));
}

// 14 bytes fit inline; 15 go to a shared block. Both must read back exactly
// through copies, moves and assignments.
TEST(VbVariant, TextAtTheInlineBoundarySurvivesCopiesAndMoves) {
    static_assert(sizeof(Variant) == 16);
    const std::string texts[] = {
        "",
        std::string(14, 'x'),
        std::string(15, 'y'),
        "库存商品",            // 12 bytes
        "库存商品名",          // 15 bytes: just over
        "仓库A1-库位B20",      // mixed, 18 bytes
        std::string("a\0b", 3),
    };
    for (const std::string& t : texts) {
        Variant v(t);
        Variant copy = v;
        Variant moved = std::move(copy);
        Variant assigned;
        assigned = moved;
        Variant move_assigned(1);
        move_assigned = std::move(assigned);
        EXPECT_EQ(v.str(), t);
        EXPECT_EQ(moved.str(), t);
        EXPECT_EQ(move_assigned.str(), t);
        EXPECT_TRUE(copy.is_empty());
        EXPECT_TRUE(assigned.is_empty());
    }
}

TEST(VbVariant, ReassigningDropsTheOldText) {
    Variant v(std::string(40, 'a'));
    Variant keep = v;
    v = Variant("短");
    EXPECT_EQ(v.str(), "短");
    EXPECT_EQ(keep.str(), std::string(40, 'a'));
    v = v;  // self-assignment keeps the value
    EXPECT_EQ(v.str(), "短");
}

TEST(VbVariant, ObjectsAreSharedAndReleased) {
    auto probe = std::make_shared<Probe>();
    {
        Variant a(probe);
        Variant b = a;
        Variant c = std::move(b);
        EXPECT_EQ(probe.use_count(), 2);  // one box, shared by a and c
        EXPECT_EQ(a.object(), probe);
        EXPECT_EQ(c.as<Probe>(), probe);
        EXPECT_EQ(a, c);
        EXPECT_TRUE(b.is_empty());
        a = Variant(3);
        EXPECT_EQ(probe.use_count(), 2);
    }
    EXPECT_EQ(probe.use_count(), 1);
    Variant nothing{ObjectPtr()};
    EXPECT_TRUE(nothing.is_object());
    EXPECT_EQ(nothing.object(), nullptr);
    EXPECT_EQ(Variant(3).object(), nullptr);
}

}  // namespace
}  // namespace korvane
