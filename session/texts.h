// The session layer's own texts: option values and messages, byte for byte.
#pragma once

namespace korvane::session::texts {

// Allocation rule and edition values as the options store them.
inline constexpr const char* kRuleManual = "手工确定";
inline constexpr const char* kIndustrialEdition = "工业";

// InitFromSession without a session object.
inline constexpr const char* kNoSession = "没有登录对象";
// The stock option service on an account that stores no stock options.
inline constexpr const char* kNoStockOptions = "本账套未设置库存管理选项，请先在库存管理中设置选项！";

}  // namespace korvane::session::texts
