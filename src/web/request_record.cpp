#include "web/request_record.h"

namespace pelorin {

void RequestRecord::Write(std::initializer_list<Field> fields) {
  fields_.insert(fields_.end(), fields.begin(), fields.end());
}

void RequestRecord::Write(Field field) { fields_.push_back(std::move(field)); }

}  // namespace pelorin
