// Console input: the runtime's _getch.
#pragma once

namespace win32::crt {

// One key from the console without echo. On a terminal the key is read in
// raw mode; otherwise one byte of standard input (through the runtime's
// standard input stream). At the end of the input a
// carriage return is given, as if Enter had been pressed, so a prompt read
// from a file ends instead of spinning.
int getch();

// True once getch has met the end of the input (and given Enter for it). A
// prompt that would ask again takes its default instead: nobody is left to
// answer it.
bool InputEnded();

}  // namespace win32::crt
