// HighContrast: the one place that reads whether the system's high-contrast mode is on.
#pragma once

#include <optional>

namespace varrel {

// Whether high contrast was on when last read; the images draw by it.
bool HighContrastOn();

// Reads the mode again: at start, and whenever the system says its look changed.
void ReadHighContrast();

// Tests only: Wine cannot switch the mode (SPI_SETHIGHCONTRAST fails there), so a test makes the
// reads give this instead, until given nothing.
void OverrideHighContrast(std::optional<bool> on);

}  // namespace varrel
