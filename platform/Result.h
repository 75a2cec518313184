#pragma once

#include <QString>
#include <utility>
#include <variant>

// Why an operation on outside bytes failed, in words a user or a log can show.
struct Failure {
  QString message;
};

// A value or the reason there is none: readers of outside bytes answer with this instead of
// throwing through their callers.
template <typename T>
class Result {
 public:
  Result(T value) : storage_(std::in_place_index<0>, std::move(value)) {}  // NOLINT: implicit
  Result(Failure failure) : storage_(std::in_place_index<1>, std::move(failure)) {}

  bool ok() const { return storage_.index() == 0; }
  explicit operator bool() const { return ok(); }

  const T& value() const { return std::get<0>(storage_); }
  T& value() { return std::get<0>(storage_); }
  T take() { return std::move(std::get<0>(storage_)); }

  // Empty when the operation succeeded.
  QString error() const { return ok() ? QString() : std::get<1>(storage_).message; }

 private:
  std::variant<T, Failure> storage_;
};
