#include "platform/vb/collection.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/vb/convert.h"
#include "platform/vb/error.h"
#include "tests/support/errors.h"

namespace korvane {
namespace {

using testing::error_number;

// The order of the items as one text, e.g. "a,b,c".
std::string order(const Collection& col) {
    std::string out;
    for (const Variant& v : col) out += (out.empty() ? "" : ",") + vb::CStr(v);
    return out;
}

// The hand-over collection a generation form fills: "Head", "Body", "Date".
Collection hand_over() {
    Collection col;
    col.Add(Variant("head"), Variant("Head"));
    col.Add(Variant("body"), Variant("Body"));
    col.Add(Variant("date"), Variant("Date"));
    return col;
}

TEST(VbCollection, ItemsByOneBasedIndexOrCaseInsensitiveKey) {
    Collection col = hand_over();
    EXPECT_EQ(col.Count(), 3);
    EXPECT_EQ(col.Item(Variant(1)).str(), "head");
    EXPECT_EQ(col.Item(Variant(3.0)).str(), "date");
    EXPECT_EQ(col.Item(Variant("BODY")).str(), "body");
    EXPECT_EQ(col.Item(Variant("date")).str(), "date");
    EXPECT_TRUE(col.Exists("hEaD"));
    EXPECT_FALSE(col.Exists("Lines"));
    EXPECT_EQ(col.KeyAt(2), "Body");  // as it was given
    col.Add(Variant(2), Variant("存货"));
    EXPECT_EQ(col.Item(Variant("存货")).int_value(), 2);
    EXPECT_EQ(error_number([&] { (void)col.Item(Variant("存")); }), err::kInvalidCall);
    auto inner = std::make_shared<Collection>();
    inner->Add(Variant(1));
    col.Add(Variant(ObjectPtr(inner)), Variant("Lines"));
    EXPECT_EQ(col.Item(Variant("lines")).as<Collection>()->Count(), 1);
}

TEST(VbCollection, BeforeAndAfterByIndexOrKey) {
    Collection col = hand_over();
    col.Add(Variant("first"), Variant("First"), Variant(1));
    col.Add(Variant("after-body"), Variant(), Variant(), Variant("BODY"));
    col.Add(Variant("before-date"), Variant("x"), Variant("date"));
    col.Add(Variant("last"), Variant(), Variant(), Variant(col.Count()));
    EXPECT_EQ(order(col), "first,head,body,after-body,before-date,date,last");
    // keys still find their items after the shifts
    EXPECT_EQ(col.Item(Variant("date")).str(), "date");
    EXPECT_EQ(col.Item(Variant("X")).str(), "before-date");
    EXPECT_EQ(col.Item(Variant("first")).str(), "first");
}

TEST(VbCollection, RemoveByIndexOrKeyKeepsTheOthersReachable) {
    Collection col = hand_over();
    col.Remove(Variant("HEAD"));
    EXPECT_EQ(order(col), "body,date");
    EXPECT_EQ(col.Item(Variant("date")).str(), "date");
    EXPECT_FALSE(col.Exists("head"));
    col.Add(Variant("head again"), Variant("head"));  // the key is free again
    col.Remove(Variant(1));
    EXPECT_EQ(order(col), "date,head again");
    EXPECT_EQ(col.Item(Variant("Head")).str(), "head again");
}

TEST(VbCollection, RefusedCallsLeaveTheCollectionUnchanged) {
    Collection col = hand_over();
    struct Refusal {
        const char* what;
        std::function<void()> call;
        long number;
    } refusals[] = {
        {"duplicate key", [&] { col.Add(Variant(9), Variant("head")); }, err::kDuplicateKey},
        {"missing before", [&] { col.Add(Variant(9), Variant("New"), Variant("Lines")); }, err::kInvalidCall},
        {"after past the end", [&] { col.Add(Variant(9), Variant("New"), Variant(), Variant(4)); }, err::kInvalidCall},
        {"both before and after", [&] { col.Add(Variant(9), Variant(), Variant(1), Variant(2)); }, err::kInvalidCall},
        {"numeric key", [&] { col.Add(Variant(9), Variant(5)); }, err::kTypeMismatch},
        {"missing key", [&] { (void)col.Item(Variant("Lines")); }, err::kInvalidCall},
        {"index 0", [&] { (void)col.Item(Variant(0)); }, err::kInvalidCall},
        {"index past the end", [&] { (void)col.Item(Variant(4)); }, err::kInvalidCall},
        {"Null index", [&] { (void)col.Item(Variant::null()); }, err::kInvalidNull},
        {"remove missing", [&] { col.Remove(Variant("Lines")); }, err::kInvalidCall},
        {"remove past the end", [&] { col.Remove(Variant(-1)); }, err::kInvalidCall},
        {"KeyAt past the end", [&] { (void)col.KeyAt(4); }, err::kInvalidCall},
    };
    for (const auto& r : refusals) {
        EXPECT_EQ(error_number(r.call), r.number) << r.what;
        EXPECT_EQ(order(col), "head,body,date") << r.what;
        EXPECT_FALSE(col.Exists("New")) << r.what;
    }
    EXPECT_EQ(testing::raised([&] { col.Add(Variant(9), Variant("Body")); }).description(),
              "This key is already associated with an element of this collection");
}

}  // namespace
}  // namespace korvane
