// The inventory selection dialog's own texts, byte for byte.
#pragma once

namespace korvane::invselect::texts {

inline constexpr const char* kRootKey = "mRoot";
inline constexpr const char* kRootText = "存货";
inline constexpr const char* kNodePrefix = "m";
inline constexpr const char* kImageFolder = "folder";
inline constexpr const char* kImageOpen = "open";
inline constexpr const char* kImageLast = "li";

inline constexpr const char* kKeyQuit = "Quit";
inline constexpr const char* kKeyOk = "Ok";
inline constexpr const char* kKeyLocal = "Local";
inline constexpr const char* kKeyOrder = "Order";
inline constexpr const char* kKeySelAll = "tlbSelAll";

inline constexpr const char* kMark = "√";
inline constexpr const char* kRowPrefix = "第";
inline constexpr const char* kCountPrefix = "共";
inline constexpr const char* kRowSuffix = "条";
inline constexpr const char* kAscending = "升";
inline constexpr const char* kDescending = "降";

inline constexpr const char* kTitle = "系统提示";
inline constexpr const char* kSelectAll = "确认要选择全部存货吗?";
inline constexpr const char* kLocateTitle = "定位行数";
inline constexpr const char* kLocatePrompt = "\r\n行数：";
inline constexpr const char* kBadRow = "不正确的行数值 ";
inline constexpr const char* kRetry = "请重新输入";

inline constexpr const char* kClassLike = "cInvCCode like '";
inline constexpr const char* kBaseJoin = " AND ";
inline constexpr const char* kDropIfExists = "if exists (select * from tempdb..sysobjects where id=object_id(N'";
inline constexpr const char* kCodeIn = " cInvCode in (select id from ";
inline constexpr const char* kOrderDesc = " order by cInvCode  desc ";
inline constexpr const char* kOrderAsc = " order by cInvCode  ";

}  // namespace korvane::invselect::texts
