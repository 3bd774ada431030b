// cvperm: sets the UNIX mode bits of files on NFS drives.
#pragma once

namespace cvperm {

// The whole program: start-up, the command line, the exit status.
int Run(int argc, char** argv);

// Exit statuses besides 0.
inline constexpr int kExitUnknownOption = 1;
inline constexpr int kExitSearchFailed = 3;
inline constexpr int kExitQuit = 10;

}  // namespace cvperm
