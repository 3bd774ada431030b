#include "common/messages.h"

#include <string>

#include "common/catalog.h"
#include "common/console.h"
#include "common/message_ids.h"
#include "common/platform_kind.h"
#include "platform/memory.h"
#include "platform/system_messages.h"

namespace cvn {

namespace {

constexpr win32::DWORD kUserDefaultLanguage = 0x0400;
constexpr std::u16string_view kNoticeLine =
    u"Copyright (C) 1995-1997 Corvane. All rights reserved.";

}  // namespace

void PrintMessage(win32::UINT id, int leader, Channel channel) {
    char16_t text[kMessageBufferChars];
    int count = LoadMessageText(CatalogHandle(), id, text);
    if (count == 0) {
        return;
    }
    PrintText(std::u16string_view(text, static_cast<size_t>(count)), channel);
    if (leader == 1) {
        PrintText(u" ", channel);
        if (count < kLeaderColumn) {
            PrintText(std::u16string(static_cast<size_t>(kLeaderColumn - count), u'.'), channel);
        }
    }
}

void PrintMessageFormat(win32::UINT id, win32::FormatArgs args) {
    char16_t text[kMessageBufferChars];
    if (LoadMessageText(CatalogHandle(), id, text) > 0) {
        PrintFormat(text, args);
    }
}

void PrintSystemMessage(win32::DWORD code, Channel channel) {
    constexpr win32::DWORD kFlags =
        win32::FORMAT_MESSAGE_FROM_SYSTEM | win32::FORMAT_MESSAGE_ALLOCATE_BUFFER;
    switch (GetPlatformKind()) {
        case PLATFORM_NT: {
            char16_t* text = nullptr;
            if (win32::FormatMessageW(kFlags, nullptr, code, kUserDefaultLanguage,
                                      reinterpret_cast<char16_t*>(&text), 0, nullptr) > 0) {
                PrintFormat(u"%s", {text}, channel);
                win32::LocalFree(text);
            }
            break;
        }
        case PLATFORM_WIN95: {
            char* text = nullptr;
            if (win32::FormatMessageA(kFlags, nullptr, code, kUserDefaultLanguage,
                                      reinterpret_cast<char*>(&text), 0, nullptr) > 0) {
                PrintAnsiText(text, channel);
                win32::LocalFree(text);
            }
            break;
        }
        default:
            break;
    }
}

void PrintBanner(std::u16string_view program_name) {
    PrintFormat(u"%s - %s ", {std::u16string(program_name), std::u16string(kProductName)});
    PrintMessage(kMsgVersionWord, 0);
    PrintFormat(u" %s\n%s\n", {std::u16string(kProductVersion), std::u16string(kNoticeLine)});
}

}  // namespace cvn
