// Per-workstation scratch tables of the amounts a run of allocations has
// already taken, so that later lines of the run see less stock than is saved.
//
// Tables are named by workstation and terminal session (ST-01, session 3 ->
// "ST_01_3_CurrentS"), so concurrent users never share them. The statements
// are built into the caller's SQL text buffer and run on its connection.
#pragma once

#include <string>

#include "platform/ado/connection.h"
#include "platform/system/system.h"

namespace korvane::selection {

// The computer name as a 255-character buffer holds it, cut at the first NUL.
std::string GetComputerNameText();
// The terminal session id from the terminal-information component; any
// failure gives "".
std::string GetTerminalSessionId(const system::ObjectFactories& factories);
// computer name with "-" made "_", then "_", then the session id.
std::string ScratchTableName(const system::ObjectFactories& factories);
std::string ScratchTableName(const std::string& computer_name, const std::string& session_id);

enum class ScratchKind { CurrentStock, ReceiptLines };

struct ScratchTables {
    std::string prefix;  // ScratchTableName()
    std::string& sql;    // the module-wide SQL text buffer

    // Drops the table when it exists, creates it and fills it with one row per source row.
    void create(ado::Connection& con, ScratchKind kind);
    void drop(ado::Connection& con, ScratchKind kind);
    // Adds allocated amounts to the row of that AutoID.
    void add(ado::Connection& con, ScratchKind kind, double quantity, double pieces, long auto_id);

    std::string table(ScratchKind kind) const;
};

// The CurrentStock row with exactly these keys (empty keys match only empty
// columns); 0 when there is none.
long GetAutoID(const ado::ConnectionPtr& con, std::string& sql, const std::string& sWhcode, const std::string& sInvCode,
               const std::string (&sFree)[10], const std::string& sBatch);

// Rewrites a current-stock selection to subtract what the run has taken.
// STRSQL is left holding the text after the first two replacements.
std::string GetAllBSQL(std::string& STRSQL, const std::string& prefix);
// The same for a receipt-line selection naming its source mainbatch/rdid.
std::string GetAllRDSSQL(std::string& STRSQL, const std::string& prefix);

// Every occurrence, case-sensitive.
std::string replace_all(std::string text, const std::string& from, const std::string& to);

}  // namespace korvane::selection
