#pragma once

#include <optional>

#include "app/ZVReleaseFeed.h"
#include "platform/Date.h"

// What a release check decides, apart from fetching and showing: which report a result gets,
// whether today's check is still due, and when to invite a user who turned reports off.
class ZVReleaseCheckRules {
 public:
  enum class Report { Nothing, UpdateAvailable, UpToDate, NotReachable };

  // The invitation comes after 90 days without a check that reached a mirror.
  static constexpr long kInvitationDays = 90;
  static constexpr double kInvitationSeconds = 7776000.0;

  // feed is empty when no mirror gave one.
  static Report reportFor(const std::optional<ZVReleaseFeed>& feed, qint64 currentRelease,
                          bool reportUpdate, bool reportRest);
  // A new calendar day in the local time zone, not 24 hours; true when there was no check.
  static bool lastCheckNotToday(const std::optional<Date>& lastCheck, const Date& now);
  static bool invitationDue(const std::optional<Date>& lastCheck, const Date& now);
};
