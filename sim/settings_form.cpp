#include "settings_form.h"

#include <curses.h>

#include <algorithm>
#include <vector>

#include "settings_dialog.h"
#include "terminal_ui.h"

namespace sim {

namespace {

constexpr int kLabelWidth = 16;
constexpr int kChoiceWidth = 40;
constexpr int kKeyEscape = 27;
constexpr int kFormWidth = 76;

// The form in front of one showing of the dialog: the lists, the row the user is on, and
// whether the user chose OK.
class Form {
public:
    Form(HWND shown, Session& running) : dialog(shown), session(running), lists(KeyListsOf(shown)) {
        for (const KeyList& list : lists)
            entries.push_back(EntriesOf(dialog, list.id));
    }

    void Run() {
        for (;;) {
            Draw();
            const int key = WaitKey();
            if (key == kKeyEscape || key == 'c') {
                StandinDialogPress(dialog, IDCANCEL);
                return;
            }
            if (key == 'o' || ((key == '\n' || key == KEY_ENTER) && row == OkRow())) {
                StandinDialogPress(dialog, IDOK);
                confirmed = true;
                return;
            }
            if ((key == '\n' || key == KEY_ENTER) && row == OkRow() + 1) {
                StandinDialogPress(dialog, IDCANCEL);
                return;
            }
            if (key == '\n' || key == KEY_ENTER || key == ' ')
                Choose();
            else if (key == KEY_UP)
                row = std::max(0, row - 1);
            else if (key == KEY_DOWN || key == '\t')
                row = std::min(OkRow() + 1, row + 1);
        }
    }

    bool confirmed = false;

private:
    int OkRow() const { return static_cast<int>(lists.size()); }

    // Keys while the plug-in's timer keeps running, as a modal dialog's loop lets it.
    int WaitKey() {
        for (;;) {
            session.Pump();
            const int key = getch();
            if (key != ERR)
                return key;
        }
    }

    std::string Selected(size_t list) const {
        const int index = SelectionOf(dialog, lists[list].id);
        const std::vector<std::string>& names = entries[list];
        return index >= 0 && static_cast<size_t>(index) < names.size()
                   ? names[static_cast<size_t>(index)]
                   : "(none)";
    }

    void Draw() {
        erase();
        DrawBox(0, 0, std::min(LINES, static_cast<int>(lists.size()) + 7),
                std::min(COLS, kFormWidth), CaptionOf(dialog));
        for (size_t list = 0; list < lists.size(); ++list) {
            const int y = 2 + static_cast<int>(list);
            if (static_cast<int>(list) == row)
                attron(A_REVERSE);
            PutText(y, 2, lists[list].label, kLabelWidth);
            PutText(y, 2 + kLabelWidth, "[" + Selected(list) + "]", kChoiceWidth + 2);
            if (static_cast<int>(list) == row)
                attroff(A_REVERSE);
        }
        const int buttons = 3 + static_cast<int>(lists.size());
        for (int button = 0; button < 2; ++button) {
            if (row == OkRow() + button)
                attron(A_REVERSE);
            PutText(buttons, 30 + button * 10, button == 0 ? "[  OK  ]" : "[Cancel]", 8);
            if (row == OkRow() + button)
                attroff(A_REVERSE);
        }
        PutText(buttons + 2, 2,
                "Up/Down: a key   Enter: its list   o: OK (stores all 15)   Esc: Cancel",
                std::min(COLS, kFormWidth) - 4);
        refresh();
    }

    // The open list of one key: the Host's command names, sorted as the dialog keeps them.
    void Choose() {
        const auto list = static_cast<size_t>(row);
        const std::vector<std::string>& names = entries[list];
        if (names.empty())
            return;
        int current = std::max(0, SelectionOf(dialog, lists[list].id));
        const int visible = std::max(3, LINES - 4);
        for (;;) {
            erase();
            DrawBox(0, 0, std::min(LINES, visible + 2), std::min(COLS, 60), lists[list].label);
            const int top = std::max(
                0, std::min(current - visible / 2, static_cast<int>(names.size()) - visible));
            for (int i = 0; i < visible && top + i < static_cast<int>(names.size()); ++i) {
                if (top + i == current)
                    attron(A_REVERSE);
                PutText(1 + i, 2, names[static_cast<size_t>(top + i)], 56);
                if (top + i == current)
                    attroff(A_REVERSE);
            }
            refresh();
            const int key = WaitKey();
            if (key == kKeyEscape)
                return;
            if (key == '\n' || key == KEY_ENTER) {
                StandinDialogSelect(dialog, lists[list].id, current);
                return;
            }
            const int last = static_cast<int>(names.size()) - 1;
            if (key == KEY_UP)
                current = std::max(0, current - 1);
            else if (key == KEY_DOWN)
                current = std::min(last, current + 1);
            else if (key == KEY_PPAGE)
                current = std::max(0, current - visible);
            else if (key == KEY_NPAGE)
                current = std::min(last, current + visible);
        }
    }

    HWND dialog;
    Session& session;
    std::vector<KeyList> lists;
    std::vector<std::vector<std::string>> entries;
    int row = 0;
};

struct FormContext {
    Session* session;
    bool shown = false;
    bool confirmed = false;
};

void ActWithForm(HWND dialog, void* context) {
    auto& state = *static_cast<FormContext*>(context);
    state.shown = true;
    Form form(dialog, *state.session);
    form.Run();
    state.confirmed = form.confirmed;
}

} // namespace

FormOutcome ShowSettingsForm(Session& session) {
    FormContext context{&session};
    FormOutcome outcome;
    if (!session.Configure(&ActWithForm, &context)) {
        outcome.summary = "The plug-in could not be loaded; no settings dialog.";
        return outcome;
    }
    outcome.shown = context.shown;
    if (!context.shown)
        outcome.summary = "The plug-in showed no settings dialog.";
    else if (context.confirmed)
        outcome.summary = "Settings saved: the 15 key assignments are in the registry file.";
    else
        outcome.summary = "Settings dialog cancelled: nothing was saved.";
    return outcome;
}

} // namespace sim
