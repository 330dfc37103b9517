// LiveRegion: a control whose changes a screen reader reads out as they happen.
#pragma once

#include <windows.h>

namespace varrel {

// Marks a static as a polite live region, where the system has dynamic annotation (COM must be
// initialised on the thread); elsewhere AnnounceChange's name change still reaches readers.
void MakeLiveRegion(HWND control);

// Tells accessibility clients that the control's text has changed: its live region changed, and
// its name (which clients without live regions, and Wine, follow).
void AnnounceChange(HWND control);

}  // namespace varrel
