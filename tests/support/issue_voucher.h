// An issue voucher's head and one body line as the host hands them over to
// the stock write: the head's warehouse; the line's inventory, batch, free
// items and the quantity and pieces it issues.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/ado/recordset.h"

namespace korvane::testing {

struct IssueVoucher {
    ado::RecordsetPtr head = ado::Recordset::create();
    ado::RecordsetPtr body = ado::Recordset::create();

    IssueVoucher(const char* wh, const char* inv, const char* batch, double out_q, double out_n,
                 std::vector<std::pair<int, const char*>> free = {}) {
        head->Fields().Append("cWhCode", ado::adVarWChar, 10);
        head->Open();
        head->AddNew();
        head->Fields("cWhCode").put_Value(wh);
        head->Update();
        for (const char* f : {"cInvCode", "cBatch"}) body->Fields().Append(f, ado::adVarWChar, 20);
        for (int i = 1; i <= 10; ++i) body->Fields().Append("cFree" + std::to_string(i), ado::adVarWChar, 20);
        for (const char* f : {"iQuantity", "iNum", "iSOutQuantity", "iSOutNum"})
            body->Fields().Append(f, ado::adDecimal, 0, ado::adFldIsNullable, 20, 6);
        body->Open();
        body->AddNew();
        body->Fields("cInvCode").put_Value(inv);
        body->Fields("cBatch").put_Value(batch);
        for (auto& [i, v] : free) body->Fields("cFree" + std::to_string(i)).put_Value(v);
        body->Fields("iQuantity").put_Value(out_q);
        body->Fields("iNum").put_Value(out_n);
        body->Fields("iSOutQuantity").put_Value(out_q);
        body->Fields("iSOutNum").put_Value(out_n);
        body->Update();
    }
};

}  // namespace korvane::testing
