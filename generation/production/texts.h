// The production form's own texts and SQL pieces, byte for byte.
#pragma once

namespace korvane::generation::production_texts {

inline constexpr const char* kOrdersCaption = "选择生产订单和生产的存货";
inline constexpr const char* kPlansCaption = "选择生产计划和投产的存货";
inline constexpr const char* kTitle = "系统提示";
inline constexpr const char* kChoose = "请选择";
inline constexpr const char* kChooseEnd = "！";
inline constexpr const char* kChangedByOthers = "当前单据可能已经被他人修改请重新过滤后再进行生单！";
inline constexpr const char* kClearAll = "清除所有选中行";

// The department scope, around the operator's authority list.
inline constexpr const char* kDeptScopeListHead = "( (cDepCode IN(";
inline constexpr const char* kDeptScopeListTail =
    ")"
    "  AND cDepCode IN ( Select cDepCode From Department DD where DD.cDepCode = cDepCode and DD.bDepEnd = 1)) "
    "OR ISNULL(cDepCode, '') = '' ) ";
inline constexpr const char* kDeptScopeAll =
    "( (cDepCode IN ( Select cDepCode From Department DD where DD.cDepCode = cDepCode and DD.bDepEnd = 1) ) "
    "OR ISNULL(cDepCode, '') = '' ) ";
inline constexpr const char* kInvScopeHead =
    "cInvCode in ( select II.cInvCode From Inventory II where II.cInvCode = cInvCode and II.iid IN(";
inline constexpr const char* kInvScopeTail = "))";

// The voucher type whose orders come from the type-39 operations.
inline constexpr int kVouchType39 = 39;

}  // namespace korvane::generation::production_texts
