// Modal dialogs without a screen: the templates that modules register, DialogBoxParamA with
// its dialog procedure, the controls' messages (drop-down lists with Windows' semantics) and
// the far-side user who reads, picks, types and presses.
#include "dialog_user.h"
#include "internal.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace {

// ---- Templates -------------------------------------------------------------------------------

// A deep copy of a registered template, with a view whose pointers lead into the copy.
class StoredTemplate {
public:
    explicit StoredTemplate(const StandinDialogTemplate& source)
        : caption(Text(source.caption)), fontName(Text(source.fontName)) {
        const size_t count = source.controls != nullptr && source.controlCount > 0
                                 ? static_cast<size_t>(source.controlCount)
                                 : 0;
        // Reserved up front: the view's pointers must not move.
        classes.reserve(count);
        texts.reserve(count);
        for (size_t i = 0; i < count; ++i) {
            const StandinDialogControl& control = source.controls[i];
            classes.push_back(Text(control.windowClass));
            texts.push_back(Text(control.text));
            StandinDialogControl copy = control;
            copy.windowClass = classes.back().c_str();
            copy.text = texts.back().c_str();
            controls.push_back(copy);
        }
        view = source;
        view.caption = caption.c_str();
        view.fontName = fontName.c_str();
        view.controls = controls.data();
        view.controlCount = static_cast<int>(controls.size());
    }
    StoredTemplate(const StoredTemplate&) = delete;
    StoredTemplate& operator=(const StoredTemplate&) = delete;

    const StandinDialogTemplate& View() const { return view; }

private:
    static std::string Text(const char* text) { return text != nullptr ? text : ""; }

    std::string caption;
    std::string fontName;
    std::vector<std::string> classes;
    std::vector<std::string> texts;
    std::vector<StandinDialogControl> controls;
    StandinDialogTemplate view{};
};

std::mutex dialogsLock; // guards the templates and the user

std::map<std::pair<HMODULE, int>, std::shared_ptr<const StoredTemplate>>& Templates() {
    static std::map<std::pair<HMODULE, int>, std::shared_ptr<const StoredTemplate>> templates;
    return templates;
}

std::shared_ptr<const StoredTemplate> FindTemplate(HMODULE module, int id) {
    std::lock_guard<std::mutex> guard(dialogsLock);
    auto found = Templates().find({module, id});
    return found != Templates().end() ? found->second : nullptr;
}

StandinDialogUser dialogUser = nullptr;
void* dialogUserContext = nullptr;

// ---- Text comparison -------------------------------------------------------------------------

// The byte with an ASCII capital letter made small, whatever the process's locale.
int AsciiLower(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'A' && byte <= 'Z' ? byte - 'A' + 'a' : byte;
}

// Lists compare their entries without regard to case, as Windows' list boxes do. Windows
// compares linguistically; here letters compare by their lower-case ASCII codes.
int CompareIgnoringCase(const std::string& left, const std::string& right) {
    const size_t length = std::min(left.size(), right.size());
    for (size_t i = 0; i < length; ++i) {
        const int a = AsciiLower(left[i]);
        const int b = AsciiLower(right[i]);
        if (a != b)
            return a < b ? -1 : 1;
    }
    if (left.size() == right.size())
        return 0;
    return left.size() < right.size() ? -1 : 1;
}

bool SameClass(const std::string& windowClass, const char* name) {
    return CompareIgnoringCase(windowClass, name) == 0;
}

// ---- Windows -----------------------------------------------------------------------------------

using standin::Window;

// Copies a window text into a caller's buffer of `size` characters, cut to fit with its
// terminator; returns the number of characters copied (WM_GETTEXT).
LRESULT CopyText(const std::string& text, WPARAM size, LPARAM buffer) {
    if (size == 0 || buffer == 0)
        return 0;
    const size_t length = std::min(text.size(), static_cast<size_t>(size) - 1);
    auto* destination = reinterpret_cast<char*>(buffer);
    std::memcpy(destination, text.data(), length);
    destination[length] = '\0';
    return static_cast<LRESULT>(length);
}

// A control of a dialog. Drop-down lists keep their entries, their selection and the text of
// their edit field (the window text); buttons and labels only their text.
class Control : public Window {
public:
    explicit Control(const StandinDialogControl& layout)
        : text(layout.text), id(layout.id), style(layout.style),
          isList(SameClass(layout.windowClass, "COMBOBOX")),
          isButton(SameClass(layout.windowClass, "BUTTON")) {}

    bool IsList() const { return isList; }
    bool IsButton() const { return isButton; }
    bool HasEditField() const { return IsList() && (style & CBS_DROPDOWNLIST) != CBS_DROPDOWNLIST; }

    LRESULT Receive(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(text.size());
        case WM_GETTEXT:
            return CopyText(text, wParam, lParam);
        default:
            break;
        }
        if (!IsList())
            return 0;
        return HandleList(message, wParam, lParam);
    }

    bool Select(intptr_t index) {
        if (!ValidIndex(index))
            return false;
        selection = static_cast<LRESULT>(index);
        text = entries[static_cast<size_t>(index)];
        return true;
    }
    void Type(const char* typed) {
        // Typing while the list is closed leaves no entry selected, whatever the text.
        text = typed != nullptr ? typed : "";
        selection = CB_ERR;
    }

    std::string text;
    const int id;
    const DWORD style;

private:
    // Every message asks which kind of control this is: the class name is read once, here.
    const bool isList;
    const bool isButton;

    bool ValidIndex(intptr_t index) const {
        return index >= 0 && static_cast<size_t>(index) < entries.size();
    }

    LRESULT HandleList(UINT message, WPARAM wParam, LPARAM lParam) {
        const auto index = static_cast<intptr_t>(wParam);
        switch (message) {
        case CB_ADDSTRING:
            return lParam != 0 ? Add(reinterpret_cast<const char*>(lParam)) : CB_ERR;
        case CB_GETCOUNT:
            return static_cast<LRESULT>(entries.size());
        case CB_GETCURSEL:
            return selection;
        case CB_SETCURSEL:
            if (Select(index))
                return index;
            // An index of -1, or one past the end, clears the selection and the edit field.
            selection = CB_ERR;
            text.clear();
            return CB_ERR;
        case CB_GETLBTEXTLEN:
            return ValidIndex(index)
                       ? static_cast<LRESULT>(entries[static_cast<size_t>(index)].size())
                       : CB_ERR;
        case CB_GETLBTEXT:
            // Copies without a limit, as Windows does: the caller asks CB_GETLBTEXTLEN first.
            if (!ValidIndex(index) || lParam == 0)
                return CB_ERR;
            return CopyText(entries[static_cast<size_t>(index)], static_cast<WPARAM>(-1), lParam);
        case CB_FINDSTRINGEXACT:
            return lParam != 0 ? FindExact(index, reinterpret_cast<const char*>(lParam)) : CB_ERR;
        default:
            return CB_ERR;
        }
    }

    // A sorted list inserts the entry before the first one that does not compare lower.
    LRESULT Add(const std::string& entry) {
        auto position = entries.end();
        if ((style & CBS_SORT) != 0)
            position = std::lower_bound(entries.begin(), entries.end(), entry,
                                        [](const std::string& listed, const std::string& added) {
                                            return CompareIgnoringCase(listed, added) < 0;
                                        });
        const auto at = position - entries.begin();
        entries.insert(position, entry);
        if (selection != CB_ERR && selection >= at)
            ++selection;
        return static_cast<LRESULT>(at);
    }

    // Searches the entries after `start`, wrapping round to `start` itself; a start of -1 (or
    // past the end) searches the whole list from the top. Case is ignored.
    LRESULT FindExact(intptr_t start, const std::string& wanted) const {
        const size_t count = entries.size();
        const size_t first = ValidIndex(start) ? static_cast<size_t>(start) + 1 : 0;
        for (size_t step = 0; step < count; ++step) {
            const size_t candidate = (first + step) % count;
            if (CompareIgnoringCase(entries[candidate], wanted) == 0)
                return static_cast<LRESULT>(candidate);
        }
        return CB_ERR;
    }

    std::vector<std::string> entries;
    LRESULT selection = CB_ERR;
};

class Dialog : public Window {
public:
    Dialog(std::shared_ptr<const StoredTemplate> layout, DLGPROC dialogProcedure)
        : stored(std::move(layout)), procedure(dialogProcedure) {
        const StandinDialogTemplate& view = stored->View();
        for (int i = 0; i < view.controlCount; ++i)
            controls.push_back(std::make_unique<Control>(view.controls[i]));
    }

    LRESULT Receive(UINT message, WPARAM wParam, LPARAM lParam) override {
        return procedure(AsHandle(), message, wParam, lParam);
    }

    Control* Find(int id) const {
        for (const auto& control : controls)
            if (control->id == id)
                return control.get();
        return nullptr;
    }
    HWND FirstTabStop() const {
        for (const auto& control : controls)
            if ((control->style & WS_TABSTOP) != 0)
                return control->AsHandle();
        return nullptr;
    }
    // What WM_COMMAND tells the dialog about a control: its id, the notification code, and
    // the control's window.
    void Notify(Control& control, WORD code) {
        Receive(WM_COMMAND, MAKEWPARAM(control.id, code),
                reinterpret_cast<LPARAM>(control.AsHandle()));
    }
    // The user's Escape: IDCANCEL, from the Cancel button when there is one.
    void Cancel() {
        Control* button = Find(IDCANCEL);
        Receive(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                button != nullptr ? reinterpret_cast<LPARAM>(button->AsHandle()) : 0);
    }

    void Register() {
        standin::RegisterWindow(this);
        for (const auto& control : controls)
            standin::RegisterWindow(control.get());
    }
    void Unregister() {
        standin::UnregisterWindow(this);
        for (const auto& control : controls)
            standin::UnregisterWindow(control.get());
    }

    const std::shared_ptr<const StoredTemplate> stored;
    const DLGPROC procedure;
    std::vector<std::unique_ptr<Control>> controls;
    bool ended = false;
    INT_PTR result = 0;
};

template <typename Kind>
Kind* LookUp(HWND handle) {
    Kind* window = dynamic_cast<Kind*>(standin::LookUpWindow(handle));
    if (window == nullptr)
        standin::SetLastErrorCode(ERROR_INVALID_WINDOW_HANDLE);
    return window;
}

// The control `id` of a dialog that is still open, or null.
Control* UserControl(HWND dialogHandle, int id, Dialog*& dialog) {
    dialog = LookUp<Dialog>(dialogHandle);
    if (dialog == nullptr || dialog->ended)
        return nullptr;
    return dialog->Find(id);
}

void RunUser(Dialog& dialog) {
    StandinDialogUser user;
    void* context;
    {
        std::lock_guard<std::mutex> guard(dialogsLock);
        user = dialogUser;
        context = dialogUserContext;
    }
    if (user != nullptr)
        user(dialog.AsHandle(), context);
}

} // namespace

extern "C" {

void StandinRegisterDialogTemplate(HMODULE module, int id, const StandinDialogTemplate* dialog) {
    if (dialog == nullptr)
        return;
    auto stored = std::make_shared<const StoredTemplate>(*dialog);
    std::lock_guard<std::mutex> guard(dialogsLock);
    Templates()[{module, id}] = std::move(stored);
}

const StandinDialogTemplate* StandinFindDialogTemplate(HMODULE module, int id) {
    std::shared_ptr<const StoredTemplate> stored = FindTemplate(module, id);
    return stored != nullptr ? &stored->View() : nullptr;
}

void StandinSetDialogUser(StandinDialogUser user, void* context) {
    std::lock_guard<std::mutex> guard(dialogsLock);
    dialogUser = user;
    dialogUserContext = context;
}

const StandinDialogTemplate* StandinDialogTemplateOf(HWND dialogHandle) {
    Dialog* dialog = LookUp<Dialog>(dialogHandle);
    return dialog != nullptr ? &dialog->stored->View() : nullptr;
}

BOOL StandinDialogSelect(HWND dialogHandle, int id, int index) {
    Dialog* dialog = nullptr;
    Control* list = UserControl(dialogHandle, id, dialog);
    if (list == nullptr || !list->IsList() || !list->Select(index))
        return FALSE;
    dialog->Notify(*list, CBN_SELCHANGE);
    return TRUE;
}

BOOL StandinDialogType(HWND dialogHandle, int id, const char* text) {
    Dialog* dialog = nullptr;
    Control* list = UserControl(dialogHandle, id, dialog);
    if (list == nullptr || !list->HasEditField())
        return FALSE;
    list->Type(text);
    dialog->Notify(*list, CBN_EDITCHANGE);
    return TRUE;
}

BOOL StandinDialogPress(HWND dialogHandle, int id) {
    Dialog* dialog = nullptr;
    Control* button = UserControl(dialogHandle, id, dialog);
    if (button == nullptr || !button->IsButton())
        return FALSE;
    dialog->Notify(*button, BN_CLICKED);
    return TRUE;
}

BOOL StandinDialogHasEnded(HWND dialogHandle) {
    Dialog* dialog = LookUp<Dialog>(dialogHandle);
    return dialog != nullptr && dialog->ended ? TRUE : FALSE;
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND, DLGPROC procedure,
                               LPARAM initParam) {
    const auto name = reinterpret_cast<ULONG_PTR>(templateName);
    if (procedure == nullptr) {
        standin::SetLastErrorCode(ERROR_INVALID_PARAMETER);
        return -1;
    }
    // Templates are numbered; a name that is a string is never found.
    std::shared_ptr<const StoredTemplate> layout =
        name <= 0xFFFF ? FindTemplate(instance, static_cast<int>(name)) : nullptr;
    if (layout == nullptr) {
        standin::SetLastErrorCode(ERROR_RESOURCE_NAME_NOT_FOUND);
        return -1;
    }
    Dialog dialog(std::move(layout), procedure);
    dialog.Register();
    dialog.Receive(WM_INITDIALOG, reinterpret_cast<WPARAM>(dialog.FirstTabStop()), initParam);
    if (!dialog.ended)
        RunUser(dialog);
    if (!dialog.ended)
        dialog.Cancel();
    // A procedure that ignores Cancel would keep a real dialog open; a headless one closes.
    if (!dialog.ended)
        dialog.result = IDCANCEL;
    dialog.Unregister();
    return dialog.result;
}

BOOL WINAPI EndDialog(HWND dialogHandle, INT_PTR result) {
    Dialog* dialog = LookUp<Dialog>(dialogHandle);
    if (dialog == nullptr)
        return FALSE;
    dialog->ended = true;
    dialog->result = result;
    return TRUE;
}

HWND WINAPI GetDlgItem(HWND dialogHandle, int id) {
    Dialog* dialog = LookUp<Dialog>(dialogHandle);
    if (dialog == nullptr)
        return nullptr;
    Control* control = dialog->Find(id);
    if (control == nullptr) {
        standin::SetLastErrorCode(ERROR_CONTROL_ID_NOT_FOUND);
        return nullptr;
    }
    return control->AsHandle();
}

LRESULT WINAPI SendDlgItemMessageA(HWND dialogHandle, int id, UINT message, WPARAM wParam,
                                   LPARAM lParam) {
    HWND control = GetDlgItem(dialogHandle, id);
    return control != nullptr ? SendMessageA(control, message, wParam, lParam) : 0;
}

} // extern "C"
