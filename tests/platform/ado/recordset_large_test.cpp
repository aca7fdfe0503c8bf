// Sets read from the database past the first few chunks, whose rows live in
// shared blocks: every value read back, edits and snapshots kept apart per
// chunk, and a read that fails late leaving nothing behind.
#include <gtest/gtest.h>

#include <string>

#include "platform/ado/command.h"
#include "platform/ado/recordset.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"
#include "tests/support/errors.h"

namespace korvane::ado {
namespace {

constexpr long kRows = 40'000;  // about forty chunks: the heap's and three blocks

// A long text lives outside the Variant, so a value destroyed twice or never
// shows under the sanitizers.
std::string long_text(long i) { return "一个很长的批号文本-" + std::to_string(i); }

ConnectionPtr numbered_rows(long overflow_at = -1) {
    auto con = Connection::create();
    con->Open("Data Source=:memory:");
    con->Execute("create table T (id int primary key, code nvarchar(20), amount decimal(20,6), "
                 "note nvarchar(60), price money)");
    con->BeginTrans();
    PreparedCommand insert(*con, "insert into T values (?, ?, ?, ?, ?)");
    for (long i = 0; i < kRows; ++i) {
        insert.set(1, Variant(static_cast<int>(i)));
        insert.set(2, Variant("C" + std::to_string(i)));
        insert.set(3, Variant(double(i) / 4));
        if (i % 3) insert.set(4, Variant(long_text(i)));
        insert.set(5, Variant(i == overflow_at ? 1e300 : 1.5));
        insert.Execute();
    }
    con->CommitTrans();
    return con;
}

TEST(LargeRecordset, EveryRowReadsBackAndEditsStayInTheirChunk) {
    auto con = numbered_rows();
    auto rs = Recordset::create();
    rs->Open("select id, code, amount, note from T order by id", con);
    ASSERT_EQ(rs->RecordCount(), kRows);
    long i = 0;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext(), ++i) {
        const Variant* v = rs->current_row();
        ASSERT_EQ(v[0].number(), double(i));
        ASSERT_EQ(v[1].str(), "C" + std::to_string(i));
        ASSERT_EQ(v[2].number(), double(i) / 4);
        if (i % 3) ASSERT_EQ(v[3].str(), long_text(i)) << i;
        else ASSERT_TRUE(v[3].is_null()) << i;
    }
    EXPECT_EQ(i, kRows);

    // A snapshot and a copy keep the values of the time they were taken.
    auto snapshot = rs->view_snapshot();
    auto copy = rs->copy_detached(true);
    for (long p : {1L, 8'000L, 9'000L, 30'001L, kRows}) {
        rs->put_AbsolutePosition(p);
        rs->Fields("note").put_Value(Variant("edited"));
        rs->Update();
    }
    rs->AddNew();  // into the last chunk's free slots
    rs->Fields("id").put_Value(Variant(-1));
    rs->Update();
    EXPECT_TRUE((*rs)("code").is_empty());
    rs->Close();
    con->Close();
    for (long p : {1L, 8'000L, 9'000L, 30'001L, kRows}) {
        const Variant* before = snapshot.row(static_cast<std::size_t>(p - 1));
        ASSERT_NE(before, nullptr);
        EXPECT_EQ(vb::text_or_empty(before[3]), (p - 1) % 3 ? long_text(p - 1) : "") << p;
        copy->put_AbsolutePosition(p);
        EXPECT_EQ(vb::text_or_empty((*copy)("note")), (p - 1) % 3 ? long_text(p - 1) : "") << p;
    }
    EXPECT_EQ(snapshot.size(), static_cast<std::size_t>(kRows));
    EXPECT_EQ(copy->RecordCount(), kRows);
    // The copy shares the short last chunk; its own new records go to it alone.
    copy->AddNew();
    copy->Fields("id").put_Value(Variant(-2));
    copy->Update();
    EXPECT_EQ(copy->RecordCount(), kRows + 1);
    EXPECT_EQ(vb::text_or_empty(snapshot.row(kRows - 1)[3]), (kRows - 1) % 3 ? long_text(kRows - 1) : "");
}

TEST(LargeRecordset, ASmallResultTakesNewRecordsPastItsRows) {
    auto con = numbered_rows();
    auto rs = Recordset::create();
    rs->Open("select id, note from T where id < 3 order by id", con);
    auto snapshot = rs->view_snapshot();
    for (int i = 0; i < 2000; ++i) {  // past the read rows, then past the first chunk
        rs->AddNew();
        rs->Fields("id").put_Value(Variant(100 + i));
        rs->Fields("note").put_Value(Variant(long_text(100 + i)));
        rs->Update();
    }
    ASSERT_EQ(rs->RecordCount(), 2003);
    long i = 0;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext(), ++i) {
        const long id = i < 3 ? i : 97 + i;
        ASSERT_EQ(vb::CLng((*rs)("id")), id);
        ASSERT_EQ(vb::text_or_empty((*rs)("note")), i >= 3 || id % 3 ? long_text(id) : "") << i;
    }
    EXPECT_EQ(snapshot.size(), 3u);
    EXPECT_EQ(vb::text_or_empty(snapshot.row(2)[1]), long_text(2));
}

TEST(LargeRecordset, AReadThatFailsLateLeavesTheSetClosed) {
    auto con = numbered_rows(kRows - 10);
    auto rs = Recordset::create();
    EXPECT_EQ(korvane::testing::error_number([&] { rs->Open("select id, note, price from T order by id", con); }),
              err::kOverflow);
    EXPECT_EQ(rs->State(), adStateClosed);
    rs->Open("select id, note, price from T where id < 20000 order by id", con);
    EXPECT_EQ(rs->RecordCount(), 20'000);
    rs->MoveLast();
    EXPECT_EQ(vb::CStr((*rs)("note")), long_text(19'999));
}

}  // namespace
}  // namespace korvane::ado
