#pragma once

#include <QStringView>

// Every key of the document file, spelled once for the reader and the writer.
namespace VaultFileKeys {
// The container of every version.
inline constexpr QStringView appversion = u"appversion";
inline constexpr QStringView latestPlatform = u"latestPlatform";

// Current format: check pieces and the four ciphertexts.
inline constexpr QStringView salt = u"salt";
inline constexpr QStringView iv = u"IV";
inline constexpr QStringView rc = u"rc";
inline constexpr QStringView sha1Rc = u"sha1-rc";
inline constexpr QStringView dataArrayData = u"dataArrayData";
inline constexpr QStringView catArrayData = u"catArrayData";
inline constexpr QStringView emailArrayData = u"emailArrayData";
inline constexpr QStringView documentCreationDateData = u"documentCreationDateData";
inline constexpr QStringView desktopPlatformDictionary = u"OSXPlatformDictionary";
inline constexpr QStringView mobilePlatformDictionary = u"iOSPlatformDictionary";

// The desktop view state; the window frame keys also sit at the top of older files.
inline constexpr QStringView windowRecHeight = u"windowRecHeight";
inline constexpr QStringView windowRecWidth = u"windowRecWidth";
inline constexpr QStringView windowRecX = u"windowRecX";
inline constexpr QStringView windowRecY = u"windowRecY";
inline constexpr QStringView columnSizes = u"columnSizes";
inline constexpr QStringView columnVisibilities = u"columnVisibilities";
inline constexpr QStringView splitLeftFrame = u"splitLeftFrame";
inline constexpr QStringView splitRightFrame = u"splitRightFrame";
inline constexpr QStringView makeToolbarVisibleAtDecrypt = u"makeToolbarVisibleAtDecrypt";
inline constexpr QStringView customTableSettings = u"customTableSettings";
inline constexpr QStringView latestOrderedColumn = u"latestOrderedColumn";
inline constexpr QStringView latestOrderedColumnAscending = u"latestOrderedColumnAscending";

// Older formats.
inline constexpr QStringView passwordTableWidth = u"passwordTableWidth";
inline constexpr QStringView emailTableWidth = u"emailTableWidth";
inline constexpr QStringView categoryTableWidth = u"categoryTableWidth";
inline constexpr QStringView nameTableWidth = u"nameTableWidth";
inline constexpr QStringView urlTableWidth = u"urlTableWidth";
inline constexpr QStringView accountTableWidth = u"accountTableWidth";
inline constexpr QStringView userIDTableWidth = u"userIDTableWidth";
inline constexpr QStringView catArray = u"catArray";
inline constexpr QStringView dataArray = u"dataArray";
}  // namespace VaultFileKeys
