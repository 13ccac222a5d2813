// The stand-in's headless dialogs: drop-down lists that answer CB_* messages as Windows' do,
// the user who picks, types and presses, and the settings template the module registers.
#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "controls/modal_dialog.h"
#include "platform/standin/dialog_user.h"

namespace {

constexpr int kSortedList = 10;
constexpr int kPlainList = 11;
constexpr int kFixedList = 12; // a drop-down list without an edit field
constexpr int kLabel = 13;
constexpr int kTemplateId = 4242;

const StandinDialogControl kControls[] = {
    {"COMBOBOX", "", kSortedList, 0, 0, 100, 50,
     static_cast<DWORD>(WS_CHILD | CBS_DROPDOWN | CBS_SORT | WS_TABSTOP)},
    {"COMBOBOX", "", kPlainList, 0, 20, 100, 50, static_cast<DWORD>(WS_CHILD | CBS_DROPDOWN)},
    {"ComboBox", "", kFixedList, 0, 40, 100, 50, static_cast<DWORD>(WS_CHILD | CBS_DROPDOWNLIST)},
    {"STATIC", "label", kLabel, 0, 60, 40, 8, static_cast<DWORD>(WS_CHILD)},
    {"BUTTON", "OK", IDOK, 0, 80, 50, 14, static_cast<DWORD>(WS_CHILD | BS_DEFPUSHBUTTON)},
    {"BUTTON", "Cancel", IDCANCEL, 60, 80, 50, 14, static_cast<DWORD>(WS_CHILD)},
};

// A dialog procedure that records the commands it receives and ends on OK and Cancel.
struct Procedure {
    static INT_PTR CALLBACK Run(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITDIALOG) {
            SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
            return TRUE;
        }
        auto* self = reinterpret_cast<Procedure*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
        if (message != WM_COMMAND || self == nullptr)
            return FALSE;
        self->commands.push_back(wParam);
        const WORD id = LOWORD(wParam);
        if (id == IDOK || id == IDCANCEL)
            EndDialog(dialog, id);
        return TRUE;
    }
    std::vector<WPARAM> commands;
};

class DialogsTest : public testing::Test {
protected:
    // The stand-in keeps a copy: this template ends with SetUp.
    void SetUp() override {
        const StandinDialogTemplate layout = {"Test",    "MS Sans Serif",
                                              8,         200,
                                              100,       0,
                                              kControls, static_cast<int>(std::size(kControls))};
        StandinRegisterDialogTemplate(ModuleInstance(), kTemplateId, &layout);
    }
    void TearDown() override { StandinSetDialogUser(nullptr, nullptr); }

    // Shows the test dialog with `user` in front of it; returns the dialog's result.
    INT_PTR Show(std::function<void(HWND)> user) {
        act = std::move(user);
        StandinSetDialogUser(
            [](HWND dialog, void* context) { static_cast<DialogsTest*>(context)->act(dialog); },
            this);
        return DialogBoxParamA(ModuleInstance(), MAKEINTRESOURCEA(kTemplateId), nullptr,
                               &Procedure::Run, reinterpret_cast<LPARAM>(&procedure));
    }

    std::function<void(HWND)> act;
    Procedure procedure;
};

LRESULT Send(HWND dialog, int id, UINT message, WPARAM wParam = 0, const char* text = nullptr) {
    return SendDlgItemMessageA(dialog, id, message, wParam, reinterpret_cast<LPARAM>(text));
}

std::string Entry(HWND dialog, int id, LRESULT index) {
    const LRESULT length = Send(dialog, id, CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
    if (length == CB_ERR)
        return "<CB_ERR>";
    std::string text(static_cast<size_t>(length) + 1, '\0');
    EXPECT_EQ(SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                  reinterpret_cast<LPARAM>(text.data())),
              length);
    text.resize(static_cast<size_t>(length));
    return text;
}

std::vector<std::string> Entries(HWND dialog, int id) {
    std::vector<std::string> entries;
    const LRESULT count = Send(dialog, id, CB_GETCOUNT);
    for (LRESULT i = 0; i < count; ++i)
        entries.push_back(Entry(dialog, id, i));
    return entries;
}

std::string WindowText(HWND dialog, int id) {
    char text[64] = {};
    SendDlgItemMessageA(dialog, id, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

TEST_F(DialogsTest, SortedListsInsertIgnoringCaseAndOthersAppend) {
    std::vector<LRESULT> sortedAt;
    std::vector<std::string> sorted;
    std::vector<std::string> plain;
    Show([&](HWND dialog) {
        for (const char* name : {"beta", "Alpha", "gamma", "alpha2", "Delta"}) {
            sortedAt.push_back(Send(dialog, kSortedList, CB_ADDSTRING, 0, name));
            Send(dialog, kPlainList, CB_ADDSTRING, 0, name);
        }
        sorted = Entries(dialog, kSortedList);
        plain = Entries(dialog, kPlainList);
    });
    // Sorted by character codes, "Delta" would come before "alpha2".
    EXPECT_EQ(sorted, (std::vector<std::string>{"Alpha", "alpha2", "beta", "Delta", "gamma"}));
    EXPECT_EQ(sortedAt, (std::vector<LRESULT>{0, 0, 2, 1, 3}));
    EXPECT_EQ(plain, (std::vector<std::string>{"beta", "Alpha", "gamma", "alpha2", "Delta"}));
}

TEST_F(DialogsTest, FindStringExactIgnoresCaseMatchesWholeEntriesAndWraps) {
    struct Search {
        WPARAM start;
        const char* text;
        LRESULT found;
    };
    // Entries: 0 "Cut", 1 "Paste", 2 "cut", 3 "Cut All".
    const std::vector<Search> searches = {
        {static_cast<WPARAM>(-1), "CUT", 0}, // the whole list from the top
        {0, "cut", 2},                       // starts after the given entry
        {2, "Cut", 0},                       // wraps round to the top
        {1, "paste", 1},                     // and back to the start entry itself
        {99, "cut", 0},                      // a start past the end searches from the top
        {static_cast<WPARAM>(-1), "Cu", CB_ERR},
        {static_cast<WPARAM>(-1), "Cut All ", CB_ERR},
        {static_cast<WPARAM>(-1), "", CB_ERR},
    };
    std::vector<LRESULT> found;
    LRESULT inEmptyList = 0;
    Show([&](HWND dialog) {
        inEmptyList = Send(dialog, kPlainList, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), "Cut");
        for (const char* name : {"Cut", "Paste", "cut", "Cut All"})
            Send(dialog, kPlainList, CB_ADDSTRING, 0, name);
        for (const Search& search : searches)
            found.push_back(
                Send(dialog, kPlainList, CB_FINDSTRINGEXACT, search.start, search.text));
    });
    EXPECT_EQ(inEmptyList, CB_ERR);
    ASSERT_EQ(found.size(), searches.size());
    for (size_t i = 0; i < searches.size(); ++i)
        EXPECT_EQ(found[i], searches[i].found)
            << "from " << static_cast<intptr_t>(searches[i].start) << " for " << searches[i].text;
}

TEST_F(DialogsTest, SelectionAndEntryTextAnswerCbErrOutsideTheList) {
    struct Answers {
        LRESULT initialSelection, setValid, selectionAfterSet, selectionAfterInsert;
        std::string textAfterSet;
        LRESULT setPastEnd, selectionAfterClear, lengthOfOne, lengthPastEnd, lengthOfMinusOne,
            textPastEnd;
        std::string textAfterClear;
    } answers{};
    Show([&](HWND dialog) {
        Send(dialog, kSortedList, CB_ADDSTRING, 0, "one");
        Send(dialog, kSortedList, CB_ADDSTRING, 0, "two");
        answers.initialSelection = Send(dialog, kSortedList, CB_GETCURSEL);
        answers.setValid = Send(dialog, kSortedList, CB_SETCURSEL, 1);
        answers.selectionAfterSet = Send(dialog, kSortedList, CB_GETCURSEL);
        answers.textAfterSet = WindowText(dialog, kSortedList);
        // An entry sorted in before the selection moves the selection with its entry.
        Send(dialog, kSortedList, CB_ADDSTRING, 0, "a first");
        answers.selectionAfterInsert = Send(dialog, kSortedList, CB_GETCURSEL);
        answers.lengthOfOne = Send(dialog, kSortedList, CB_GETLBTEXTLEN, 1);
        answers.lengthPastEnd = Send(dialog, kSortedList, CB_GETLBTEXTLEN, 3);
        answers.lengthOfMinusOne =
            Send(dialog, kSortedList, CB_GETLBTEXTLEN, static_cast<WPARAM>(-1));
        char text[16] = "untouched";
        answers.textPastEnd = SendDlgItemMessageA(dialog, kSortedList, CB_GETLBTEXT, 3,
                                                  reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ(text, "untouched");
        answers.setPastEnd = Send(dialog, kSortedList, CB_SETCURSEL, 3);
        answers.selectionAfterClear = Send(dialog, kSortedList, CB_GETCURSEL);
        answers.textAfterClear = WindowText(dialog, kSortedList);
    });
    EXPECT_EQ(answers.initialSelection, CB_ERR);
    EXPECT_EQ(answers.setValid, 1);
    EXPECT_EQ(answers.selectionAfterSet, 1);
    EXPECT_EQ(answers.textAfterSet, "two");
    EXPECT_EQ(answers.selectionAfterInsert, 2);
    EXPECT_EQ(answers.lengthOfOne, 3);
    EXPECT_EQ(answers.lengthPastEnd, CB_ERR);
    EXPECT_EQ(answers.lengthOfMinusOne, CB_ERR);
    EXPECT_EQ(answers.textPastEnd, CB_ERR);
    EXPECT_EQ(answers.setPastEnd, CB_ERR);
    EXPECT_EQ(answers.selectionAfterClear, CB_ERR);
    EXPECT_EQ(answers.textAfterClear, "");
}

TEST_F(DialogsTest, TheUserPicksTypesAndPressesThroughTheDialogsMessages) {
    LRESULT selectedAfterPick = 0;
    LRESULT selectedAfterTyping = 0;
    std::string typed;
    BOOL typedIntoFixedList = TRUE;
    BOOL pickedPastEnd = TRUE;
    BOOL pressedLabel = TRUE;
    BOOL pressedAfterEnd = TRUE;
    const INT_PTR result = Show([&](HWND dialog) {
        Send(dialog, kSortedList, CB_ADDSTRING, 0, "Copy");
        Send(dialog, kSortedList, CB_ADDSTRING, 0, "Paste");
        pickedPastEnd = StandinDialogSelect(dialog, kSortedList, 2);
        EXPECT_TRUE(StandinDialogSelect(dialog, kSortedList, 1));
        selectedAfterPick = Send(dialog, kSortedList, CB_GETCURSEL);
        // Typed text clears the selection, even when it spells an entry.
        EXPECT_TRUE(StandinDialogType(dialog, kSortedList, "Copy"));
        selectedAfterTyping = Send(dialog, kSortedList, CB_GETCURSEL);
        typed = WindowText(dialog, kSortedList);
        typedIntoFixedList = StandinDialogType(dialog, kFixedList, "x");
        pressedLabel = StandinDialogPress(dialog, kLabel);
        EXPECT_TRUE(StandinDialogPress(dialog, IDOK));
        EXPECT_TRUE(StandinDialogHasEnded(dialog));
        pressedAfterEnd = StandinDialogPress(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_FALSE(pickedPastEnd);
    EXPECT_EQ(selectedAfterPick, 1);
    EXPECT_EQ(selectedAfterTyping, CB_ERR);
    EXPECT_EQ(typed, "Copy");
    EXPECT_FALSE(typedIntoFixedList);
    EXPECT_FALSE(pressedLabel);
    EXPECT_FALSE(pressedAfterEnd);
    EXPECT_EQ(procedure.commands, (std::vector<WPARAM>{MAKEWPARAM(kSortedList, CBN_SELCHANGE),
                                                       MAKEWPARAM(kSortedList, CBN_EDITCHANGE),
                                                       MAKEWPARAM(IDOK, BN_CLICKED)}));
}

TEST_F(DialogsTest, ADialogLeftOpenOrWithoutAUserClosesAsCancelled) {
    EXPECT_EQ(Show([](HWND) {}), IDCANCEL);
    StandinSetDialogUser(nullptr, nullptr);
    EXPECT_EQ(DialogBoxParamA(ModuleInstance(), MAKEINTRESOURCEA(kTemplateId), nullptr,
                              &Procedure::Run, reinterpret_cast<LPARAM>(&procedure)),
              IDCANCEL);
    EXPECT_EQ(procedure.commands, (std::vector<WPARAM>(2, MAKEWPARAM(IDCANCEL, BN_CLICKED))));
}

TEST_F(DialogsTest, AnUnknownTemplateIsNotShown) {
    EXPECT_EQ(DialogBoxParamA(ModuleInstance(), MAKEINTRESOURCEA(kTemplateId + 1), nullptr,
                              &Procedure::Run, 0),
              -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

// ---- The settings template the module registers ----------------------------------------------

// The bits of a button's style that give its kind (Windows' kButtonKindMask).
constexpr DWORD kButtonKindMask = 0x0F;

struct ExpectedControl {
    const char* windowClass;
    const char* text;
    int id; // -1 for a label
    short x, y, width, height;
};

void ExpectControl(const StandinDialogControl& control, const ExpectedControl& expected) {
    SCOPED_TRACE(std::string(expected.windowClass) + " " + expected.text + " " +
                 std::to_string(expected.id));
    EXPECT_STREQ(control.windowClass, expected.windowClass);
    EXPECT_STREQ(control.text, expected.text);
    EXPECT_EQ(control.id, expected.id);
    EXPECT_EQ(control.x, expected.x);
    EXPECT_EQ(control.y, expected.y);
    EXPECT_EQ(control.width, expected.width);
    EXPECT_EQ(control.height, expected.height);
}

TEST(SettingsTemplate, HasTheFifteenListsOkAndCancelAtTheirPlaces) {
    const StandinDialogTemplate* layout = StandinFindDialogTemplate(ModuleInstance(), 1000);
    ASSERT_NE(layout, nullptr);
    EXPECT_STREQ(layout->caption, "Korvane User Settings");
    EXPECT_STREQ(layout->fontName, "MS Sans Serif");
    EXPECT_EQ(layout->fontPoints, 8);
    EXPECT_EQ(layout->width, 377);
    EXPECT_EQ(layout->height, 258);
    EXPECT_EQ(layout->style & (DS_MODALFRAME | WS_CAPTION | WS_SYSMENU),
              static_cast<DWORD>(DS_MODALFRAME | WS_CAPTION | WS_SYSMENU));

    struct KeyList {
        int id;
        short x, y;
        const char* label;
        short labelX, labelY;
    };
    const KeyList keyLists[] = {
        {1000, 6, 15, "F1", 10, 7},
        {1001, 197, 15, "Shift-F1", 201, 7},
        {1002, 6, 43, "F2", 10, 35},
        {1003, 197, 43, "Shift-F2", 201, 35},
        {1004, 6, 71, "F3", 10, 63},
        {1005, 197, 71, "Shift-F3", 201, 63},
        {1006, 6, 99, "F4", 10, 91},
        {1007, 197, 99, "Shift-F4", 201, 91},
        {1008, 6, 127, "Shift-Trk<", 10, 119},
        {1009, 197, 127, "Shift-Trk>", 201, 119},
        {1012, 6, 154, "Shift-Rewind", 10, 146},
        {1013, 197, 154, "Shift-FFoward", 201, 146},
        {1014, 6, 182, "Shift-Play", 10, 174},
        {1015, 197, 182, "Shift-Record", 201, 174},
        {1016, 103, 209, "Footswitch", 64, 211},
    };
    const DWORD listStyle = CBS_DROPDOWN | CBS_SORT | WS_VSCROLL | WS_TABSTOP;
    std::vector<const StandinDialogControl*> lists;
    std::vector<const StandinDialogControl*> labels;
    const StandinDialogControl* ok = nullptr;
    const StandinDialogControl* cancel = nullptr;
    for (int i = 0; i < layout->controlCount; ++i) {
        const StandinDialogControl& control = layout->controls[i];
        const std::string windowClass = control.windowClass;
        if (windowClass == "COMBOBOX")
            lists.push_back(&control);
        else if (windowClass == "STATIC")
            labels.push_back(&control);
        else if (control.id == IDOK)
            ok = &control;
        else if (control.id == IDCANCEL)
            cancel = &control;
    }
    // Every key's list in tab order, with its label; the version label last.
    ASSERT_EQ(lists.size(), std::size(keyLists));
    ASSERT_EQ(labels.size(), std::size(keyLists) + 1);
    for (size_t i = 0; i < std::size(keyLists); ++i) {
        const KeyList& key = keyLists[i];
        ExpectControl(*lists[i], {"COMBOBOX", "", key.id, key.x, key.y, 173, 78});
        EXPECT_EQ(lists[i]->style & listStyle, listStyle) << key.id;
        EXPECT_EQ(lists[i]->style & CBS_DROPDOWNLIST, static_cast<DWORD>(CBS_DROPDOWN)) << key.id;
        EXPECT_EQ(labels[i]->x, key.labelX) << key.label;
        EXPECT_EQ(labels[i]->y, key.labelY) << key.label;
        EXPECT_STREQ(labels[i]->text, key.label);
    }
    const StandinDialogControl& version = *labels.back();
    EXPECT_EQ(std::string(version.text).rfind("v1.0.0    ", 0), 0u) << version.text;
    EXPECT_GT(std::string(version.text).size(), std::string("v1.0.0    ").size());
    ExpectControl(version, {"STATIC", version.text, -1, 10, 243, 104, 8});

    ASSERT_NE(ok, nullptr);
    ASSERT_NE(cancel, nullptr);
    ExpectControl(*ok, {"BUTTON", "OK", IDOK, 254, 237, 50, 14});
    ExpectControl(*cancel, {"BUTTON", "Cancel", IDCANCEL, 320, 237, 50, 14});
    EXPECT_EQ(ok->style & kButtonKindMask, static_cast<DWORD>(BS_DEFPUSHBUTTON));
    EXPECT_EQ(cancel->style & kButtonKindMask, static_cast<DWORD>(BS_PUSHBUTTON));
}

} // namespace
