// ProfileFile: the ProfileStore over a profile file at any path length; the path of varrel.cfg.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "settings/config_file.h"

namespace varrel {

// How long a settings file that another program holds without sharing (a sync, backup or virus
// scanning tool, say) is waited for at start, and how often it is tried meanwhile.
constexpr DWORD SETTINGS_LOCK_WAIT_MS = 2000;
constexpr DWORD SETTINGS_LOCK_RETRY_MS = 50;

// The file is read and written whole, by the file functions, which take paths of any length the
// system allows; its text follows the rules of the Windows profile functions (profile_text.h).
class ProfileFile : public ProfileStore {
  public:
    explicit ProfileFile(std::wstring path) : path_(std::move(path)) {}

    // Reads the file, waiting up to lockWaitMs while another program holds it. True when it was
    // read, or is not there (no file or no folder: every key is missing); false when it is there
    // but cannot be read (still held, access denied, a folder of that name, a path the system
    // cannot open): every key then reads as missing, and LastError() says why.
    bool Load(DWORD lockWaitMs = SETTINGS_LOCK_WAIT_MS);
    // The value as the profile functions read it, whole; nothing when the key is missing. Reads
    // the file (without waiting) when it has not been read yet.
    std::optional<std::string> Read(const std::string& section,
                                    const std::string& key) const override;
    // Sets the value in the file as it is now, every other line kept, and puts the new text in the
    // file's place in one step (a new file moved over it), so that a failure leaves the file as it
    // was. False when the file could not be read or replaced; LastError() then says why.
    bool Write(const std::string& section, const std::string& key,
               const std::string& value) override;

    const std::wstring& Path() const { return path_; }
    unsigned long LastError() const { return lastError_; }

  private:
    bool ReadText(DWORD lockWaitMs) const;

    std::wstring path_;  // wide all the way: a folder name may lie outside the ANSI code page
    mutable std::optional<std::string> text_;  // as last read or written; empty for no file
    mutable unsigned long lastError_ = 0;
};

// The directory of the running exe, ending with its backslash, followed by "varrel.cfg", however
// long and in whatever script; ".\\varrel.cfg" (the current directory) when the exe's path cannot
// be had.
std::wstring ConfigFilePath();

}  // namespace varrel
