#pragma once

#include "platform/registry.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace varno::platform {

struct RegValue {
    std::uint32_t type = kRegNone;
    std::vector<unsigned char> data;
};

// Keys and values as a .reg file describes them. Key paths start with the
// root's full name ("HKEY_LOCAL_MACHINE\SOFTWARE\..."); paths and value
// names compare without regard to ASCII case, as on Windows. The default
// value has the empty name.
class RegDocument {
public:
    bool HasKey(std::string_view path) const;
    const RegValue* FindValue(std::string_view path, std::string_view name) const;

    // Adding a key adds its missing parents too, as importing does.
    void AddKey(std::string_view path);
    // Removes the key with everything below it.
    void DeleteKey(std::string_view path);
    void SetValue(std::string_view path, std::string_view name, RegValue value);
    void DeleteValue(std::string_view path, std::string_view name);

private:
    struct Key {
        std::map<std::string, RegValue> values;  // by folded name
    };
    std::map<std::string, Key> keys_;  // by folded path
};

// Reads .reg text ("REGEDIT4" or "Windows Registry Editor Version 5.00",
// UTF-8). A line that cannot be read is skipped with a warning naming
// `source` and the line; the rest still counts. Returns nothing when the
// text is not a registry file at all (no header).
std::optional<RegDocument> ParseRegText(std::string_view text, const std::string& source,
                                        std::ostream& warnings);

// Nothing when the file cannot be read or is not a registry file.
std::optional<RegDocument> ReadRegFile(const std::filesystem::path& file, std::ostream& warnings);

// What stands for the machine's registry: "ゾルテカ/registry.reg" from the
// first directory of `xdgConfigDirs` (a colon-separated list; unset or
// empty means /etc/xdg) that has a readable one, else the built-in default
// that points at the system's information viewer.
RegDocument LoadMachineRegistry(const char* xdgConfigDirs, std::ostream& warnings);
RegDocument DefaultMachineRegistry();

inline constexpr std::string_view kRegFileName = "ゾルテカ/registry.reg";

// A read-only registry over .reg documents. Each open of a root key takes
// a fresh document from `load`, so edits to the file count from the next
// lookup on, like a live registry; a handle keeps the document it was
// opened on. Asking for any write right is refused (ERROR_ACCESS_DENIED),
// as for an account that may only read the machine's keys.
class RegFileRegistry final : public Registry {
public:
    using Loader = std::function<RegDocument()>;
    explicit RegFileRegistry(Loader load);

    // Reads the file located through $XDG_CONFIG_DIRS on every root open
    // and reports malformed lines on stderr.
    static std::unique_ptr<RegFileRegistry> ForThisMachine();

    long OpenKey(RegHandle root, const std::string& subKey, std::uint32_t options,
                 std::uint32_t access, RegHandle& handle) override;
    long QueryValue(RegHandle handle, const std::string& valueName, std::uint32_t& type,
                    unsigned char* data, std::uint32_t& dataSize) override;
    long CloseKey(RegHandle handle) override;

    std::size_t OpenHandleCount() const { return open_.size(); }

private:
    struct OpenKeyState {
        std::shared_ptr<const RegDocument> document;
        std::string path;
    };
    std::optional<OpenKeyState> Resolve(RegHandle handle);

    Loader load_;
    std::map<RegHandle, OpenKeyState> open_;
    RegHandle nextHandle_ = 0x100;
};

}  // namespace varno::platform
