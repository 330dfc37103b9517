// ProfileFile: the ProfileStore over a Windows profile file; the path of varrel.cfg beside the exe.
#pragma once

#include <optional>
#include <string>

#include "settings/config_file.h"

namespace varrel {

class ProfileFile : public ProfileStore {
  public:
    explicit ProfileFile(std::wstring path) : path_(std::move(path)) {}

    // The whole value, however long; nothing when the file, the section or the key is missing.
    // Paths of any length; texts in the ANSI code page.
    std::optional<std::string> Read(const std::string& section,
                                    const std::string& key) const override;
    // Creates the file and the section when needed. False when the value did not reach the file;
    // LastError() then holds the system's error code.
    bool Write(const std::string& section, const std::string& key,
               const std::string& value) override;

    const std::wstring& Path() const { return path_; }
    unsigned long LastError() const { return lastError_; }

  private:
    std::wstring path_;  // wide all the way: a folder name may lie outside the ANSI code page
    unsigned long lastError_ = 0;
};

// The directory of the running exe, ending with its backslash, followed by "varrel.cfg", however
// long and in whatever script; ".\\varrel.cfg" (the current directory) when the exe's path cannot
// be had.
std::wstring ConfigFilePath();

}  // namespace varrel
