#include "platform/ado/command.h"

#include <utility>

#include "platform/ado/connection.h"
#include "platform/ado/driver.h"
#include "platform/vb/error.h"

namespace korvane::ado {

PreparedCommand::PreparedCommand(Connection& connection, std::string_view sql)
    : statement_(connection.driver().prepare(sql)), values_(statement_->parameter_count()) {}

PreparedCommand::~PreparedCommand() = default;

void PreparedCommand::set(std::size_t n, Variant value) {
    if (n < 1 || n > values_.size()) err::raise(err::kItemNotFound);
    values_[n - 1] = std::move(value);
}

long PreparedCommand::Execute() {
    struct Clear {
        std::vector<Variant>& values;
        ~Clear() {
            for (Variant& v : values) v = Variant();
        }
    } clear{values_};
    return statement_->execute(values_.data(), values_.size());
}

}  // namespace korvane::ado
