#include "cvstat/cvstat.h"

#include "common/startup.h"

namespace cvstat {

int Run(int argc, char** argv) {
    if (!cvn::StartTool(argc, argv, {})) {
        return 0;
    }
    return cvn::EndTool(0);
}

}  // namespace cvstat
