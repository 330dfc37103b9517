// HighContrast: SPI_GETHIGHCONTRAST, read here and nowhere else.
#include "ui/high_contrast_win.h"

#include <windows.h>

namespace varrel {

namespace {

bool g_on = false;
std::optional<bool> g_override;

}  // namespace

bool HighContrastOn() { return g_on; }

void ReadHighContrast() {
    if (g_override) {
        g_on = *g_override;
        return;
    }
    HIGHCONTRASTW mode{};
    mode.cbSize = sizeof mode;
    g_on = SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof mode, &mode, 0) &&
           (mode.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

void OverrideHighContrast(std::optional<bool> on) { g_override = on; }

}  // namespace varrel
