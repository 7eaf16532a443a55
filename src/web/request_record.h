// The ordered, typed fields that carry one request from WebRequest to its worker, and the reply
// back. Only one side touches a record at a time: the worker from its start to its end, the
// caller after that.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <variant>
#include <vector>

#include "text/text.h"

namespace pelorin {

class RequestRecord {
 public:
  using Field = std::variant<Text, Bytes, bool>;

  // Appends the fields after the last one the record holds.
  void Write(std::initializer_list<Field> fields);
  void Write(Field field);

  // Reads fields from the start into `values`, in order. Reading stops at the first field the
  // record does not hold (or that holds another type); the values after it keep what they held.
  // Returns how many values were set.
  template <typename... Values>
  std::size_t Read(Values&... values) const {
    std::size_t index = 0;
    bool reading = true;
    (ReadOne(index, reading, values), ...);
    return index;
  }
  // The same, moving the values out: for the reply, whose body may be large.
  template <typename... Values>
  std::size_t Take(Values&... values) {
    std::size_t index = 0;
    bool reading = true;
    (TakeOne(index, reading, values), ...);
    return index;
  }

  // Removes every field.
  void Empty() { fields_.clear(); }
  std::size_t FieldCount() const { return fields_.size(); }

 private:
  template <typename Value>
  void ReadOne(std::size_t& index, bool& reading, Value& value) const {
    if (!reading) return;
    if (index >= fields_.size() || !std::holds_alternative<Value>(fields_[index])) {
      reading = false;
      return;
    }
    value = std::get<Value>(fields_[index]);
    ++index;
  }

  template <typename Value>
  void TakeOne(std::size_t& index, bool& reading, Value& value) {
    if (!reading) return;
    if (index >= fields_.size() || !std::holds_alternative<Value>(fields_[index])) {
      reading = false;
      return;
    }
    value = std::move(std::get<Value>(fields_[index]));
    ++index;
  }

  std::vector<Field> fields_;
};

// The tags that mark a request and a reply.
inline constexpr const char* RequestTag = "Vexlorn";
inline constexpr const char* ReplyTag = "Vexlorn_OK";

}  // namespace pelorin
