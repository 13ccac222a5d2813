#include "settings_dialog.h"

#include <cctype>

#include "platform/standin/dialog_user.h"

namespace sim {

namespace {

constexpr int kEntryBufferSize = 256;

bool SameText(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool IsClass(const StandinDialogControl& control, const char* name) {
    return control.windowClass != nullptr && SameText(control.windowClass, name);
}

} // namespace

std::vector<KeyList> KeyListsOf(HWND dialog) {
    std::vector<KeyList> lists;
    const StandinDialogTemplate* layout = StandinDialogTemplateOf(dialog);
    if (layout == nullptr)
        return lists;
    std::string label;
    for (int i = 0; i < layout->controlCount; ++i) {
        const StandinDialogControl& control = layout->controls[i];
        if (IsClass(control, "STATIC"))
            label = control.text != nullptr ? control.text : "";
        else if (IsClass(control, "COMBOBOX"))
            lists.push_back({label, control.id});
    }
    return lists;
}

std::vector<std::string> EntriesOf(HWND dialog, int id) {
    std::vector<std::string> entries;
    const LRESULT count = SendDlgItemMessageA(dialog, id, CB_GETCOUNT, 0, 0);
    for (LRESULT index = 0; index < count; ++index) {
        const LRESULT length =
            SendDlgItemMessageA(dialog, id, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
        if (length < 0 || length >= kEntryBufferSize) {
            entries.emplace_back();
            continue;
        }
        char text[kEntryBufferSize] = {};
        SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, static_cast<WPARAM>(index),
                            reinterpret_cast<LPARAM>(text));
        entries.emplace_back(text);
    }
    return entries;
}

int SelectionOf(HWND dialog, int id) {
    return static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0));
}

std::string CaptionOf(HWND dialog) {
    const StandinDialogTemplate* layout = StandinDialogTemplateOf(dialog);
    return layout != nullptr && layout->caption != nullptr ? layout->caption : "";
}

const KeyList* FindKeyList(const std::vector<KeyList>& lists, const std::string& label) {
    for (const KeyList& list : lists)
        if (SameText(list.label, label))
            return &list;
    return nullptr;
}

} // namespace sim
