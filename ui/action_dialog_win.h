// ActionDialog: the modal "Mouse action" dialog and the edit it makes to the selected entry.
#pragma once

#include <windows.h>

#include "path/point_entry.h"
#include "path/point_list.h"

namespace varrel {

// Shows the dialog over owner and returns the id of the first selected choice (IDC_ACT_DOWN,
// IDC_ACT_UP, IDC_ACT_CLICK, IDC_ACT_DOUBLE, IDC_ACT_NONE), or 0 when it ended without one.
INT_PTR ShowActionDialog(HINSTANCE instance, HWND owner);

// The choice a dialog result stands for; NoChoice for 0 and any unknown id.
ActionChoice ChoiceFromDialogResult(INT_PTR result);

// Applies choice to the selected entry of list, replacing it in place and selecting it again.
// Nothing changes when there is no choice or no selection.
void ApplyChoiceToSelection(PointList& list, ActionChoice choice);

}  // namespace varrel
