#include "schema/account_schema.h"

#include <filesystem>
#include <system_error>

#include "platform/ado/connection.h"
#include "platform/vb/error.h"

namespace korvane::schema {

namespace {

constexpr const char* kDdl = R"SQL(
create table Department (
  cDepCode nvarchar(12) COLLATE NOCASE primary key, cDepName nvarchar(40) COLLATE NOCASE NOT NULL,
  iDepGrade smallint NOT NULL DEFAULT 1, bDepEnd bit NOT NULL DEFAULT 1);
create table Person (
  cPersonCode nvarchar(20) COLLATE NOCASE primary key, cPersonName nvarchar(40) COLLATE NOCASE NOT NULL,
  cDepCode nvarchar(12) COLLATE NOCASE);
create table Warehouse (
  cWhCode nvarchar(10) COLLATE NOCASE primary key, cWhName nvarchar(40) COLLATE NOCASE NOT NULL,
  cDepCode nvarchar(12) COLLATE NOCASE, cWhAddress nvarchar(80) COLLATE NOCASE, cWhPerson nvarchar(20) COLLATE NOCASE,
  bWhPos bit NOT NULL DEFAULT 0, bFreeze bit NOT NULL DEFAULT 0);
create table Customer (
  cCusCode nvarchar(20) COLLATE NOCASE primary key, cCusName nvarchar(98) COLLATE NOCASE NOT NULL,
  cCusAbbName nvarchar(60) COLLATE NOCASE, cCusDepart nvarchar(12) COLLATE NOCASE, cCusPPerson nvarchar(20) COLLATE NOCASE);
create table Vendor (
  cVenCode nvarchar(20) COLLATE NOCASE primary key, cVenName nvarchar(98) COLLATE NOCASE NOT NULL,
  cVenAbbName nvarchar(60) COLLATE NOCASE);
create table ComputationUnit (
  cComunitCode nvarchar(35) COLLATE NOCASE primary key, cComUnitName nvarchar(20) COLLATE NOCASE NOT NULL,
  cGroupCode nvarchar(35) COLLATE NOCASE, iChangRate decimal(20,6), bMainUnit bit NOT NULL DEFAULT 0);
create table InventoryClass (
  cInvCCode nvarchar(12) COLLATE NOCASE primary key, cInvCName nvarchar(40) COLLATE NOCASE NOT NULL,
  iInvCGrade smallint NOT NULL, bInvCEnd bit NOT NULL DEFAULT 0, cEcoCode nvarchar(20) COLLATE NOCASE);
create table Inventory (
  cInvCode nvarchar(20) COLLATE NOCASE primary key, iId int, cInvAddCode nvarchar(30) COLLATE NOCASE, cInvName nvarchar(60) COLLATE NOCASE NOT NULL,
  cInvStd nvarchar(60) COLLATE NOCASE, cInvCCode nvarchar(12) COLLATE NOCASE, cComUnitCode nvarchar(35) COLLATE NOCASE,
  cAssComUnitCode nvarchar(35) COLLATE NOCASE, iGroupType smallint NOT NULL DEFAULT 0, iChangRate decimal(20,6),
  bFree1 bit NOT NULL DEFAULT 0, bFree2 bit NOT NULL DEFAULT 0, bFree3 bit NOT NULL DEFAULT 0, bFree4 bit NOT NULL DEFAULT 0, bFree5 bit NOT NULL DEFAULT 0, bFree6 bit NOT NULL DEFAULT 0, bFree7 bit NOT NULL DEFAULT 0, bFree8 bit NOT NULL DEFAULT 0, bFree9 bit NOT NULL DEFAULT 0, bFree10 bit NOT NULL DEFAULT 0,
  bInvBatch bit NOT NULL DEFAULT 0, bInvQuality bit NOT NULL DEFAULT 0, iMassDate int, cMassUnit smallint,
  bSale bit NOT NULL DEFAULT 1, bPurchase bit NOT NULL DEFAULT 1, bSelf bit NOT NULL DEFAULT 0,
  bComsume bit NOT NULL DEFAULT 0, bInvEntrust bit NOT NULL DEFAULT 0, iInvSPrice decimal(20,6), dSDate datetime,
  fInExcess decimal(20,6), fOutExcess decimal(20,6));
-- fInExcess, fOutExcess: how far a receipt or an issue may exceed its source line, as a fraction of the line.
create unique index Inventory_id on Inventory (iId);
-- iId is the host's identity column: row authority on inventories lists ids.
create trigger Inventory_identity after insert on Inventory when new.iId is null begin
  update Inventory set iId = (select ifnull(max(iId), 0) + 1 from Inventory) where rowid = new.rowid;
end;
create table VouchType (
  cVouchType nvarchar(2) COLLATE NOCASE primary key, cVouchName nvarchar(30) COLLATE NOCASE NOT NULL);
create table CurrentStock (
  AutoID integer primary key, cWhCode nvarchar(10) COLLATE NOCASE NOT NULL, cInvCode nvarchar(20) COLLATE NOCASE NOT NULL,
  cBatch nvarchar(60) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree1 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree2 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree3 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree4 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree5 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree6 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree7 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree8 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree9 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree10 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  iQuantity decimal(20,6) NOT NULL DEFAULT 0, iNum decimal(20,6) NOT NULL DEFAULT 0,
  fInQuantity decimal(20,6) NOT NULL DEFAULT 0, fOutQuantity decimal(20,6) NOT NULL DEFAULT 0,
  dVDate datetime, dMdate datetime, iMassDate int, cMassUnit smallint, bStopFlag bit NOT NULL DEFAULT 0);
create index CurrentStock_key on CurrentStock (cWhCode, cInvCode, cBatch);
create table RdRecord (
  ID integer primary key, bRdFlag smallint NOT NULL DEFAULT 1, cVouchType nvarchar(2) COLLATE NOCASE NOT NULL,
  cBusType nvarchar(12) COLLATE NOCASE, cSource nvarchar(30) COLLATE NOCASE, cWhCode nvarchar(10) COLLATE NOCASE, dDate datetime NOT NULL,
  cCode nvarchar(30) COLLATE NOCASE NOT NULL, cRdCode nvarchar(5) COLLATE NOCASE, cDepCode nvarchar(12) COLLATE NOCASE,
  cPersonCode nvarchar(20) COLLATE NOCASE, cVenCode nvarchar(20) COLLATE NOCASE, cCusCode nvarchar(20) COLLATE NOCASE,
  cHandler nvarchar(20) COLLATE NOCASE, cMaker nvarchar(20) COLLATE NOCASE, cMemo nvarchar(255) COLLATE NOCASE);
create table RdRecords (
  AutoID integer primary key, ID int NOT NULL, cInvCode nvarchar(20) COLLATE NOCASE NOT NULL,
  iNum decimal(20,6), iQuantity decimal(20,6) NOT NULL DEFAULT 0, iUnitCost decimal(20,6), iPrice money,
  iSOutQuantity decimal(20,6) NOT NULL DEFAULT 0, iSOutNum decimal(20,6) NOT NULL DEFAULT 0,
  cBatch nvarchar(60) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree1 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree2 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree3 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree4 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree5 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree6 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree7 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree8 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree9 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree10 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  dVDate datetime, dMadeDate datetime, iMassDate int, cVouchCode nvarchar(30) COLLATE NOCASE,
  cPosition nvarchar(20) COLLATE NOCASE, cInvouchCode nvarchar(30) COLLATE NOCASE, iTrIds int);
-- iTrIds: on an issue line, the receipt line its stock was taken from.
create index RdRecords_line on RdRecords (ID);
create index RdRecords_inventory on RdRecords (cInvCode, cBatch);
create table UserDef (
  cID nvarchar(10) COLLATE NOCASE primary key, cName nvarchar(60) COLLATE NOCASE NOT NULL,
  cShowName nvarchar(60) COLLATE NOCASE);
-- cName is the item's default name, cShowName what the account calls it (Null: the default).
create table Operator (
  cUserId nvarchar(20) COLLATE NOCASE primary key, cUserName nvarchar(40) COLLATE NOCASE, bAllRows bit NOT NULL DEFAULT 1);
create table OperatorRight (
  cUserId nvarchar(20) COLLATE NOCASE NOT NULL, cFuncCode nvarchar(20) COLLATE NOCASE NOT NULL, primary key (cUserId, cFuncCode));
create table RowAuthority (
  cUserId nvarchar(20) COLLATE NOCASE NOT NULL, cBusObject nvarchar(30) COLLATE NOCASE NOT NULL, cCode nvarchar(30) COLLATE NOCASE NOT NULL,
  cRight nvarchar(2) COLLATE NOCASE NOT NULL DEFAULT 'W');
create table AccountOption (
  cKey1 nvarchar(20) COLLATE NOCASE NOT NULL, cKey2 nvarchar(20) COLLATE NOCASE NOT NULL, cName nvarchar(40) COLLATE NOCASE NOT NULL,
  cValue nvarchar(255) COLLATE NOCASE, primary key (cKey1, cKey2, cName));
-- The stock options' line columns per voucher kind (57 purchase receipt, 5
-- sales issue), by caption: bEnabled the user may type into it, bRefrence it
-- takes a reference list's pick instead of typed text.
create table VoucherColumnSet (
  iVouchKind int NOT NULL, cCaption nvarchar(30) COLLATE NOCASE NOT NULL, bEnabled bit NOT NULL DEFAULT 1,
  bRefrence bit NOT NULL DEFAULT 0, primary key (iVouchKind, cCaption));
-- The inventories a warehouse is registered for (checked when CheckWareInv is set).
create table WarehouseInventory (
  cWhCode nvarchar(10) COLLATE NOCASE NOT NULL, cInvCode nvarchar(20) COLLATE NOCASE NOT NULL,
  primary key (cWhCode, cInvCode));
-- The values a free item (1..10) may take.
create table FreeItemValue (
  iFreeNo int NOT NULL, cValueCode nvarchar(20) COLLATE NOCASE NOT NULL, cValue nvarchar(20) COLLATE NOCASE NOT NULL,
  cBarCode nvarchar(30) COLLATE NOCASE, primary key (iFreeNo, cValueCode));
create table CodeRule (
  cObject nvarchar(30) COLLATE NOCASE primary key, cRule nvarchar(30) COLLATE NOCASE NOT NULL);
-- cRule: the code length of each level, top level first, e.g. '2,2,3' for cObject 'InventoryClass'.
create table PurchaseType (
  cPTCode nvarchar(2) COLLATE NOCASE primary key, cPTName nvarchar(20) COLLATE NOCASE NOT NULL);
create table SaleType (
  cSTCode nvarchar(2) COLLATE NOCASE primary key, cSTName nvarchar(20) COLLATE NOCASE NOT NULL);
-- Source documents. A head is closed once cCloser is set; its lines carry
-- what has been executed so far. The purchase heads keep the vendor's short
-- name and the department's and buyer's names beside their codes, as the
-- order and arrival lists show and filter them.
create table zpurpoheader (
  POID integer primary key, cPOID nvarchar(30) COLLATE NOCASE NOT NULL, dPODate datetime NOT NULL,
  cBusType nvarchar(8) COLLATE NOCASE, cPTCode nvarchar(2) COLLATE NOCASE,
  cVenCode nvarchar(20) COLLATE NOCASE, cVenAbbName nvarchar(60) COLLATE NOCASE,
  cDepCode nvarchar(12) COLLATE NOCASE, cDepName nvarchar(40) COLLATE NOCASE,
  cPersonCode nvarchar(20) COLLATE NOCASE, cPersonName nvarchar(40) COLLATE NOCASE,
  cMaker nvarchar(20) COLLATE NOCASE, cVerifier nvarchar(20) COLLATE NOCASE, cCloser nvarchar(20) COLLATE NOCASE,
  cMemo nvarchar(255) COLLATE NOCASE);
create table PO_Podetails (
  ID integer primary key, POID int NOT NULL, cInvCode nvarchar(20) COLLATE NOCASE NOT NULL,
  iQuantity decimal(20,6) NOT NULL DEFAULT 0, iNum decimal(20,6), iInvExchRate decimal(20,6),
  iArrQTY decimal(20,6) NOT NULL DEFAULT 0, iArrNum decimal(20,6) NOT NULL DEFAULT 0,
  iReceivedQTY decimal(20,6) NOT NULL DEFAULT 0, iReceivedNum decimal(20,6) NOT NULL DEFAULT 0,
  iUnitPrice decimal(20,6), iMoney money, dArriveDate datetime,
  cFree1 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '', cFree2 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree3 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '', cFree4 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree5 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '', cFree6 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree7 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '', cFree8 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree9 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '', cFree10 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '');
-- iArrQTY: arrived and awaiting receipt through an arrival voucher; iReceivedQTY: received.
create index PO_Podetails_head on PO_Podetails (POID);
create table pu_ArrHead (
  ID integer primary key, cCode nvarchar(30) COLLATE NOCASE NOT NULL, dDate datetime NOT NULL,
  cBusType nvarchar(8) COLLATE NOCASE, cPTCode nvarchar(2) COLLATE NOCASE, cPOId nvarchar(30) COLLATE NOCASE,
  cVenCode nvarchar(20) COLLATE NOCASE, cVenAbbName nvarchar(60) COLLATE NOCASE,
  cDepCode nvarchar(12) COLLATE NOCASE, cDepName nvarchar(40) COLLATE NOCASE,
  cPersonCode nvarchar(20) COLLATE NOCASE, cPersonName nvarchar(40) COLLATE NOCASE,
  cMaker nvarchar(20) COLLATE NOCASE, cVerifier nvarchar(20) COLLATE NOCASE, cCloser nvarchar(20) COLLATE NOCASE,
  cMemo nvarchar(255) COLLATE NOCASE);
-- cPOId: the order the goods arrived against, Null for an arrival without one.
create table PU_ArrivalVouchs (
  Autoid integer primary key, ID int NOT NULL, iPOsID int, cInvCode nvarchar(20) COLLATE NOCASE NOT NULL,
  cWhCode nvarchar(10) COLLATE NOCASE, iQuantity decimal(20,6) NOT NULL DEFAULT 0, iNum decimal(20,6),
  iInvExchRate decimal(20,6), fValidInQuan decimal(20,6) NOT NULL DEFAULT 0, fValidInNum decimal(20,6) NOT NULL DEFAULT 0,
  cBatch nvarchar(60) COLLATE NOCASE NOT NULL DEFAULT '', dMadeDate datetime, dVDate datetime, iMassDate int,
  iUnitPrice decimal(20,6), iMoney money,
  cFree1 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '', cFree2 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree3 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '', cFree4 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree5 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '', cFree6 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree7 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '', cFree8 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree9 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '', cFree10 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '');
-- iPOsID: the order line (PO_Podetails.ID); fValidInQuan: received so far.
create index PU_ArrivalVouchs_head on PU_ArrivalVouchs (ID);
create index PU_ArrivalVouchs_order_line on PU_ArrivalVouchs (iPOsID);
create table DispatchList (
  DLID integer primary key, cDLCode nvarchar(30) COLLATE NOCASE NOT NULL, cVouchType nvarchar(2) COLLATE NOCASE NOT NULL,
  cSBVCode nvarchar(30) COLLATE NOCASE, dDate datetime NOT NULL, cBusType nvarchar(8) COLLATE NOCASE,
  cSTCode nvarchar(2) COLLATE NOCASE, cCusCode nvarchar(20) COLLATE NOCASE, cDepCode nvarchar(12) COLLATE NOCASE,
  cPersonCode nvarchar(20) COLLATE NOCASE, cMaker nvarchar(20) COLLATE NOCASE, cVerifier nvarchar(20) COLLATE NOCASE,
  cCloser nvarchar(20) COLLATE NOCASE, cMemo nvarchar(255) COLLATE NOCASE);
-- One table for dispatch lists and sales invoices, told apart by cVouchType
-- (VouchType); an invoice carries its number in cSBVCode.
create index DispatchList_customer on DispatchList (cCusCode);
create table DispatchLists (
  DLsID integer primary key, DLID int NOT NULL, cWhCode nvarchar(10) COLLATE NOCASE,
  cInvCode nvarchar(20) COLLATE NOCASE NOT NULL, iQuantity decimal(20,6) NOT NULL DEFAULT 0, iNum decimal(20,6),
  iInvExchRate decimal(20,6), fOutQuantity decimal(20,6) NOT NULL DEFAULT 0, fOutNum decimal(20,6) NOT NULL DEFAULT 0,
  cBatch nvarchar(60) COLLATE NOCASE NOT NULL DEFAULT '', dMadeDate datetime, dVDate datetime, iMassDate int,
  iUnitPrice decimal(20,6), iMoney money,
  cFree1 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '', cFree2 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree3 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '', cFree4 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree5 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '', cFree6 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree7 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '', cFree8 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree9 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '', cFree10 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '');
-- fOutQuantity, fOutNum: issued so far.
create index DispatchLists_head on DispatchLists (DLID);
create index DispatchLists_inventory on DispatchLists (cInvCode);
-- Production orders and plans (bPlan = 1). iVouchType 39: the orders the
-- host's voucher type 39 is generated from; iProperty 1 made in house,
-- 0 outsourced (cVenCode the outsourcing vendor).
create table pp_pohead (
  id integer primary key, bPlan bit NOT NULL DEFAULT 0, iVouchType int NOT NULL DEFAULT 0,
  cPeriod nvarchar(20) COLLATE NOCASE, cCode nvarchar(30) COLLATE NOCASE NOT NULL, dDate datetime NOT NULL,
  iProperty int NOT NULL DEFAULT 1, cDepCode nvarchar(12) COLLATE NOCASE, cVenCode nvarchar(20) COLLATE NOCASE,
  cPersonCode nvarchar(20) COLLATE NOCASE, cMaker nvarchar(20) COLLATE NOCASE, cVerifier nvarchar(20) COLLATE NOCASE,
  dCheckDate datetime, cMemo nvarchar(255) COLLATE NOCASE, bClosed bit NOT NULL DEFAULT 0);
-- The products of an order: fInQuantity received so far; bThrow closes the line.
create table pp_pomain (
  mainid integer primary key, id int NOT NULL, cInvCode nvarchar(20) COLLATE NOCASE NOT NULL,
  fQuantity decimal(20,6) NOT NULL DEFAULT 0, fInQuantity decimal(20,6) NOT NULL DEFAULT 0,
  dStartDate datetime, dEndDate datetime, cItemCode nvarchar(20) COLLATE NOCASE, cItem_class nvarchar(10) COLLATE NOCASE,
  cItemName nvarchar(60) COLLATE NOCASE, cItem_Name nvarchar(20) COLLATE NOCASE, bThrow bit NOT NULL DEFAULT 0,
  cFree1 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '', cFree2 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree3 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '', cFree4 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree5 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '', cFree6 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree7 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '', cFree8 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree9 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '', cFree10 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cDefine22 nvarchar(60) COLLATE NOCASE, cDefine23 nvarchar(60) COLLATE NOCASE, cDefine24 nvarchar(60) COLLATE NOCASE,
  cDefine25 nvarchar(60) COLLATE NOCASE, cDefine26 nvarchar(60) COLLATE NOCASE, cDefine27 nvarchar(60) COLLATE NOCASE,
  cDefine28 nvarchar(60) COLLATE NOCASE, cDefine29 nvarchar(60) COLLATE NOCASE, cDefine30 nvarchar(60) COLLATE NOCASE,
  cDefine31 nvarchar(60) COLLATE NOCASE, cDefine32 nvarchar(60) COLLATE NOCASE, cDefine33 nvarchar(60) COLLATE NOCASE,
  cDefine34 int, cDefine35 int, cDefine36 datetime, cDefine37 datetime);
create index pp_pomain_head on pp_pomain (id);
-- The materials of a product: fQuantity for the product's whole quantity, fOutQuantity issued so far.
create table pp_pochild (
  subid integer primary key, mainid int NOT NULL, cInvCode nvarchar(20) COLLATE NOCASE NOT NULL,
  fQuantity decimal(20,6) NOT NULL DEFAULT 0, fOutQuantity decimal(20,6) NOT NULL DEFAULT 0,
  cFree1 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '', cFree2 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree3 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '', cFree4 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree5 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '', cFree6 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree7 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '', cFree8 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree9 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '', cFree10 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '');
create index pp_pochild_product on pp_pochild (mainid);
-- Storage places inside a warehouse, and what lies at each (one row per place, inventory and batch).
create table Position (
  cPosCode nvarchar(20) COLLATE NOCASE primary key, cPosName nvarchar(40) COLLATE NOCASE NOT NULL,
  cWhCode nvarchar(10) COLLATE NOCASE NOT NULL, cPosMemo nvarchar(60) COLLATE NOCASE);
create index Position_warehouse on Position (cWhCode);
create table InvPositionSum (
  AutoID integer primary key, cWhCode nvarchar(10) COLLATE NOCASE NOT NULL, cPosCode nvarchar(20) COLLATE NOCASE NOT NULL,
  cInvCode nvarchar(20) COLLATE NOCASE NOT NULL, cBatch nvarchar(60) COLLATE NOCASE NOT NULL DEFAULT '',
  iQuantity decimal(20,6) NOT NULL DEFAULT 0, iNum decimal(20,6) NOT NULL DEFAULT 0);
create index InvPositionSum_position on InvPositionSum (cPosCode);
)SQL";

}  // namespace

std::string_view account_ddl() { return kDdl; }

std::string account_connection_string(const std::string& path) {
    // Quoted, so that a ';' or blanks in the path stay part of it.
    std::string cs = "Provider=SQLite;Data Source=\"";
    for (char c : path) {
        if (c == '"') cs += '"';
        cs += c;
    }
    cs += '"';
    return cs;
}

void create_account(const std::string& path) {
    if (std::filesystem::exists(path)) err::raise(err::kBadArgs, "create_account: " + path + " already exists");
    try {
        // The driver opens a new file in WAL mode; the tables come all or none.
        ado::Connection account;
        account.Open(account_connection_string(path) + ";Mode=Create");
        account.BeginTrans();
        account.Execute(kDdl);
        account.CommitTrans();
    } catch (...) {
        std::error_code ec;
        for (const char* ext : {"", "-wal", "-shm"}) std::filesystem::remove(path + ext, ec);
        throw;
    }
}

}  // namespace korvane::schema
