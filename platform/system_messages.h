// System message texts: FormatMessage with FORMAT_MESSAGE_FROM_SYSTEM.
//
// The texts are the layer's own English texts for the Win32 codes the system
// reports; each ends with CR LF. Every language asks for gets them: the user
// and system default languages, neutral, and any English variant. Another
// specific language fails with ERROR_RESOURCE_LANG_NOT_FOUND.
#pragma once

#include <optional>
#include <string_view>

#include "platform/types.h"

namespace win32 {

inline constexpr DWORD FORMAT_MESSAGE_ALLOCATE_BUFFER = 0x00000100;
inline constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x00000200;
inline constexpr DWORD FORMAT_MESSAGE_FROM_STRING = 0x00000400;
inline constexpr DWORD FORMAT_MESSAGE_FROM_HMODULE = 0x00000800;
inline constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x00001000;
inline constexpr DWORD FORMAT_MESSAGE_ARGUMENT_ARRAY = 0x00002000;
inline constexpr DWORD FORMAT_MESSAGE_MAX_WIDTH_MASK = 0x000000FF;

// Only FORMAT_MESSAGE_FROM_SYSTEM is served. With
// FORMAT_MESSAGE_ALLOCATE_BUFFER, `buffer` is the address of a pointer that
// receives a LocalAlloc block of at least `size` characters; otherwise the
// text and its terminator must fit in `size` characters
// (ERROR_INSUFFICIENT_BUFFER). A code without a text fails with
// ERROR_MR_MID_NOT_FOUND. Inserts are not supported: a text with inserts
// needs FORMAT_MESSAGE_IGNORE_INSERTS. `arguments` must be null. Returns the
// number of characters stored, terminator not counted.
DWORD FormatMessageA(DWORD flags, const void* source, DWORD message_id, DWORD language_id,
                     LPSTR buffer, DWORD size, void* arguments);
DWORD FormatMessageW(DWORD flags, const void* source, DWORD message_id, DWORD language_id,
                     LPWSTR buffer, DWORD size, void* arguments);

// The text of a code without its CR LF, for the layer's own diagnostics.
std::optional<std::string_view> SystemMessageText(DWORD code);

}  // namespace win32
