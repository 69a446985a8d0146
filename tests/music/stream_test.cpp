// Memory streams over resources and the all-or-nothing table of stream procedures.
#include <gtest/gtest.h>

#include <cstring>

#include "music/module.h"
#include "music/stream.h"

namespace {

TEST(MemoryStream, SeeksClampAndReadsStopAtTheEnd) {
  MemoryStream* s = OpenResourceStream(kPatchResourceId);
  const int32_t size = s->size;
  ASSERT_GT(size, 100);
  uint8_t buffer[8];
  StreamSeek(s, size + 10, 0);
  EXPECT_EQ(StreamTell(s), size);
  EXPECT_EQ(StreamRead(buffer, 1, s), 0);
  StreamSeek(s, 100, 0);
  StreamSeek(s, 0, 1);
  EXPECT_EQ(StreamTell(s), 100);
  StreamSeek(s, -4, 2);
  EXPECT_EQ(StreamTell(s), size - 4);
  // A read straddling the end returns the remainder only and leaves the rest of the buffer alone.
  std::memset(buffer, 0xEE, sizeof buffer);
  EXPECT_EQ(StreamRead(buffer, 8, s), 4);
  EXPECT_EQ(buffer[4], 0xEE);
  StreamSeek(s, -50, 0);
  EXPECT_EQ(StreamTell(s), 0);
  StreamClose(s);

  MemoryStream* unknown = OpenResourceStream(999);  // an unknown resource is an empty stream
  ASSERT_NE(unknown, nullptr);
  EXPECT_EQ(StreamRead(buffer, 4, unknown), 0);
  StreamClose(unknown);
}

// The loader refuses to run without the whole table, and reads no module from an empty stream.
TEST(StreamProcs, AllOrNothing) {
  InstallStreamProcs(OpenResourceStream, StreamClose, nullptr, StreamSeek, StreamTell);
  EXPECT_FALSE(StreamProcsInstalled());
  EXPECT_EQ(InstalledStreamProcs().open, nullptr);
  EXPECT_EQ(LoadModule(kModuleResourceId, nullptr), nullptr);
  InstallStreamProcs(OpenResourceStream, StreamClose, StreamRead, StreamSeek, StreamTell);
  EXPECT_TRUE(StreamProcsInstalled());
  EXPECT_EQ(LoadModule(4242, nullptr), nullptr);  // the signature check fails on no bytes
}

}  // namespace
