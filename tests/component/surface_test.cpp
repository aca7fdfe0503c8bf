#include <gtest/gtest.h>

#include "tests/support/errors.h"

#include <cstdlib>
#include <tuple>

#include "component/korvane.h"
#include "component/module_state.h"
#include "component/track_set.h"
#include "platform/system/system.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"
#include "session/login.h"
#include "tests/support/account.h"

namespace korvane::component {
namespace {

using testing::error_number;

class Surface : public ::testing::Test {
protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }
};

// Every row of the surface tables: class, ids, and each slot's dispatch id,
// kind and argument count.
TEST_F(Surface, EveryClassAndMemberHasItsIds) {
    struct Row {
        const char* cls;
        int slot;
        const char* member;
        std::int32_t dispid;
        InvokeKind kind;
        std::size_t params;
    };
    const auto M = InvokeKind::Method, G = InvokeKind::PropertyGet, P = InvokeKind::PropertyPut,
               R = InvokeKind::PropertyPutRef;
    const Row rows[] = {
        {"ReturnInvSet", 1, "RecordsetValue", 0x68030000, G, 0}, {"ReturnInvSet", 2, "RecordsetValue", 0x68030000, P, 1},
        {"ReturnInvSet", 3, "frmShow", 0x60030001, M, 3},
        {"TrackSet", 1, "WritCountofRD_CS", 0x60030000, M, 7}, {"TrackSet", 2, "AllowWritCount", 0x60030001, M, 7},
        {"PositionSet", 1, "Delete", 0x60030000, M, 1}, {"PositionSet", 2, "Insert", 0x60030001, M, 1},
        {"PositionSet", 3, "Update", 0x60030002, M, 1}, {"PositionSet", 4, "BatchInvPos", 0x60030004, M, 3},
        {"RefSelect", 1, "AutoRefer", 0x60030002, M, 13}, {"RefSelect", 2, "Refer", 0x60030003, M, 12},
        {"RefSelect", 3, "ReturnData", 0x68030001, G, 0}, {"RefSelect", 4, "ReturnData", 0x68030001, P, 1},
        {"RefSelect", 5, "ExchRate", 0x68030000, G, 0}, {"RefSelect", 6, "ExchRate", 0x68030000, P, 1},
        {"RefSelect", 7, "CreateAndDropTmpCurrentStock", 0x60030004, M, 2}, {"RefSelect", 8, "GetAllBSQL", 0x60030005, M, 1},
        {"RefSelect", 9, "GetAllRDSSQL", 0x60030006, M, 1}, {"RefSelect", 10, "GetAutoID", 0x60030007, M, 14},
        {"RefSelect", 11, "UpdateTmpCurrentStock", 0x60030008, M, 4},
        {"RefSelect", 12, "CreateAndDropTmpRdrecord", 0x60030009, M, 2},
        {"RefSelect", 13, "UpdateTmpRdrecords", 0x6003000a, M, 4},
        {"ProduceOrder", 1, "oCollection", 0x40030005, G, 0}, {"ProduceOrder", 2, "oCollection", 0x40030005, R, 1},
        {"ProduceOrder", 3, "eVouchType", 0x40030006, G, 0}, {"ProduceOrder", 4, "eVouchType", 0x40030006, P, 1},
        {"ProduceOrder", 5, "sErrMsg", 0x40030007, G, 0}, {"ProduceOrder", 6, "sErrMsg", 0x40030007, P, 1},
        {"ProduceOrder", 7, "load", 0x60030000, M, 6}, {"ProduceOrder", 8, "WritefQuantity", 0x60030001, M, 5},
        {"ProduceOrder", 9, "WritebThrow", 0x60030002, M, 3}, {"ProduceOrder", 10, "loadStockOrder", 0x60030003, M, 5},
        {"ProduceOrder", 11, "loadConsignment", 0x60030004, M, 4}, {"ProduceOrder", 12, "ShowForm", 0x60030005, M, 1},
        {"ProduceOrder", 13, "WritefDispQuantity", 0x60030006, M, 4}, {"ProduceOrder", 14, "UnLoadForm", 0x60030007, M, 1},
    };
    std::size_t seen = 0;
    for (const Row& r : rows) {
        const ClassInfo* c = find_class(std::string("korvane.") + r.cls);
        ASSERT_NE(c, nullptr) << r.cls;
        const MemberInfo& m = c->members.at(static_cast<std::size_t>(r.slot - 1));
        EXPECT_EQ(m.slot, r.slot);
        EXPECT_STREQ(m.name, r.member);
        EXPECT_EQ(m.dispid, r.dispid) << r.member;
        EXPECT_EQ(m.kind, r.kind) << r.member;
        EXPECT_EQ(m.params.size(), r.params) << r.member;
        EXPECT_EQ(c->find(r.dispid, r.kind), &m);
        ++seen;
    }
    std::size_t total = 0;
    for (const ClassInfo* c : all_classes()) total += c->members.size();
    EXPECT_EQ(seen, total);  // nothing exposed beyond the tables

    const std::tuple<const char*, const char*, const char*> ids[] = {
        {"ReturnInvSet", "{9D72079E-13BD-4230-A1F1-618C79F30A27}", "{44A3BB5B-EBF2-4615-91B3-37AD7F2239E4}"},
        {"TrackSet", "{C2066D11-406F-4DB1-8444-C6BF02042511}", "{07B22593-BF15-4B24-8763-60573E404271}"},
        {"PositionSet", "{E4EB97B6-D98E-44B3-9032-50CE0844F568}", "{808EFCCF-E3B1-4E56-848C-5B7057F157FF}"},
        {"RefSelect", "{5BFEC5F7-BBD0-4C84-8162-CE90B5C233F8}", "{9956F9AD-3DB9-432B-B6DB-954B3CA41793}"},
        {"ProduceOrder", "{7CA07253-929A-41AA-BFC3-18DC9DAD947E}", "{45172378-36B5-4EC9-AE1E-2EB3DD415A51}"},
    };
    for (auto& [name, clsid, iid] : ids) {
        const ClassInfo* c = find_class(clsid);
        ASSERT_NE(c, nullptr);
        EXPECT_STREQ(c->name, name);
        EXPECT_STREQ(c->iid, iid);
        EXPECT_EQ(find_class(std::string(clsid).substr(1, 36)), c);  // braces optional
        auto obj = create_object(clsid);
        EXPECT_EQ(obj->type_name(), name);
    }
    EXPECT_EQ(error_number([] { create_object("KORVANE.Nothing"); }), 429);
}

TEST_F(Surface, UnknownDispatchIdsAndBadArgumentsRefuse) {
    auto pos = create_object("KORVANE.PositionSet");
    std::vector<Variant> args{Variant()};
    EXPECT_EQ(error_number([&] { invoke(pos, 0x60030003, InvokeKind::Method, args); }), err::kNoSuchMember);
    // Delete with no position object: the service's error reaches the host
    EXPECT_EQ(error_number([&] { invoke(pos, 0x60030000, InvokeKind::Method, args); }), err::kObjectNotSet);
    auto po = create_object("KORVANE.ProduceOrder");
    std::vector<Variant> load{Variant("1"), Variant(), Variant(), Variant("")};
    EXPECT_FALSE(invoke(po, 0x60030000, InvokeKind::Method, load).bool_value());
    // no session: the entry point reports it with its prefix
    EXPECT_EQ(load[3].str(), "ProduceOrder:load91\r\nObject variable or With block variable not set");
    std::vector<Variant> too_many(3);
    EXPECT_EQ(error_number([&] { invoke(pos, 0x60030000, InvokeKind::Method, too_many); }), 450);
}

TEST_F(Surface, RefSelectPropertiesAndTextRewritesByDispatch) {
    setenv("KORVANE_COMPUTER_NAME", "ST-01", 1);
    setenv("KORVANE_SESSION_ID", "3", 1);
    auto ref = create_object("{5BFEC5F7-BBD0-4C84-8162-CE90B5C233F8}");
    std::vector<Variant> rate{Variant("2.5")};
    invoke(ref, 0x68030000, InvokeKind::PropertyPut, rate);
    EXPECT_DOUBLE_EQ(invoke(ref, 0x68030000, InvokeKind::PropertyGet | InvokeKind::Method).number(), 2.5);
    std::vector<Variant> sql{Variant("select iQuantity from currentstock Where 1=1")};
    Variant out = invoke(ref, 0x60030005, InvokeKind::Method, sql);
    EXPECT_EQ(sql[0].str(),
              "select (iQuantity - IsNull(fSumOutQ, 0)) from currentstock   left join  ST_01_3_CurrentS  on  "
              "ST_01_3_CurrentS.autoid=currentstock.autoid where 1=1");
    EXPECT_EQ(out.str(), sql[0].str());
    unsetenv("KORVANE_COMPUTER_NAME");
    unsetenv("KORVANE_SESSION_ID");
}

// The host's whole write-back call, by dispatch id, on an account.
TEST_F(Surface, TrackSetWritesBackAndReportsFailuresInItsMessage) {
    testing::TestAccount account;
    account.exec(
        "insert into RdRecords (AutoID, ID, cInvCode, iQuantity, iSOutQuantity, iSOutNum) values (7, 1, 'A', 10, 2, 0)");
    auto con = ado::Connection::create();
    con->Open(account.connection_string());
    auto body = ado::Recordset::create();
    body->Fields().Append("iSOutQuantity", ado::adDecimal, 0, ado::adFldIsNullable, 20, 6);
    body->Fields().Append("iSOutNum", ado::adDecimal, 0, ado::adFldIsNullable, 20, 6);
    body->Open();
    body->AddNew();
    body->Fields("iSOutQuantity").put_Value(3);
    body->Fields("iSOutNum").put_Value(1);
    body->Update();
    auto track = create_object("KORVANE.TrackSet");
    std::vector<Variant> args{Variant("7"), Variant(), Variant(ObjectPtr(body)), Variant(ObjectPtr(con)),
                              Variant(true), Variant("")};
    EXPECT_TRUE(invoke(track, 0x60030000, InvokeKind::Method, args).bool_value());  // bIO omitted: added
    EXPECT_DOUBLE_EQ(vb::Val(account.scalar("select iSOutQuantity from RdRecords where AutoID = 7")), 5);
    EXPECT_EQ(module().sql,
              "update RdRecords set cVouchCode = cVouchCode, iSOutQuantity = iSOutQuantity +3, iSOutNum =  iSOutNum+1 "
              "where AutoID = 7");

    auto bare = ado::Recordset::create();
    bare->Fields().Append("cInvCode", ado::adVarWChar, 20);
    bare->Open();
    bare->AddNew();
    std::string msg;
    TrackSet direct;
    EXPECT_FALSE(direct.AllowWritCount("7", nullptr, bare, con, nullptr, msg));
    EXPECT_EQ(msg.rfind("TrackSet:AllowWritCount3265\r\n", 0), 0u) << msg;
    msg.clear();
    con->Close();
    EXPECT_FALSE(direct.WritCountofRD_CS("7", nullptr, body, con, true, msg));
    EXPECT_EQ(msg, "TrackSet:WritCountofRD_CS3704\r\nOperation is not allowed when the object is closed.");
}

}  // namespace
}  // namespace korvane::component
