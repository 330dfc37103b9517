// Under Wine on a bare X display: the program's windows are left unmanaged for the test run.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

namespace {

// With no window manager on the display, Wine waits two seconds for one to release every
// managed window that is hidden or destroyed; unmanaged windows go at once. The prefix's own
// setting is put back at the end, so that a program started later on a desktop keeps its frame.
class UnmanagedWineWindows : public ::testing::Environment {
  public:
    void SetUp() override {
        if (!RunningUnderWine()) return;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, KEY_PATH, 0, nullptr, 0, KEY_READ | KEY_WRITE,
                            nullptr, &key_, nullptr) != ERROR_SUCCESS) {
            key_ = nullptr;
            return;
        }
        saved_ = ReadValue();
        SetValue("N");
    }

    void TearDown() override {
        if (!key_) return;
        if (saved_) {
            SetValue(*saved_);
        } else {
            RegDeleteValueA(key_, VALUE_NAME);
        }
        RegCloseKey(key_);
        key_ = nullptr;
    }

  private:
    static constexpr char KEY_PATH[] = "Software\\Wine\\X11 Driver";
    static constexpr char VALUE_NAME[] = "Managed";

    static bool RunningUnderWine() {
        HMODULE ntdll = GetModuleHandleA("ntdll.dll");
        return ntdll && GetProcAddress(ntdll, "wine_get_version");
    }

    std::optional<std::string> ReadValue() const {
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExA(key_, VALUE_NAME, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
            type != REG_SZ) {
            return std::nullopt;
        }
        std::string value(size, '\0');
        if (RegQueryValueExA(key_, VALUE_NAME, nullptr, &type, reinterpret_cast<BYTE*>(&value[0]),
                             &size) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        value.resize(value.find('\0') == std::string::npos ? size : value.find('\0'));
        return value;
    }

    void SetValue(const std::string& value) {
        RegSetValueExA(key_, VALUE_NAME, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
    }

    HKEY key_ = nullptr;
    std::optional<std::string> saved_;
};

::testing::Environment* const unmanagedWindows =
    ::testing::AddGlobalTestEnvironment(new UnmanagedWineWindows);

}  // namespace
