// The machine-wide settings store the forms read and write: keys under a
// hive, "\"-separated and compared case-insensitively, holding string values.
// A file that cannot be read or written raises korvane::Error 75 with the
// file as its source; a missing file is an empty hive.
//
// Everything lives in one text file, by default
// $XDG_CONFIG_HOME/korvane/registry (~/.config/korvane/registry), or the
// file KORVANE_REGISTRY_FILE names. Each call reads the file afresh, so two
// processes see each other's writes at once; a write takes an exclusive lock
// on "<file>.lock", re-reads, and replaces the file by rename, so readers
// never see half a file and concurrent writers lose nothing.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace korvane::registry {

class Registry {
public:
    // A hive kept in `file`; an empty path means the default location,
    // looked up again on every call.
    explicit Registry(std::string hive, std::string file = {});

    // nullopt when the key or the value is missing.
    std::optional<std::string> query_string(std::string_view key_path, std::string_view value_name) const;
    bool value_exists(std::string_view key_path, std::string_view value_name) const;
    // A key exists once it or a key below it was created.
    bool key_exists(std::string_view key_path) const;
    void create_key(std::string_view key_path);
    // Creates the key when needed; an empty value name is the key's default value.
    void set_string(std::string_view key_path, std::string_view value_name, std::string_view value);
    // False when there was no such value.
    bool delete_value(std::string_view key_path, std::string_view value_name);

    std::string file_path() const;

private:
    std::string hive_;
    std::string file_;
};

// The Windows calls the forms were written against, over the same store.
// Only string values (kRegSz); sizes count the terminating NUL.
using Hkey = std::uintptr_t;
inline constexpr Hkey kHkeyCurrentUser = 0x80000001u;
inline constexpr Hkey kHkeyLocalMachine = 0x80000002u;

inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyWrite = 0x20006;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;

inline constexpr long kErrorSuccess = 0;
inline constexpr long kErrorFileNotFound = 2;
inline constexpr long kErrorAccessDenied = 5;
inline constexpr long kErrorInvalidHandle = 6;
inline constexpr long kErrorInvalidParameter = 87;
inline constexpr long kErrorMoreData = 234;

// The open handles belong to one RegistryApi: the component layer owns the
// process's, a test may make its own.
class RegistryApi {
public:
    // Both hives in `file` (empty: the default location).
    explicit RegistryApi(std::string file = {});

    Registry& local_machine() { return hklm_; }
    Registry& current_user() { return hkcu_; }

    long RegOpenKeyExA(Hkey key, const char* sub_key, std::uint32_t options, std::uint32_t sam, Hkey* result);
    long RegCreateKeyA(Hkey key, const char* sub_key, Hkey* result);
    // data may be null to ask for the size; a short buffer gives kErrorMoreData and the size needed.
    long RegQueryValueExA(Hkey key, const char* value_name, std::uint32_t* reserved, std::uint32_t* type,
                          unsigned char* data, std::uint32_t* size);
    long RegSetValueExA(Hkey key, const char* value_name, std::uint32_t reserved, std::uint32_t type,
                        const unsigned char* data, std::uint32_t size);
    long RegCloseKey(Hkey key);

private:
    struct OpenKey {
        Registry* hive;
        std::string path;  // below the hive
    };
    Registry* predefined(Hkey key);
    std::optional<OpenKey> resolve(Hkey key);
    Hkey new_handle(OpenKey k);

    Registry hklm_, hkcu_;
    std::mutex lock_;
    std::unordered_map<Hkey, OpenKey> open_;
    Hkey next_ = 1;
};

}  // namespace korvane::registry
