#include "writeback/track_set.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <random>

#include "component/track_set.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"
#include "tests/support/account.h"
#include "tests/support/errors.h"
#include "tests/support/issue_voucher.h"
#include "writeback/checked_write.h"
#include "writeback/texts.h"

namespace korvane::writeback {
namespace {

class Flags : public host::Inventory {
public:
    explicit Flags(bool skip) : skip_(skip) {}
    const std::string& cInvCode() const override { return code_; }
    const std::string& cInvName() const override { return code_; }
    int ConversionKind() const override { return skip_ ? 0 : 1; }
    double ChangeRate() const override { return 0; }
    bool UsesFree(int) const override { return false; }
    bool SkipPieceCheck() const override { return skip_; }

private:
    bool skip_;
    std::string code_ = "A001";
};

using Voucher = testing::IssueVoucher;

// Runs on the embedded driver and, where it is installed, through ODBC over
// the SQLite ODBC driver.
class WriteBack : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        con_->Open(GetParam() ? account_.odbc_connection_string() : account_.connection_string());
        account_.exec(
            "insert into RdRecords (AutoID, ID, cInvCode, cBatch, iQuantity, iNum, iSOutQuantity, iSOutNum) "
            "values (501, 1, 'A001', 'B1', 100, 10, 30, 3)");
        account_.exec(
            "insert into CurrentStock (AutoID, cWhCode, cInvCode, cBatch, cFree1, cFree3, iQuantity, iNum) "
            "values (7, '01', 'A001', 'B1', '', 'red', 50, 5)");
        account_.exec(
            "insert into CurrentStock (AutoID, cWhCode, cInvCode, cBatch, cFree1, cFree3, iQuantity, iNum) "
            "values (8, '01', 'A001', 'B1', '', 'blue', 60, 6)");
    }
    std::string value(const std::string& sql) { return account_.scalar(sql); }

    testing::TestAccount account_;
    ado::ConnectionPtr con_ = ado::Connection::create();
    std::string sql_;
};

TEST_P(WriteBack, ReceiptLineGainsAndLosesIssuedAmounts) {
    Voucher blue("01", "A001", "B1", 12, 2);
    EXPECT_TRUE(WritCountofRD_CS(sql_, "501", blue.head, blue.body, con_, true));
    EXPECT_EQ(sql_,
              "update RdRecords set cVouchCode = cVouchCode, iSOutQuantity = iSOutQuantity +12, iSOutNum =  "
              "iSOutNum+2 where AutoID = 501");
    EXPECT_DOUBLE_EQ(vb::Val(value("select iSOutQuantity from RdRecords where AutoID = 501")), 42);
    EXPECT_DOUBLE_EQ(vb::Val(value("select iSOutNum from RdRecords where AutoID = 501")), 5);

    Voucher red("01", "A001", "B1", -4, -1);
    EXPECT_TRUE(WritCountofRD_CS(sql_, "501", red.head, red.body, con_, true, false));
    EXPECT_EQ(sql_,
              "update RdRecords set cVouchCode = cVouchCode, iSOutQuantity = iSOutQuantity -(-4), iSOutNum =  "
              "iSOutNum-(-1) where AutoID = 501");
    EXPECT_DOUBLE_EQ(vb::Val(value("select iSOutQuantity from RdRecords where AutoID = 501")), 46);
    EXPECT_EQ(value("select count(*) from RdRecords"), "1");
}

TEST_P(WriteBack, CurrentStockRowIsFoundByItsKeyWithEmptyFreeItemsSkipped) {
    Voucher v("01", "A001", "B1", 5, 1, {{3, "red"}});
    EXPECT_TRUE(WritCountofRD_CS(sql_, "", v.head, v.body, con_, false, false));
    EXPECT_EQ(sql_,
              "update CurrentStock set iQuantity = iQuantity -5, iNum = iNum -1 where cWhCode = '01' and "
              "cInvCode = 'A001' and cBatch = 'B1' and cFree3 = 'red'");
    EXPECT_EQ(vb::Val(value("select iQuantity from CurrentStock where AutoID = 7")), 45);
    EXPECT_EQ(vb::Val(value("select iQuantity from CurrentStock where AutoID = 8")), 60);  // other colour untouched

    Voucher back("01", "A001", "B1", 5, 1, {{3, "red"}});
    EXPECT_TRUE(WritCountofRD_CS(sql_, "", back.head, back.body, con_, false));  // bIO omitted: added
    EXPECT_EQ(vb::Val(value("select iQuantity from CurrentStock where AutoID = 7")), 50);
}

TEST_P(WriteBack, CheckRefusesAnOverIssueOnceAndOnlyWhenGreater) {
    auto flags = std::make_shared<Flags>(false);
    std::string msg;
    Voucher fits("01", "A001", "B1", 30, 3);
    EXPECT_TRUE(AllowWritCount(sql_, "501", fits.head, fits.body, con_, flags, msg));
    EXPECT_EQ(sql_, "SELECT *  FROM RdRecords where AutoID =501");
    EXPECT_EQ(msg, "");
    Voucher over("01", "A001", "B1", 31, 4);
    EXPECT_TRUE(AllowWritCount(sql_, "501", over.head, over.body, con_, flags, msg));
    EXPECT_EQ(msg, "出库数大于了入库数量！");
    msg.clear();
    Voucher pieces("01", "A001", "B1", 10, 9);
    EXPECT_TRUE(AllowWritCount(sql_, "501", pieces.head, pieces.body, con_, std::make_shared<Flags>(true), msg));
    EXPECT_EQ(msg, "");  // pieces not checked for this inventory
    EXPECT_TRUE(AllowWritCount(sql_, "501", pieces.head, pieces.body, con_, flags, msg, false));
    EXPECT_EQ(msg, "出库数大于了结存数量！");
    std::string untouched = "kept";
    EXPECT_TRUE(AllowWritCount(sql_, "999", over.head, over.body, con_, flags, untouched));
    EXPECT_EQ(untouched, "kept");
}

TEST_P(WriteBack, MissingFieldsAndFailedStatementsRaiseAndChangeNothing) {
    auto body = ado::Recordset::create();
    body->Fields().Append("cInvCode", ado::adVarWChar, 20);
    body->Open();
    body->AddNew();
    Voucher v("01", "A001", "B1", 1, 1);
    EXPECT_EQ(testing::error_number([&] { WritCountofRD_CS(sql_, "501", v.head, body, con_, true); }),
              err::kItemNotFound);
    Voucher no_key("", "", "", 1, 1);
    EXPECT_THROW(WritCountofRD_CS(sql_, "", no_key.head, no_key.body, con_, false), Error);
    EXPECT_EQ(sql_, "update CurrentStock set iQuantity = iQuantity +1, iNum = iNum +1 where ");
    EXPECT_DOUBLE_EQ(vb::Val(value("select sum(iQuantity) from CurrentStock")), 110);
}

// Values that would break the statement are refused before anything runs:
// the account is as it was, and a valid value's text is unchanged.
TEST_P(WriteBack, ValuesThatWouldBreakTheStatementAreRefusedAndNothingIsWritten) {
    auto state = [this] {
        return value("select group_concat(AutoID || ':' || iQuantity || ':' || iNum, ' ') from CurrentStock") + "|" +
               value("select group_concat(AutoID || ':' || iSOutQuantity || ':' || iSOutNum, ' ') from RdRecords") +
               "|" + value("select count(*) from RdRecords");
    };
    const std::string before = state();
    auto refused = [&](auto&& call) {
        sql_ = "untouched";
        try {
            call();
            ADD_FAILURE() << "ran: " << sql_;
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), err::kInvalidCall);
            EXPECT_EQ(e.description().rfind("值不能用于SQL语句：「", 0), 0u) << e.description();
        }
        EXPECT_EQ(state(), before);
    };
    Voucher widened("x' or '1'='1", "A001", "B1", 5, 1);
    refused([&] { WritCountofRD_CS(sql_, "", widened.head, widened.body, con_, false, false); });
    Voucher deleting("01", "A001'; delete from RdRecords; --", "B1", 5, 1);
    refused([&] { WritCountofRD_CS(sql_, "", deleting.head, deleting.body, con_, false); });
    Voucher free("01", "A001", "B1", 5, 1, {{3, "red' or cFree3 <> '"}});
    refused([&] { WritCountofRD_CS(sql_, "", free.head, free.body, con_, false); });
    Voucher fine("01", "A001", "B1", 5, 1);
    refused([&] { WritCountofRD_CS(sql_, "1 or 1=1", fine.head, fine.body, con_, true); });
    refused([&] { WritCountofRD_CS(sql_, "501; delete from RdRecords", fine.head, fine.body, con_, true); });
    std::string msg;
    refused([&] { AllowWritCount(sql_, "0 or 1=1", fine.head, fine.body, con_, std::make_shared<Flags>(false), msg); });
    EXPECT_EQ(msg, "");

    // an amount given as text must be a number too
    auto as_text = ado::Recordset::create();
    for (const char* f : {"cInvCode", "cBatch", "iSOutQuantity", "iSOutNum"}) as_text->Fields().Append(f, ado::adVarWChar, 40);
    as_text->Open();
    as_text->AddNew();
    as_text->Fields("cInvCode").put_Value("A001");
    as_text->Fields("iSOutQuantity").put_Value("1 where 1=1; --");
    as_text->Fields("iSOutNum").put_Value("1");
    as_text->Update();
    refused([&] { WritCountofRD_CS(sql_, "501", fine.head, as_text, con_, true); });
}

TEST_P(WriteBack, AmountsBeyondTheArithmeticOverflowAndNullAmountsCountAsNothing) {
    Voucher huge("01", "A001", "B1", 1e300, 1);
    EXPECT_EQ(testing::error_number([&] { WritCountofRD_CS(sql_, "", huge.head, huge.body, con_, false, false); }),
              err::kOverflow);
    EXPECT_EQ(value("select iQuantity from CurrentStock where AutoID = 7"), "50");

    Voucher empty("01", "A001", "B1", 0, 0, {{3, "red"}});
    empty.body->Fields("iSOutQuantity").put_Value(Variant::null());
    empty.body->Fields("iSOutNum").put_Value(Variant::null());
    EXPECT_TRUE(WritCountofRD_CS(sql_, "", empty.head, empty.body, con_, false, false));
    EXPECT_EQ(sql_,
              "update CurrentStock set iQuantity = iQuantity -0, iNum = iNum -0 where cWhCode = '01' and "
              "cInvCode = 'A001' and cBatch = 'B1' and cFree3 = 'red'");
    EXPECT_EQ(value("select iQuantity || ':' || iNum from CurrentStock where AutoID = 7"), "50:5");
}

// Through the public class on an account opened for reading only: the
// database's refusal comes back in ErrMsg, and the account keeps its amounts.
TEST_P(WriteBack, ReadOnlyAccountLeavesTheRefusalInErrMsg) {
    auto read_only = ado::Connection::create();
    read_only->Open(account_.connection_string() + ";Mode=Read");
    Voucher v("01", "A001", "B1", 5, 1, {{3, "red"}});
    auto track = component::TrackSet::create();
    std::string message;
    EXPECT_FALSE(track->WritCountofRD_CS("", v.head, v.body, read_only, false, message, false));
    const std::string expected = "TrackSet:WritCountofRD_CS" + std::to_string(err::kProvider) +
                                 "\r\nattempt to write a readonly database (in statement: update CurrentStock ";
    EXPECT_EQ(message.substr(0, expected.size()), expected) << message;
    EXPECT_EQ(value("select iQuantity || ':' || iNum from CurrentStock where AutoID = 7"), "50:5");
    EXPECT_EQ(value("select iSOutQuantity from RdRecords where AutoID = 501"), "30");

    // The same line on the connection that can write goes through.
    EXPECT_TRUE(track->WritCountofRD_CS("", v.head, v.body, con_, false, message, false));
    EXPECT_EQ(value("select iQuantity from CurrentStock where AutoID = 7"), "45");
}

INSTANTIATE_TEST_SUITE_P(Drivers, WriteBack, ::testing::ValuesIn(testing::through_odbc_too()), testing::driver_name);

// Four workstations write back 500 issues each against the same stock row at
// the same moment: every one lands, none fails on the others' locks.
struct WriteBackConcurrency : ::testing::TestWithParam<bool> {};
INSTANTIATE_TEST_SUITE_P(Drivers, WriteBackConcurrency, ::testing::ValuesIn(testing::through_odbc_too()),
                         testing::driver_name);

TEST_P(WriteBackConcurrency, FourProcessesLoseNoUpdate) {
    const bool odbc = GetParam();
    testing::TestAccount account;
    account.exec(
        "insert into CurrentStock (AutoID, cWhCode, cInvCode, cBatch, iQuantity, iNum) values (1, '01', 'A001', 'B1', "
        "10000, 1000)");
    const std::string cs = odbc ? account.odbc_connection_string() : account.connection_string();
    constexpr int kProcesses = 4, kLines = 500;
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        pid_t pid = fork();
        if (pid == 0) {
            int failed = 0;
            try {
                auto con = ado::Connection::create();
                con->Open(cs);
                std::string sql;
                Voucher v("01", "A001", "B1", 2, 1);
                for (int i = 0; i < kLines; ++i)
                    if (!WritCountofRD_CS(sql, "", v.head, v.body, con, false, false)) ++failed;
            } catch (const std::exception& e) {
                std::fprintf(stderr, "process %d: %s\n", p, e.what());
                failed = 1;
            }
            _exit(failed ? 1 : 0);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_DOUBLE_EQ(vb::Val(account.scalar("select iQuantity from CurrentStock where AutoID = 1")),
                     10000 - 2 * kProcesses * kLines);
    EXPECT_DOUBLE_EQ(vb::Val(account.scalar("select iNum from CurrentStock where AutoID = 1")), 1000 - kProcesses * kLines);
}

TEST_P(WriteBack, CheckedWriteTakesOnlyWhatTheRowStillHolds) {
    Voucher line("01", "A001", "B1", 70, 7);
    EXPECT_EQ(CheckedWritLine(sql_, "501", line.head, line.body, con_, nullptr, true), 1);
    EXPECT_EQ(sql_,
              "update RdRecords set cVouchCode = cVouchCode, iSOutQuantity = iSOutQuantity +70, iSOutNum =  "
              "iSOutNum+7 where AutoID = 501 and abs(iQuantity) - COALESCE(iSOutQuantity, 0) >= 70 and "
              "abs(COALESCE(iNum, 0)) - COALESCE(iSOutNum, 0) >= 7");
    EXPECT_EQ(value("select iSOutQuantity || '/' || iSOutNum from RdRecords where AutoID = 501"), "100/10");
    Voucher more("01", "A001", "B1", 0.5, 0);
    EXPECT_EQ(CheckedWritLine(sql_, "501", more.head, more.body, con_, nullptr, true), 0);
    EXPECT_EQ(value("select iSOutQuantity || '/' || iSOutNum from RdRecords where AutoID = 501"), "100/10");

    // the stock row: the pieces are left unchecked when the inventory skips them
    Voucher stock("01", "A001", "B1", 50, 9, {{3, "red"}});
    EXPECT_EQ(CheckedWritLine(sql_, "", stock.head, stock.body, con_, std::make_shared<Flags>(false), false), 0);
    EXPECT_EQ(CheckedWritLine(sql_, "", stock.head, stock.body, con_, std::make_shared<Flags>(true), false), 1);
    EXPECT_EQ(sql_,
              "update CurrentStock set iQuantity = iQuantity -50, iNum = iNum -9 where cWhCode = '01' and cInvCode = "
              "'A001' and cBatch = 'B1' and cFree3 = 'red' and COALESCE(iQuantity, 0) >= 50");
    EXPECT_EQ(value("select iQuantity || '/' || iNum from CurrentStock where AutoID = 7"), "0/-4");
    EXPECT_EQ(value("select iQuantity from CurrentStock where AutoID = 8"), "60");
}

TEST_P(WriteBack, CheckedVoucherNamesTheLosingLineAndLeavesEveryRowAsItWas) {
    account_.exec("insert into RdRecords (AutoID, ID, cInvCode, cBatch, iQuantity, iNum, iSOutQuantity, iSOutNum) "
                  "values (502, 1, 'A001', 'B2', 10, 0, 8, 0)");
    Voucher v("01", "A001", "B1", 20, 0);
    v.body->AddNew();
    v.body->Fields("cInvCode").put_Value("A001");
    v.body->Fields("iSOutQuantity").put_Value(5);
    v.body->Fields("iSOutNum").put_Value(0);
    v.body->Update();
    component::TrackSet track;
    CheckedWrite w = track.CheckedWritCount({"501", "502"}, v.head, v.body, con_, nullptr, true);
    EXPECT_FALSE(w.accepted());
    EXPECT_EQ(w.refused_line, 2);
    EXPECT_EQ(w.ErrMsg, "出库数大于了入库数量！");
    EXPECT_EQ(w.rows, 0);
    EXPECT_EQ(value("select iSOutQuantity from RdRecords where AutoID = 501"), "30") << "line 1 was given back";
    EXPECT_EQ(value("select iSOutQuantity from RdRecords where AutoID = 502"), "8");

    w = track.CheckedWritCount({"501", "501"}, v.head, v.body, con_, nullptr, true);
    EXPECT_TRUE(w.accepted());
    EXPECT_EQ(w.rows, 2);
    EXPECT_EQ(value("select iSOutQuantity from RdRecords where AutoID = 501"), "55");
}

// Eight workstations issue random amounts from the last units of one receipt
// line and one stock row at once; each process reports what was accepted.
struct RaceTotals {
    long long line_q = 0, line_n = 0, stock_q = 0, stock_n = 0;  // hundredths
    long accepted = 0, refused = 0;
};

RaceTotals race(testing::TestAccount& account) {
    constexpr int kProcesses = 8, kCalls = 10'000 / kProcesses;
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        pid_t pid = fork();
        if (pid == 0) {
            RaceTotals mine;
            int failed = 0;
            try {
                auto con = ado::Connection::create();
                con->Open(account.connection_string());
                std::mt19937 rng(static_cast<unsigned>(p * 7919 + 1));
                std::string sql;
                auto inventory = std::make_shared<Flags>(false);
                for (int i = 0; i < kCalls; ++i) {
                    const int q = std::uniform_int_distribution<int>(25, 300)(rng);  // hundredths
                    const int n = std::uniform_int_distribution<int>(0, 2)(rng);
                    const bool to_line = (i + p) % 2 == 0;
                    Voucher v("01", "A001", to_line ? "B1" : "B9", q / 100.0, n);
                    if (CheckedWritLine(sql, "501", v.head, v.body, con, inventory, to_line) == 0) {
                        ++mine.refused;
                        continue;
                    }
                    ++mine.accepted;
                    (to_line ? mine.line_q : mine.stock_q) += q;
                    (to_line ? mine.line_n : mine.stock_n) += n;
                }
            } catch (const std::exception& e) {
                std::fprintf(stderr, "process %d: %s\n", p, e.what());
                failed = 1;
            }
            std::ofstream(account.path() + ".race" + std::to_string(p))
                << mine.line_q << ' ' << mine.line_n << ' ' << mine.stock_q << ' ' << mine.stock_n << ' '
                << mine.accepted << ' ' << mine.refused << '\n';
            _exit(failed);
        }
        children.push_back(pid);
    }
    RaceTotals all;
    for (int p = 0; p < kProcesses; ++p) {
        int status = 0;
        waitpid(children[static_cast<std::size_t>(p)], &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        RaceTotals mine;
        std::ifstream(account.path() + ".race" + std::to_string(p)) >> mine.line_q >> mine.line_n >> mine.stock_q >>
            mine.stock_n >> mine.accepted >> mine.refused;
        all.line_q += mine.line_q, all.line_n += mine.line_n, all.stock_q += mine.stock_q;
        all.stock_n += mine.stock_n, all.accepted += mine.accepted, all.refused += mine.refused;
    }
    return all;
}

long long hundredths(const std::string& text) { return std::llround(vb::Val(text) * 100); }

TEST(CheckedWriteRace, EightWorkstationsNeverIssueMoreThanTheRowsHold) {
    testing::TestAccount account;
    // The receipt line holds 500 - 100 = 400 more, the stock row 400.
    account.exec("insert into RdRecords (AutoID, ID, cInvCode, cBatch, iQuantity, iNum, iSOutQuantity, iSOutNum) "
                 "values (501, 1, 'A001', 'B1', 500, 300, 100, 0);"
                 "insert into CurrentStock (AutoID, cWhCode, cInvCode, cBatch, iQuantity, iNum) "
                 "values (9, '01', 'A001', 'B9', 400, 300)");
    RaceTotals t = race(account);
    EXPECT_EQ(t.accepted + t.refused, 10'000);
    EXPECT_GT(t.refused, 0) << "the run must reach the last units";
    // Balances only fall, so one that ends at zero or more never went below.
    const long long line_left = hundredths(account.scalar("select abs(iQuantity) - iSOutQuantity from RdRecords"));
    const long long stock_left = hundredths(account.scalar("select iQuantity from CurrentStock"));
    EXPECT_GE(line_left, 0);
    EXPECT_GE(stock_left, 0);
    EXPECT_GE(hundredths(account.scalar("select abs(iNum) - iSOutNum from RdRecords")), 0);
    EXPECT_GE(hundredths(account.scalar("select iNum from CurrentStock")), 0);
    // what was accepted is exactly what left: a refused call changed nothing
    EXPECT_EQ(40000 - line_left, t.line_q);
    EXPECT_EQ(40000 - stock_left, t.stock_q);
    EXPECT_EQ(hundredths(account.scalar("select iSOutNum from RdRecords")), t.line_n * 100);
    EXPECT_EQ(30000 - hundredths(account.scalar("select iNum from CurrentStock")), t.stock_n * 100);
}

}  // namespace
}  // namespace korvane::writeback
