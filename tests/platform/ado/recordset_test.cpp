#include "platform/ado/recordset.h"

#include <gtest/gtest.h>

#include "tests/support/errors.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/vb/convert.h"
#include "platform/vb/error.h"

namespace korvane::ado {
namespace {

using testing::error_number;

struct Stock {
    const char* wh;
    const char* inv;
    const char* batch;
    double qty;
};

// A stock list built by hand, as a host builds a body set for a voucher.
RecordsetPtr stock_set(const std::vector<Stock>& rows) {
    auto rs = Recordset::create();
    rs->Fields().Append("cWhCode", adVarWChar, 10);
    rs->Fields().Append("cInvCode", adVarWChar, 20);
    rs->Fields().Append("cBatch", adVarWChar, 20);
    rs->Fields().Append("iQuantity", adDecimal, 0, adFldIsNullable, 20, 6);
    rs->Fields().Append("dVDate", adDBTimeStamp);
    rs->Open();
    for (const auto& r : rows) {
        rs->AddNew();
        rs->Fields("cWhCode").put_Value(r.wh);
        rs->Fields("cInvCode").put_Value(r.inv);
        if (r.batch) rs->Fields("cBatch").put_Value(r.batch);
        rs->Fields("iQuantity").put_Value(r.qty);
        rs->Update();
    }
    rs->MoveFirst();
    return rs;
}

std::vector<std::string> column(Recordset& rs, const char* name) {
    std::vector<std::string> out;
    if (rs.RecordCount() == 0) return out;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
        const Variant& v = rs.Fields(name).Value();
        out.push_back(v.is_null() ? "<null>" : v.is_empty() ? "<empty>" : vb::CStr(v));
    }
    return out;
}

const std::vector<Stock> kRows = {
    {"01", "A001", "B2", 5},   {"01", "a001", "B1", 3}, {"02", "A002", nullptr, 7},
    {"02", "螺栓M8", "B1", 0}, {"01", "A003", "B3", -2},
};

using Strings = std::vector<std::string>;

TEST(RecordsetCursor, WalksTheViewWithPositionsAndLimits) {
    auto rs = stock_set(kRows);
    EXPECT_EQ(rs->RecordCount(), 5);
    EXPECT_EQ(rs->AbsolutePosition(), 1);
    EXPECT_FALSE(rs->Bof());
    rs->MoveLast();
    EXPECT_EQ(rs->AbsolutePosition(), 5);
    rs->MoveNext();
    EXPECT_TRUE(rs->Eof());
    EXPECT_EQ(rs->AbsolutePosition(), adPosEOF);
    EXPECT_EQ(error_number([&] { rs->MoveNext(); }), err::kNoCurrentRecord);
    EXPECT_EQ(error_number([&] { (void)rs->Fields("cInvCode").Value(); }), err::kNoCurrentRecord);
    rs->Move(-2);
    EXPECT_EQ(vb::CStr(rs->Fields("cInvCode").Value()), "螺栓M8");
    rs->Move(-10);
    EXPECT_TRUE(rs->Bof());
    EXPECT_EQ(error_number([&] { rs->MovePrevious(); }), err::kNoCurrentRecord);
    rs->put_AbsolutePosition(3);
    EXPECT_EQ(vb::CStr((*rs)("CINVCODE")), "A002");  // names fold case
    EXPECT_EQ(error_number([&] { rs->put_AbsolutePosition(6); }), err::kBadArgs);
    EXPECT_EQ(rs->AbsolutePosition(), 3);
}

TEST(RecordsetCursor, EmptySetIsBothBofAndEof) {
    auto rs = stock_set({});
    EXPECT_TRUE(rs->Bof());
    EXPECT_TRUE(rs->Eof());
    EXPECT_EQ(rs->RecordCount(), 0);
    rs->MoveFirst();  // no error on an empty set, as ADO
    EXPECT_EQ(error_number([&] { (void)rs->Bookmark(); }), err::kNoCurrentRecord);
}

TEST(RecordsetCursor, BookmarksSurviveSortAndFilter) {
    auto rs = stock_set(kRows);
    rs->put_AbsolutePosition(4);
    Variant mark = rs->Bookmark();
    rs->put_Sort("cInvCode DESC");
    rs->put_Bookmark(mark);
    EXPECT_EQ(vb::CStr((*rs)("cInvCode")), "螺栓M8");
    rs->put_Filter(Variant("cWhCode = '01'"));
    EXPECT_EQ(error_number([&] { rs->put_Bookmark(mark); }), err::kBadArgs);
}

TEST(RecordsetFields, UnknownNamesAndIndexesRaiseItemNotFound) {
    auto rs = stock_set(kRows);
    EXPECT_EQ(rs->Fields().Count(), 5);
    EXPECT_EQ(rs->Fields(Variant(1)).Name(), "cInvCode");
    const Error unknown = testing::raised([&] { (void)rs->Fields("nosuch"); });
    EXPECT_EQ(unknown.number(), err::kItemNotFound);
    EXPECT_NE(unknown.description().find("nosuch"), std::string::npos);
    EXPECT_EQ(error_number([&] { (void)rs->Fields(Variant(5)); }), err::kItemNotFound);
    EXPECT_EQ(error_number([&] { rs->Fields().Append("x", adInteger); }), err::kIllegalOperation);
    auto fresh = Recordset::create();
    fresh->Fields().Append("a", adInteger);
    EXPECT_EQ(error_number([&] { fresh->Fields().Append("A", adInteger); }), 3367);
}

// A filter or sort that raises while it runs over the rows (LIKE on a date VB
// cannot show) leaves the view, the position and the settings as they were.
TEST(RecordsetFilter, AFilterThatRaisesOnARowLeavesTheSetAsItWas) {
    auto rs = stock_set(kRows);
    rs->put_AbsolutePosition(5);
    rs->Fields("dVDate").put_Value(Variant::date(-700000.0));  // a driver can read such a date
    rs->Update();
    rs->put_Sort("cInvCode DESC");
    rs->put_Filter(Variant("cWhCode = '01'"));
    const Strings before = column(*rs, "cInvCode");
    rs->put_AbsolutePosition(2);

    EXPECT_EQ(error_number([&] { rs->put_Filter(Variant("dVDate LIKE '2024*'")); }), err::kOverflow);
    EXPECT_EQ(rs->Filter().str(), "cWhCode = '01'");
    EXPECT_EQ(rs->AbsolutePosition(), 2);
    EXPECT_EQ(rs->Sort(), "cInvCode DESC");
    EXPECT_EQ(column(*rs, "cInvCode"), before);
    rs->put_Filter(Variant("cBatch LIKE 'B*' OR dVDate LIKE '*'"));  // every row decided before its date
    EXPECT_EQ(rs->RecordCount(), 4);

    // A sort runs the filter again: a row changed since may now raise.
    rs->put_Filter(Variant("cWhCode = '01' OR dVDate LIKE '*'"));
    const Strings filtered = column(*rs, "cInvCode");
    ASSERT_EQ(filtered, (Strings{"A003", "A001", "a001"}));
    rs->MoveFirst();
    rs->Fields("cWhCode").put_Value("03");
    rs->Update();
    rs->put_AbsolutePosition(3);
    EXPECT_EQ(error_number([&] { rs->put_Sort("cInvCode"); }), err::kOverflow);
    EXPECT_EQ(rs->Sort(), "cInvCode DESC");
    EXPECT_EQ(rs->AbsolutePosition(), 3);
    EXPECT_EQ(column(*rs, "cInvCode"), filtered);
    rs->put_Filter(Variant(0));
    EXPECT_EQ(column(*rs, "cInvCode"), (Strings{"螺栓M8", "A003", "A002", "A001", "a001"}));
}

TEST(RecordsetFilter, CriteriaSelectAndClearAndBadOnesLeaveTheViewAsItWas) {
    auto rs = stock_set(kRows);
    rs->put_Filter(Variant("cWhCode = '01' AND iQuantity > 0"));
    EXPECT_EQ(column(*rs, "cBatch"), (Strings{"B2", "B1"}));
    rs->put_Filter(Variant("cBatch = null OR cInvCode LIKE 'a00*'"));
    EXPECT_EQ(column(*rs, "cInvCode"), (Strings{"A001", "a001", "A002", "A003"}));
    rs->put_Filter(Variant(0));
    EXPECT_EQ(rs->RecordCount(), 5);
    rs->put_Filter(Variant("cWhCode = '02'"));
    rs->MoveLast();
    EXPECT_EQ(error_number([&] { rs->put_Filter(Variant("cWhCode = ")); }), err::kBadArgs);
    EXPECT_EQ(error_number([&] { rs->put_Filter(Variant("nosuch = 1")); }), err::kItemNotFound);
    EXPECT_EQ(rs->Filter().str(), "cWhCode = '02'");
    EXPECT_EQ(rs->RecordCount(), 2);
    EXPECT_EQ(rs->AbsolutePosition(), 2);
    rs->put_Filter(Variant(""));
    EXPECT_EQ(rs->RecordCount(), 5);
}

TEST(RecordsetFilter, BookmarkArrayKeepsOnlyThoseRecords) {
    auto rs = stock_set(kRows);
    std::vector<Variant> marks;
    rs->put_AbsolutePosition(5);
    marks.push_back(rs->Bookmark());
    rs->put_AbsolutePosition(2);
    marks.push_back(rs->Bookmark());
    rs->put_Filter(marks);
    EXPECT_EQ(column(*rs, "cInvCode"), (Strings{"a001", "A003"}));
    EXPECT_EQ(error_number([&] { rs->put_Filter(std::vector<Variant>{Variant(99.0)}); }), err::kBadArgs);
    EXPECT_EQ(rs->RecordCount(), 2);
}

TEST(RecordsetSort, StableMultiKeyWithNullsFirstAndFoldedText) {
    auto rs = stock_set(kRows);
    rs->put_Sort("cBatch, cWhCode DESC");
    // The batch never given first; B1 rows keep warehouse 02 before 01; A001 and a001 compare equal.
    EXPECT_EQ(column(*rs, "cInvCode"), (Strings{"A002", "螺栓M8", "a001", "A001", "A003"}));
    rs->put_Sort("cInvCode");
    EXPECT_EQ(column(*rs, "cBatch"), (Strings{"B2", "B1", "<empty>", "B3", "B1"}));
    rs->put_Sort("iQuantity DESC");
    EXPECT_EQ(column(*rs, "iQuantity"), (Strings{"7", "5", "3", "0", "-2"}));
    rs->put_Filter(Variant("cWhCode = '01'"));  // a filter keeps the order it finds
    EXPECT_EQ(column(*rs, "iQuantity"), (Strings{"5", "3", "-2"}));
    EXPECT_EQ(error_number([&] { rs->put_Sort("nosuch"); }), err::kItemNotFound);
    EXPECT_EQ(rs->Sort(), "iQuantity DESC");
    rs->put_Sort("");  // and a new order keeps the filter
    EXPECT_EQ(column(*rs, "cBatch"), (Strings{"B2", "B1", "B3"}));
}

TEST(RecordsetEdit, ValuesAreConvertedToTheFieldType) {
    auto rs = stock_set(kRows);
    rs->Fields("iQuantity").put_Value("12.5");
    EXPECT_EQ(rs->Fields("iQuantity").Value().type(), VarType::Decimal);
    EXPECT_DOUBLE_EQ(rs->Fields("iQuantity").Value().number(), 12.5);
    rs->Fields("dVDate").put_Value("2024-05-01");
    EXPECT_EQ(vb::Format(rs->Fields("dVDate").Value(), "YYYY-MM-DD"), "2024-05-01");
    rs->Fields("cBatch").put_Value(42);
    EXPECT_EQ(rs->Fields("cBatch").Value().str(), "42");
    EXPECT_EQ(error_number([&] { rs->Fields("iQuantity").put_Value("abc"); }), err::kDataConversion);
    EXPECT_EQ(error_number([&] { rs->Fields("dVDate").put_Value("2023-02-29"); }), err::kDataConversion);
    EXPECT_DOUBLE_EQ(rs->Fields("iQuantity").Value().number(), 12.5);
}

TEST(RecordsetEdit, CancelUpdateRestoresAndDropsNewRecords) {
    auto rs = stock_set(kRows);
    rs->Fields("iQuantity").put_Value(99);
    EXPECT_EQ(rs->EditMode(), adEditInProgress);
    rs->CancelUpdate();
    EXPECT_DOUBLE_EQ(rs->Fields("iQuantity").Value().number(), 5);
    rs->AddNew();
    EXPECT_TRUE(rs->Fields("cInvCode").Value().is_empty());
    EXPECT_EQ(rs->RecordCount(), 6);
    rs->CancelUpdate();
    EXPECT_EQ(rs->RecordCount(), 5);
    rs->Fields("iQuantity").put_Value(8);
    rs->MoveNext();  // moving settles the edit
    rs->MovePrevious();
    EXPECT_DOUBLE_EQ(rs->Fields("iQuantity").Value().number(), 8);
    EXPECT_DOUBLE_EQ(rs->Fields("iQuantity").OriginalValue().number(), 5);
}

// A field of a new record reads Empty until it is given a value: CStr gives
// "" and "= Null" still finds it; a value written and then cleared is Null.
TEST(RecordsetEdit, FieldsOfANewRecordAreEmptyUntilGiven) {
    auto rs = stock_set(kRows);
    rs->AddNew();
    rs->Fields("cInvCode").put_Value("NEW");
    for (const char* name : {"cWhCode", "cBatch", "iQuantity", "dVDate"}) {
        EXPECT_TRUE(rs->Fields(name).Value().is_empty()) << name;
        EXPECT_EQ(vb::CStr(rs->Fields(name).Value()), "") << name;
    }
    rs->Fields("cBatch").put_Value(Variant());
    EXPECT_TRUE(rs->Fields("cBatch").Value().is_null());  // as ADO stores an Empty assignment
    rs->Update();
    rs->put_Filter(Variant("cWhCode = Null"));
    EXPECT_EQ(column(*rs, "cInvCode"), (Strings{"NEW"}));
}

TEST(RecordsetEdit, DeleteLeavesAHoleUntilTheNextMove) {
    auto rs = stock_set(kRows);
    rs->put_AbsolutePosition(2);
    rs->Delete();
    EXPECT_EQ(rs->RecordCount(), 4);
    EXPECT_FALSE(rs->Eof());
    EXPECT_EQ(error_number([&] { (void)rs->Fields("cInvCode").Value(); }), err::kNoCurrentRecord);
    rs->MoveNext();
    EXPECT_EQ(vb::CStr((*rs)("cInvCode")), "A002");
    rs->MoveLast();
    rs->Delete();
    rs->MoveNext();
    EXPECT_TRUE(rs->Eof());
    EXPECT_EQ(column(*rs, "cInvCode"), (Strings{"A001", "A002", "螺栓M8"}));
}

TEST(RecordsetCopy, DetachedCopiesAreIndependent) {
    auto rs = stock_set(kRows);
    rs->put_Filter(Variant("cWhCode = '02'"));
    auto shape = rs->copy_detached(false);
    EXPECT_EQ(shape->Fields().Count(), 5);
    EXPECT_EQ(shape->RecordCount(), 0);
    EXPECT_EQ(shape->Fields("iQuantity").NumericScale(), 6);
    auto rows = rs->copy_detached(true);
    EXPECT_EQ(column(*rows, "cInvCode"), (Strings{"A002", "螺栓M8"}));
    EXPECT_FALSE(rows->ActiveConnection());
    rows->MoveFirst();
    rows->Fields("cInvCode").put_Value("X");
    rs->MoveFirst();
    EXPECT_EQ(vb::CStr((*rs)("cInvCode")), "A002");
}

// Rows over three chunks: record i holds i, in cInvCode its text.
RecordsetPtr numbered_set(long n) {
    auto rs = Recordset::create();
    rs->Fields().Append("cInvCode", adVarWChar, 20);
    rs->Fields().Append("iQuantity", adDouble);
    rs->Open();
    for (long i = 0; i < n; ++i) {
        rs->AddNew();
        rs->Fields("cInvCode").put_Value(std::to_string(i));
        rs->Fields("iQuantity").put_Value(static_cast<double>(i));
        rs->Update();
    }
    rs->MoveFirst();
    return rs;
}

std::vector<double> quantities(Recordset& rs) {
    std::vector<double> out;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) out.push_back(rs("iQuantity").number());
    return out;
}

std::vector<double> range(long first, long last) {
    std::vector<double> out;
    for (long i = first; i < last; ++i) out.push_back(static_cast<double>(i));
    return out;
}

TEST(RecordsetCopy, ACopySharesRowsUntilEitherSideWritesThem) {
    const long n = 2 * static_cast<long>(Recordset::kChunkRows) + 452;
    auto rs = numbered_set(n);
    auto copy = rs->copy_detached(true);
    ASSERT_EQ(copy->RecordCount(), n);
    copy->MoveFirst();
    EXPECT_EQ(copy->current_row(), rs->current_row()) << "the rows are not copied";

    // Edits of the copy, in every chunk, stay in the copy.
    for (long p : {1L, 1500L, n}) {
        copy->put_AbsolutePosition(p);
        copy->Fields("iQuantity").put_Value(-1.0);
        copy->Update();
    }
    copy->AddNew();  // into the shared last chunk
    copy->Fields("cInvCode").put_Value("NEW");
    copy->Update();
    copy->put_AbsolutePosition(2);
    copy->Delete();
    EXPECT_EQ(quantities(*rs), range(0, n));
    EXPECT_EQ(rs->RecordCount(), n);

    // Edits of the original, a cancelled one included, stay in it.
    rs->put_AbsolutePosition(3);
    rs->Fields("iQuantity").put_Value(99.0);
    rs->Update();
    rs->put_AbsolutePosition(1100);
    rs->Fields("iQuantity").put_Value(98.0);
    rs->CancelUpdate();
    rs->AddNew();
    rs->Fields("iQuantity").put_Value(97.0);
    rs->Update();
    rs->Close();

    std::vector<double> expected = range(0, n);
    expected[0] = expected[1499] = expected[n - 1] = -1;
    expected.erase(expected.begin() + 1);
    ASSERT_EQ(copy->RecordCount(), n);
    copy->MoveLast();
    EXPECT_EQ(vb::CStr((*copy)("cInvCode")), "NEW");
    EXPECT_TRUE((*copy)("iQuantity").is_empty());
    copy->Delete();
    EXPECT_EQ(quantities(*copy), expected);
}

TEST(RecordsetCopy, ACopyOfASortedOrFilteredViewKeepsItsOrder) {
    const long n = 2 * static_cast<long>(Recordset::kChunkRows) + 452;
    auto rs = numbered_set(n);
    // The first chunk whole, then a gap: the rest does not line up.
    rs->put_Filter(Variant("iQuantity < 1024 OR iQuantity >= 1100"));
    auto gap = rs->copy_detached(true);
    std::vector<double> expected = range(0, 1024);
    for (double v : range(1100, n)) expected.push_back(v);
    EXPECT_EQ(quantities(*gap), expected);

    // A prefix ending inside a chunk: the copy's new record starts empty.
    rs->put_Filter(Variant("iQuantity < 1500"));
    auto prefix = rs->copy_detached(true);
    EXPECT_EQ(quantities(*prefix), range(0, 1500));
    prefix->AddNew();
    EXPECT_TRUE((*prefix)("iQuantity").is_empty());
    EXPECT_TRUE((*prefix)("cInvCode").is_empty());
    prefix->Fields("iQuantity").put_Value(-5.0);
    prefix->Update();
    rs->put_Filter(Variant(0));
    rs->put_AbsolutePosition(1501);
    EXPECT_EQ((*rs)("iQuantity").number(), 1500) << "the original's record past the prefix";

    rs->put_Sort("iQuantity DESC");
    auto sorted = rs->copy_detached(true);
    std::vector<double> down = range(0, n);
    std::reverse(down.begin(), down.end());
    EXPECT_EQ(quantities(*sorted), down);
    EXPECT_EQ(sorted->Sort(), "") << "the copy's own order is the view's";
}

TEST(RecordsetSnapshot, KeepsTheViewAsItWasThroughEditsAddsAndClose) {
    auto rs = stock_set(kRows);
    rs->put_Sort("cInvCode DESC");
    rs->put_Filter(Variant("cWhCode = '01'"));
    const RecordSnapshot snap = rs->view_snapshot();
    ASSERT_EQ(snap.size(), 3u);
    EXPECT_EQ(snap.width(), 5u);
    EXPECT_EQ(vb::CStr(snap.row(0)[1]), "A003");
    EXPECT_EQ(snap.row(3), nullptr);

    rs->MoveFirst();
    rs->Fields("cInvCode").put_Value("X");
    rs->Update();
    rs->put_Filter(Variant(0));
    rs->AddNew();  // into the shared last chunk
    rs->Fields("cInvCode").put_Value("NEW");
    rs->Update();
    EXPECT_EQ(vb::CStr((*rs)("cInvCode")), "NEW");
    rs->put_Filter(Variant("cInvCode = 'X'"));
    EXPECT_EQ(rs->RecordCount(), 1);
    rs->Close();

    Strings seen;
    for (std::size_t i = 0; i < snap.size(); ++i) seen.push_back(vb::CStr(snap.row(i)[1]));
    EXPECT_EQ(seen, (Strings{"A003", "A001", "a001"}));
    EXPECT_DOUBLE_EQ(snap.row(0)[3].number(), -2);
}

TEST(RecordsetState, ClosedSetsRefuseWorkAndReadOnlySetsRefuseEdits) {
    auto rs = stock_set(kRows);
    rs->Close();
    EXPECT_EQ(rs->State(), adStateClosed);
    EXPECT_EQ(error_number([&] { rs->MoveFirst(); }), err::kClosed);
    EXPECT_EQ(rs->Fields().Count(), 5);  // a hand-built set keeps its fields
    rs->put_LockType(adLockReadOnly);
    rs->Open();
    EXPECT_EQ(error_number([&] { rs->AddNew(); }), err::kNotUpdatable);
    EXPECT_EQ(error_number([&] { rs->Open(); }), err::kOpen);
}

}  // namespace
}  // namespace korvane::ado
