#include "platform/reg_file_registry.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

namespace varno::platform {

namespace {

struct RootKey {
    RegHandle handle;
    std::string_view name;
};

constexpr std::array<RootKey, 5> kRoots{{
    {0x80000000u, "HKEY_CLASSES_ROOT"},
    {kHKeyCurrentUser, "HKEY_CURRENT_USER"},
    {kHKeyLocalMachine, "HKEY_LOCAL_MACHINE"},
    {0x80000003u, "HKEY_USERS"},
    {0x80000005u, "HKEY_CURRENT_CONFIG"},
}};

// Rights that would let the caller change the key: set value, create
// sub-key, create link, delete, write DAC, write owner, generic write and
// generic all.
constexpr std::uint32_t kWriteRights =
    0x2u | 0x4u | 0x20u | 0x10000u | 0x40000u | 0x80000u | 0x40000000u | 0x10000000u;

char Fold(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string Folded(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), Fold);
    return out;
}

bool EqualsFolded(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Fold(x) == Fold(y); });
}

bool StartsWithFolded(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && EqualsFolded(text.substr(0, prefix.size()), prefix);
}

std::string_view TrimLeft(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    return s;
}

std::string_view Trim(std::string_view s)
{
    s = TrimLeft(s);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// Nothing after a value or key but blanks or a comment.
bool OnlyCommentLeft(std::string_view rest)
{
    rest = TrimLeft(rest);
    return rest.empty() || rest.front() == ';';
}

// "ROOT\a\b" with a known root and no empty parts; the root is written in
// its full upper-case form. Trailing backslashes are dropped.
std::optional<std::string> CanonicalKeyPath(std::string_view path)
{
    while (!path.empty() && path.back() == '\\')
        path.remove_suffix(1);
    const std::size_t cut = path.find('\\');
    const std::string_view rootName = path.substr(0, cut);
    const auto root = std::find_if(kRoots.begin(), kRoots.end(),
                                   [&](const RootKey& r) { return EqualsFolded(r.name, rootName); });
    if (root == kRoots.end())
        return std::nullopt;
    std::string out(root->name);
    if (cut == std::string_view::npos)
        return out;
    const std::string_view rest = path.substr(cut + 1);
    if (rest.empty() || rest.find("\\\\") != std::string_view::npos)
        return std::nullopt;
    out += '\\';
    out += rest;
    return out;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = Fold(c);
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<std::uint32_t> ParseHexNumber(std::string_view digits)
{
    if (digits.empty() || digits.size() > 8)
        return std::nullopt;
    std::uint32_t value = 0;
    for (char c : digits) {
        const int d = HexDigit(c);
        if (d < 0)
            return std::nullopt;
        value = value * 16 + static_cast<std::uint32_t>(d);
    }
    return value;
}

// A quoted text with \\ and \" escapes, starting at `s.front() == '"'`.
// Returns the text and what follows the closing quote.
std::optional<std::pair<std::string, std::string_view>> ParseQuoted(std::string_view s)
{
    if (s.empty() || s.front() != '"')
        return std::nullopt;
    std::string out;
    for (std::size_t i = 1; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"')
            return std::make_pair(out, s.substr(i + 1));
        if (c == '\\') {
            if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"'))
                return std::nullopt;
            out += s[++i];
        } else {
            out += c;
        }
    }
    return std::nullopt;
}

// Comma-separated bytes, each one or two hex digits; blanks around them
// are allowed (continuation lines leave some), and so is a final comma.
std::optional<std::vector<unsigned char>> ParseHexBytes(std::string_view s)
{
    std::vector<unsigned char> bytes;
    s = Trim(s);
    if (const std::size_t comment = s.find(';'); comment != std::string_view::npos)
        s = Trim(s.substr(0, comment));
    while (!s.empty()) {
        const std::size_t comma = s.find(',');
        const std::string_view item = Trim(s.substr(0, comma));
        if (item.empty() || item.size() > 2)
            return std::nullopt;
        const auto value = ParseHexNumber(item);
        if (!value)
            return std::nullopt;
        bytes.push_back(static_cast<unsigned char>(*value));
        if (comma == std::string_view::npos)
            break;
        s = TrimLeft(s.substr(comma + 1));
    }
    return bytes;
}

enum class DataKind { kDelete, kValue };

struct ParsedData {
    DataKind kind = DataKind::kValue;
    RegValue value;
};

std::optional<ParsedData> ParseData(std::string_view s)
{
    s = Trim(s);
    if (s == "-")
        return ParsedData{DataKind::kDelete, {}};
    if (!s.empty() && s.front() == '"') {
        const auto quoted = ParseQuoted(s);
        if (!quoted || !OnlyCommentLeft(quoted->second))
            return std::nullopt;
        RegValue value{kRegSz, std::vector<unsigned char>(quoted->first.begin(), quoted->first.end())};
        value.data.push_back(0);  // stored with its terminating NUL, as Windows does
        return ParsedData{DataKind::kValue, std::move(value)};
    }
    if (StartsWithFolded(s, "dword:")) {
        std::string_view digits = s.substr(6);
        if (const std::size_t comment = digits.find(';'); comment != std::string_view::npos)
            digits = digits.substr(0, comment);
        const auto number = ParseHexNumber(Trim(digits));
        if (!number)
            return std::nullopt;
        RegValue value{kRegDword, {}};
        for (int i = 0; i < 4; ++i)
            value.data.push_back(static_cast<unsigned char>((*number >> (8 * i)) & 0xFFu));
        return ParsedData{DataKind::kValue, std::move(value)};
    }
    if (StartsWithFolded(s, "hex")) {
        std::string_view rest = s.substr(3);
        std::uint32_t type = kRegBinary;
        if (!rest.empty() && rest.front() == '(') {
            const std::size_t close = rest.find(')');
            if (close == std::string_view::npos)
                return std::nullopt;
            const auto number = ParseHexNumber(rest.substr(1, close - 1));
            if (!number)
                return std::nullopt;
            type = *number;
            rest = rest.substr(close + 1);
        }
        if (rest.empty() || rest.front() != ':')
            return std::nullopt;
        auto bytes = ParseHexBytes(rest.substr(1));
        if (!bytes)
            return std::nullopt;
        return ParsedData{DataKind::kValue, RegValue{type, std::move(*bytes)}};
    }
    return std::nullopt;
}

bool IsHexData(std::string_view valueLine)
{
    std::string_view rest;
    if (!valueLine.empty() && valueLine.front() == '@') {
        rest = valueLine.substr(1);
    } else {
        const auto name = ParseQuoted(valueLine);
        if (!name)
            return false;
        rest = name->second;
    }
    rest = TrimLeft(rest);
    return !rest.empty() && rest.front() == '=' && StartsWithFolded(TrimLeft(rest.substr(1)), "hex");
}

std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (true) {
        const std::size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (nl == std::string_view::npos)
            break;
        text.remove_prefix(nl + 1);
    }
    return lines;
}

class Parser {
public:
    Parser(const std::string& source, std::ostream& warnings) : source_(source), warnings_(warnings) {}

    std::optional<RegDocument> Run(std::string_view text)
    {
        if (text.substr(0, 3) == "\xEF\xBB\xBF")
            text.remove_prefix(3);
        const auto lines = SplitLines(text);
        std::size_t i = 0;
        while (i < lines.size() && Trim(lines[i]).empty())
            ++i;
        const std::string_view header = i < lines.size() ? Trim(lines[i]) : std::string_view{};
        if (header != "REGEDIT4" && header != "Windows Registry Editor Version 5.00") {
            warnings_ << source_ << ": not a registry file (no REGEDIT4 or "
                      << "\"Windows Registry Editor Version 5.00\" header); ignored\n";
            return std::nullopt;
        }
        for (++i; i < lines.size(); ++i) {
            const std::size_t lineNumber = i + 1;
            std::string logical(Trim(lines[i]));
            // Only hex data may go on over several lines; a string value may
            // well end in a backslash of its own.
            if (IsHexData(logical)) {
                while (!logical.empty() && logical.back() == '\\' && i + 1 < lines.size()) {
                    logical.pop_back();
                    logical += Trim(lines[++i]);
                }
            }
            Line(logical, lineNumber);
        }
        return std::move(document_);
    }

private:
    void Line(std::string_view line, std::size_t number)
    {
        if (line.empty() || line.front() == ';')
            return;
        if (line.front() == '[') {
            KeyLine(line, number);
            return;
        }
        if (line.front() == '"' || line.front() == '@') {
            ValueLine(line, number);
            return;
        }
        Warn(number, "neither a key nor a value");
    }

    void KeyLine(std::string_view line, std::size_t number)
    {
        currentKey_.reset();
        const std::size_t close = line.rfind(']');
        if (close == std::string_view::npos || !OnlyCommentLeft(line.substr(close + 1))) {
            Warn(number, "key without its closing bracket");
            return;
        }
        std::string_view name = line.substr(1, close - 1);
        const bool remove = !name.empty() && name.front() == '-';
        if (remove)
            name.remove_prefix(1);
        const auto path = CanonicalKeyPath(name);
        if (!path) {
            Warn(number, "key with an unknown root or an empty part");
            return;
        }
        if (remove) {
            document_.DeleteKey(*path);
            return;
        }
        document_.AddKey(*path);
        currentKey_ = *path;
    }

    void ValueLine(std::string_view line, std::size_t number)
    {
        std::string name;
        std::string_view rest;
        if (line.front() == '@') {
            rest = line.substr(1);
        } else {
            const auto quoted = ParseQuoted(line);
            if (!quoted) {
                Warn(number, "value name not properly quoted");
                return;
            }
            name = quoted->first;
            rest = quoted->second;
        }
        rest = TrimLeft(rest);
        if (rest.empty() || rest.front() != '=') {
            Warn(number, "value without '='");
            return;
        }
        const auto data = ParseData(rest.substr(1));
        if (!data) {
            Warn(number, "value data that cannot be read");
            return;
        }
        if (!currentKey_) {
            Warn(number, "value outside a key");
            return;
        }
        if (data->kind == DataKind::kDelete)
            document_.DeleteValue(*currentKey_, name);
        else
            document_.SetValue(*currentKey_, name, data->value);
    }

    void Warn(std::size_t number, std::string_view what)
    {
        warnings_ << source_ << ':' << number << ": " << what << "; line skipped\n";
    }

    const std::string& source_;
    std::ostream& warnings_;
    RegDocument document_;
    std::optional<std::string> currentKey_;
};

constexpr std::string_view kDefaultRegText =
    "Windows Registry Editor Version 5.00\n"
    "\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\n"
    "\"PATH\"=\"/usr/bin/hardinfo\"\n";

}  // namespace

bool RegDocument::HasKey(std::string_view path) const
{
    return keys_.count(Folded(path)) != 0;
}

const RegValue* RegDocument::FindValue(std::string_view path, std::string_view name) const
{
    const auto key = keys_.find(Folded(path));
    if (key == keys_.end())
        return nullptr;
    const auto value = key->second.values.find(Folded(name));
    return value == key->second.values.end() ? nullptr : &value->second;
}

void RegDocument::AddKey(std::string_view path)
{
    std::string folded = Folded(path);
    while (true) {
        keys_.try_emplace(folded);
        const std::size_t cut = folded.rfind('\\');
        if (cut == std::string::npos)
            break;
        folded.resize(cut);
    }
}

void RegDocument::DeleteKey(std::string_view path)
{
    const std::string folded = Folded(path);
    const std::string below = folded + '\\';
    for (auto it = keys_.begin(); it != keys_.end();) {
        if (it->first == folded || it->first.compare(0, below.size(), below) == 0)
            it = keys_.erase(it);
        else
            ++it;
    }
}

void RegDocument::SetValue(std::string_view path, std::string_view name, RegValue value)
{
    AddKey(path);
    keys_[Folded(path)].values[Folded(name)] = std::move(value);
}

void RegDocument::DeleteValue(std::string_view path, std::string_view name)
{
    const auto key = keys_.find(Folded(path));
    if (key != keys_.end())
        key->second.values.erase(Folded(name));
}

std::optional<RegDocument> ParseRegText(std::string_view text, const std::string& source,
                                        std::ostream& warnings)
{
    return Parser(source, warnings).Run(text);
}

std::optional<RegDocument> ReadRegFile(const std::filesystem::path& file, std::ostream& warnings)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        warnings << file.string() << ": cannot be read; ignored\n";
        return std::nullopt;
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        warnings << file.string() << ": cannot be read; ignored\n";
        return std::nullopt;
    }
    if (text.size() >= 2 && ((text[0] == '\xFF' && text[1] == '\xFE') ||
                             (text[0] == '\xFE' && text[1] == '\xFF'))) {
        warnings << file.string() << ": UTF-16 text; save it as UTF-8; ignored\n";
        return std::nullopt;
    }
    return ParseRegText(text, file.string(), warnings);
}

RegDocument DefaultMachineRegistry()
{
    std::ostringstream none;
    return *ParseRegText(kDefaultRegText, "built-in registry", none);
}

RegDocument LoadMachineRegistry(const char* xdgConfigDirs, std::ostream& warnings)
{
    std::string_view dirs = (xdgConfigDirs && *xdgConfigDirs) ? xdgConfigDirs : "/etc/xdg";
    while (true) {
        const std::size_t colon = dirs.find(':');
        const std::string_view dir = dirs.substr(0, colon);
        // Relative entries are not allowed in the list; skip them.
        if (!dir.empty() && dir.front() == '/') {
            const std::filesystem::path file = std::filesystem::path(std::string(dir)) / kRegFileName;
            std::error_code error;
            if (std::filesystem::exists(file, error)) {
                if (auto document = ReadRegFile(file, warnings))
                    return std::move(*document);
            }
        }
        if (colon == std::string_view::npos)
            break;
        dirs.remove_prefix(colon + 1);
    }
    return DefaultMachineRegistry();
}

RegFileRegistry::RegFileRegistry(Loader load) : load_(std::move(load)) {}

std::unique_ptr<RegFileRegistry> RegFileRegistry::ForThisMachine()
{
    return std::make_unique<RegFileRegistry>(
        [] { return LoadMachineRegistry(std::getenv("XDG_CONFIG_DIRS"), std::cerr); });
}

std::optional<RegFileRegistry::OpenKeyState> RegFileRegistry::Resolve(RegHandle handle)
{
    const auto root = std::find_if(kRoots.begin(), kRoots.end(),
                                   [&](const RootKey& r) { return r.handle == handle; });
    if (root != kRoots.end())
        return OpenKeyState{std::make_shared<const RegDocument>(load_()), std::string(root->name)};
    const auto open = open_.find(handle);
    if (open == open_.end())
        return std::nullopt;
    return open->second;
}

long RegFileRegistry::OpenKey(RegHandle root, const std::string& subKey, std::uint32_t options,
                              std::uint32_t access, RegHandle& handle)
{
    (void)options;
    handle = 0;
    auto parent = Resolve(root);
    if (!parent)
        return kErrorInvalidHandle;
    if (access & kWriteRights)
        return kErrorAccessDenied;
    std::string path = parent->path;
    if (!subKey.empty()) {
        if (subKey.front() == '\\')
            return kErrorFileNotFound;
        const auto canonical = CanonicalKeyPath(path + '\\' + subKey);
        if (!canonical)
            return kErrorFileNotFound;
        path = *canonical;
    }
    if (!parent->document->HasKey(path) && path.find('\\') != std::string::npos)
        return kErrorFileNotFound;
    handle = nextHandle_++;
    open_.emplace(handle, OpenKeyState{parent->document, std::move(path)});
    return kErrorSuccess;
}

long RegFileRegistry::QueryValue(RegHandle handle, const std::string& valueName,
                                 std::uint32_t& type, unsigned char* data,
                                 std::uint32_t& dataSize)
{
    const auto key = Resolve(handle);
    if (!key)
        return kErrorInvalidHandle;
    const RegValue* value = key->document->FindValue(key->path, valueName);
    if (!value)
        return kErrorFileNotFound;
    type = value->type;
    const auto size = static_cast<std::uint32_t>(value->data.size());
    if (data && dataSize < size) {
        dataSize = size;
        return kErrorMoreData;
    }
    if (data)
        std::copy(value->data.begin(), value->data.end(), data);
    dataSize = size;
    return kErrorSuccess;
}

long RegFileRegistry::CloseKey(RegHandle handle)
{
    if (std::any_of(kRoots.begin(), kRoots.end(), [&](const RootKey& r) { return r.handle == handle; }))
        return kErrorSuccess;
    return open_.erase(handle) ? kErrorSuccess : kErrorInvalidHandle;
}

}  // namespace varno::platform
