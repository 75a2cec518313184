#pragma once

// What list controllers need of their document: being told that an edit happened.
class ChangeCounting {
 public:
  enum ChangeKind { ChangeDone = 0, ChangeCleared = 2 };

  virtual ~ChangeCounting() = default;
  virtual void updateChangeCount(int changeKind) = 0;
};
