#include "cvlink/usage.h"

#include "common/console.h"
#include "common/message_ids.h"
#include "common/messages.h"
#include "common/startup.h"

namespace cvlink {

namespace {

constexpr char16_t kSevenBlanks[] = u"       ";

// Catalog text `format_id` used as a format with catalog text `argument_id`.
void PrintCatalogFormat(unsigned format_id, unsigned argument_id) {
    cvn::PrintMessageFormat(format_id, {cvn::CatalogText(argument_id)});
}

}  // namespace

void PrintUsage(const Tool& tool) {
    const std::u16string& name = tool.program_name;
    cvn::PrintMessage(288, 0);
    cvn::PrintText(u" ");
    cvn::PrintFormat(u"%s ", {name});
    cvn::PrintMessage(289, 0);

    cvn::PrintText(kSevenBlanks);
    PrintCatalogFormat(290, kMsgUserKeyword);
    cvn::PrintText(kSevenBlanks);
    cvn::PrintFormat(u"%s ", {name});
    cvn::PrintMessage(311, 0);

    cvn::PrintText(u"\n");
    cvn::PrintText(kSevenBlanks);
    cvn::PrintFormat(u"%s ", {name});
    PrintCatalogFormat(291, kMsgDisconnectKeyword);

    cvn::PrintText(kSevenBlanks);
    cvn::PrintFormat(u"%s /%s *\n", {name, cvn::CatalogText(kMsgDisconnectKeyword)});

    cvn::PrintText(kSevenBlanks);
    cvn::PrintFormat(u"%s ", {name});
    PrintCatalogFormat(292, cvn::kMsgBannerKeyword);
    cvn::PrintMessage(cvn::kMsgUsageWhere, 0);

    for (unsigned id : {294u, 296u, 298u, 300u, 301u, 302u, 303u}) {
        cvn::PrintText(kSevenBlanks);
        cvn::PrintMessage(id, 0);
    }

    cvn::PrintText(kSevenBlanks);
    PrintCatalogFormat(304, kMsgUserKeyword);
    cvn::PrintText(kSevenBlanks);
    PrintCatalogFormat(312, 311);
    cvn::PrintText(kSevenBlanks);
    PrintCatalogFormat(306, kMsgDisconnectKeyword);

    cvn::PrintText(kSevenBlanks);
    cvn::PrintMessage(307, 0);
    cvn::PrintText(kSevenBlanks);
    PrintCatalogFormat(308, cvn::kMsgBannerKeyword);
}

}  // namespace cvlink
