#include "platform/ado/driver.h"

#include <utility>
#include <vector>

#include "platform/ado/drivers/connection_string.h"
#include "platform/ado/drivers/odbc/odbc_driver.h"
#include "platform/ado/drivers/sqlite/sqlite_driver.h"
#include "platform/vb/ascii.h"
#include "platform/vb/error.h"

namespace korvane::ado {
namespace {

constexpr long kProviderNotFound = 3706;  // adErrProviderNotFound
constexpr const char* kProviderNotFoundText = "Provider cannot be found. It may not be properly installed.";

}  // namespace

std::unique_ptr<DriverConnection> open_driver(std::string_view connection_string) {
    const Pairs pairs = parse_connection_string(connection_string);
    if (odbc::wants_odbc(pairs)) return odbc::open(connection_string, pairs);
    const std::string* provider = find_value(pairs, "Provider");
    if (provider && !provider->empty() && !vb::iequals_ascii(*provider, "SQLite") &&
        !vb::iequals_ascii(*provider, "SQLite3"))
        throw Error(kProviderNotFound, kProviderNotFoundText);
    const std::string* file = find_value(pairs, "Data Source");
    if (!file || file->empty())
        throw Error(err::kProvider, "The connection string names no Data Source.");
    sqlite::OpenMode mode = sqlite::OpenMode::kReadWrite;
    if (const std::string* m = find_value(pairs, "Mode"); m && !m->empty()) {
        if (vb::iequals_ascii(*m, "Read"))
            mode = sqlite::OpenMode::kRead;
        else if (vb::iequals_ascii(*m, "Create"))
            mode = sqlite::OpenMode::kCreate;
        else if (!vb::iequals_ascii(*m, "ReadWrite"))
            throw Error(err::kProvider, "The connection string's Mode is not Read, ReadWrite or Create: " + *m);
    }
    return std::make_unique<sqlite::SqliteConnection>(*file, mode);
}

}  // namespace korvane::ado
