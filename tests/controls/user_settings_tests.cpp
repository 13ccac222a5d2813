// The key assignments: names loaded from the registry with the defaults as fallback, the Host's
// command list as the settings read it, and the settings dialog that ConfigureController shows,
// with a user in front of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "controls/key_assignments.h"
#include "controls/midi_map.h"
#include "controls/user_settings_dlg.h"
#include "host/host_interface.h"
#include "platform/standin/dialog_user.h"
#include "platform/standin/far_side.h"
#include "support/case_name.h"
#include "support/controller_fixture.h"
#include "support/debug_capture.h"
#include "support/recording_host.h"

namespace {

constexpr const char* kSettingsKey = KeyAssignmentStore::kSettingsKey;

// A name as a string value holds it: with its terminator.
std::string Terminated(const std::string& text) {
    return text + '\0';
}

struct StoredValue {
    DWORD type;
    std::string bytes;
    bool operator==(const StoredValue& other) const {
        return type == other.type && bytes == other.bytes;
    }
    friend void PrintTo(const StoredValue& value, std::ostream* out) {
        *out << "type " << value.type << " bytes " << testing::PrintToString(value.bytes);
    }
};

void Store(const char* valueName, DWORD type, const std::string& bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, const_cast<LPSTR>(""),
                              REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, valueName, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

void StoreName(const char* valueName, const std::string& name) {
    Store(valueName, REG_SZ, Terminated(name));
}

bool KeyExists() {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_CURRENT_USER, kSettingsKey, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// The value as stored, or nothing when the key or the value is missing.
std::optional<StoredValue> Stored(const char* valueName) {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_CURRENT_USER, kSettingsKey, &key) != ERROR_SUCCESS)
        return std::nullopt;
    StoredValue value{REG_NONE, {}};
    DWORD size = 0;
    std::optional<StoredValue> result;
    if (RegQueryValueExA(key, valueName, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        value.bytes.resize(size);
        if (RegQueryValueExA(key, valueName, nullptr, nullptr,
                             reinterpret_cast<BYTE*>(value.bytes.data()), &size) == ERROR_SUCCESS)
            result = value;
    }
    RegCloseKey(key);
    return result;
}

// ---- The user in front of the dialog ---------------------------------------------------------

// Acts as the user of every dialog shown while it lives.
class DialogUser {
public:
    explicit DialogUser(std::function<void(HWND)> userActs) : acts(std::move(userActs)) {
        StandinSetDialogUser(&DialogUser::Run, this);
    }
    ~DialogUser() { StandinSetDialogUser(nullptr, nullptr); }
    DialogUser(const DialogUser&) = delete;
    DialogUser& operator=(const DialogUser&) = delete;

    int Shown() const { return shown; }

private:
    static void Run(HWND dialog, void* context) {
        auto* self = static_cast<DialogUser*>(context);
        ++self->shown;
        self->acts(dialog);
    }

    std::function<void(HWND)> acts;
    int shown = 0;
};

LRESULT ListMessage(HWND dialog, int listId, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendDlgItemMessageA(dialog, listId, message, wParam, lParam);
}

std::string EntryText(HWND dialog, int listId, LRESULT index) {
    const LRESULT length = ListMessage(dialog, listId, CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
    if (length < 0)
        return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    ListMessage(dialog, listId, CB_GETLBTEXT, static_cast<WPARAM>(index),
                reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
}

// What one list shows: its entries in order and its selected entry ("" for none).
struct ListState {
    std::vector<std::string> entries;
    std::string selection;
};

std::map<int32_t, ListState> ReadLists(HWND dialog) {
    std::map<int32_t, ListState> lists;
    for (const KeyAssignment& row : theKeyAssignments) {
        ListState& list = lists[row.controlId];
        const LRESULT count = ListMessage(dialog, row.controlId, CB_GETCOUNT);
        for (LRESULT i = 0; i < count; ++i)
            list.entries.push_back(EntryText(dialog, row.controlId, i));
        const LRESULT selected = ListMessage(dialog, row.controlId, CB_GETCURSEL);
        if (selected != CB_ERR)
            list.selection = EntryText(dialog, row.controlId, selected);
    }
    return lists;
}

// Picks the entry spelled exactly `name` in the list, as the user's click does.
void Pick(HWND dialog, int32_t listId, const std::string& name) {
    const LRESULT count = ListMessage(dialog, listId, CB_GETCOUNT);
    for (LRESULT i = 0; i < count; ++i) {
        if (EntryText(dialog, listId, i) == name) {
            EXPECT_TRUE(StandinDialogSelect(dialog, listId, static_cast<int>(i)));
            return;
        }
    }
    ADD_FAILURE() << "list " << listId << " does not offer " << name;
}

void PressButton(HWND dialog, int buttonId) {
    EXPECT_TRUE(StandinDialogPress(dialog, buttonId));
}

int CountOf(const std::vector<std::string>& texts, const std::string& text) {
    return static_cast<int>(std::count(texts.begin(), texts.end(), text));
}

// ---- The fixture -----------------------------------------------------------------------------

class UserSettingsTest : public testing::Test {
protected:
    void SetUp() override {
        StandinRegistryUseMemory();
        StandinRegistryClear();
    }

    // Adds a command to the Host's list and returns its number.
    int32_t Offer(const std::string& name, bool valid = true) {
        const int32_t index = host.CommandCount();
        host.AddCommand(name, valid);
        return index;
    }
    // The defaults of every row but `missing`, each a valid Host command; returns name ->
    // number.
    std::map<std::string, int32_t> OfferDefaults(const std::string& missing = {}) {
        std::map<std::string, int32_t> numbers;
        for (const KeyAssignment& row : theKeyAssignments) {
            if (row.defaultCommand != missing)
                numbers[row.defaultCommand] = Offer(row.defaultCommand);
        }
        return numbers;
    }

    void Load() {
        store.SetHostCommands(host.CommandCount(), &RecordingHost::EnumCommand);
        store.Load();
    }
    void Configure() {
        ConfigureController(nullptr, nullptr, host.CommandCount(), &RecordingHost::EnumCommand);
    }

    RecordingHost host;
    DebugCapture debug;
    KeyAssignmentStore store;
};

// ---- Loading ---------------------------------------------------------------------------------

TEST_F(UserSettingsTest, WithoutStoredNamesEveryKeyGetsItsDefaultOrNothing) {
    for (int filler = 0; filler < 17; ++filler)
        Offer("Filler " + std::to_string(filler));
    const std::map<std::string, int32_t> numbers = OfferDefaults("Redo");
    Load();

    EXPECT_EQ(KeyAssignmentStore::CommandFor(KeyId::F1), 17);
    for (const KeyAssignment& row : theKeyAssignments) {
        const auto offered = numbers.find(row.defaultCommand);
        EXPECT_EQ(KeyAssignmentStore::CommandFor(row.controlId),
                  offered != numbers.end() ? offered->second : kNoCommand)
            << row.valueName;
    }
    EXPECT_FALSE(KeyExists()) << "loading must not create the key";
    for (const int32_t unknownId : {0, -1, 1010, 1011, 1017})
        EXPECT_EQ(KeyAssignmentStore::CommandFor(unknownId), kNoCommand) << unknownId;
}

struct StoredCase {
    const char* name;
    DWORD type;
    std::string bytes;
    const char* assigned; // the command F3 gets; null for its default
};

class StoredNameTest : public UserSettingsTest, public testing::WithParamInterface<StoredCase> {};

const std::string kLongestName(127, 'L');

TEST_P(StoredNameTest, AssignsTheStoredNameOnlyWhenItIsAUsableOfferedName) {
    const int32_t defaultCommand = Offer("Save / Save Session");
    const std::map<std::string, int32_t> numbers = {{"Save All", Offer("Save All")},
                                                    {kLongestName, Offer(kLongestName)}};
    Store("F3", GetParam().type, GetParam().bytes);
    Load();
    EXPECT_EQ(KeyAssignmentStore::CommandFor(KeyId::F3),
              GetParam().assigned != nullptr ? numbers.at(GetParam().assigned) : defaultCommand);
}

INSTANTIATE_TEST_SUITE_P(
    F3, StoredNameTest,
    testing::Values(StoredCase{"offered", REG_SZ, Terminated("Save All"), "Save All"},
                    StoredCase{"offeredWithoutTerminator", REG_SZ, "Save All", "Save All"},
                    StoredCase{"otherCase", REG_SZ, Terminated("SAVE ALL"), nullptr},
                    StoredCase{"notOffered", REG_SZ, Terminated("Gone Command"), nullptr},
                    StoredCase{"empty", REG_SZ, Terminated(""), nullptr},
                    StoredCase{"emptyWithoutTerminator", REG_SZ, "", nullptr},
                    StoredCase{"longestThatFits", REG_SZ, Terminated(kLongestName),
                               kLongestName.c_str()},
                    // Cut to the buffer it would equal the offered 127-character name: it must not.
                    StoredCase{"tooLong", REG_SZ, Terminated(kLongestName + "L"), nullptr},
                    StoredCase{"fullBufferWithoutTerminator", REG_SZ, kLongestName + "L", nullptr},
                    StoredCase{"binary", REG_BINARY, Terminated("Save All"), nullptr},
                    StoredCase{"expandable", REG_EXPAND_SZ, Terminated("Save All"), nullptr},
                    StoredCase{"number", REG_DWORD, std::string("\x01\x00\x00\x00", 4), nullptr}),
    CaseName());

TEST_F(UserSettingsTest, DuplicateNamesResolveToTheLowerNumberAndAreListedTwice) {
    const int32_t first = Offer("Redo");
    Offer("Other");
    Offer("Redo");
    Load();
    EXPECT_EQ(store.FindCommand("Redo"), first);
    EXPECT_EQ(KeyAssignmentStore::CommandFor(KeyId::ShiftF4), first);

    std::map<int32_t, ListState> lists;
    DialogUser user([&](HWND dialog) {
        lists = ReadLists(dialog);
        PressButton(dialog, IDOK);
    });
    Configure();
    EXPECT_EQ(lists[KeyId::ShiftF4].entries, (std::vector<std::string>{"Other", "Redo", "Redo"}));
    EXPECT_EQ(lists[KeyId::ShiftF4].selection, "Redo");
    EXPECT_EQ(Stored("Shift F4"), (StoredValue{REG_SZ, Terminated("Redo")}));
    EXPECT_EQ(KeyAssignmentStore::CommandFor(KeyId::ShiftF4), first);
}

// The list's search ignores case; the key must keep the command spelled as it was assigned
// when the user confirms without touching it.
TEST_F(UserSettingsTest, NamesDifferingOnlyInCaseKeepTheAssignedSpelling) {
    const std::map<std::string, int32_t> numbers = {{"Redo", Offer("Redo")},
                                                    {"REDO", Offer("REDO")}};
    for (const char* assigned : {"Redo", "REDO"}) {
        SCOPED_TRACE(assigned);
        StoreName("Shift F4", assigned);
        std::string preselected;
        DialogUser user([&](HWND dialog) {
            preselected = ReadLists(dialog)[KeyId::ShiftF4].selection;
            PressButton(dialog, IDOK);
        });
        Configure();
        EXPECT_EQ(preselected, assigned);
        EXPECT_EQ(Stored("Shift F4"), (StoredValue{REG_SZ, Terminated(assigned)}));
        EXPECT_EQ(KeyAssignmentStore::CommandFor(KeyId::ShiftF4), numbers.at(assigned));
    }
}

TEST_F(UserSettingsTest, InvalidAndUnterminatedNamesAreNeverFoundButStillLogged) {
    Offer("Save All", false);
    const int32_t mixer = Offer("Mixer panel toggle");
    Offer("Edit: Cut", false);
    const int32_t saveAll = Offer("Save All");
    host.AddRawCommand(std::string(127, 'R')); // fills all 128 bytes, no terminator
    const std::string cut(127, 'R');
    Load();
    EXPECT_EQ(store.FindCommand("Save All"), saveAll);
    EXPECT_EQ(store.FindCommand("Edit: Cut"), kNoCommand);
    EXPECT_EQ(store.FindCommand(cut.c_str()), kNoCommand);

    StoreName("F1", "Edit: Cut");
    StoreName("F2", cut);
    std::map<int32_t, ListState> lists;
    DialogUser user([&](HWND dialog) { lists = ReadLists(dialog); });
    debug.Clear();
    Configure();
    EXPECT_EQ(KeyAssignmentStore::CommandFor(KeyId::F1), mixer);
    EXPECT_EQ(KeyAssignmentStore::CommandFor(KeyId::F2), kNoCommand);
    EXPECT_EQ(lists[KeyId::F1].entries,
              (std::vector<std::string>{"Mixer panel toggle", "Save All"}));
    // Every index is logged once per list, the unusable ones too; the unterminated name is
    // cut to the buffer.
    const std::vector<std::string> writes = debug.Writes();
    EXPECT_EQ(CountOf(writes, "#0: Save All\n"), 15);
    EXPECT_EQ(CountOf(writes, "#2: Edit: Cut\n"), 15);
    EXPECT_EQ(CountOf(writes, "#3: Save All\n"), 15);
    EXPECT_EQ(CountOf(writes, "#4: " + cut + "\n"), 15);
}

TEST_F(UserSettingsTest, WithoutAnEnumeratorNothingIsFoundAndNoDialogShows) {
    OfferDefaults();
    Load();
    const int32_t loadedF1 = KeyAssignmentStore::CommandFor(KeyId::F1);
    ASSERT_NE(loadedF1, kNoCommand);

    DialogUser user([](HWND dialog) { PressButton(dialog, IDOK); });
    ConfigureController(nullptr, nullptr, host.CommandCount(), nullptr);
    KeyAssignmentStore unconfigured;
    unconfigured.SetHostCommands(host.CommandCount(), nullptr);
    EXPECT_EQ(CUserSettingsDlg(unconfigured).DoModal(), 0) << "ends itself before the user sees it";
    EXPECT_EQ(user.Shown(), 0);
    EXPECT_FALSE(KeyExists());
    EXPECT_EQ(KeyAssignmentStore::CommandFor(KeyId::F1), loadedF1);

    EXPECT_EQ(unconfigured.FindCommand("Mixer panel toggle"), kNoCommand);
    unconfigured.Load();
    for (const KeyAssignment& row : theKeyAssignments)
        EXPECT_EQ(KeyAssignmentStore::CommandFor(row.controlId), kNoCommand) << row.valueName;
}

// ---- The dialog ------------------------------------------------------------------------------

TEST_F(UserSettingsTest, ListsOfferTheUsableNamesSortedWithTheAssignmentSelected) {
    Offer("Save All");
    Offer("Mixer panel toggle");
    Offer("Edit: Cut", false);
    Offer("Redo");
    Offer("zoom in");
    host.AddRawCommand("Q");
    Offer("Undo (1)");
    Offer("edit: paste");
    StoreName("F2", "zoom in");

    std::string caption;
    std::map<int32_t, ListState> lists;
    DialogUser user([&](HWND dialog) {
        caption = StandinDialogTemplateOf(dialog)->caption;
        lists = ReadLists(dialog);
    });
    Configure();

    EXPECT_EQ(user.Shown(), 1);
    EXPECT_EQ(caption, "Korvane User Settings");
    const std::vector<std::string> sorted = {"edit: paste", "Mixer panel toggle", "Redo",
                                             "Save All",    "Undo (1)",           "zoom in"};
    const std::map<int32_t, std::string> selected = {{KeyId::F1, "Mixer panel toggle"},
                                                     {KeyId::F2, "zoom in"},
                                                     {KeyId::F4, "Undo (1)"},
                                                     {KeyId::ShiftF3, "Save All"},
                                                     {KeyId::ShiftF4, "Redo"}};
    ASSERT_EQ(lists.size(), kKeyAssignmentCount);
    for (const auto& [listId, list] : lists) {
        EXPECT_EQ(list.entries, sorted) << listId;
        const auto expected = selected.find(listId);
        EXPECT_EQ(list.selection, expected != selected.end() ? expected->second : "") << listId;
    }
}

TEST_F(UserSettingsTest, OkStoresEveryKeysChoiceAsAStringWithItsTerminator) {
    std::map<std::string, int32_t> numbers = OfferDefaults();
    numbers["Edit: Copy"] = Offer("Edit: Copy");
    DialogUser user([](HWND dialog) {
        Pick(dialog, KeyId::F1, "Edit: Copy");
        PressButton(dialog, IDOK);
    });
    Configure();

    for (const KeyAssignment& row : theKeyAssignments) {
        const std::string chosen = row.controlId == KeyId::F1 ? "Edit: Copy" : row.defaultCommand;
        EXPECT_EQ(Stored(row.valueName), (StoredValue{REG_SZ, Terminated(chosen)}))
            << row.valueName;
        EXPECT_EQ(KeyAssignmentStore::CommandFor(row.controlId), numbers[chosen]) << row.valueName;
    }
}

TEST_F(UserSettingsTest, CancelStoresNothingAndKeepsTheLoadedAssignments) {
    std::map<std::string, int32_t> numbers = OfferDefaults();
    numbers["Edit: Copy"] = Offer("Edit: Copy");
    StoreName("F3", "Save All");
    DialogUser user([](HWND dialog) {
        Pick(dialog, KeyId::F1, "Edit: Copy");
        Pick(dialog, KeyId::F3, "Redo");
        PressButton(dialog, IDCANCEL);
    });
    Configure();

    EXPECT_EQ(user.Shown(), 1);
    EXPECT_EQ(Stored("F1"), std::nullopt);
    EXPECT_EQ(Stored("F3"), (StoredValue{REG_SZ, Terminated("Save All")}));
    EXPECT_EQ(KeyAssignmentStore::CommandFor(KeyId::F1), numbers["Mixer panel toggle"]);
    EXPECT_EQ(KeyAssignmentStore::CommandFor(KeyId::F3), numbers["Save All"]);
}

// Neither F3's stored command nor its default is offered, so nothing is preselected; F1's
// text was typed and names no entry. Both keep what was stored and what was loaded.
TEST_F(UserSettingsTest, OkKeepsTheStoredNameOfAListWithoutASelection) {
    std::map<std::string, int32_t> numbers = OfferDefaults("Save / Save Session");
    numbers["Edit: Copy"] = Offer("Edit: Copy");
    StoreName("F1", "Edit: Copy");
    StoreName("F3", "Gone Command");
    DialogUser user([](HWND dialog) {
        EXPECT_TRUE(StandinDialogType(dialog, KeyId::F1, "Edit: Cop"));
        PressButton(dialog, IDOK);
    });
    Configure();

    EXPECT_EQ(Stored("F1"), (StoredValue{REG_SZ, Terminated("Edit: Copy")}));
    EXPECT_EQ(Stored("F3"), (StoredValue{REG_SZ, Terminated("Gone Command")}));
    EXPECT_EQ(KeyAssignmentStore::CommandFor(KeyId::F1), numbers["Edit: Copy"]);
    EXPECT_EQ(KeyAssignmentStore::CommandFor(KeyId::F3), kNoCommand);
    EXPECT_EQ(Stored("F2"), (StoredValue{REG_SZ, Terminated("Multitrack / Edit View toggle")}));
}

TEST_F(UserSettingsTest, OkWithoutAWritableKeyClosesAndKeepsTheLoadedAssignments) {
    StandinRegistryUseFile("/proc/korvane-unwritable/registry");
    std::map<std::string, int32_t> numbers = OfferDefaults();
    numbers["Edit: Copy"] = Offer("Edit: Copy");
    Load();
    DialogUser user([](HWND dialog) {
        Pick(dialog, KeyId::F1, "Edit: Copy");
        PressButton(dialog, IDOK);
    });
    EXPECT_EQ(CUserSettingsDlg(store).DoModal(), IDOK);
    StandinRegistryUseMemory();

    EXPECT_EQ(KeyAssignmentStore::CommandFor(KeyId::F1), numbers["Mixer panel toggle"]);
    EXPECT_NE(debug.Text().find("could not be saved"), std::string::npos);
}

// ---- With an open controller -----------------------------------------------------------------

using OpenControllerSettingsTest = ControllerFixture;

TEST_F(OpenControllerSettingsTest, AConfirmedAssignmentActsOnTheKeyAtOnce) {
    DialogUser user([](HWND dialog) {
        Pick(dialog, KeyId::F1, "Edit: Paste");
        PressButton(dialog, IDOK);
    });
    const HostCallbackTable table = host.Table();
    ConfigureController(nullptr, nullptr, table.CommandCount, table.EnumCommand);
    ClearRecords();

    Click(Note::F1);
    const int32_t paste = CommandIndex("Edit: Paste");
    EXPECT_EQ(HostCommands(), (std::vector<HostCall>{CommandCall(paste, kCommandKeyDown),
                                                     CommandCall(paste, kCommandKeyUp)}));
}

} // namespace
