#include "generation/core/module_ctl.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/registry/registry.h"
#include "tests/support/account.h"

namespace korvane::generation {
namespace {

struct Ui {
    std::vector<std::string> failures;
    ui::HeadlessUi host;
    Ui() { host.on_failure = [this](const std::string& w) { failures.push_back(w); }; }
};

TEST(DateRange, BoundsGiveTheirConditionWithTheirBlanksAndItRunsOnTheAccount) {
    using ModuleCtl::BuildDateRangeSql;
    EXPECT_EQ(BuildDateRangeSql("dDate", "", ""), "");
    EXPECT_EQ(BuildDateRangeSql("dDate", "2024-5-1", ""), "dDate >= '2024-05-01'");
    EXPECT_EQ(BuildDateRangeSql("dDate", "", "2024/06/30"), "dDate <= '2024-06-30'");
    EXPECT_EQ(BuildDateRangeSql("dDate", "2024-05-01", "2024-5-1"), "dDate = '2024-05-01'");
    const std::string where = BuildDateRangeSql("dDate", "2024-05-01", "2024-06-30");
    EXPECT_EQ(where, "dDate >= '2024-05-01' AND    dDate <= '2024-06-30'");
    EXPECT_EQ(BuildDateRangeSql("dDate", "2024-06-30", "2024-05-01"), "dDate >= '2024-05-01' AND dDate <= '2024-06-30'");
    testing::TestAccount account;
    account.exec(
        "insert into RdRecord (ID, cVouchType, dDate, cCode) values (1, '01', '2024-04-30', 'a'), "
        "(2, '01', '2024-05-01', 'b'), (3, '01', '2024-06-30', 'c'), (4, '01', '2024-07-01', 'd')");
    EXPECT_EQ(account.scalar("select group_concat(cCode) from RdRecord where " + where), "b,c");
}

TEST(DateField, BadDatesKeepTheFocusWithTheTextSelected) {
    Ui ui;
    ui::TextBox field("txtDate");
    field.put_Text("2024-13-01");
    ui.host.answer("日期格式不正确，必须按格式YYYY-MM-DD输入", ui::vb::vbOK);
    bool cancel = false;
    ModuleCtl::CheckDateField(ui.host, field, cancel);
    EXPECT_TRUE(cancel);
    EXPECT_EQ(field.SelStart(), 0);
    EXPECT_EQ(field.SelLength(), 10);
    EXPECT_EQ(ui.host.messages().at(0).title, "提示");
    EXPECT_EQ(ui.host.messages().at(0).icon, ui::vb::vbCritical);
    for (const char* fine : {"", "2024-02-29"}) {
        field.put_Text(fine);
        cancel = false;
        ModuleCtl::CheckDateField(ui.host, field, cancel);
        EXPECT_FALSE(cancel);
    }
    EXPECT_EQ(ui.host.messages().size(), 1u);  // no message for good input
    EXPECT_TRUE(ui.failures.empty());
}

TEST(KeyFilter, SqlBreakingCharactersAreDroppedWithABeep) {
    Ui ui;
    ui::TextBox code("txtInvCode");
    code.on_key_press = [&](int key) {
        ModuleCtl::FilterKeyAscii(ui.host, key);
        return key;
    };
    code.type_text("A'01|~[]@\"<&-螺");
    EXPECT_EQ(code.Text(), "A01-螺");
    EXPECT_EQ(ui.host.beeps(), 9);
}

TEST(RegistrySettings, ToolbarStyleAndWrittenValues) {
    std::string file = testing::temp_path("registry");
    setenv("KORVANE_REGISTRY_FILE", file.c_str(), 1);
    registry::Registry hklm("HKEY_LOCAL_MACHINE");
    EXPECT_EQ(ModuleCtl::GetToolbarStyle(hklm), 1);  // nothing stored
    ModuleCtl::WriteRegistryString(hklm, "SOFTWARE\\Tarnell\\WF\\V8.520\\Appearance", "Toolbar Style", "Flat");
    EXPECT_EQ(ModuleCtl::GetToolbarStyle(hklm), 2);
    ModuleCtl::WriteRegistryString(hklm, "SOFTWARE\\Tarnell\\WF\\V8.520\\Appearance", "Toolbar Style", "Text");
    EXPECT_EQ(ModuleCtl::GetToolbarStyle(hklm), 1);
    ModuleCtl::WriteRegistryString(hklm, "SOFTWARE\\Tarnell\\WF\\V8.520\\KCGL", "orderform", "1");
    EXPECT_EQ(hklm.query_string("software\\tarnell\\wf\\v8.520\\kcgl", "orderform"),
              std::optional<std::string>("1"));
    setenv("KORVANE_REGISTRY_FILE", "/proc/forbidden/registry", 1);
    ModuleCtl::WriteRegistryString(hklm, "SOFTWARE\\X", "v", "1");  // fails silently
    EXPECT_EQ(ModuleCtl::GetToolbarStyle(hklm), 1);
    unsetenv("KORVANE_REGISTRY_FILE");
    std::remove(file.c_str());
}

TEST(ReferenceButton, SitsSquareInsideTheFieldsRightEnd) {
    ui::TextBox field("txtWhCode");
    field.Move(1200, 600, 1800, 315);
    field.put_Tag("RfWarehouse");
    ui::CommandButton button("cmdRefers");
    button.put_Visible(false);
    std::string err;
    EXPECT_TRUE(ModuleCtl::ShowRefButton(field, button, err));
    EXPECT_TRUE(button.Visible());
    EXPECT_EQ(button.Tag(), "txtWhCode");
    EXPECT_EQ(button.Picture(), 219);
    EXPECT_EQ(button.Height(), 255);
    EXPECT_EQ(button.Width(), 255);
    EXPECT_EQ(button.Left(), 1200 + 1800 - 255 - 30);
    EXPECT_EQ(button.Top(), 630);
    field.put_Tag("rfdate");
    ModuleCtl::ShowRefButton(field, button, err);
    EXPECT_EQ(button.Picture(), 1108);
    field.put_Tag("rfnull");
    EXPECT_TRUE(ModuleCtl::ShowRefButton(field, button, err));
    EXPECT_FALSE(button.Visible());
    EXPECT_EQ(err, "");
}

TEST(Recordsets, CloseRecordsetClosesAndReleases) {
    auto rs = ado::Recordset::create();
    rs->Fields().Append("a", ado::adInteger);
    rs->Open();
    auto keep = rs;
    ModuleCtl::CloseRecordset(rs);
    EXPECT_FALSE(rs);
    EXPECT_EQ(keep->State(), ado::adStateClosed);
    ModuleCtl::CloseRecordset(rs);  // Nothing: nothing to do
}

}  // namespace
}  // namespace korvane::generation
