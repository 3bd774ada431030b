#include "platform/console_input.h"

#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "platform/crt_stdio.h"

namespace win32::crt {

namespace {

std::atomic<bool> g_input_ended{false};

int ReadTerminalByte() {
    unsigned char byte;
    ssize_t got;
    do {
        got = ::read(STDIN_FILENO, &byte, 1);
    } while (got < 0 && errno == EINTR);
    if (got != 1) {
        g_input_ended = true;
        return '\r';
    }
    return byte;
}

// Redirected input goes through the runtime's stream, so that keys and
// lines read by the program's other calls come in the order they were sent.
int ReadRedirectedByte() {
    int byte = Stream::In().GetChar();
    if (byte < 0) {
        g_input_ended = true;
        return '\r';
    }
    return byte;
}

}  // namespace

int getch() {
    Stream::Out().Flush();  // the prompt shows before the key is read
    termios saved;
    if (::isatty(STDIN_FILENO) != 1 || ::tcgetattr(STDIN_FILENO, &saved) != 0) {
        return ReadRedirectedByte();
    }
    termios raw = saved;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    ::tcsetattr(STDIN_FILENO, TCSANOW, &raw);
    int key = ReadTerminalByte();
    ::tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    return key;
}

bool InputEnded() {
    return g_input_ended;
}

}  // namespace win32::crt
