#include "app/ZVReleaseCheckRules.h"

ZVReleaseCheckRules::Report ZVReleaseCheckRules::reportFor(const std::optional<ZVReleaseFeed>& feed,
                                                           qint64 currentRelease, bool reportUpdate,
                                                           bool reportRest) {
  if (!feed) return reportRest ? Report::NotReachable : Report::Nothing;
  if (feed->latestRelease > currentRelease)
    return reportUpdate ? Report::UpdateAvailable : Report::Nothing;
  return reportRest ? Report::UpToDate : Report::Nothing;
}

bool ZVReleaseCheckRules::lastCheckNotToday(const std::optional<Date>& lastCheck, const Date& now) {
  if (!lastCheck) return true;
  return lastCheck->toDateTime().toLocalTime().date() != now.toDateTime().toLocalTime().date();
}

bool ZVReleaseCheckRules::invitationDue(const std::optional<Date>& lastCheck, const Date& now) {
  if (!lastCheck) return true;
  return now.sinceReferenceDate - lastCheck->sinceReferenceDate > kInvitationSeconds;
}
