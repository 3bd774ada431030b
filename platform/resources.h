// String-table resources: LoadString.
#pragma once

#include "platform/types.h"

namespace win32 {

// Copies the text with the identifier into the buffer, cut to size - 1
// characters and terminated. Returns the number of characters copied (the
// terminator not counted); 0 when the module has no such text, with the last
// error ERROR_RESOURCE_NAME_NOT_FOUND (or ERROR_RESOURCE_DATA_NOT_FOUND for a
// module without a string table). A size of 0 stores nothing and returns 0.
int LoadStringW(HINSTANCE module, UINT id, LPWSTR buffer, int size);

// The same in the ANSI code page; counts are bytes.
int LoadStringA(HINSTANCE module, UINT id, LPSTR buffer, int size);

}  // namespace win32
