// Profile (INI) text read and edited as the Windows profile functions read and write it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace varrel {

// The value of key in the first section named `section` (names compared without regard to ASCII
// case, as the profile functions compare them): what follows the first '=' on the key's line,
// without the blanks around it, cut at a NUL, and without one pair of matching quotes around it.
// Nothing when the section or the key is missing, or the key's line has no '='. Lines end at LF;
// the bytes are taken as they are, in whatever code page the file was written.
std::optional<std::string> ProfileValue(std::string_view text, std::string_view section,
                                        std::string_view key);

// The text with key set to value in that section: the key's line replaced in place, else a new
// line after the section's last one that is not blank, else a new section at the end; every other
// byte stays as it was. New lines end in CR LF. A value that reading would alter (blanks at an
// end, a pair of quotes around it) is written inside quotes, which reading takes off again.
std::string WithProfileValue(std::string_view text, std::string_view section, std::string_view key,
                             std::string_view value);

// Whether the bytes look like UTF-16 text saved without its byte-order mark: at least half the
// bytes in the odd places, or in the even ones, are NUL, as in text of Latin letters. Read as
// 8-bit text it would give nothing, and a save would mix encodings in one file.
bool LooksLikeUnmarkedUtf16(std::string_view text);

}  // namespace varrel
