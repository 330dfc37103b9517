// LiveRegion: the live-setting annotation through IAccPropServices, and the events of a change.
#include "ui/live_region_win.h"

#include <oleacc.h>

namespace varrel {

namespace {

// Spelled out: the mingw-w64 headers and import libraries lack some of these, or give thunks.
constexpr CLSID ACC_PROP_SERVICES = {
    0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr IID IACC_PROP_SERVICES = {
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr GUID LIVE_SETTING_PROPERTY = {
    0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr LONG LIVE_SETTING_POLITE = 1;
constexpr DWORD EVENT_LIVE_REGION_CHANGED = 0x8019;  // EVENT_OBJECT_LIVEREGIONCHANGED

}  // namespace

void MakeLiveRegion(HWND control) {
    IAccPropServices* services = nullptr;
    if (FAILED(CoCreateInstance(ACC_PROP_SERVICES, nullptr, CLSCTX_INPROC_SERVER,
                                IACC_PROP_SERVICES, reinterpret_cast<void**>(&services))) ||
        !services)
        return;
    VARIANT polite;
    VariantInit(&polite);
    polite.vt = VT_I4;
    polite.lVal = LIVE_SETTING_POLITE;
    services->SetHwndProp(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                          LIVE_SETTING_PROPERTY, polite);
    services->Release();
}

void AnnounceChange(HWND control) {
    NotifyWinEvent(EVENT_LIVE_REGION_CHANGED, control, OBJID_CLIENT, CHILDID_SELF);
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, control, OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace varrel
