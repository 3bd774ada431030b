#include "cvstat/cvstat.h"

#include <optional>

#include "common/message_ids.h"
#include "common/startup.h"
#include "cvstat/dispatch.h"
#include "cvstat/tool.h"

namespace cvstat {

int Run(int argc, char** argv) {
    std::optional<cvn::ToolStart> start =
        cvn::StartTool(argc, argv,
                       {cvn::kMsgBannerKeyword, cvn::kMsgBannerKeyword2, kMsgMountKeyword,
                        kMsgMountKeyword2, kMsgStatisticsKeyword, kMsgStatisticsKeyword2});
    if (!start) {
        return 0;
    }
    Tool tool;
    tool.program_name = start->program_name;
    tool.banner_keyword = start->keywords[0];
    tool.banner_keyword2 = start->keywords[1];
    tool.mount_keyword = start->keywords[2];
    tool.mount_keyword2 = start->keywords[3];
    tool.statistics_keyword = start->keywords[4];
    tool.statistics_keyword2 = start->keywords[5];
    return cvn::EndTool(Dispatch(tool, start->arguments));
}

}  // namespace cvstat
