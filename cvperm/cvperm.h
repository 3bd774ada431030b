#pragma once

namespace cvperm {

// The whole program: start-up, the command line, the exit status.
int Run(int argc, char** argv);

}  // namespace cvperm
