#include "web/request_record.h"

#include <gtest/gtest.h>

namespace pelorin {
namespace {

TEST(RequestRecordTest, ReadsInOrderAndStopsAtFirstMissingField) {
  RequestRecord record;
  record.Write({Text("Vexlorn_OK"), Text("HTTP/1.1 200 OK\r\n\r\n"), Bytes(std::string("a\0b", 3))});
  Text tag, rawHeaders, cookies = "kept";
  Bytes body;
  EXPECT_EQ(record.Read(tag, rawHeaders, body, cookies), 3u);
  EXPECT_EQ(tag, "Vexlorn_OK");
  EXPECT_EQ(body.Size(), 3u);
  EXPECT_EQ(cookies, "kept");  // the read stopped before it
}

TEST(RequestRecordTest, EmptyRecordSetsNothing) {
  RequestRecord record;
  record.Write({Text("x"), true});
  record.Empty();
  Text tag;
  bool flag = false;
  EXPECT_EQ(record.Read(tag, flag), 0u);
  EXPECT_EQ(tag, "");
  EXPECT_EQ(record.FieldCount(), 0u);
}

TEST(RequestRecordTest, TypeMismatchStopsTheRead) {
  RequestRecord record;
  record.Write({Text("a"), true, Text("c")});
  Text first, second = "old", third = "old";
  EXPECT_EQ(record.Read(first, second, third), 1u);
  EXPECT_EQ(second, "old");
  EXPECT_EQ(third, "old");
}

TEST(RequestRecordTest, WriteAppendsAfterLastField) {
  RequestRecord record;
  record.Write({Text("a")});
  record.Write(Text("b"));
  Text a, b;
  EXPECT_EQ(record.Take(a, b), 2u);
  EXPECT_EQ(a + b, "ab");
}

}  // namespace
}  // namespace pelorin
