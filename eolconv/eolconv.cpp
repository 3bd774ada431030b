#include "eolconv/eolconv.h"

#include <memory>
#include <string>
#include <vector>

#include "common/console.h"
#include "common/message_ids.h"
#include "common/messages.h"
#include "common/startup.h"
#include "eolconv/conversion.h"
#include "eolconv/exit_status.h"
#include "platform/atomic_file.h"
#include "platform/case_fold.h"
#include "platform/crt_stdio.h"
#include "platform/errors.h"
#include "platform/last_error.h"

namespace eolconv {

namespace {

using win32::crt::Stream;

constexpr win32::UINT kMsgHelpOption = 130;
constexpr win32::UINT kMsgVersionOption = 131;
constexpr win32::UINT kMsgArguments = 232;
constexpr win32::UINT kMsgInputArgument = 317;
constexpr win32::UINT kMsgOutputArgument = 318;
constexpr win32::UINT kMsgConvertingStandardInput = 319;

constexpr char16_t kSevenBlanks[] = u"       ";

struct Tool {
    std::u16string program_name;
    std::u16string banner_keyword;
    std::u16string banner_keyword2;
};

void PrintUsage(const Tool& tool) {
    cvn::PrintText(u"\n");
    cvn::PrintMessage(cvn::kMsgUsageFirstLine, 0);
    cvn::PrintFormat(u" %s ", {tool.program_name});
    cvn::PrintMessage(kMsgArguments, 0);
    cvn::PrintText(u"\n");
    cvn::PrintText(kSevenBlanks);
    cvn::PrintFormat(u"%s -? | -", {tool.program_name});
    cvn::PrintMessage(cvn::kMsgBannerKeyword, 0);
    cvn::PrintText(u"\n\n");
    cvn::PrintMessage(cvn::kMsgUsageWhere, 0);
    cvn::PrintText(kSevenBlanks);
    cvn::PrintMessage(kMsgInputArgument, 0);
    cvn::PrintText(kSevenBlanks);
    cvn::PrintMessage(kMsgOutputArgument, 0);
    cvn::PrintText(kSevenBlanks);
    cvn::PrintText(u"-?            ");
    cvn::PrintMessage(kMsgHelpOption, 0);
    cvn::PrintText(u"\n");
    cvn::PrintText(kSevenBlanks);
    cvn::PrintText(u"-");
    cvn::PrintMessage(cvn::kMsgBannerKeyword, 0);
    cvn::PrintText(u"            ");
    cvn::PrintMessage(kMsgVersionOption, 0);
    cvn::PrintText(u"\n");
}

void PrintToolBanner(const Tool& tool) {
    cvn::PrintText(u"\n");
    cvn::PrintBanner(tool.program_name);
    cvn::PrintText(u"\n\n");
}

// "\n  name - " and the system's text, for a file that cannot be opened.
void ReportOpenFailure(const std::u16string& name) {
    cvn::PrintFormat(u"\n  %s - ", {name});
    cvn::PrintSystemMessage(win32::ERROR_TOO_MANY_OPEN_FILES);
}

// Failures during the copy go to standard error: standard output may be the
// very stream that failed, and it may be carrying the converted data.
void ReportStreamFailure(const std::u16string& name, win32::DWORD error) {
    if (name.empty()) {
        cvn::PrintText(u"\n  ", cvn::Channel::Error);
    } else {
        cvn::PrintFormat(u"\n  %s - ", {name}, cvn::Channel::Error);
    }
    cvn::PrintSystemMessage(error, cvn::Channel::Error);
}

int ConvertStreams(Stream& input, const std::u16string& input_name, Output& output,
                   const std::u16string& output_name) {
    switch (Convert(input, output)) {
        case ConversionOutcome::Converted:
            return kExitConverted;
        case ConversionOutcome::ReadFailed:
            ReportStreamFailure(input_name, input.error());
            return kExitReadFailed;
        case ConversionOutcome::WriteFailed:
        default:
            ReportStreamFailure(output_name, output.error());
            return kExitWriteFailed;
    }
}

int ConvertStandardInput() {
    cvn::PrintMessage(kMsgConvertingStandardInput, 0, cvn::Channel::Error);
    StandardOutput output;
    return ConvertStreams(Stream::In(), u"", output, u"");
}

int ConvertFileToStandardOutput(const std::u16string& input_name) {
    std::unique_ptr<Stream> input = Stream::Open(input_name, u"r");
    if (!input) {
        ReportOpenFailure(input_name);
        return kExitFileNotOpened;
    }
    StandardOutput output;
    return ConvertStreams(*input, input_name, output, u"");
}

int ConvertFileToFile(const std::u16string& input_name, const std::u16string& output_name) {
    std::unique_ptr<Stream> input = Stream::Open(input_name, u"r");
    if (!input) {
        ReportOpenFailure(input_name);
        return kExitInputNotOpened;
    }
    std::unique_ptr<win32::AtomicFileWriter> writer = win32::AtomicFileWriter::Create(output_name);
    if (!writer) {
        ReportOpenFailure(output_name);
        return kExitOutputNotOpened;
    }
    FileOutput output(std::move(writer));
    return ConvertStreams(*input, input_name, output, output_name);
}

bool IsBannerKeyword(const Tool& tool, std::u16string_view word) {
    return (!tool.banner_keyword.empty() && win32::wcsicmp(word, tool.banner_keyword) == 0) ||
           (!tool.banner_keyword2.empty() && win32::wcsicmp(word, tool.banner_keyword2) == 0);
}

int RunOneArgument(const Tool& tool, const std::u16string& argument) {
    const bool switched = argument[0] == u'-' || argument[0] == u'/';
    if (switched && argument.size() == 2 && argument[1] == u'?') {
        PrintUsage(tool);
        return kExitUsage;
    }
    if (switched && IsBannerKeyword(tool, std::u16string_view(argument).substr(1))) {
        PrintToolBanner(tool);
        return kExitBanner;
    }
    if (argument[0] == u'-') {
        cvn::PrintFormat(u"\n  '%s' - ", {argument});
        cvn::PrintSystemMessage(win32::ERROR_INVALID_FLAG_NUMBER);
        PrintUsage(tool);
        return kExitBadOption;
    }
    return ConvertFileToStandardOutput(argument);
}

int Dispatch(const Tool& tool, const std::vector<std::u16string>& arguments) {
    switch (arguments.size()) {
        case 0:
        case 1:
            return ConvertStandardInput();
        case 2:
            if (arguments[1].empty()) {
                ReportOpenFailure(arguments[1]);
                return kExitFileNotOpened;
            }
            return RunOneArgument(tool, arguments[1]);
        case 3:
            return ConvertFileToFile(arguments[1], arguments[2]);
        default:
            PrintUsage(tool);
            return kExitTooManyArguments;
    }
}

}  // namespace

int Run(int argc, char** argv) {
    std::optional<cvn::ToolStart> start =
        cvn::StartTool(argc, argv, {cvn::kMsgBannerKeyword, cvn::kMsgBannerKeyword2});
    if (!start) {
        return 0;
    }
    Tool tool{start->program_name, start->keywords[0], start->keywords[1]};
    int status = Dispatch(tool, start->arguments);
    return cvn::EndTool(status);
}

}  // namespace eolconv
