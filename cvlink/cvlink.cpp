#include "cvlink/cvlink.h"

#include <optional>

#include "common/message_ids.h"
#include "common/startup.h"
#include "cvlink/dispatch.h"
#include "cvlink/password.h"
#include "cvlink/response_file.h"
#include "cvlink/tool.h"

namespace cvlink {

int Run(int argc, char** argv) {
    std::optional<cvn::ToolStart> start = cvn::StartTool(
        argc, argv,
        {cvn::kMsgBannerKeyword, cvn::kMsgBannerKeyword2, kMsgDisconnectKeyword, kMsgUserKeyword});
    if (!start) {
        return 0;
    }
    Tool tool;
    tool.program_name = start->program_name;
    tool.banner_keyword = start->keywords[0];
    tool.banner_keyword2 = start->keywords[1];
    tool.disconnect_keyword = start->keywords[2];
    tool.user_keyword = start->keywords[3];
    // Room for the longest password from the start: a buffer that grew would
    // leave the shorter copies behind where no wipe reaches them.
    tool.password.reserve(kMaxText);

    const std::vector<std::u16string>& arguments = start->arguments;
    if (arguments.size() == 2 && arguments[1].starts_with(u'@')) {
        RunResponseFile(tool, arguments[1].substr(1));
    } else {
        Dispatch(tool, arguments);
    }
    WipePassword(tool.password);
    // Whatever the outcome, it was said on the console.
    return cvn::EndTool(0);
}

}  // namespace cvlink
