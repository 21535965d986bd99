// A part of the screen as a 24-bit BMP file beside the test program, to be looked at.
#pragma once

#include <windows.h>

#include <string>

namespace qv::test {

// The file's path, or empty when it could not be written.
std::wstring SaveScreenRect(const RECT& r, const wchar_t* name);

}  // namespace qv::test
