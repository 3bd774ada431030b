// cvlink: lists, connects and disconnects the NFS drives.
#pragma once

namespace cvlink {

int Run(int argc, char** argv);

}  // namespace cvlink
