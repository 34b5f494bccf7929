#pragma once

#include "core/ports/registry.h"
#include "core/reg_text.h"

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace varno::platform {

inline constexpr std::string_view kRegFileName = "ゾルテカ/registry.reg";

// Far more than any hand-written registry file: anything larger is refused
// before it is read.
inline constexpr std::size_t kMaxRegFileBytes = 1024 * 1024;

// Reads a .reg file without ever blocking: only a regular file of at most
// kMaxRegFileBytes is read. Nothing, with one line in `warnings`, when it is
// not there, cannot be read, is anything else (a folder, a FIFO, a device),
// is too large, or is not a registry file.
std::optional<RegDocument> readRegFile(const std::string& file, std::ostream& warnings);

// What stands for the machine's registry: "ゾルテカ/registry.reg" from the
// first folder of `xdgConfigDirs` (a colon-separated list; unset or empty
// means /etc/xdg) that has a usable one, else the built-in default that
// points at the system's information viewer.
RegDocument loadMachineRegistry(const char* xdgConfigDirs, std::ostream& warnings);
RegDocument defaultMachineRegistry();

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
    // and reports what it cannot use on stderr.
    static std::unique_ptr<RegFileRegistry> forThisMachine();

    long openKey(RegHandle root, const std::string& subKey, std::uint32_t options, std::uint32_t access,
                 RegHandle& handle) override;
    long queryValue(RegHandle handle, const std::string& valueName, std::uint32_t& type, unsigned char* data,
                    std::uint32_t& dataSize) override;
    long closeKey(RegHandle handle) override;

private:
    struct OpenKeyState {
        std::shared_ptr<const RegDocument> document;
        std::string path;
    };
    std::optional<OpenKeyState> resolve(RegHandle handle);

    Loader load_;
    std::map<RegHandle, OpenKeyState> open_;
    RegHandle nextHandle_ = 0x100;
};

}  // namespace varno::platform
