#include "reg_text.h"

#include <algorithm>
#include <array>
#include <utility>

namespace varno {

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

char fold(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string folded(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), fold);
    return out;
}

bool equalsFolded(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return fold(x) == fold(y); });
}

bool startsWithFolded(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && equalsFolded(text.substr(0, prefix.size()), prefix);
}

std::string_view trimLeft(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    return s;
}

std::string_view trim(std::string_view s)
{
    s = trimLeft(s);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// Nothing after a value or key but blanks or a comment.
bool onlyCommentLeft(std::string_view rest)
{
    rest = trimLeft(rest);
    return rest.empty() || rest.front() == ';';
}

// "ROOT\a\b" with a known root and no empty parts; the root is written in
// its full upper-case form. Trailing backslashes are dropped.
}  // namespace

std::optional<std::string> canonicalKeyPath(std::string_view path)
{
    while (!path.empty() && path.back() == '\\')
        path.remove_suffix(1);
    const std::size_t cut = path.find('\\');
    const std::string_view rootName = path.substr(0, cut);
    const auto root = std::find_if(kRoots.begin(), kRoots.end(),
                                   [&](const RootKey& r) { return equalsFolded(r.name, rootName); });
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

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = fold(c);
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<std::uint32_t> parseHexNumber(std::string_view digits)
{
    if (digits.empty() || digits.size() > 8)
        return std::nullopt;
    std::uint32_t value = 0;
    for (char c : digits) {
        const int d = hexDigit(c);
        if (d < 0)
            return std::nullopt;
        value = value * 16 + static_cast<std::uint32_t>(d);
    }
    return value;
}

// A quoted text with \\ and \" escapes, starting at `s.front() == '"'`.
// Returns the text and what follows the closing quote.
std::optional<std::pair<std::string, std::string_view>> parseQuoted(std::string_view s)
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
std::optional<std::vector<unsigned char>> parseHexBytes(std::string_view s)
{
    std::vector<unsigned char> bytes;
    s = trim(s);
    if (const std::size_t comment = s.find(';'); comment != std::string_view::npos)
        s = trim(s.substr(0, comment));
    while (!s.empty()) {
        const std::size_t comma = s.find(',');
        const std::string_view item = trim(s.substr(0, comma));
        if (item.empty() || item.size() > 2)
            return std::nullopt;
        const auto value = parseHexNumber(item);
        if (!value)
            return std::nullopt;
        bytes.push_back(static_cast<unsigned char>(*value));
        if (comma == std::string_view::npos)
            break;
        s = trimLeft(s.substr(comma + 1));
    }
    return bytes;
}

enum class DataKind { kDelete, kValue };

struct ParsedData {
    DataKind kind = DataKind::kValue;
    RegValue value;
};

std::optional<ParsedData> parseData(std::string_view s)
{
    s = trim(s);
    if (s == "-")
        return ParsedData{DataKind::kDelete, {}};
    if (!s.empty() && s.front() == '"') {
        const auto quoted = parseQuoted(s);
        if (!quoted || !onlyCommentLeft(quoted->second))
            return std::nullopt;
        RegValue value{kRegSz, std::vector<unsigned char>(quoted->first.begin(), quoted->first.end())};
        value.data.push_back(0);  // stored with its terminating NUL, as Windows does
        return ParsedData{DataKind::kValue, std::move(value)};
    }
    if (startsWithFolded(s, "dword:")) {
        std::string_view digits = s.substr(6);
        if (const std::size_t comment = digits.find(';'); comment != std::string_view::npos)
            digits = digits.substr(0, comment);
        const auto number = parseHexNumber(trim(digits));
        if (!number)
            return std::nullopt;
        RegValue value{kRegDword, {}};
        for (int i = 0; i < 4; ++i)
            value.data.push_back(static_cast<unsigned char>((*number >> (8 * i)) & 0xFFu));
        return ParsedData{DataKind::kValue, std::move(value)};
    }
    if (startsWithFolded(s, "hex")) {
        std::string_view rest = s.substr(3);
        std::uint32_t type = kRegBinary;
        if (!rest.empty() && rest.front() == '(') {
            const std::size_t close = rest.find(')');
            if (close == std::string_view::npos)
                return std::nullopt;
            const auto number = parseHexNumber(rest.substr(1, close - 1));
            if (!number)
                return std::nullopt;
            type = *number;
            rest = rest.substr(close + 1);
        }
        if (rest.empty() || rest.front() != ':')
            return std::nullopt;
        auto bytes = parseHexBytes(rest.substr(1));
        if (!bytes)
            return std::nullopt;
        return ParsedData{DataKind::kValue, RegValue{type, std::move(*bytes)}};
    }
    return std::nullopt;
}

bool isHexData(std::string_view valueLine)
{
    std::string_view rest;
    if (!valueLine.empty() && valueLine.front() == '@') {
        rest = valueLine.substr(1);
    } else {
        const auto name = parseQuoted(valueLine);
        if (!name)
            return false;
        rest = name->second;
    }
    rest = trimLeft(rest);
    return !rest.empty() && rest.front() == '=' && startsWithFolded(trimLeft(rest.substr(1)), "hex");
}

std::vector<std::string_view> splitLines(std::string_view text)
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

    std::optional<RegDocument> run(std::string_view text)
    {
        if (text.substr(0, 3) == "\xEF\xBB\xBF")
            text.remove_prefix(3);
        const auto lines = splitLines(text);
        std::size_t i = 0;
        while (i < lines.size() && trim(lines[i]).empty())
            ++i;
        const std::string_view header = i < lines.size() ? trim(lines[i]) : std::string_view{};
        if (header != "REGEDIT4" && header != "Windows Registry Editor Version 5.00") {
            warnings_ << source_ << ": not a registry file (no REGEDIT4 or "
                      << "\"Windows Registry Editor Version 5.00\" header); ignored\n";
            return std::nullopt;
        }
        for (++i; i < lines.size(); ++i) {
            const std::size_t lineNumber = i + 1;
            std::string logical(trim(lines[i]));
            // Only hex data may go on over several lines; a string value may
            // well end in a backslash of its own.
            if (isHexData(logical)) {
                while (!logical.empty() && logical.back() == '\\' && i + 1 < lines.size()) {
                    logical.pop_back();
                    logical += trim(lines[++i]);
                }
            }
            logicalLine(logical, lineNumber);
        }
        if (warned_ > kMaxWarnings)
            warnings_ << source_ << ": " << warned_ - kMaxWarnings << " more lines skipped\n";
        return std::move(document_);
    }

private:
    void logicalLine(std::string_view line, std::size_t number)
    {
        if (line.empty() || line.front() == ';')
            return;
        if (line.front() == '[') {
            keyLine(line, number);
            return;
        }
        if (line.front() == '"' || line.front() == '@') {
            valueLine(line, number);
            return;
        }
        warn(number, "neither a key nor a value");
    }

    void keyLine(std::string_view line, std::size_t number)
    {
        currentKey_.reset();
        const std::size_t close = line.rfind(']');
        if (close == std::string_view::npos || !onlyCommentLeft(line.substr(close + 1))) {
            warn(number, "key without its closing bracket");
            return;
        }
        std::string_view name = line.substr(1, close - 1);
        const bool remove = !name.empty() && name.front() == '-';
        if (remove)
            name.remove_prefix(1);
        const auto path = canonicalKeyPath(name);
        if (!path) {
            warn(number, "key with an unknown root or an empty part");
            return;
        }
        if (remove) {
            document_.deleteKey(*path);
            return;
        }
        currentKey_ = document_.addKey(*path);
    }

    void valueLine(std::string_view line, std::size_t number)
    {
        std::string name;
        std::string_view rest;
        if (line.front() == '@') {
            rest = line.substr(1);
        } else {
            const auto quoted = parseQuoted(line);
            if (!quoted) {
                warn(number, "value name not properly quoted");
                return;
            }
            name = quoted->first;
            rest = quoted->second;
        }
        rest = trimLeft(rest);
        if (rest.empty() || rest.front() != '=') {
            warn(number, "value without '='");
            return;
        }
        auto data = parseData(rest.substr(1));
        if (!data) {
            warn(number, "value data that cannot be read");
            return;
        }
        if (!currentKey_) {
            warn(number, "value outside a key");
            return;
        }
        if (data->kind == DataKind::kDelete)
            document_.deleteValue(*currentKey_, name);
        else
            document_.setValue(*currentKey_, name, std::move(data->value));
    }

    void warn(std::size_t number, std::string_view what)
    {
        // A file of nothing but bad lines must not flood the terminal.
        if (++warned_ <= kMaxWarnings)
            warnings_ << source_ << ':' << number << ": " << what << "; line skipped\n";
    }

    static constexpr std::size_t kMaxWarnings = 10;

    const std::string& source_;
    std::ostream& warnings_;
    RegDocument document_;
    // The key itself, not its path: a value line must not cost the key's depth.
    std::optional<RegDocument::KeyRef> currentKey_;
    std::size_t warned_ = 0;
};

}  // namespace

std::optional<std::string_view> rootKeyName(RegHandle handle)
{
    const auto root = std::find_if(kRoots.begin(), kRoots.end(), [&](const RootKey& r) { return r.handle == handle; });
    if (root == kRoots.end())
        return std::nullopt;
    return root->name;
}

RegDocument::RegDocument() : keys_(1) {}

std::size_t RegDocument::find(std::string_view path) const
{
    std::size_t at = 0;
    while (true) {
        const std::size_t cut = path.find('\\');
        const auto child = keys_[at].children.find(folded(path.substr(0, cut)));
        if (child == keys_[at].children.end())
            return kNone;
        at = child->second;
        if (cut == std::string_view::npos)
            return at;
        path.remove_prefix(cut + 1);
    }
}

std::size_t RegDocument::make(std::string_view path)
{
    std::size_t at = 0;
    while (true) {
        const std::size_t cut = path.find('\\');
        std::string name = folded(path.substr(0, cut));
        auto child = keys_[at].children.find(name);
        if (child == keys_[at].children.end()) {
            keys_.emplace_back();
            child = keys_[at].children.emplace(std::move(name), keys_.size() - 1).first;
        }
        at = child->second;
        if (cut == std::string_view::npos)
            return at;
        path.remove_prefix(cut + 1);
    }
}

bool RegDocument::hasKey(std::string_view path) const
{
    return find(path) != kNone;
}

const RegValue* RegDocument::findValue(std::string_view path, std::string_view name) const
{
    const std::size_t key = find(path);
    if (key == kNone)
        return nullptr;
    const auto value = keys_[key].values.find(folded(name));
    return value == keys_[key].values.end() ? nullptr : &value->second;
}

RegDocument::KeyRef RegDocument::addKey(std::string_view path)
{
    return KeyRef(make(path));
}

void RegDocument::deleteKey(std::string_view path)
{
    const std::size_t cut = path.rfind('\\');
    const std::size_t parent = cut == std::string_view::npos ? 0 : find(path.substr(0, cut));
    if (parent == kNone)
        return;
    const auto child = keys_[parent].children.find(folded(path.substr(cut == std::string_view::npos ? 0 : cut + 1)));
    if (child == keys_[parent].children.end())
        return;
    // What lies below is freed now, breadth first, so the memory a deletion
    // leaves behind is only the unlinked entries themselves.
    std::vector<std::size_t> below{child->second};
    keys_[parent].children.erase(child);
    while (!below.empty()) {
        Key& key = keys_[below.back()];
        below.pop_back();
        for (const auto& [name, index] : key.children)
            below.push_back(index);
        key = Key{};
    }
}

void RegDocument::setValue(std::string_view path, std::string_view name, RegValue value)
{
    setValue(KeyRef(make(path)), name, std::move(value));
}

void RegDocument::setValue(KeyRef key, std::string_view name, RegValue value)
{
    keys_[key.index_].values[folded(name)] = std::move(value);
}

void RegDocument::deleteValue(std::string_view path, std::string_view name)
{
    const std::size_t key = find(path);
    if (key != kNone)
        deleteValue(KeyRef(key), name);
}

void RegDocument::deleteValue(KeyRef key, std::string_view name)
{
    auto& values = keys_[key.index_].values;
    const auto value = values.find(folded(name));
    if (value != values.end())
        values.erase(value);
}

std::optional<RegDocument> parseRegText(std::string_view text, const std::string& source, std::ostream& warnings)
{
    return Parser(source, warnings).run(text);
}

}  // namespace varno
