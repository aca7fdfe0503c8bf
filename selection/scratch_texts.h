// The scratch tables' statement pieces, byte for byte.
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

}  // namespace korvane::selection::texts
