// "cvnrd ctl": connections made and removed through the control device, the
// same requests the network provider sends, for tests and the demo.
#pragma once

#include <string>
#include <vector>

namespace cvnrd {

// Returns the process exit status: 0 done, 1 refused, 2 bad command line.
int RunControlCommand(const std::vector<std::string>& arguments);

}  // namespace cvnrd
