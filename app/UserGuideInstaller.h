#pragma once

#include <QString>

// Puts a copy of the user guide, named for this release, into the user's data folder, and
// removes the copies that earlier releases left there. It removes only regular files whose
// names are "<guide name> <something>.pdf" or "<guide name>.pdf": never a folder, never
// anything else the user keeps there, and nothing at all when the guide has no name.
class UserGuideInstaller {
 public:
  UserGuideInstaller(QString guideName, QString copyName)
      : guideName_(std::move(guideName)), copyName_(std::move(copyName)) {}

  // The path of the copy in folder; copies source only when nothing is there yet (a copy the
  // user changed is kept). Failures are not reported: the path is answered in any case.
  QString install(const QString& source, const QString& folder) const;

  // Whether an entry of that name is an older copy of this guide.
  bool isOlderCopy(const QString& fileName) const;

 private:
  QString guideName_;
  QString copyName_;
};
