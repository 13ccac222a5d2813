// The registry: Windows result codes and name rules, values kept byte for byte in a file that
// survives a reload, and damaged files that give fewer values instead of a crash.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/standin/far_side.h"
#include "support/case_name.h"
#include "support/debug_capture.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kSettingsKey = "Software\\Quenmoor\\KorvaneHost";
constexpr LSTATUS kErrorBadPathname = 161;
constexpr size_t kMaxValueBytes = size_t{1} << 20;
const HKEY kLocalMachine = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000002u));

std::vector<BYTE> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

class Registry : public testing::Test {
protected:
    void SetUp() override {
        folder = fs::path(testing::TempDir()) /
                 ("korvane-registry-" + std::to_string(::getpid()) + "-" +
                  testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        path = (folder / "registry").string();
        StandinRegistryUseFile(path.c_str());
    }

    void TearDown() override {
        StandinRegistryUseMemory();
        fs::remove_all(folder);
    }

    void Reload() {
        StandinRegistryUseMemory();
        StandinRegistryUseFile(path.c_str());
    }

    HKEY Create(const char* subKey, REGSAM access = KEY_ALL_ACCESS, DWORD* disposition = nullptr) {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, subKey, 0, const_cast<LPSTR>(""),
                                  REG_OPTION_NON_VOLATILE, access, nullptr, &key, disposition),
                  ERROR_SUCCESS);
        return key;
    }

    void Set(HKEY key, const char* name, DWORD type, const std::vector<BYTE>& data) {
        EXPECT_EQ(RegSetValueExA(key, name, 0, type, data.data(), static_cast<DWORD>(data.size())),
                  ERROR_SUCCESS);
    }

    // The value's type and bytes, read through the size query first.
    struct Read {
        LSTATUS status;
        DWORD type;
        std::vector<BYTE> bytes;
    };
    Read Query(HKEY key, const char* name) {
        Read read{ERROR_SUCCESS, REG_NONE, {}};
        DWORD size = 0;
        read.status = RegQueryValueExA(key, name, nullptr, &read.type, nullptr, &size);
        if (read.status != ERROR_SUCCESS)
            return read;
        read.bytes.resize(size);
        read.status = RegQueryValueExA(key, name, nullptr, nullptr, read.bytes.data(), &size);
        EXPECT_EQ(size, read.bytes.size());
        return read;
    }

    void WriteFile(const std::string& contents) {
        fs::create_directories(folder);
        std::ofstream(path, std::ios::binary) << contents;
    }

    std::string FileContents() {
        std::ifstream file(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }

    fs::path folder;
    std::string path;
};

struct StoredValue {
    const char* name;
    DWORD type;
    std::vector<BYTE> bytes;
};

const std::vector<StoredValue> kStoredValues = {
    {"F1", REG_SZ, Bytes(std::string("Mixer panel toggle", 19))}, // with its terminator
    {"F2", REG_SZ, Bytes("no terminator")},
    {"", REG_SZ, Bytes(std::string("default", 8))},
    {"name with spaces % and =", REG_BINARY, {0x00, 0xFF, '%', ' ', '\n', '=', 0x7F, 0x80}},
    {"Count", REG_DWORD, {0x78, 0x56, 0x34, 0x12}},
    {"Empty", REG_SZ, {}},
};

TEST_F(Registry, ValuesSurviveAReloadOfTheFileWithTheirTypeAndBytes) {
    DWORD disposition = 0;
    HKEY key = Create(kSettingsKey, KEY_ALL_ACCESS, &disposition);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    for (const StoredValue& value : kStoredValues)
        Set(key, value.name, value.type, value.bytes);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);

    StandinRegistryUseMemory();
    EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, kSettingsKey, &key), ERROR_FILE_NOT_FOUND);
    StandinRegistryUseFile(path.c_str());

    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, kSettingsKey, &key), ERROR_SUCCESS);
    for (const StoredValue& value : kStoredValues) {
        const Read read = Query(key, value.name);
        EXPECT_EQ(read.status, ERROR_SUCCESS) << value.name;
        EXPECT_EQ(read.type, value.type) << value.name;
        EXPECT_EQ(read.bytes, value.bytes) << value.name;
    }
    RegCloseKey(key);
    Create(kSettingsKey, KEY_ALL_ACCESS, &disposition);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
}

TEST_F(Registry, EveryChangeReplacesTheFileWithoutLeavingTemporaryFiles) {
    HKEY key = Create(kSettingsKey);
    for (int i = 0; i < 5; ++i)
        Set(key, ("F" + std::to_string(i)).c_str(), REG_SZ, Bytes("x"));
    RegCloseKey(key);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"registry"});
}

TEST_F(Registry, QueryReportsTheSizeAndRefusesABufferTooSmall) {
    HKEY key = Create(kSettingsKey);
    Set(key, "F1", REG_SZ, Bytes(std::string("Play", 5)));

    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "F1", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 5u);
    EXPECT_EQ(RegQueryValueExA(key, "F1", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);

    BYTE small[4] = {'x', 'x', 'x', 'x'};
    size = sizeof small;
    DWORD type = REG_NONE;
    EXPECT_EQ(RegQueryValueExA(key, "F1", nullptr, &type, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 5u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::string(small, small + 4), "xxxx"); // no partial value

    BYTE exact[5];
    size = sizeof exact;
    EXPECT_EQ(RegQueryValueExA(key, "F1", nullptr, nullptr, exact, &size), ERROR_SUCCESS);
    EXPECT_STREQ(reinterpret_cast<char*>(exact), "Play");
    EXPECT_EQ(RegQueryValueExA(key, "F1", nullptr, nullptr, exact, nullptr),
              ERROR_INVALID_PARAMETER);
    RegCloseKey(key);
}

TEST_F(Registry, MissingKeysAndValuesAreNotFound) {
    HKEY key = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, kSettingsKey, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    HKEY parent = Create("Software\\Quenmoor");
    EXPECT_EQ(RegOpenKeyA(parent, "KorvaneHost", &key), ERROR_FILE_NOT_FOUND);
    RegCloseKey(parent);
    key = Create(kSettingsKey);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "F1", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
}

TEST_F(Registry, KeyAndValueNamesIgnoreCase) {
    HKEY created = Create(kSettingsKey);
    Set(created, "FootSwitch", REG_SZ, Bytes("a"));
    Set(created, "FOOTSWITCH", REG_SZ, Bytes("bb"));
    RegCloseKey(created);

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "SOFTWARE\\quenmoor\\KorvaneHOST", &key),
              ERROR_SUCCESS);
    EXPECT_EQ(Query(key, "footswitch").bytes, Bytes("bb"));
    RegCloseKey(key);

    HKEY parent = nullptr;
    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "software", &parent), ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyA(parent, "QUENMOOR\\korvanehost", &key), ERROR_SUCCESS);
    EXPECT_EQ(Query(key, "FootSwitch").bytes, Bytes("bb"));
    RegCloseKey(key);
    RegCloseKey(parent);
}

TEST_F(Registry, UnknownClosedAndForeignHandlesAreInvalid) {
    HKEY key = Create(kSettingsKey);
    ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "F1", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegSetValueExA(key, "F1", 0, REG_SZ, nullptr, 0), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    HKEY opened = nullptr;
    EXPECT_EQ(RegOpenKeyA(kLocalMachine, "Software", &opened), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyA(reinterpret_cast<HKEY>(&size), "Software", &opened),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
}

TEST_F(Registry, HandleRightsAreChecked) {
    HKEY reader = Create(kSettingsKey, KEY_READ);
    EXPECT_EQ(RegSetValueExA(reader, "F1", 0, REG_SZ, nullptr, 0), ERROR_ACCESS_DENIED);
    HKEY writer = Create(kSettingsKey, KEY_WRITE);
    Set(writer, "F1", REG_SZ, Bytes("x"));
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(writer, "F1", nullptr, nullptr, nullptr, &size),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegQueryValueExA(reader, "F1", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    RegCloseKey(reader);
    RegCloseKey(writer);
}

TEST_F(Registry, MalformedPathsAreRefused) {
    for (const char* bad : {"\\Software", "Software\\\\Quenmoor"}) {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, bad, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &key, nullptr),
                  kErrorBadPathname)
            << bad;
        EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, bad, &key), kErrorBadPathname) << bad;
    }
    const std::string overlong(256, 'k');
    HKEY key = nullptr;
    EXPECT_NE(RegCreateKeyExA(HKEY_CURRENT_USER, overlong.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
}

TEST_F(Registry, ValuesUpToTheLimitAreKeptAndLargerOnesRefused) {
    HKEY key = Create(kSettingsKey);
    const std::vector<BYTE> largest(kMaxValueBytes, 0xA5);
    Set(key, "Large", REG_BINARY, largest);
    const std::vector<BYTE> tooLarge(kMaxValueBytes + 1, 0x5A);
    EXPECT_EQ(RegSetValueExA(key, "Large", 0, REG_BINARY, tooLarge.data(),
                             static_cast<DWORD>(tooLarge.size())),
              ERROR_NOT_ENOUGH_MEMORY);
    RegCloseKey(key);
    Reload();
    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, kSettingsKey, &key), ERROR_SUCCESS);
    EXPECT_EQ(Query(key, "Large").bytes, largest);
    RegCloseKey(key);
}

TEST_F(Registry, ClearForgetsEverythingAlsoInTheFile) {
    RegCloseKey(Create(kSettingsKey));
    StandinRegistryClear();
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, kSettingsKey, &key), ERROR_FILE_NOT_FOUND);
    Reload();
    EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, kSettingsKey, &key), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, FailureToWriteTheFileIsReportedAndChangesNothing) {
    fs::create_directories(folder);
    std::ofstream(folder / "blocker") << "a file where a folder should be";
    path = (folder / "blocker" / "registry").string();
    StandinRegistryUseFile(path.c_str());
    DebugCapture capture;
    HKEY key = nullptr;
    EXPECT_NE(RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, kSettingsKey, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_NE(capture.Text().find("cannot write"), std::string::npos);
}

TEST_F(Registry, DefaultFileFollowsXdgConfigHomeAndIsCreatedWithItsFolders) {
    const char* saved = std::getenv("KORVANE_REGISTRY");
    const std::string savedRegistry = saved != nullptr ? saved : "";
    ::unsetenv("KORVANE_REGISTRY");
    ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
    StandinRegistryUseFile(nullptr);
    RegCloseKey(Create(kSettingsKey));
    EXPECT_TRUE(fs::exists(folder / "config" / "korvane" / "registry"));
    ::unsetenv("XDG_CONFIG_HOME");
    if (saved != nullptr)
        ::setenv("KORVANE_REGISTRY", savedRegistry.c_str(), 1);
}

// A file that is not wholly ours: the lines that check out are kept, the rest ignored.
struct DamagedFile {
    const char* name;
    std::string contents;
    bool goodValueSurvives; // "good" below kSettingsKey, from an intact line before the damage
};

const std::string kHeader = "korvane-registry 1\n";
const std::string kGoodLines =
    kHeader + "key =Software\\Quenmoor\\KorvaneHost\n" + "value =good 1 3 6f6b00\n";

std::string Garbage(size_t length) {
    std::string bytes(length, '\0');
    uint32_t state = 12345;
    for (char& c : bytes) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 24);
    }
    return bytes;
}

const std::vector<DamagedFile> kDamagedFiles = {
    {"Empty", "", false},
    {"Garbage", Garbage(65536), false},
    {"GarbageAfterTheHeader", kHeader + Garbage(4096), false},
    {"ForeignHeader", "korvane-registry 2\nkey =Software\\Quenmoor\\KorvaneHost\n", false},
    {"TruncatedLastLine", kGoodLines + "value =bad 1 4 6f6b", true},
    {"LengthDisagreesWithBytes", kGoodLines + "value =bad 1 5 6f6b00\n", true},
    {"HugeLength", kGoodLines + "value =bad 1 99999999999999 00\n", true},
    {"LengthBeyondTheValueLimit", kGoodLines + "value =bad 3 1048577 00\n", true},
    {"BadHexDigits", kGoodLines + "value =bad 1 2 zz00\n", true},
    {"BadEscape", kGoodLines + "value =b%G1d 1 1 00\n", true},
    {"EscapeCutShort", kGoodLines + "value =bad% 1 1 00\n", true},
    {"TypeBeyond32Bits", kGoodLines + "value =bad 4294967296 1 00\n", true},
    {"ExtraField", kGoodLines + "value =bad 1 1 00 extra\n", true},
    {"ValueBeforeAnyKey", kHeader + "value =bad 1 1 00\n" + kGoodLines.substr(kHeader.size()),
     true},
    {"MalformedKeyPath", kGoodLines + "key =\\Software\nvalue =bad 1 1 00\n", true},
    {"OverlongKeyName", kGoodLines + "key =" + std::string(300, 'k') + "\nvalue =bad 1 1 00\n",
     true},
    {"NulBytesInLines", kGoodLines + std::string("value =b\0d 1 1 00\n", 18), true},
};

class DamagedRegistry : public Registry, public testing::WithParamInterface<DamagedFile> {};

TEST_P(DamagedRegistry, KeepsOnlyTheIntactLinesAndSaysSo) {
    WriteFile(GetParam().contents);
    DebugCapture capture;
    Reload();
    HKEY key = nullptr;
    const LSTATUS opened = RegOpenKeyA(HKEY_CURRENT_USER, kSettingsKey, &key);
    if (!GetParam().goodValueSurvives) {
        EXPECT_EQ(opened, ERROR_FILE_NOT_FOUND);
    } else {
        ASSERT_EQ(opened, ERROR_SUCCESS);
        EXPECT_EQ(Query(key, "good").bytes, Bytes(std::string("ok", 3)));
        DWORD size = 0;
        EXPECT_EQ(RegQueryValueExA(key, "bad", nullptr, nullptr, nullptr, &size),
                  ERROR_FILE_NOT_FOUND);
        RegCloseKey(key);
    }
    if (!GetParam().contents.empty()) { // said, and the file as it was kept beside
        EXPECT_NE(capture.Text().find("damaged"), std::string::npos);
        std::ifstream kept(path + ".damaged", std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), GetParam().contents);
    }
}

INSTANTIATE_TEST_SUITE_P(Registry, DamagedRegistry, testing::ValuesIn(kDamagedFiles), CaseName());

TEST_F(Registry, AFileCutAnywhereLoadsWithoutCrashing) {
    HKEY key = Create(kSettingsKey);
    for (const StoredValue& value : kStoredValues)
        Set(key, value.name, value.type, value.bytes);
    RegCloseKey(key);
    const std::string whole = FileContents();
    for (size_t length = 0; length < whole.size(); ++length) {
        WriteFile(whole.substr(0, length));
        Reload();
        if (RegOpenKeyA(HKEY_CURRENT_USER, kSettingsKey, &key) != ERROR_SUCCESS)
            continue;
        for (const StoredValue& value : kStoredValues) { // a value is there whole or not at all
            const Read read = Query(key, value.name);
            if (read.status == ERROR_SUCCESS) {
                EXPECT_EQ(read.bytes, value.bytes) << value.name << " at length " << length;
            }
        }
        RegCloseKey(key);
    }
}

DWORD WINAPI SetManyValues(LPVOID prefix) {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                    nullptr);
    for (int i = 0; i < 50; ++i) {
        const std::string name = static_cast<const char*>(prefix) + std::to_string(i);
        RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                       static_cast<DWORD>(name.size() + 1));
    }
    RegCloseKey(key);
    return 0;
}

TEST_F(Registry, ConcurrentWritersLoseNothing) {
    StandinRegistryUseMemory();
    const char* prefixes[] = {"a", "b", "c", "d"};
    std::vector<HANDLE> threads;
    for (const char* prefix : prefixes)
        threads.push_back(
            CreateThread(nullptr, 0, SetManyValues, const_cast<char*>(prefix), 0, nullptr));
    for (HANDLE thread : threads) {
        EXPECT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
        CloseHandle(thread);
    }
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, kSettingsKey, &key), ERROR_SUCCESS);
    for (const char* prefix : prefixes)
        for (int i = 0; i < 50; ++i) {
            const std::string name = prefix + std::to_string(i);
            EXPECT_EQ(Query(key, name.c_str()).bytes,
                      Bytes(std::string(name.c_str(), name.size() + 1)));
        }
    RegCloseKey(key);
}

} // namespace
