#pragma once

#include <QString>
#include <cstdint>
#include <string>

#include "retention/ExpiredRecordings.h"

namespace tapelink {

// How the retention windows show a call's start (YYMMDDhhmm), a size and a moment.
QString callStartText(const std::string& startKey);
QString sizeText(std::uint64_t bytes);
QString dateText(std::int64_t secondsSinceEpoch);

// The summaries at the end of the rule's run, a restore and an emptying; a failure is named with the count
// of recordings it left as they were.
QString expirySummary(const ExpiryOutcome& moved, const ExpiryOutcome& purged, int purgeDays);
QString restoreSummary(const ExpiryOutcome& restored);
QString purgeSummary(const ExpiryOutcome& purged);
// Asked before "清空".
QString purgeQuestion(std::size_t count, std::uint64_t bytes);

}  // namespace tapelink
