// The redirector's statistics: requests served, failed, connections made
// and attribute requests.
#pragma once

#include "common/records.h"

namespace cvstat {

// Asks the redirector for its statistics and shows them, or says that it
// does not answer.
void ShowStatistics();

// The heading and the four counters of a record the redirector filled.
void PrintStatistics(const cvn::Statistics& statistics);

}  // namespace cvstat
