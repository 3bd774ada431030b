// eolconv: converts a DOS text file (CR LF line ends) to a UNIX text file.
#pragma once

namespace eolconv {

int Run(int argc, char** argv);

}  // namespace eolconv
