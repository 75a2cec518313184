#pragma once

#include <QString>

// Who the application is, and where its maker can be reached. Every address the program
// opens is here, so a change of site or mail address is one edit.
namespace AppIdentity {

inline constexpr long kReleaseNumber = 40200;
inline const QString kAppName = QStringLiteral("Quorlith 4");  // with the major version
inline const QString kShortName = QStringLiteral("Quorlith");
inline const QString kUserGuideName = QStringLiteral("Quorlith 4 User Guide");

// The .example top-level domain is reserved: nothing here can reach a stranger's site
// before the real addresses are filled in.
inline const QString kSupportMail = QStringLiteral("support@quorlith.example");
inline const QString kMakerSite = QStringLiteral("https://www.quorlith.example/");
inline const QString kAppPage = QStringLiteral("https://www.quorlith.example/quorlith/");
inline const QString kSupportPage = QStringLiteral("https://www.quorlith.example/support/");
inline const QString kMakerSocialPage = QStringLiteral("https://twitter.com/quorlith_example");
inline const QString kOtherBrandSocialPage =
    QStringLiteral("https://twitter.com/quorlith_labs_example");
inline const QString kStoreList = QStringLiteral("https://www.quorlith.example/apps/");

}  // namespace AppIdentity
