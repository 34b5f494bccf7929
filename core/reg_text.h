#pragma once

#include "core/ports/registry.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace varno {

struct RegValue {
    std::uint32_t type = kRegNone;
    std::vector<unsigned char> data;
};

// Keys and values as a .reg file describes them. Key paths start with the
// root's full name ("HKEY_LOCAL_MACHINE\SOFTWARE\..."); paths and value
// names compare without regard to ASCII case, as on Windows. The default
// value has the empty name. Every operation costs time in proportion to
// the path it is given (and a deletion to what it removes), so a document
// is built in time and memory linear in its text, however deep its keys.
class RegDocument {
public:
    RegDocument();

    bool hasKey(std::string_view path) const;
    const RegValue* findValue(std::string_view path, std::string_view name) const;

    // Stands for a key that addKey has made or found, so that the values
    // that follow it in a file cost no walk down its path. Good until the
    // next deleteKey.
    class KeyRef {
        friend class RegDocument;
        explicit KeyRef(std::size_t index) : index_(index) {}
        std::size_t index_;
    };

    // Adding a key adds its missing parents too, as importing does.
    KeyRef addKey(std::string_view path);
    // Removes the key with everything below it.
    void deleteKey(std::string_view path);
    void setValue(std::string_view path, std::string_view name, RegValue value);
    void setValue(KeyRef key, std::string_view name, RegValue value);
    void deleteValue(std::string_view path, std::string_view name);
    void deleteValue(KeyRef key, std::string_view name);

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    struct Key {
        std::map<std::string, std::size_t, std::less<>> children;  // by folded name
        std::map<std::string, RegValue, std::less<>> values;       // by folded name
    };
    std::size_t find(std::string_view path) const;
    std::size_t make(std::string_view path);

    // A flat list, never a tree of owners: a key a million levels deep is
    // released without recursion. Deleted keys are only unlinked.
    std::vector<Key> keys_;
};

// The root key a predefined handle stands for, by its full name; nothing
// for any other handle.
std::optional<std::string_view> rootKeyName(RegHandle handle);

// "ROOT\a\b" with a known root (any case, written out in full upper case)
// and no empty parts; trailing backslashes are dropped. Nothing otherwise.
std::optional<std::string> canonicalKeyPath(std::string_view path);

// Reads .reg text ("REGEDIT4" or "Windows Registry Editor Version 5.00",
// UTF-8). A line that cannot be read is skipped with a warning naming
// `source` and the line (the first few of them; then a count); the rest
// still counts. Nothing when the text is not a registry file at all (no
// header). Throws nothing but std::bad_alloc.
std::optional<RegDocument> parseRegText(std::string_view text, const std::string& source,
                                        std::ostream& warnings);

}  // namespace varno
