#include "flashhost/swf_body_reader.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/deflate.h"

namespace {

using swfp::test::Deflate;

std::vector<uint8_t> Counting(size_t n) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(i * 13 + i / 256);
  return v;
}

TEST(SwfBodyReader, StoredReadsAndSkipsWithinTheData) {
  const auto data = Counting(100);
  SwfBodyReader r = SwfBodyReader::Stored(data);
  uint8_t buf[10];
  EXPECT_EQ(r.Read(buf, 10), 10u);
  EXPECT_EQ(buf[9], data[9]);
  EXPECT_EQ(r.Skip(85), 85u);
  EXPECT_EQ(r.Read(buf, 10), 5u);
  EXPECT_EQ(buf[0], data[95]);
  EXPECT_EQ(r.Skip(1), 0u);
  EXPECT_FALSE(r.Failed());
}

TEST(SwfBodyReader, InflatingMatchesTheOriginalAcrossWindowBoundaries) {
  const auto data = Counting(200000);
  const auto packed = Deflate(data);
  SwfBodyReader r = SwfBodyReader::Inflating(packed);
  std::vector<uint8_t> head(7);
  ASSERT_EQ(r.Read(head.data(), head.size()), 7u);
  EXPECT_TRUE(std::equal(head.begin(), head.end(), data.begin()));
  EXPECT_EQ(r.Skip(100000), 100000u);
  std::vector<uint8_t> rest(data.size());
  const size_t got = r.Read(rest.data(), rest.size());
  EXPECT_EQ(got, data.size() - 100007);
  EXPECT_TRUE(std::equal(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(got), data.begin() + 100007));
  EXPECT_TRUE(r.StreamEnded());
  EXPECT_FALSE(r.Failed());
}

TEST(SwfBodyReader, CorruptAndCutStreamsFail) {
  const auto data = Counting(5000);
  auto packed = Deflate(data);
  auto cut = std::vector<uint8_t>(packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(packed.size() / 2));
  SwfBodyReader r = SwfBodyReader::Inflating(cut);
  EXPECT_LT(r.Skip(data.size()), data.size());
  EXPECT_TRUE(r.Failed());

  const std::vector<uint8_t> notZlib{'h', 'e', 'l', 'l', 'o'};
  SwfBodyReader bad = SwfBodyReader::Inflating(notZlib);
  uint8_t b;
  EXPECT_EQ(bad.Read(&b, 1), 0u);
  EXPECT_TRUE(bad.Failed());

  SwfBodyReader empty = SwfBodyReader::Inflating({});
  EXPECT_EQ(empty.Read(&b, 1), 0u);
  EXPECT_TRUE(empty.Failed());
}

}  // namespace
