// The inventory selection dialog's own texts, byte for byte.
#pragma once

#include <string>

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
inline constexpr const char* kMarkCaption = "选择";
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

// What the list's header shows for an inventory field, and how wide.
struct ColumnCaption {
    const char* field;
    const char* text;
    int width;  // twips
};
inline constexpr ColumnCaption kColumnCaptions[] = {
    {"cInvCode", "存货编码", 1700},     {"cInvName", "存货名称", 1700},    {"cInvStd", "规格型号", 1300},
    {"cInvCCode", "存货分类", 1000},    {"cComUnitCode", "主计量", 800},   {"cAssComUnitCode", "辅计量", 800},
    {"iGroupType", "换算类型", 900},    {"iChangRate", "换算率", 900},
};
inline const ColumnCaption* column_caption(const std::string& field) {
    for (const auto& c : kColumnCaptions)
        if (field == c.field) return &c;
    return nullptr;
}

}  // namespace korvane::invselect::texts
