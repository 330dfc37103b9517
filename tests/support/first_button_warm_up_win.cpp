// Run once per Wine session before the tests: the first button event of a fresh session stalls
// for seconds, long enough to pass the low-level hooks unrecorded. One press and release in the
// bottom-right corner pays that cost up front.
#include <windows.h>

int main() {
    mouse_event(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, 65535, 65535, 0, 0);
    mouse_event(MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, 65535, 65535, 0, 0);
    mouse_event(MOUSEEVENTF_LEFTUP | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, 65535, 65535, 0, 0);
    return 0;
}
