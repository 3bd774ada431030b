// The pass that converts what the previous version of the product stored:
// renamed values, the old password form, and the values whose meaning
// changed. Each tree is processed until it is marked AliasesConverted.
#pragma once

#include "platform/registry.h"

namespace cvprov {

// Processes both trees. With `*upgrade_requested` set, a tree is processed
// even when marked; the flag is cleared after the first tree processed.
void RunUpgradePass(bool* upgrade_requested);

// The conversions of one key, without its subkeys.
void ConvertPassword(win32::HKEY key);
void ConvertLegacyValues(win32::HKEY key);

}  // namespace cvprov
