// cvstat: shows the redirector's mounts in detail and its statistics.
#pragma once

namespace cvstat {

// The whole program: start-up, the command line, the exit status.
int Run(int argc, char** argv);

}  // namespace cvstat
