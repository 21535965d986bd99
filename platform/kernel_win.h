// Owners for the kernel's handles the program holds on Windows: threads, processes and events
// (CloseHandle), loaded modules (FreeLibrary) and COM strings (SysFreeString).
#pragma once

#include <windows.h>
#include <oleauto.h>

#include "platform/unique_handle.h"

namespace qv::platform {

using UniqueKernelHandle = UniqueHandle<HANDLE, [](HANDLE h) { CloseHandle(h); }>;
using UniqueModule = UniqueHandle<HMODULE, [](HMODULE m) { FreeLibrary(m); }>;
// A BSTR the program allocated or received as an [out] value.
using UniqueBstr = UniqueHandle<BSTR, [](BSTR s) { SysFreeString(s); }>;

}  // namespace qv::platform
