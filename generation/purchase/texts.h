// The purchase generation form's own texts, byte for byte.
#pragma once

namespace korvane::generation::purchase_texts {

inline constexpr const char* kCaption = "选择采购订单或采购到货单";

// Tabs and their questions.
inline constexpr const char* kToArrivals = "选择到货单将取消订单的所有选择,是否继续?";
inline constexpr const char* kToOrders = "选择订单将取消到货单的所有选择,是否继续?";

// Business types and editions.
inline constexpr const char* kIndustrial = "工业";
inline constexpr const char* kCommercial = "商业";
inline constexpr const char* kOrdinary = "普通采购";
inline constexpr const char* kConsigned = "受托代销";

// Scopes and line conditions.
inline constexpr const char* kDeptScopeHead = "(cDepCode in (";
inline constexpr const char* kDeptScopeTail = ") OR ISNULL(cDepCode, '') = '')";
inline constexpr const char* kWhScopeHead = "(cWhCode in (";
inline constexpr const char* kWhScopeTail = ") OR ISNULL(cWhCode,'') = '')";
inline constexpr const char* kInvIn = "Inventory.iId IN(";
inline constexpr const char* kInvInBlank = "Inventory.iId IN (";
inline constexpr const char* kConsignedOnly = "Inventory.bInvEntrust=1";
inline constexpr const char* kArrWhHead = "(PU_ArrivalVouchs.cWhCode in (";
inline constexpr const char* kArrWhTail = ") OR ISNULL(PU_ArrivalVouchs.cWhCode,'') = '')";
inline constexpr const char* kWhNameFragment = " cWhName = '";

// The checks of a line edit.
inline constexpr const char* kWarehouseTied = "已经指定了对应入库单号,不能修改仓库！";
inline constexpr const char* kPiecesFirstHead = "必须先修改[件数]为";
inline constexpr const char* kPiecesFirstTail = "数然后修改[数量]!";
inline constexpr const char* kReturnTooLarge = "本次退货数量/件数不能大于订单的累计入库数量/件数。";
inline constexpr const char* kOverLimit = "本次入库数量不能大于入库上限范围！";
inline constexpr const char* kOverRemaining = "本次入库数量不能大于未入库数量";
inline constexpr const char* kPiecesOverRemaining = "本次出库件数不能大于未入库件数";
inline constexpr const char* kQuantityNotHead = "本次入库数量不能为";
inline constexpr const char* kPiecesNotHead = "本次入库件数不能为";

// OK.
inline constexpr const char* kConfirm = "确认要生单吗？";
inline constexpr const char* kNoArrivalHeads = "采购到货单表头为空！请重新生单";
inline constexpr const char* kNoOrderHeads = "采购订单表头为空！请重新生单";
inline constexpr const char* kChooseRecords = "请选择记录！";
inline constexpr const char* kOrderForm = "orderform";
inline constexpr const char* kArrivalForm = "arrivalform";

// Return lines.
inline constexpr const char* kNoWarehouse = "仓库不能为空！";

}  // namespace korvane::generation::purchase_texts
