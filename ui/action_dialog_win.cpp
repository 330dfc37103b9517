// ActionDialog: five radio buttons (three shown disabled) and OK; Esc does not close it.
#include "ui/action_dialog_win.h"

#include "resources/resource.h"
#include "win/guard_win.h"

namespace varrel {

namespace {

// In the order OK looks at them.
constexpr int ACTION_CHOICES[] = {IDC_ACT_DOWN, IDC_ACT_UP, IDC_ACT_CLICK, IDC_ACT_DOUBLE,
                                  IDC_ACT_NONE};

INT_PTR OnOk(HWND dialog) {
    for (int id : ACTION_CHOICES) {
        if (IsDlgButtonChecked(dialog, id) == BST_CHECKED) return id;
    }
    return 0;
}

INT_PTR CALLBACK ActionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            return TRUE;  // nothing is preselected, whatever the entry holds
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) EndDialog(dialog, OnOk(dialog));
            return TRUE;  // Esc (IDCANCEL) and everything else leave the dialog open
        case WM_CLOSE:
            EndDialog(dialog, 0);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

INT_PTR ShowActionDialog(HINSTANCE instance, HWND owner) {
    const INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ACTION), owner,
                                           GuardedDialogProc<ActionDialogProc>, 0);
    return result < 0 ? 0 : result;
}

ActionChoice ChoiceFromDialogResult(INT_PTR result) {
    switch (result) {
        case IDC_ACT_DOWN:
            return ActionChoice::Down;
        case IDC_ACT_UP:
            return ActionChoice::Up;
        case IDC_ACT_CLICK:
            return ActionChoice::Click;
        case IDC_ACT_DOUBLE:
            return ActionChoice::DoubleClick;
        case IDC_ACT_NONE:
            return ActionChoice::None;
        default:
            return ActionChoice::NoChoice;
    }
}

void ApplyChoiceToSelection(PointList& list, ActionChoice choice) {
    if (choice == ActionChoice::NoChoice) return;
    const std::optional<int> selected = list.Selected();
    if (!selected) return;
    const std::optional<std::string> text = list.TextAt(*selected);
    if (!text) return;
    list.Remove(*selected);
    list.Insert(*selected, ApplyAction(*text, choice));
    list.Select(*selected);
}

}  // namespace varrel
