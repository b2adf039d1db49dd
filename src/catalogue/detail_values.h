#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "platform/text_api.h"

namespace velmoro {

// The longest address the shell's address functions take (INTERNET_MAX_URL_LENGTH without its
// NUL); a longer one is no address a browser is handed.
inline constexpr std::size_t kMaxWebAddress = 2083;

// Whether an uninstall subkey's name is a Windows Installer product code: exactly a GUID in
// braces, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", hexadecimal digits of either case.
bool IsProductCode(std::u16string_view name);

// "InstallDate" as installers write it, "YYYYMMDD": exactly eight ASCII digits naming a day
// between 1601 and 9999 that the calendar has. Nothing for any other text.
std::optional<CalendarDate> ParseInstallDate(std::u16string_view text);

// Whether text may be handed to the desktop's shell as a web page: an "http://" or "https://"
// address (the scheme in any case) with a host, at most kMaxWebAddress characters, without a
// blank, a control or formatting character, a double quote or a broken surrogate pair. A browser
// is started with the address as one quoted argument of its command line, so a quote or a blank
// could add arguments of its own; an invisible character could make the address look like another.
bool IsWebAddress(std::u16string_view text);

}  // namespace velmoro
