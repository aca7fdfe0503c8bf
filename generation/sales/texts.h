// The sales generation form's own texts, byte for byte.
#pragma once

namespace korvane::generation::sales_texts {

inline constexpr const char* kCaption = "选择发货单";
inline constexpr const char* kIssueRight = "ST0118";

inline constexpr const char* kVouchTypes[] = {"", "发货单", "委托代销发货单", "普通发票", "专用发票", "销售调拨单", "销售日报"};
inline constexpr const char* kBusTypes[] = {"", "普通销售", "分期收款", "委托代销"};

// Filter fragments.
inline constexpr const char* kDeptScopeHead = "(DispatchList.cDepCode IN(";
inline constexpr const char* kDeptScopeTail = ") OR ISNULL(DispatchList.cDepCode,'') = '')";
inline constexpr const char* kDateColumn = "DispatchList.dDate";
inline constexpr const char* kDept = " Department.cDepName = '";
inline constexpr const char* kPerson = " Person.cPersonName = '";
inline constexpr const char* kDlCode = " DispatchList.cDLCode = '";
inline constexpr const char* kCustomer = " Customer.cCusAbbName = '";
inline constexpr const char* kVouchName = " VouchType.cVouchName = '";
inline constexpr const char* kBusType = " DispatchList.cBusType = '";
inline constexpr const char* kInvoice = " DispatchList.cSBVCode ='";
inline constexpr const char* kWhRights = "DispatchLists.cWhCode IN (";
inline constexpr const char* kInvRights =
    "DispatchLists.cInvCode in ( select II.cInvCode From Inventory II where II.cInvCode = DispatchLists.cInvCode and "
    "II.iid IN(";
inline constexpr const char* kLineOfHead = "DispatchLists.DLID=";

// A line's warehouse: every one the operator may use.
inline constexpr const char* kLineWarehouses = " WHERE cWhCode IN (";

// Line edits.
inline constexpr const char* kPiecesNotHead = "本次出库件数不能为";
inline constexpr const char* kQuantityNotHead = "本次出库数量不能为";
inline constexpr const char* kOverLimit = "本次出库数量不能大于出库上限范围！";
inline constexpr const char* kOverRemaining = "本次出库数量不能大于未出库数量";

// Batches and receipt lines.
inline constexpr const char* kBatchPreset = "批量指定批次";
inline constexpr const char* kReceiptPreset = "批量指定入库单据号";
inline constexpr const char* kBatchTitle = "批量批次指定";
inline constexpr const char* kReceiptTitle = "批量入库单据号指定";
inline constexpr const char* kRedLine = "红字发货单不支持自动指定功能，请手工指定。";
inline constexpr const char* kInventoryPrefix = "存货";

// OK.
inline constexpr const char* kConfirm = "确认要生单吗？";
inline constexpr const char* kNoHeads = "发货单表头为空！请重新生单";
inline constexpr const char* kChooseRecords = "请选择记录！";
inline constexpr const char* kInvoiceValue = "invoice";

}  // namespace korvane::generation::sales_texts
