#include "common/console.h"

#include <optional>
#include <string>

#include "platform/crt_stdio.h"

namespace cvn {

namespace {

win32::crt::Stream& StreamOf(Channel channel) {
    return channel == Channel::Error ? win32::crt::Stream::Err() : win32::crt::Stream::Out();
}

}  // namespace

void PrintText(std::u16string_view text, Channel channel) {
    StreamOf(channel).WriteText(text);
}

void PrintAnsiText(std::string_view text, Channel channel) {
    StreamOf(channel).WriteAnsiText(text);
}

void PrintFormat(std::u16string_view format, win32::FormatArgs args, Channel channel) {
    std::optional<std::u16string> text = win32::FormatWide(format, args);
    PrintText(text ? std::u16string_view(*text) : format, channel);
}

bool FlushOutput() {
    return win32::crt::Stream::Out().Flush();
}

}  // namespace cvn
