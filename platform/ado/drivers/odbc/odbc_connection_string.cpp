#include <string>

#include "platform/ado/drivers/odbc/odbc_driver.h"
#include "platform/vb/ascii.h"
#include "platform/vb/error.h"

namespace korvane::ado::odbc {
namespace {

bool contains_ci(std::string_view text, std::string_view part) {
    if (part.size() > text.size()) return false;
    for (std::size_t i = 0; i + part.size() <= text.size(); ++i)
        if (vb::iequals_ascii(text.substr(i, part.size()), part)) return true;
    return false;
}

bool starts_ci(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && vb::iequals_ascii(text.substr(0, prefix.size()), prefix);
}

bool server_provider(std::string_view p) {
    return starts_ci(p, "SQLOLEDB") || starts_ci(p, "SQLNCLI") || starts_ci(p, "MSOLEDBSQL");
}

// An ODBC value in braces, so ';', '=' and blanks in it stay its own.
std::string braced(std::string_view v) {
    std::string out = "{";
    for (char c : v) {
        out += c;
        if (c == '}') out += '}';
    }
    return out + "}";
}

std::string_view unbraced(std::string_view v) {
    if (v.size() >= 2 && v.front() == '{' && v.back() == '}') return v.substr(1, v.size() - 2);
    return v;
}

const std::string* first_of(const Pairs& pairs, std::initializer_list<std::string_view> keys) {
    for (auto k : keys)
        if (const std::string* v = find_value(pairs, k)) return v;
    return nullptr;
}

}  // namespace

bool wants_odbc(const Pairs& pairs) {
    if (first_of(pairs, {"DRIVER", "DSN", "FILEDSN"})) return true;
    const std::string* p = find_value(pairs, "Provider");
    return p && (server_provider(*p) || starts_ci(*p, "MSDASQL"));
}

std::string odbc_connection_string(std::string_view connection_string, const Pairs& pairs,
                                   const std::vector<std::string>& installed, const char* driver) {
    const std::string* provider = find_value(pairs, "Provider");
    if (!provider || !server_provider(*provider)) {
        if (!provider) return std::string(connection_string);
        std::string out;  // MSDASQL's own key means nothing to unixODBC
        for (const auto& [k, v] : pairs)
            if (!vb::iequals_ascii(k, "Provider")) out += k + "=" + v + ";";
        return out;
    }
    const std::string* integrated = first_of(pairs, {"Integrated Security", "Trusted_Connection"});
    if (integrated && (vb::iequals_ascii(*integrated, "SSPI") || vb::iequals_ascii(*integrated, "true") ||
                       vb::iequals_ascii(*integrated, "yes")))
        throw Error(err::kProvider,
                    "Integrated Security=SSPI needs a Windows logon, which a Linux host does not have: give the "
                    "connection string a User ID and Password of a SQL Server login.");

    std::string name = driver && *driver ? std::string(unbraced(driver)) : std::string();
    if (name.empty())
        for (const auto& d : installed)
            if (contains_ci(d, "SQL Server")) {
                name = d;
                break;
            }
    if (name.empty())
        for (const auto& d : installed)
            if (contains_ci(d, "FreeTDS")) {
                name = d;
                break;
            }
    if (name.empty())
        throw Error(3706, "No SQL Server ODBC driver is installed: unixODBC lists none whose name holds \"SQL Server\" "
                          "or \"FreeTDS\". Install one (msodbcsql18 or tdsodbc) or name it in KORVANE_ODBC_DRIVER.");
    const bool freetds = contains_ci(name, "FreeTDS") || contains_ci(name, "tdsodbc");

    std::string out = "DRIVER=" + braced(name) + ";";
    const std::string* source = first_of(pairs, {"Data Source", "Server", "Address", "Addr"});
    if (!source || source->empty()) throw Error(err::kProvider, "The connection string names no Data Source.");
    std::string host = *source;
    std::string port;
    if (const auto comma = host.find(','); comma != std::string::npos) {
        port = host.substr(comma + 1);
        host.resize(comma);
    }
    if (freetds) {
        // FreeTDS takes the port on its own and needs the protocol version;
        // 7.4 is what SQL Server 2012 and later speak.
        out += "SERVER=" + braced(host) + ";";
        out += "PORT=" + (port.empty() ? std::string("1433") : port) + ";";
        out += "TDS_Version=7.4;ClientCharset=UTF-8;";
    } else {
        out += "SERVER=" + braced(port.empty() ? host : host + "," + port) + ";";
    }
    if (const std::string* db = first_of(pairs, {"Initial Catalog", "Database"})) out += "DATABASE=" + braced(*db) + ";";
    if (const std::string* user = first_of(pairs, {"User ID", "UID", "User"})) out += "UID=" + braced(*user) + ";";
    if (const std::string* pwd = first_of(pairs, {"Password", "PWD"})) out += "PWD=" + braced(*pwd) + ";";
    if (const std::string* app = find_value(pairs, "Application Name")) out += "APP=" + braced(*app) + ";";
    if (!freetds) {
        // The newer drivers encrypt by default; a server with its own
        // certificate is trusted only when the host says so.
        if (const std::string* e = find_value(pairs, "Encrypt")) out += "Encrypt=" + *e + ";";
        if (const std::string* t = find_value(pairs, "TrustServerCertificate"))
            out += "TrustServerCertificate=" + *t + ";";
    }
    return out;
}

std::string without_password(std::string text, const Pairs& pairs) {
    for (const auto& [k, v] : pairs) {
        if (!(vb::iequals_ascii(k, "Password") || vb::iequals_ascii(k, "PWD")) || v.empty()) continue;
        for (const std::string& shown : {v, std::string(unbraced(v))}) {
            if (shown.empty()) continue;
            for (std::size_t at = text.find(shown); at != std::string::npos; at = text.find(shown, at + 3))
                text.replace(at, shown.size(), "***");
        }
    }
    return text;
}

}  // namespace korvane::ado::odbc
