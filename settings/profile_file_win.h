// ProfileFile: the ProfileStore over a profile file at any path length; the path of varrel.cfg.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "settings/config_file.h"
#include "win/owned_win.h"

namespace varrel {

// How long a settings file that another program holds without sharing (a sync, backup or virus
// scanning tool, say) is waited for at start, and how often it is tried meanwhile.
constexpr DWORD SETTINGS_LOCK_WAIT_MS = 2000;
constexpr DWORD SETTINGS_LOCK_RETRY_MS = 50;

// The calls by which a save puts bytes into a file; a test puts a volume that fills up in their
// place.
class FileWrites {
  public:
    virtual ~FileWrites() = default;
    // Writes at the file pointer, as WriteFile does: false, with the system's error set, when not
    // all of it went down (put then says how much did).
    virtual bool Write(HANDLE file, const char* data, DWORD size, DWORD& put);
    // Ends the file at the file pointer, growing or cutting it, as SetEndOfFile does.
    virtual bool SetEnd(HANDLE file);
};

// The system's own file calls.
FileWrites& SystemFileWrites();

// How the file's text is stored: as it is, or as UTF-16 with its byte-order mark (Notepad's
// "Unicode" and "Unicode big endian"), read as UTF-8 and written back the way it came.
enum class TextEncoding { Bytes, Utf16Le, Utf16Be };

// The file is read and written whole, by the file functions, which take paths of any length the
// system allows; its text follows the rules of the Windows profile functions (profile_text.h).
class ProfileFile : public ProfileStore {
  public:
    explicit ProfileFile(std::wstring path, FileWrites& writes = SystemFileWrites())
        : path_(std::move(path)), writes_(writes) {}

    // Reads the file, waiting up to lockWaitMs while another program holds it. True when it was
    // read, or is not there (no file or no folder: every key is missing); false when it is there
    // but cannot be read (still held, access denied, a folder of that name, a path the system
    // cannot open, not text it can read): every key then reads as missing, and LastError() says
    // why.
    bool Load(DWORD lockWaitMs = SETTINGS_LOCK_WAIT_MS);
    // The value as the profile functions read it, whole; nothing when the key is missing. Reads
    // the file (without waiting) when it has not been read yet.
    std::optional<std::string> Read(const std::string& section,
                                    const std::string& key) const override;
    // Sets the values in the text as last read (read now, without waiting, if not yet), every
    // other line kept, and puts the new text in the file's place in one step: a new file moved over
    // it, or where that fails, the file written over where it is. Either way a failure leaves the
    // file as it was. False when the file could not be read or written; LastError() then says why.
    bool Write(const std::string& section, const ProfileValues& values) override;
    // The next write puts a new file in the old one's place without reading it (one that could not
    // be read, which the user agreed to replace): nothing of its text is kept.
    void StartAfresh();

    const std::wstring& Path() const { return path_; }
    unsigned long LastError() const { return lastError_; }
    // Why the last read or write failed, in words a user understands: the system's own, or plainer
    // ones where those say too little ("Invalid data.").
    std::wstring Reason() const;

  private:
    bool ReadText(DWORD lockWaitMs) const;

    std::wstring path_;  // wide all the way: a folder name may lie outside the ANSI code page
    FileWrites& writes_;
    // As last read or written; empty for no file, or one that could not be read (unreadable_).
    mutable std::optional<std::string> text_;
    mutable bool unreadable_ = false;
    mutable TextEncoding encoding_ = TextEncoding::Bytes;
    mutable unsigned long lastError_ = 0;
};

// Marks the settings file at path as in use by this copy of the program for as long as the handle
// lives: a named object, which locks nothing (the file stays free for every program). `another` is
// set when a copy running from the same folder marked it first.
UniqueHandle MarkSettingsInUse(const std::wstring& path, bool& another);

// The directory of the running exe, ending with its backslash, followed by "varrel.cfg", however
// long and in whatever script; ".\\varrel.cfg" (the current directory) when the exe's path cannot
// be had.
std::wstring ConfigFilePath();

}  // namespace varrel
