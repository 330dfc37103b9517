// Run once per Wine session before the tests: the first button event of a fresh session stalls
// for seconds, long enough to pass the low-level hooks unrecorded. One press and release in the
// bottom-right corner pays that cost up front.
#include <windows.h>

#include <initializer_list>

int main() {
    for (DWORD button : {0, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP})
        mouse_event(button | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, 65535, 65535, 0, 0);
}
