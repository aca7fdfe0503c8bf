// The one ASCII case fold: letters A-Z only, every other byte (UTF-8 included) as it is.
#include "platform/vb/ascii.h"

#include <gtest/gtest.h>

namespace korvane::vb {
namespace {

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
