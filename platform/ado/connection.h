// Connection: an open account database, as ADO's Connection object.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/ado/types.h"
#include "platform/vb/variant.h"

namespace korvane::ado {

class DriverConnection;
class Connection;
using ConnectionPtr = std::shared_ptr<Connection>;

class Connection : public Object {
public:
    static ConnectionPtr create() { return std::make_shared<Connection>(); }
    Connection();
    ~Connection() override;
    std::string_view type_name() const override { return "Connection"; }

    // An empty connection string takes the one set before (put_ConnectionString).
    // Opening an open connection raises 3705.
    void Open(std::string_view connection_string = {}, std::string_view user = {},
              std::string_view password = {});
    // Runs a batch of statements; the records affected by all of them.
    // Raises 3704 when closed, the driver's error when a statement fails.
    long Execute(std::string_view sql);
    // One transaction at a time: BeginTrans gives its level, 1; beginning a
    // second, or committing or rolling back none, raises the driver's error.
    // Closing the connection rolls back what was not committed.
    long BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    const std::string& ConnectionString() const noexcept { return connection_string_; }
    void put_ConnectionString(std::string_view cs);  // 3705 while open
    int State() const noexcept { return driver_ ? adStateOpen : adStateClosed; }
    void Close() noexcept;

    // The open driver; raises 3704 when closed. For the record set and commands.
    DriverConnection& driver();

private:
    std::string connection_string_;
    std::unique_ptr<DriverConnection> driver_;
};

}  // namespace korvane::ado
