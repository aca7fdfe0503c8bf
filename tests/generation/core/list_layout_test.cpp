#include "generation/core/list_layout.h"

#include <gtest/gtest.h>

#include <vector>

#include "component/module_state.h"
#include "generation/core/grid_fill.h"
#include "host/user_define.h"
#include "tests/support/account.h"
#include "tests/support/services.h"

namespace korvane::generation {
namespace {

using ModuleCtl::SetListLayout;
using Texts = std::vector<std::string>;

Texts headers(const ui::Grid& g) {
    Texts out;
    for (long c = 0; c < g.Cols(); ++c) out.emplace_back(g.TextMatrix(0, c));
    return out;
}

// An account whose items in use are named after the key they are asked by.
struct Layout : ::testing::Test {
    testing::TestAccount account;
    testing::Services fixture{testing::logged_in(account.connection_string())};
    const FormServices* services = &fixture.services;
    ModuleCtl::LayoutState& state = fixture.layout;
    ado::RecordsetPtr rs;

    void SetUp() override {
        account.exec(
            "insert into UserDef values ('03', '自定义项3', '批次说明'), ('12', '自定义项12', '项12'), ('21', '自由项2', "
            "'项21'), ('28', '自由项3', '项28'), ('20', '自由项1', '自由项1'), ('22', '自定义项22', '项22'), "
            "('36', '自定义项36', '项36'), ('50', '自定义项50', '项50')");
    }
    void TearDown() override { component::reset(); }
    // Fills the grid from a set of these fields (no rows) and lays it out.
    void lay_out(ui::Grid& g, const Texts& fields) {
        rs = ado::Recordset::create();
        for (const auto& f : fields) rs->Fields().Append(f, ado::adVarWChar);
        rs->Open();
        ModuleCtl::FillSourceGrid(*services, rs, g, true);
        SetListLayout(*services, g, rs);
    }
};

TEST_F(Layout, OrderLinesGetCaptionsHiddenKeysAndTheirColumns) {
    ui::Grid g("lstDdBody");
    lay_out(g, {"id", "cWhCode", "cWhName", "cInvCode", "darrivedate", "cBatch", "iPOsID", "iQuantity", "iNum",
                "ireceivedqty", "dPDate"});
    EXPECT_EQ(headers(g), (Texts{"选择", "id", "cWhCode", "仓库", "存货编码", "计划到货日期", "批号", "iPOsID",
                                 "应入库数量", "应入库件数", "已入库数量", "生产日期", "未入库数量", "未入库件数",
                                 "本次入库数量", "本次入库件数"}));
    const std::vector<int> widths = {-1, 0, 0, -1, -1, -1, 1152, 0, -1, -1, -1, -1, -1, -1, -1, -1};
    for (long c = 0; c < g.Cols(); ++c) EXPECT_EQ(g.ColWidth(c), widths[c]) << c;
    EXPECT_EQ(state.IdCol, 1);
    EXPECT_EQ(state.WhCodeCol, 2);
    EXPECT_EQ(state.WhNameCol, 3);
    EXPECT_EQ(state.LayoutColumn, 12);
    EXPECT_TRUE(state.BodyLaidOutB);
    EXPECT_FALSE(state.BodyLaidOutA);
}

TEST_F(Layout, BodiesAreLaidOutOnceUntilTheirFlagIsClearedHeadsEveryTime) {
    ui::Grid body("lstDdBody"), inspection("lstZjdBody"), arrival("lstDhdBody"), dispatch("lstFhdBody");
    lay_out(body, {"autoid", "cInvCode"});
    lay_out(body, {"autoid", "cInvCode"});  // refilled without clearing: the raw names stay
    EXPECT_EQ(body.TextMatrix(0, 2), "cInvCode");
    lay_out(inspection, {"iquantity"});
    EXPECT_EQ(inspection.TextMatrix(0, 1), "iquantity");
    state.BodyLaidOutB = false;
    lay_out(body, {"autoid", "cInvCode"});
    EXPECT_EQ(body.TextMatrix(0, 2), "存货编码");

    lay_out(arrival, {"autoid", "cInvCode", "cWhName"});
    EXPECT_TRUE(state.BodyLaidOutA);
    lay_out(dispatch, {"cInvCode", "ccode", "iquantity"});
    EXPECT_EQ(dispatch.TextMatrix(0, 1), "cInvCode");
    state.BodyLaidOutA = false;
    lay_out(dispatch, {"cInvCode", "ccode", "iquantity"});
    EXPECT_EQ(headers(dispatch), (Texts{"选择", "存货编码", "入库单号", "应出库数量", "未出库数量", "未出库件数",
                                        "本次出库数量", "本次出库件数"}));

    // heads: laid out on every call, and their ids leave the line columns alone
    ui::Grid head("lstDdHead"), other("lstOther");
    for (int i = 0; i < 2; ++i) lay_out(head, {"poid", "id", "cPOID", "dPODate", "cVenAbbName", "cWhName"});
    EXPECT_EQ(headers(head), (Texts{"选择", "poid", "id", "单据号", "单据日期", "供应商", "仓库"}));
    EXPECT_EQ(head.ColWidth(1), 0);
    EXPECT_EQ(state.IdCol, 1);
    EXPECT_EQ(state.WhNameCol, 3);
    lay_out(other, {"cInvCode"});  // a list of no layout is left alone
    EXPECT_EQ(other.TextMatrix(0, 1), "cInvCode");
}

TEST_F(Layout, UserDefinedColumnsAreNamedByTheAccountOrHidden) {
    ui::Grid head("lstDdHead"), body("lstDdBody");
    head.put_Cols(8);
    head.put_ColWidth(1, 0);  // hidden by an earlier layout, in use now
    lay_out(head, {"cDefine3", "cdefine12", "cFree2", "cfree3", "cFree1", "cdefine4", "cdefine22"});
    EXPECT_EQ(headers(head), (Texts{"选择", "批次说明", "项12", "项21", "项28", "cFree1", "cdefine4", "项22"}));
    const std::vector<int> widths = {-1, -1, -1, -1, -1, 0, 0, -1};  // cfree1 not in use, cdefine4 not defined
    for (long c = 0; c < head.Cols(); ++c) EXPECT_EQ(head.ColWidth(c), widths[c]) << c;

    // a line's own items are numbered in a body list
    lay_out(body, {"cdefine3", "cdefine22", "cdefine36", "cfree3"});
    EXPECT_EQ(headers(body), (Texts{"选择", "批次说明", "自定义项1", "自定义项15", "项28", "未入库数量", "未入库件数",
                                    "本次入库数量", "本次入库件数"}));
}

TEST_F(Layout, AHostsOwnDefinitionsNameTheColumnsUntilTheModuleIsReset) {
    struct HostDefinitions : host::UserDefineService {
        void put_Login(session::PermissionServicePtr) override {}
        host::UserDefinition item(const std::string& key) override {
            const std::string plain = host::default_item_name(key);
            return {key, key == "03" ? "宿主批注" : plain, plain};  // named as by default: not in use
        }
    };
    component::module().make_user_define = [] { return std::make_unique<HostDefinitions>(); };
    auto module_services = component::form_services(testing::logged_in(account.connection_string()));
    services = &module_services;
    ui::Grid head("lstDdHead");
    lay_out(head, {"cDefine3", "cdefine12"});
    EXPECT_EQ(headers(head), (Texts{"选择", "宿主批注", "cdefine12"}));
    EXPECT_EQ(head.ColWidth(2), 0);

    component::reset();  // ours again
    module_services = component::form_services(testing::logged_in(account.connection_string()));
    lay_out(head, {"cDefine3", "cdefine12"});
    EXPECT_EQ(headers(head), (Texts{"选择", "批次说明", "项12"}));
}

TEST_F(Layout, ListViewsOfTheProductionForm) {
    auto laid_out = [services = *services](const char* name, const Texts& fields) {
        ui::ListView lv(name);
        for (const auto& f : fields) lv.add_column({}, f);
        lv.put_Visible(false);
        SetListLayout(services, lv, nullptr);
        EXPECT_TRUE(lv.Visible() && lv.Enabled());
        Texts out;
        for (const auto& c : lv.columns()) out.push_back(c.width == 0 ? "-" : c.text);
        return out;
    };
    EXPECT_EQ(laid_out("lstParent", {"id", "cCode", "iProperty", "cFree1", "cDefine3", "cMemo2"}),
              (Texts{"选择", "生产订单号", "属性", "-", "批次说明", "-"}));
    // products: cdefine n is asked as n up to 28 and n + 14 above, and numbered from 22 and from 36
    EXPECT_EQ(laid_out("lstSub", {"mainid", "fQuantity", "cdefine22", "cdefine36", "cdefine23", "cfree3", "cfree1"}),
              (Texts{"选择", "投产数量", "自定义项1", "自定义项1", "-", "项28", "-"}));
    EXPECT_EQ(laid_out("lstChild", {"subid", "fOutQuantity", "cFree2"}), (Texts{"选择", "材料出库数量", "项21"}));
    EXPECT_EQ(state.LayoutColumn, 4);
}

}  // namespace
}  // namespace korvane::generation
