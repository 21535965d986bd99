// Which addresses the program hands to the shell's "open". The texts that name them (the text
// bundle's TutorialURL, the menu's page) are files that anyone able to write the installation
// folder can change; what the shell would do with an arbitrary name (start a program, reach a
// network share) is more than showing a page. So only two kinds are opened: a web address
// (http or https), and a page (.html or .htm) given as a path inside the installation folder.
#pragma once

#include <string>
#include <string_view>

namespace qv {

// The address to open for `entry` (blanks around it ignored), or empty when it must not be
// opened: an http:// or https:// address stays as it is; a relative path to a .html or .htm file
// that stays inside the folder (no "..", no drive, no network or stream name) is joined to
// `installDir`. Any other entry, or a relative one with no installation folder, gives empty.
std::wstring SafeAddress(std::wstring_view entry, std::wstring_view installDir);

}  // namespace qv
