#include "cvperm/cvperm.h"

#include "common/startup.h"

namespace cvperm {

int Run(int argc, char** argv) {
    if (!cvn::StartTool(argc, argv, {})) {
        return 0;
    }
    return cvn::EndTool(0);
}

}  // namespace cvperm
