#include "platform/system/system.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/vb/error.h"
#include "tests/support/errors.h"

namespace korvane::system {
namespace {

// Saves and restores the variables a test changes, so no test leaks a workstation identity.
class SystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (auto* name : {"KORVANE_COMPUTER_NAME", "KORVANE_SESSION_ID"}) {
            const char* v = std::getenv(name);
            saved_.emplace_back(name, v ? std::optional<std::string>(v) : std::nullopt);
            ::unsetenv(name);
        }
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_) {
            if (value) ::setenv(name.c_str(), value->c_str(), 1);
            else ::unsetenv(name.c_str());
        }
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
    ObjectFactories factories_;
};

class Widget : public Object {
public:
    std::string_view type_name() const override { return "Widget"; }
};

TEST_F(SystemTest, ComputerNameAndSessionIdAreTheHostsUnlessOverridden) {
    char host[256] = {};
    ASSERT_EQ(::gethostname(host, sizeof host - 1), 0);
    std::string expected(host);
    EXPECT_EQ(computer_name(), expected.substr(0, expected.find('.')));
    EXPECT_EQ(terminal_session_id(), std::to_string(::getsid(0)));
    ::setenv("KORVANE_COMPUTER_NAME", "ST-01", 1);
    ::setenv("KORVANE_SESSION_ID", "3", 1);
    EXPECT_EQ(computer_name(), "ST-01");
    EXPECT_EQ(terminal_session_id(), "3");
}

TEST_F(SystemTest, ComponentsAreFoundByProgIdInAnyCaseAndOthersRaise429) {
    const Error e = korvane::testing::raised([&] { factories_.CreateObject("Pobrex.Terminal"); });
    EXPECT_EQ(e.number(), 429);
    EXPECT_EQ(e.description(), "ActiveX component can't create object");
    factories_.register_factory("Test.Failing", [] { return ObjectPtr(); });
    EXPECT_THROW(factories_.CreateObject("Test.Failing"), Error);
    factories_.register_factory("Test.Widget", [] { return std::make_shared<Widget>(); });
    auto a = factories_.CreateObject("test.WIDGET");
    EXPECT_EQ(a->type_name(), "Widget");
    EXPECT_NE(a, factories_.CreateObject("Test.Widget"));  // a new object each time
    factories_.unregister_factory("TEST.widget");
    EXPECT_THROW(factories_.CreateObject("Test.Widget"), Error);
}

TEST_F(SystemTest, TheTerminalComponentReportsTheSessionId) {
    ::setenv("KORVANE_SESSION_ID", "7", 1);
    register_terminal_component(factories_);
    auto terminal = std::dynamic_pointer_cast<TerminalSession>(factories_.CreateObject("Pobrex.Terminal"));
    ASSERT_NE(terminal, nullptr);
    Variant id = terminal->GetSessionID();
    EXPECT_TRUE(id.is_string());
    EXPECT_EQ(id.str(), "7");
}

}  // namespace
}  // namespace korvane::system
