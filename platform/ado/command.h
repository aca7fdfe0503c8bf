// PreparedCommand: one statement prepared once and run many times, each time
// with new values for its '?' parameters - what loading many rows needs of
// ADO's Command with Prepared set, and no more.
//
//   ado::PreparedCommand insert(connection, "insert into Warehouse (cWhCode, cWhName) values (?, ?)");
//   insert.set(1, Variant("01"));
//   insert.set(2, Variant("原料仓"));
//   insert.Execute();  // the values go back to Null for the next row
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/vb/variant.h"

namespace korvane::ado {

class Connection;
class DriverStatement;

class PreparedCommand {
public:
    // Prepares one statement (in the dialect Connection.Execute takes) on an
    // open connection; raises 3704 when it is closed, the driver's error when
    // the statement does not prepare, 3001 for a batch of several.
    PreparedCommand(Connection& connection, std::string_view sql);
    ~PreparedCommand();
    PreparedCommand(const PreparedCommand&) = delete;
    PreparedCommand& operator=(const PreparedCommand&) = delete;

    std::size_t parameter_count() const noexcept { return values_.size(); }
    // The value of the n-th '?' (from 1) for the next Execute; 3265 for a
    // parameter the statement does not have.
    void set(std::size_t n, Variant value);
    // Runs the statement with the values set; the rows it changed. Every value
    // is Null again afterwards, so one left unset on the next row is Null and
    // not this row's. 3704 once the connection is closed.
    long Execute();

private:
    std::unique_ptr<DriverStatement> statement_;
    std::vector<Variant> values_;  // one per '?', in order
};

}  // namespace korvane::ado
