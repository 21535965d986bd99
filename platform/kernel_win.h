// Owners for the kernel's handles the program holds on Windows: threads, processes and events
// (CloseHandle), loaded modules (FreeLibrary) and COM strings (SysFreeString).
#pragma once

#include <windows.h>
#include <oleauto.h>

#include "platform/unique_handle.h"

namespace qv::platform {

// Named functions, not lambdas: a lambda's type differs from one source file to the next, and
// an owner could not be passed from one to another, nor held by a class declared in a header.
namespace detail {
inline void CloseKernelHandle(HANDLE h) { CloseHandle(h); }
inline void ReleaseModule(HMODULE m) { FreeLibrary(m); }
inline void FreeBstr(BSTR s) { SysFreeString(s); }
}  // namespace detail

using UniqueKernelHandle = UniqueHandle<HANDLE, detail::CloseKernelHandle>;
using UniqueModule = UniqueHandle<HMODULE, detail::ReleaseModule>;
// A BSTR the program allocated or received as an [out] value.
using UniqueBstr = UniqueHandle<BSTR, detail::FreeBstr>;

}  // namespace qv::platform
