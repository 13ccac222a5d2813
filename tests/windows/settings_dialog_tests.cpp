// The settings dialog on the real Windows API (under Wine with an X display): the Host calls
// ConfigureController, which shows the dialog modally on the Host's thread; a second thread
// plays the user: it finds the window, reads the fifteen lists, chooses another command in one
// and presses OK or Cancel. What the dialog stored is read back from the registry.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "host_session.h"
#include "loaded_module.h"
#include "support/debug_capture.h"
#include "support/recording_host.h"

namespace {

// The class of every dialog window.
constexpr char kDialogClass[] = "#32770";
constexpr DWORD kPollMs = 20;
constexpr size_t kTextSize = 256;

// A key's list and its registry value, with the command the key starts with in these tests.
struct KeyList {
    int id;
    const char* valueName;
    const char* initial;
};

// The stored settings the tests start from: F3 holds a command the Host offers, Shift F1 one
// it no longer offers (so the key falls back to its default).
constexpr char kStoredF3[] = "Save All";
constexpr char kNotOffered[] = "Retired: Gone Command";

const KeyList kKeyLists[] = {
    {1000, "F1", "Mixer panel toggle"},
    {1001, "Shift F1", "Insert: Audio Track"},
    {1002, "F2", "Multitrack / Edit View toggle"},
    {1003, "Shift F2", "Insert: MIDI Track"},
    {1004, "F3", kStoredF3},
    {1005, "Shift F3", "Save All"},
    {1006, "F4", "Undo (1)"},
    {1007, "Shift F4", "Redo"},
    {1008, "Shift Trk<", "Selection Anchor Left when playing"},
    {1009, "Shift Trk>", "Selection Anchor Right when playing"},
    {1012, "Shift Rewind", "Move Cursor to Beginning"},
    {1013, "Shift FForward", "Move Cursor to End"},
    {1014, "Shift Play", "Metronome On/Off toggle"},
    {1015, "Shift Record", "Monitor Record Level toggle"},
    {1016, "Footswitch", "Record/Stop toggle"},
};

// The list the user changes, and to what.
constexpr int kChangedList = 1003;
constexpr char kChosenCommand[] = "Edit: Paste";

// What the user saw in one list.
struct ListState {
    std::vector<std::string> items;
    std::string selected; // empty when nothing is selected
};

// What the user saw and did; the test checks it after the dialog has closed.
struct Observation {
    bool found = false;
    std::string windowClass;
    std::vector<ListState> lists; // in the order of kKeyLists
    std::vector<std::string> cutLabels;
    bool changed = false; // the chosen command became the list's selection
    std::string screenshotError;
};

std::string ItemText(HWND dialog, int listId, LRESULT index) {
    const LRESULT length =
        SendDlgItemMessageA(dialog, listId, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR || length < 0 || static_cast<size_t>(length) >= kTextSize)
        return "<unreadable>";
    char text[kTextSize] = {};
    SendDlgItemMessageA(dialog, listId, CB_GETLBTEXT, static_cast<WPARAM>(index),
                        reinterpret_cast<LPARAM>(text));
    return text;
}

ListState ReadList(HWND dialog, int listId) {
    ListState state;
    const LRESULT count = SendDlgItemMessageA(dialog, listId, CB_GETCOUNT, 0, 0);
    for (LRESULT index = 0; index < count; ++index)
        state.items.push_back(ItemText(dialog, listId, index));
    const LRESULT selected = SendDlgItemMessageA(dialog, listId, CB_GETCURSEL, 0, 0);
    if (selected != CB_ERR)
        state.selected = ItemText(dialog, listId, selected);
    return state;
}

// A Unix path as this program names it: Wine's drive Z: is the Unix root.
std::string WindowsPath(const std::string& unixPath) {
    return "Z:" + unixPath;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Under Wine a Windows program can start the X tools; the picture is the dialog's part of the
// screen. Wine neither waits for a Unix process nor reports its
// status, so the picture is written under a temporary name and renamed when complete, and
// this waits for the rename. Empty when the picture was taken.
std::string TakeScreenshot(HWND dialog, const std::string& path) {
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    // Returns once the dialog's thread has painted everything that was pending.
    SendMessageA(dialog, WM_NULL, 0, 0);
    DeleteFileA(WindowsPath(path).c_str());
    RECT frame = {};
    GetWindowRect(dialog, &frame);
    const std::string crop = std::to_string(frame.right - frame.left) + "x" +
                             std::to_string(frame.bottom - frame.top) + "+" +
                             std::to_string(frame.left) + "+" + std::to_string(frame.top);
    const std::string partial = path + ".partial.png";
    std::string command = "/bin/sh -c \"/usr/bin/import -window root -crop " + crop + " +repage '" +
                          partial + "' && mv '" + partial + "' '" + path + "'\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return "cannot start " + command + ": error " + std::to_string(GetLastError());
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    const DWORD start = GetTickCount();
    while (!FileExists(WindowsPath(path))) {
        if (GetTickCount() - start >= kDialogWaitMs)
            return command + " wrote no picture";
        Sleep(kPollMs);
    }
    return "";
}

// Whether the text of every static label fits its width in the dialog's font: a label that
// does not fit is cut or wrapped out of sight.
std::vector<std::string> LabelsThatDoNotFit(HWND dialog) {
    std::vector<std::string> cut;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        char windowClass[kTextSize] = {};
        GetClassNameA(child, windowClass, sizeof windowClass);
        if (lstrcmpiA(windowClass, "Static") != 0)
            continue;
        char text[kTextSize] = {};
        const int length = GetWindowTextA(child, text, sizeof text);
        RECT area = {};
        GetClientRect(child, &area);
        HDC context = GetDC(child);
        const auto font = reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0));
        HGDIOBJ previous = SelectObject(context, font);
        SIZE extent = {};
        GetTextExtentPoint32A(context, text, length, &extent);
        SelectObject(context, previous);
        ReleaseDC(child, context);
        if (extent.cx > area.right - area.left)
            cut.push_back(text);
    }
    return cut;
}

// Plays the user in front of the dialog and ends by pressing `button`, so that the dialog
// closes whatever the user saw.
Observation PlayTheUser(int button, const char* screenshotPath) {
    Observation seen;
    HWND dialog = WaitForWindow(kSettingsDialogTitle, kDialogWaitMs);
    if (dialog == nullptr)
        return seen;
    seen.found = true;
    char windowClass[kTextSize] = {};
    GetClassNameA(dialog, windowClass, sizeof windowClass);
    seen.windowClass = windowClass;
    for (const KeyList& key : kKeyLists)
        seen.lists.push_back(ReadList(dialog, key.id));
    seen.cutLabels = LabelsThatDoNotFit(dialog);
    if (screenshotPath != nullptr)
        seen.screenshotError = TakeScreenshot(dialog, screenshotPath);
    const LRESULT chosen =
        SendDlgItemMessageA(dialog, kChangedList, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                            reinterpret_cast<LPARAM>(kChosenCommand));
    if (chosen != CB_ERR)
        SendDlgItemMessageA(dialog, kChangedList, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
    seen.changed = ReadList(dialog, kChangedList).selected == kChosenCommand;
    // A click: the button tells the dialog through WM_COMMAND, on the dialog's own thread.
    PostMessageA(GetDlgItem(dialog, button), BM_CLICK, 0, 0);
    return seen;
}

// The names a list offers: the Host's valid commands, in the platform's sorted order (no two
// names here differ only where platforms might collate differently).
std::vector<std::string> SortedValidCommands() {
    std::vector<std::string> names;
    for (const std::string& name : StandardCommandNames())
        if (name != kInvalidHostCommand)
            names.push_back(name);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                            [](char x, char y) {
                                                return std::tolower(static_cast<unsigned char>(x)) <
                                                       std::tolower(static_cast<unsigned char>(y));
                                            });
    });
    return names;
}

class SettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("DISPLAY"), nullptr)
            << "the dialog needs an X display: run the tests with tools/run-windows-tests.sh";
        ASSERT_TRUE(plugin.Complete()) << "Korvane.cv2 did not load: " << GetLastError();
        OfferHostCommands(host);
        ClearStoredSettings();
        ASSERT_TRUE(StoreSetting("F3", kStoredF3));
        ASSERT_TRUE(StoreSetting("Shift F1", kNotOffered));
    }
    void TearDown() override { ClearStoredSettings(); }

    // Shows the dialog as the Host does, with the user pressing `button` on another thread.
    Observation Configure(int button, const char* screenshotPath = nullptr) {
        Observation seen;
        std::thread user([&] { seen = PlayTheUser(button, screenshotPath); });
        plugin.Configure(nullptr, nullptr, host.CommandCount(), &RecordingHost::EnumCommand);
        user.join();
        return seen;
    }

    // Every list offers the same sorted commands and preselects its key's command.
    static void ExpectListsAsLoaded(const Observation& seen) {
        ASSERT_TRUE(seen.found) << "no window \"" << kSettingsDialogTitle << "\" appeared";
        EXPECT_EQ(seen.windowClass, kDialogClass);
        ASSERT_EQ(seen.lists.size(), std::size(kKeyLists));
        const std::vector<std::string> offered = SortedValidCommands();
        for (size_t row = 0; row < seen.lists.size(); ++row) {
            EXPECT_EQ(seen.lists[row].items, offered) << "list " << kKeyLists[row].id;
            EXPECT_EQ(seen.lists[row].selected, kKeyLists[row].initial)
                << "list " << kKeyLists[row].id;
        }
        EXPECT_EQ(seen.cutLabels, std::vector<std::string>{});
        EXPECT_TRUE(seen.changed);
    }

    LoadedModule plugin;
    RecordingHost host;
    DebugCapture debug;
};

TEST_F(SettingsDialogTest, OkStoresEveryKeysChosenCommand) {
    const char* screenshot = std::getenv("KORVANE_SCREENSHOT");
    const Observation seen = Configure(IDOK, screenshot);
    ExpectListsAsLoaded(seen);
    EXPECT_EQ(seen.screenshotError, "");
    for (const KeyList& key : kKeyLists) {
        const std::string expected = key.id == kChangedList ? kChosenCommand : key.initial;
        EXPECT_EQ(StoredSetting(key.valueName), expected) << key.valueName;
    }
    // One debugger line per Host command for each of the fifteen lists, invalid ones included.
    std::vector<std::string> lines = debug.Writes();
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [](const std::string& line) { return line.rfind('#', 0) != 0; }),
                lines.end());
    ASSERT_EQ(lines.size(), std::size(kKeyLists) * StandardCommandNames().size());
    EXPECT_EQ(lines.front(), "#0: " + StandardCommandNames().front() + "\n");
    EXPECT_EQ(lines.back(), "#" + std::to_string(StandardCommandNames().size() - 1) + ": " +
                                StandardCommandNames().back() + "\n");
}

TEST_F(SettingsDialogTest, CancelStoresNothing) {
    const Observation seen = Configure(IDCANCEL);
    ExpectListsAsLoaded(seen);
    for (const KeyList& key : kKeyLists) {
        std::optional<std::string> expected;
        if (std::string(key.valueName) == "F3")
            expected = kStoredF3;
        else if (std::string(key.valueName) == "Shift F1")
            expected = kNotOffered;
        EXPECT_EQ(StoredSetting(key.valueName), expected) << key.valueName;
    }
}

} // namespace
