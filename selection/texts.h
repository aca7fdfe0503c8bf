// The selection folder's own texts, byte for byte: the scratch tables'
// statement pieces, and the selection dialog's columns, keys and messages.
#pragma once

namespace korvane::selection::texts {

inline constexpr const char* kCurrentSuffix = "_CurrentS";
inline constexpr const char* kReceiptSuffix = "_TmpRdRecords";

inline constexpr const char* kIfExists = " if  exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[";
inline constexpr const char* kCurrentExistsTail =
    "_CurrentS]') and OBJECTPROPERTY(id, N'IsUserTable') = 1) drop table ";
inline constexpr const char* kReceiptExistsTail =
    "_TmpRdRecords]') and OBJECTPROPERTY(id, N'IsUserTable') = 1) drop table ";
inline constexpr const char* kCreate = "create table ";
inline constexpr const char* kCurrentColumns = "_CurrentS ( AutoID int , fSumOutQ decimal(20,6),fSumOutN decimal(20,6))";
inline constexpr const char* kReceiptColumns =
    "_TmpRdRecords ( AutoID int , fSumOutQ decimal(20,6),fSumOutN decimal(20,6))";
inline constexpr const char* kInsert = " insert into ";
inline constexpr const char* kCurrentFill = "_CurrentS select Autoid,0,0 from CurrentStock ";
inline constexpr const char* kReceiptFill = "_TmpRdRecords select Autoid,0,0 from rdrecords ";
inline constexpr const char* kDrop = " drop table ";

inline constexpr const char* kUpdate = " update ";
inline constexpr const char* kCurrentAddQ = "_CurrentS set  fSumOutQ = fSumOutQ + ";
inline constexpr const char* kCurrentAddN = ",fSumOutN = fSumOutN + ";
inline constexpr const char* kReceiptAddQ = "_TmpRdRecords set  fSumOutQ =fSumOutQ + ";
inline constexpr const char* kReceiptAddN = ",fSumOutN =fSumOutN + ";
inline constexpr const char* kWhereAutoID = " where AutoID= ";

inline constexpr const char* kAutoIDQuery = " Select AutoID from CurrentStock where cWhCode='";
inline constexpr const char* kAndQuote = "' and ";

inline constexpr const char* kWhereWord = "Where";
inline constexpr const char* kStockJoinHead = "  left join  ";
inline constexpr const char* kStockJoinOn = "_CurrentS  on  ";
inline constexpr const char* kStockJoinTail = "_CurrentS.autoid=currentstock.autoid where";
inline constexpr const char* kQuantity = "iQuantity";
inline constexpr const char* kQuantityLeft = "(iQuantity - IsNull(fSumOutQ, 0))";
inline constexpr const char* kNum = "iNum";
inline constexpr const char* kNumLeft = "(iNum-IsNull(fSumOutN,0))";

inline constexpr const char* kReceiptJoinHead = "  left join   ";
inline constexpr const char* kReceiptJoinOn = "_TmpRdRecords  on ";
inline constexpr const char* kReceiptJoinTail = "_TmpRdRecords.autoid=mainbatch.rdid where";
inline constexpr const char* kLineQuantity = "abs(RdRecords.iQuantity)";
inline constexpr const char* kLineQuantityLeft = "abs(RdRecords.iQuantity) - IsNull(fSumOutQ, 0)";
inline constexpr const char* kLineNum = " abs(RdRecords.inum)";
inline constexpr const char* kLineNumLeft = " abs(RdRecords.inum)-IsNull(fSumOutN,0)";

// The selection dialog.
inline constexpr const char* kStockCountFrom = "18";
inline constexpr const char* kBalanceQuantity = "结存数量";
inline constexpr const char* kBalancePieces = "结存件数";
inline constexpr const char* kOutQuantity = "出库数量";
inline constexpr const char* kOutPieces = "出库件数";
inline constexpr const char* kReturnQuantity = "退回数量";
inline constexpr const char* kReturnPieces = "退回件数";
inline constexpr const char* kBookQuantity = "账面数量";
inline constexpr const char* kBookPieces = "账面件数";
inline constexpr const char* kCountQuantity = "盘点数量";
inline constexpr const char* kCountPieces = "盘点件数";
inline constexpr const char* kChosen = "Y";

inline constexpr const char* kRuleBatchFifo = "批号先进先出";
inline constexpr const char* kRuleNearestExpiry = "近效期先出";
inline constexpr const char* kRuleFifo = "先进先出";
inline constexpr const char* kRuleLifo = "后进先出";
inline constexpr const char* kSortBatch = "批号";
inline constexpr const char* kSortExpiry = "失效日期";
inline constexpr const char* kSortFifo = "入库日期,入库系统编号";
inline constexpr const char* kSortLifo = "入库日期 Desc ,入库系统编号 Desc";

inline constexpr const char* kTitleBatch = "批次分配";
inline constexpr const char* kTitleTrace = "追踪分配";
inline constexpr const char* kNoBatches = "没有找到对应的批次结存信息，不能自动分配";
inline constexpr const char* kNoReceipts = "没有找到对应的入库信息，不能自动分配";
inline constexpr const char* kNotAllAllocated = "没有完全分配，还有";
inline constexpr const char* kNotAllocatedTail = "没有分配";
inline constexpr const char* kRedNoPositive = "红字单据不能输入正数";
inline constexpr const char* kBlueNoNegative = "篮字单据不能输入负数";
inline constexpr const char* kSignFixed = "不能改变数据的正负";
inline constexpr const char* kLessThanQuantity = "修改的数量小于已分配的数量";
inline constexpr const char* kLessThanPieces = "修改的数量小于已分配的件数";
inline constexpr const char* kReallocate = "，是否重新分配？";
inline constexpr const char* kNoNegativeRate = "换算率不能输入负数";
// Ours: a selection statement that does not end in the columns the dialog reads.
inline constexpr const char* kMissingColumn = "选择语句的结尾缺少列“";

// Toolbar keys and images.
inline constexpr const char* kKeyOk = "ok";
inline constexpr const char* kKeyAuto = "auto";
inline constexpr const char* kKeyAll = "all";
inline constexpr const char* kKeyNone = "none";
inline constexpr const char* kKeyCancel = "cancel";
inline constexpr const char* kKeyHelp = "help";
inline constexpr const char* kImageOk = "tlbok";
inline constexpr const char* kImageAuto = "tlbauto";
inline constexpr const char* kImageHelp = "tlbhelp";
inline constexpr const char* kImageExit = "tlbexit";

}  // namespace korvane::selection::texts
