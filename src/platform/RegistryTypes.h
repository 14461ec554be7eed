#pragma once

#include <cstdint>

// Handles, status codes and value types as advapi32 defines them. The names avoid the
// Windows macros (HKEY_LOCAL_MACHINE, ERROR_SUCCESS, REG_SZ) so that a Win32 backend can
// include <windows.h> beside this header.
namespace platform {

using RegKey = std::uintptr_t;

constexpr RegKey kNoKey = 0;
constexpr RegKey kClassesRoot = 0x80000000u;
constexpr RegKey kCurrentUser = 0x80000001u;
constexpr RegKey kLocalMachine = 0x80000002u;
constexpr RegKey kUsers = 0x80000003u;

constexpr long kErrorSuccess = 0;
constexpr long kErrorFileNotFound = 2;
constexpr long kErrorAccessDenied = 5;
constexpr long kErrorInvalidHandle = 6;
constexpr long kErrorNotEnoughMemory = 8;
constexpr long kErrorInvalidData = 13;
constexpr long kErrorWriteFault = 29;
constexpr long kErrorReadFault = 30;
constexpr long kErrorInvalidParameter = 87;
constexpr long kErrorBusy = 170;
constexpr long kErrorMoreData = 234;
constexpr long kErrorNoMoreItems = 259;
constexpr long kErrorKeyDeleted = 1018;
constexpr long kErrorRegistryCorrupt = 1015;
constexpr long kErrorRegistryIoFailed = 1016;

constexpr std::uint32_t kRegNone = 0;
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;
constexpr std::uint32_t kRegMultiSz = 7;
constexpr std::uint32_t kRegQword = 11;

// Limits of the Windows registry.
constexpr std::size_t kMaxKeyNameLength = 255;
constexpr std::size_t kMaxValueNameLength = 16383;
constexpr std::size_t kMaxKeyDepth = 512;

} // namespace platform
