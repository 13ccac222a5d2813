// The registry: keys and values under HKEY_CURRENT_USER, kept in a file that every change
// rewrites atomically (a temporary file beside it, flushed, then renamed over it), so that a
// crash leaves either the old or the new registry, never half of one.
//
// Key and value names compare without regard to case, as on Windows; values keep their type and
// exactly the bytes they were given. The file is a line-based text format:
//
//     korvane-registry 1
//     key =<path>
//     value =<name> <type> <byte count> <bytes in hex>
//
// Text fields start with '=' (so an empty name is "=") and escape '%', spaces and bytes outside
// printable ASCII as %XX. A value belongs to the key line above it. Loading takes every line it
// can verify and skips the rest: a damaged, truncated or foreign file gives fewer values (or
// none), and the limits below bound what any file can make the process allocate.
#include "far_side.h"
#include "internal.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <new>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>
#include <vector>

namespace {

// Windows' limits on names, and the stand-in's own bounds on what the store holds.
constexpr size_t kMaxKeyNameLength = 255;
constexpr size_t kMaxValueNameLength = 16383;
constexpr size_t kMaxValueBytes = size_t{1} << 20;
constexpr size_t kMaxKeys = 4096;
constexpr size_t kMaxValues = 65536;
constexpr size_t kMaxStoredBytes = size_t{16} << 20;
// Hex doubles the stored bytes; anything beyond this cannot be a registry of ours.
constexpr size_t kMaxFileBytes = 2 * kMaxStoredBytes + (size_t{8} << 20);

constexpr const char* kFileHeader = "korvane-registry 1";
constexpr const char* kDiagnosticPrefix = "Korvane registry: ";

// Result codes that only the registry reports.
constexpr LSTATUS kErrorWriteFault = 29;   // ERROR_WRITE_FAULT
constexpr LSTATUS kErrorBadPathname = 161; // ERROR_BAD_PATHNAME
constexpr LSTATUS kErrorKeyDeleted = 1018; // ERROR_KEY_DELETED

// Access rights beyond the specific key rights that windows_api.h names.
constexpr REGSAM kMaximumAllowed = 0x02000000;
constexpr REGSAM kGenericAll = 0x10000000;
constexpr REGSAM kGenericWrite = 0x40000000;
constexpr REGSAM kGenericRead = 0x80000000;

struct Value {
    std::string name; // as first written
    DWORD type;
    std::string bytes;
};

struct KeyRecord {
    std::string path; // as created, below HKEY_CURRENT_USER; empty for the root itself
    std::map<std::string, Value> values; // by folded name
};

// Every key by its folded path; "" is HKEY_CURRENT_USER itself, which always exists.
using Keys = std::map<std::string, KeyRecord>;

struct OpenKey {
    std::string path; // folded
    REGSAM access;
};

// ---- Names and paths ------------------------------------------------------------------------

std::string Fold(const std::string& name) {
    std::string folded = name;
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

std::string ChildPath(const std::string& parent, const std::string& name) {
    return parent.empty() ? name : parent + "\\" + name;
}

// Splits a subkey path at its backslashes. A path may not start with a backslash nor contain
// an empty or overlong name; one trailing backslash is allowed.
bool SplitPath(const std::string& text, std::vector<std::string>& names) {
    names.clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\\', start);
        if (end == std::string::npos)
            end = text.size();
        const size_t length = end - start;
        if (length == 0 || length > kMaxKeyNameLength)
            return false;
        names.push_back(text.substr(start, length));
        start = end + 1;
    }
    return true;
}

Keys EmptyStore() {
    Keys keys;
    keys[""] = KeyRecord{};
    return keys;
}

// Adds the key at `names` below `base` and every missing key above it; false when the store is
// full. `created` tells whether anything was added.
bool AddKeyPath(Keys& keys, const std::string& base, const std::vector<std::string>& names,
                std::string& path, bool& created) {
    path = base;
    created = false;
    for (const std::string& name : names) {
        const std::string parent = path;
        path = ChildPath(parent, Fold(name));
        if (keys.count(path) != 0)
            continue;
        if (keys.size() >= kMaxKeys)
            return false;
        keys[path] = KeyRecord{ChildPath(keys[parent].path, name), {}};
        created = true;
    }
    return true;
}

bool WithinStoreLimits(const Keys& keys) {
    size_t values = 0;
    size_t bytes = 0;
    for (const auto& key : keys) {
        values += key.second.values.size();
        for (const auto& value : key.second.values)
            bytes += value.second.bytes.size();
    }
    return values <= kMaxValues && bytes <= kMaxStoredBytes;
}

// ---- The file format ------------------------------------------------------------------------

const char kHexDigits[] = "0123456789abcdef";

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void AppendHexByte(std::string& out, unsigned char byte) {
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0xF];
}

bool NeedsEscape(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte <= 0x20 || byte >= 0x7F || c == '%';
}

void AppendText(std::string& out, const std::string& text) {
    out += '=';
    for (const char c : text) {
        if (NeedsEscape(c)) {
            out += '%';
            AppendHexByte(out, static_cast<unsigned char>(c));
        } else {
            out += c;
        }
    }
}

bool DecodeHexByte(const std::string& text, size_t at, char& byte) {
    const int high = HexValue(text[at]);
    const int low = HexValue(text[at + 1]);
    if (high < 0 || low < 0)
        return false;
    byte = static_cast<char>(high * 16 + low);
    return true;
}

bool DecodeText(const std::string& field, std::string& text) {
    if (field.empty() || field[0] != '=')
        return false;
    text.clear();
    for (size_t at = 1; at < field.size(); ++at) {
        if (NeedsEscape(field[at]) && field[at] != '%')
            return false; // never written unescaped: the line is not ours
        if (field[at] != '%') {
            text += field[at];
            continue;
        }
        char byte = 0;
        if (at + 2 >= field.size() || !DecodeHexByte(field, at + 1, byte))
            return false;
        text += byte;
        at += 2;
    }
    return true;
}

bool DecodeNumber(const std::string& field, unsigned long long limit, unsigned long long& number) {
    if (field.empty() || field.size() > 20)
        return false;
    number = 0;
    for (const char c : field) {
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + static_cast<unsigned long long>(c - '0');
        if (number > limit)
            return false;
    }
    return true;
}

bool DecodeBytes(const std::string& field, size_t count, std::string& bytes) {
    if (field.size() != 2 * count)
        return false;
    bytes.resize(count);
    for (size_t i = 0; i < count; ++i)
        if (!DecodeHexByte(field, 2 * i, bytes[i]))
            return false;
    return true;
}

std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t end = line.find(' ', start);
        fields.push_back(line.substr(start, end - start));
        if (end == std::string::npos)
            return fields;
        start = end + 1;
    }
}

std::string Serialize(const Keys& keys) {
    std::string out = std::string(kFileHeader) + "\n";
    for (const auto& key : keys) {
        out += "key ";
        AppendText(out, key.second.path);
        out += '\n';
        for (const auto& entry : key.second.values) {
            const Value& value = entry.second;
            out += "value ";
            AppendText(out, value.name);
            out +=
                ' ' + std::to_string(value.type) + ' ' + std::to_string(value.bytes.size()) + ' ';
            for (const char c : value.bytes)
                AppendHexByte(out, static_cast<unsigned char>(c));
            out += '\n';
        }
    }
    return out;
}

// Reads the file's lines into `keys`, counting the lines it had to skip.
class Parser {
public:
    explicit Parser(Keys& store) : keys(store) {}

    void Parse(const std::string& contents) {
        size_t start = 0;
        bool headerSeen = false;
        while (start < contents.size()) {
            const size_t end = contents.find('\n', start);
            if (end == std::string::npos) {
                ++skipped; // a last line without its newline was cut short
                return;
            }
            const std::string line = contents.substr(start, end - start);
            start = end + 1;
            if (!headerSeen) {
                headerSeen = line == kFileHeader;
                if (!headerSeen) {
                    ++skipped; // not a registry of ours: nothing in it is trusted
                    return;
                }
            } else if (!ParseLine(line)) {
                ++skipped;
            }
        }
    }

    size_t skipped = 0;

private:
    bool ParseLine(const std::string& line) {
        const std::vector<std::string> fields = SplitFields(line);
        if (fields.size() == 2 && fields[0] == "key")
            return ParseKey(fields[1]);
        if (fields.size() == 5 && fields[0] == "value")
            return ParseValue(fields);
        return false;
    }

    bool ParseKey(const std::string& field) {
        std::string text;
        std::vector<std::string> names;
        bool created = false;
        haveKey = DecodeText(field, text) && SplitPath(text, names) &&
                  AddKeyPath(keys, "", names, currentKey, created);
        return haveKey;
    }

    bool ParseValue(const std::vector<std::string>& fields) {
        Value value;
        unsigned long long type = 0;
        unsigned long long count = 0;
        if (!haveKey || !DecodeText(fields[1], value.name) ||
            value.name.size() > kMaxValueNameLength ||
            !DecodeNumber(fields[2], 0xFFFFFFFFu, type) ||
            !DecodeNumber(fields[3], kMaxValueBytes, count) || valueCount >= kMaxValues ||
            storedBytes + count > kMaxStoredBytes ||
            !DecodeBytes(fields[4], static_cast<size_t>(count), value.bytes))
            return false;
        value.type = static_cast<DWORD>(type);
        auto& values = keys[currentKey].values;
        const std::string folded = Fold(value.name);
        const auto existing = values.find(folded);
        if (existing != values.end()) { // a repeated name: the later line wins
            storedBytes -= existing->second.bytes.size();
            --valueCount;
        }
        storedBytes += value.bytes.size();
        ++valueCount;
        values[folded] = std::move(value);
        return true;
    }

    Keys& keys;
    bool haveKey = false;
    std::string currentKey;
    size_t valueCount = 0;
    size_t storedBytes = 0;
};

// ---- The file -------------------------------------------------------------------------------

void Diagnose(const std::string& text) {
    OutputDebugStringA((kDiagnosticPrefix + text + "\n").c_str());
}

std::string DefaultPath() {
    const char* explicitPath = std::getenv("KORVANE_REGISTRY");
    if (explicitPath != nullptr && explicitPath[0] != '\0')
        return explicitPath;
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome != nullptr && configHome[0] == '/')
        return std::string(configHome) + "/korvane/registry";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0')
        return std::string(home) + "/.config/korvane/registry";
    return "";
}

// Reads at most kMaxFileBytes; a missing file is an empty registry.
bool ReadWholeFile(const std::string& path, std::string& contents, bool& cut) {
    contents.clear();
    cut = false;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return errno == ENOENT || errno == ENOTDIR; // no file yet
    char chunk[65536];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        if (contents.size() + got > kMaxFileBytes) {
            contents.append(chunk, kMaxFileBytes - contents.size());
            cut = true;
            break;
        }
        contents.append(chunk, got);
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return !failed;
}

void MakeParentDirectories(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1))
        ::mkdir(path.substr(0, slash).c_str(), 0700); // an existing folder is fine
}

bool WriteAll(int descriptor, const std::string& contents) {
    size_t written = 0;
    while (written < contents.size()) {
        const ssize_t result =
            ::write(descriptor, contents.data() + written, contents.size() - written);
        if (result < 0 && errno == EINTR)
            continue;
        if (result <= 0)
            return false;
        written += static_cast<size_t>(result);
    }
    return true;
}

void SyncDirectoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (descriptor >= 0) {
        ::fsync(descriptor);
        ::close(descriptor);
    }
}

LSTATUS StatusOfErrno(int error) {
    return error == EACCES || error == EPERM || error == EROFS ? ERROR_ACCESS_DENIED
                                                               : kErrorWriteFault;
}

LSTATUS WriteFileAtomically(const std::string& path, const std::string& contents) {
    MakeParentDirectories(path);
    std::string temporary = path + ".XXXXXX";
    const int descriptor = ::mkstemp(&temporary[0]);
    if (descriptor < 0) {
        const int error = errno;
        Diagnose("cannot write " + path + ": " + std::strerror(error));
        return StatusOfErrno(error);
    }
    bool ok = WriteAll(descriptor, contents) && ::fsync(descriptor) == 0;
    int error = errno;
    ok = ::close(descriptor) == 0 && ok;
    if (ok && ::rename(temporary.c_str(), path.c_str()) != 0)
        ok = false;
    if (!ok) {
        error = errno;
        ::unlink(temporary.c_str());
        Diagnose("cannot write " + path + ": " + std::strerror(error));
        return StatusOfErrno(error);
    }
    SyncDirectoryOf(path);
    return ERROR_SUCCESS;
}

// Rewriting a damaged file would lose what could not be read: a second name for it keeps the
// file as it was.
void KeepDamagedFile(const std::string& path, const std::string& problem) {
    const std::string copy = path + ".damaged";
    ::unlink(copy.c_str());
    if (::link(path.c_str(), copy.c_str()) == 0)
        Diagnose(path + " " + problem + "; the file as it was is kept as " + copy);
    else
        Diagnose(path + " " + problem + "; it will be replaced at the next change");
}

// What a file gave: its keys, and whether it may be rewritten.
struct LoadedFile {
    Keys keys;
    bool writable;
};

LoadedFile LoadFile(const std::string& path) {
    LoadedFile loaded{EmptyStore(), true};
    std::string contents;
    bool cut = false;
    if (!ReadWholeFile(path, contents, cut)) {
        Diagnose("cannot read " + path + ": " + std::strerror(errno) +
                 "; it is left as it is and changes are not saved");
        loaded.writable = false;
        return loaded;
    }
    Parser parser(loaded.keys);
    parser.Parse(contents);
    if (cut)
        KeepDamagedFile(path, "is larger than a registry can be; only its beginning was read");
    else if (parser.skipped != 0)
        KeepDamagedFile(path, "is damaged; " + std::to_string(parser.skipped) + " line(s) skipped");
    return loaded;
}

// ---- The store ------------------------------------------------------------------------------

REGSAM EffectiveAccess(REGSAM desired) {
    if ((desired & (kMaximumAllowed | kGenericAll)) != 0)
        return KEY_ALL_ACCESS;
    if ((desired & kGenericRead) != 0)
        desired |= KEY_READ;
    if ((desired & kGenericWrite) != 0)
        desired |= KEY_WRITE;
    return desired;
}

class Registry {
public:
    std::mutex lock;

    // Everything below runs with `lock` held.

    void UseFile(const std::string& path) {
        keys = EmptyStore();
        filePath = path;
        writable = true;
        inFile = !path.empty();
        loaded = !inFile;
        if (!inFile)
            Diagnose("no file for the registry (set KORVANE_REGISTRY or HOME); "
                     "changes last until the process ends");
    }

    void UseMemory() {
        keys = EmptyStore();
        inFile = false;
        loaded = true;
    }

    void Clear() {
        EnsureLoaded();
        if (inFile && writable)
            WriteFileAtomically(filePath, Serialize(EmptyStore()));
        keys = EmptyStore();
    }

    const Keys& Store() {
        EnsureLoaded();
        return keys;
    }

    // Makes `updated` the store, once it is in the file.
    LSTATUS Commit(Keys updated) {
        if (inFile && !writable)
            return ERROR_ACCESS_DENIED; // the file could not be read: replacing it would lose it
        if (inFile) {
            const LSTATUS status = WriteFileAtomically(filePath, Serialize(updated));
            if (status != ERROR_SUCCESS)
                return status;
        }
        keys = std::move(updated);
        return ERROR_SUCCESS;
    }

    HKEY Open(const std::string& path, REGSAM access) {
        auto* key = new OpenKey{path, EffectiveAccess(access)};
        openKeys.insert(key);
        return reinterpret_cast<HKEY>(key);
    }

    bool Close(HKEY handle) {
        auto* key = reinterpret_cast<OpenKey*>(handle);
        if (openKeys.erase(key) == 0)
            return false;
        delete key;
        return true;
    }

    // The folded path of `handle`, checked against the open keys, the store and the access
    // the caller needs (none to name a key below it).
    LSTATUS Resolve(HKEY handle, REGSAM needed, std::string& path) {
        if (handle == HKEY_CURRENT_USER) {
            path.clear();
            return ERROR_SUCCESS;
        }
        auto* key = reinterpret_cast<OpenKey*>(handle);
        if (openKeys.count(key) == 0)
            return ERROR_INVALID_HANDLE;
        path = key->path;
        if (Store().count(path) == 0)
            return kErrorKeyDeleted;
        return (key->access & needed) == needed ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
    }

    // The folded path of `handle` and the names of `subKey` below it.
    LSTATUS ResolveSubKey(HKEY handle, const std::string& subKey, std::string& base,
                          std::vector<std::string>& names) {
        const LSTATUS status = Resolve(handle, 0, base);
        if (status != ERROR_SUCCESS)
            return status;
        return SplitPath(subKey, names) ? ERROR_SUCCESS : kErrorBadPathname;
    }

private:
    void EnsureLoaded() {
        if (loaded)
            return;
        if (filePath.empty())
            UseFile(DefaultPath());
        if (inFile) {
            LoadedFile file = LoadFile(filePath);
            keys = std::move(file.keys);
            writable = file.writable;
        }
        loaded = true;
    }

    Keys keys = EmptyStore();
    bool inFile = true;
    bool loaded = false;
    bool writable = true; // false when the file exists but could not be read
    std::string filePath; // chosen from the environment at first use
    std::unordered_set<OpenKey*> openKeys;
};

Registry& TheRegistry() {
    static Registry* registry = new Registry; // outlives every static destructor
    return *registry;
}

std::string TextOrEmpty(LPCSTR text) {
    return text != nullptr ? text : "";
}

// Runs a registry call with the registry locked; running out of memory becomes the call's
// result code instead of an exception escaping to a C caller.
template <typename Body>
LSTATUS Locked(Body body) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    try {
        return body(registry);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

// Runs a registry call on the open key `key`, which must grant the call `needed` access, with
// the registry locked and the key's folded path.
template <typename Body>
LSTATUS LockedKey(HKEY key, REGSAM needed, Body body) {
    return Locked([&](Registry& registry) -> LSTATUS {
        std::string path;
        const LSTATUS status = registry.Resolve(key, needed, path);
        return status != ERROR_SUCCESS ? status : body(registry, path);
    });
}

} // namespace

extern "C" {

LSTATUS WINAPI RegOpenKeyA(HKEY key, LPCSTR subKey, PHKEY result) {
    if (result == nullptr)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    return Locked([&](Registry& registry) -> LSTATUS {
        std::string base;
        std::vector<std::string> names;
        const LSTATUS status = registry.ResolveSubKey(key, TextOrEmpty(subKey), base, names);
        if (status != ERROR_SUCCESS)
            return status;
        if (names.empty()) { // an empty path names the key itself, and the same handle comes back
            *result = key;
            return ERROR_SUCCESS;
        }
        std::string path = base;
        for (const std::string& name : names)
            path = ChildPath(path, Fold(name));
        if (registry.Store().count(path) == 0)
            return ERROR_FILE_NOT_FOUND;
        *result = registry.Open(path, KEY_ALL_ACCESS);
        return ERROR_SUCCESS;
    });
}

LSTATUS WINAPI RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM desired,
                               const LPSECURITY_ATTRIBUTES, PHKEY result, LPDWORD disposition) {
    if (result == nullptr || subKey == nullptr)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    return Locked([&](Registry& registry) -> LSTATUS {
        std::string base;
        std::vector<std::string> names;
        LSTATUS status = registry.ResolveSubKey(key, subKey, base, names);
        if (status != ERROR_SUCCESS)
            return status;
        Keys updated = registry.Store();
        std::string path;
        bool created = false;
        if (!AddKeyPath(updated, base, names, path, created))
            return ERROR_NOT_ENOUGH_MEMORY;
        if (created && (status = registry.Commit(std::move(updated))) != ERROR_SUCCESS)
            return status;
        if (disposition != nullptr)
            *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
        *result = registry.Open(path, desired);
        return ERROR_SUCCESS;
    });
}

LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type,
                                LPBYTE data, LPDWORD dataSize) {
    if (reserved != nullptr || (data != nullptr && dataSize == nullptr))
        return ERROR_INVALID_PARAMETER;
    return LockedKey(
        key, KEY_QUERY_VALUE, [&](Registry& registry, const std::string& path) -> LSTATUS {
            const auto& values = registry.Store().at(path).values;
            const auto found = values.find(Fold(TextOrEmpty(valueName)));
            if (found == values.end())
                return ERROR_FILE_NOT_FOUND;
            const Value& value = found->second;
            const auto needed = static_cast<DWORD>(value.bytes.size());
            if (type != nullptr)
                *type = value.type;
            if (data != nullptr && *dataSize < needed) {
                *dataSize = needed; // nothing of the value is written into a buffer it does not fit
                return ERROR_MORE_DATA;
            }
            if (data != nullptr)
                std::memcpy(data, value.bytes.data(), needed);
            if (dataSize != nullptr)
                *dataSize = needed;
            return ERROR_SUCCESS;
        });
}

LSTATUS WINAPI RegSetValueExA(HKEY key, LPCSTR valueName, DWORD, DWORD type, const BYTE* data,
                              DWORD dataSize) {
    if (data == nullptr && dataSize != 0)
        return ERROR_INVALID_PARAMETER;
    const std::string name = TextOrEmpty(valueName);
    if (name.size() > kMaxValueNameLength)
        return ERROR_INVALID_PARAMETER;
    if (dataSize > kMaxValueBytes)
        return ERROR_NOT_ENOUGH_MEMORY;
    return LockedKey(
        key, KEY_SET_VALUE, [&](Registry& registry, const std::string& path) -> LSTATUS {
            Keys updated = registry.Store();
            auto& values = updated.at(path).values;
            const std::string folded = Fold(name);
            const auto existing = values.find(folded);
            const std::string storedName = existing != values.end() ? existing->second.name : name;
            const auto* bytes = reinterpret_cast<const char*>(data);
            values[folded] =
                Value{storedName, type, bytes != nullptr ? std::string(bytes, dataSize) : ""};
            if (!WithinStoreLimits(updated))
                return ERROR_NOT_ENOUGH_MEMORY;
            return registry.Commit(std::move(updated));
        });
}

LSTATUS WINAPI RegCloseKey(HKEY key) {
    if (key == HKEY_CURRENT_USER)
        return ERROR_SUCCESS; // closing a predefined key is allowed and changes nothing
    return Locked([&](Registry& registry) -> LSTATUS {
        return registry.Close(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
    });
}

void StandinRegistryUseFile(const char* path) {
    Locked([&](Registry& registry) -> LSTATUS {
        registry.UseFile(path != nullptr && path[0] != '\0' ? path : DefaultPath());
        return ERROR_SUCCESS;
    });
}

void StandinRegistryUseMemory(void) {
    Locked([&](Registry& registry) -> LSTATUS {
        registry.UseMemory();
        return ERROR_SUCCESS;
    });
}

void StandinRegistryClear(void) {
    Locked([&](Registry& registry) -> LSTATUS {
        registry.Clear();
        return ERROR_SUCCESS;
    });
}

} // extern "C"
