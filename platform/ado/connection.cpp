#include "platform/ado/connection.h"

#include "platform/ado/driver.h"
#include "platform/vb/error.h"

namespace korvane::ado {

Connection::Connection() = default;
Connection::~Connection() { Close(); }

void Connection::Open(std::string_view connection_string, std::string_view, std::string_view) {
    if (driver_) err::raise(err::kOpen);
    std::string cs = connection_string.empty() ? connection_string_ : std::string(connection_string);
    if (cs.empty()) err::raise(err::kBadArgs, "Connection.Open: no connection string given");
    driver_ = open_driver(cs);
    connection_string_ = std::move(cs);
}

long Connection::Execute(std::string_view sql) { return driver().execute(sql); }

long Connection::BeginTrans() {
    driver().begin_transaction();
    return 1;
}

void Connection::CommitTrans() { driver().commit(); }
void Connection::RollbackTrans() { driver().rollback(); }

void Connection::put_ConnectionString(std::string_view cs) {
    if (driver_) err::raise(err::kOpen);
    connection_string_ = std::string(cs);
}

void Connection::Close() noexcept {
    if (driver_) {
        driver_->close();
        driver_.reset();
    }
}

DriverConnection& Connection::driver() {
    if (!driver_) err::raise(err::kClosed);
    return *driver_;
}

}  // namespace korvane::ado
