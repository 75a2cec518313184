#pragma once

#include <QString>
#include <QtGlobal>
#include <utility>
#include <variant>

// Why an operation on outside bytes failed, in words a user or a log can show.
struct Failure {
  QString message;
};

// A value or the reason there is none: readers of outside bytes answer with this instead of
// throwing through their callers. E is the reason's type; it carries at least a message.
template <typename T, typename E = Failure>
class [[nodiscard]] Result {
 public:
  Result(T value) : storage_(std::in_place_index<0>, std::move(value)) {}  // NOLINT: implicit
  Result(E failure) : storage_(std::in_place_index<1>, std::move(failure)) {}

  bool ok() const { return storage_.index() == 0; }
  explicit operator bool() const { return ok(); }

  // Only when the operation succeeded (debug builds stop a caller that did not check).
  const T& value() const {
    Q_ASSERT(ok());
    return std::get<0>(storage_);
  }
  T& value() {
    Q_ASSERT(ok());
    return std::get<0>(storage_);
  }
  T take() {
    Q_ASSERT(ok());
    return std::move(std::get<0>(storage_));
  }
  // The value, or fallback when the operation failed.
  T value_or(T fallback) const { return ok() ? value() : std::move(fallback); }

  // Only when the operation failed.
  const E& failure() const {
    Q_ASSERT(!ok());
    return std::get<1>(storage_);
  }
  // Empty when the operation succeeded.
  QString error() const { return ok() ? QString() : failure().message; }

 private:
  std::variant<T, E> storage_;
};

// An operation that gives nothing back but may fail.
template <typename E>
class [[nodiscard]] Result<void, E> {
 public:
  Result() = default;
  Result(E failure) : failure_(std::move(failure)), ok_(false) {}  // NOLINT: implicit

  bool ok() const { return ok_; }
  explicit operator bool() const { return ok_; }

  // Only when the operation failed.
  const E& failure() const {
    Q_ASSERT(!ok_);
    return failure_;
  }
  QString error() const { return ok_ ? QString() : failure_.message; }

 private:
  E failure_{};
  bool ok_ = true;
};
