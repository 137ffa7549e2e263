#include <gtest/gtest.h>

#include <string>

#include "fixtures/FileBuilder.h"
#include "fixtures/TempDir.h"
#include "gamedata/FrameStream.h"
#include "gamedata/Stream.h"

namespace fx {
namespace {

// 10,000 bytes whose value at offset i is i % 251, so a byte tells where it came from.
std::string Numbered(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i)
    bytes[i] = static_cast<char>(i % 251);
  return bytes;
}

unsigned char ByteAt(std::size_t offset) {
  return static_cast<unsigned char>(offset % 251);
}

std::string ReadString(TStream& stream, std::int64_t count) {
  std::string bytes(static_cast<std::size_t>(count), '\0');
  bytes.resize(static_cast<std::size_t>(stream.Read(bytes.data(), count)));
  return bytes;
}

TEST(FrameStreamTest, FirstReadPositionsParentAtStart) {
  TMemoryStream parent(Numbered(10000));
  TFrameStream window(parent, 5000, 100);
  unsigned char b = 0;
  ASSERT_EQ(window.Read(&b, 1), 1);
  EXPECT_EQ(b, ByteAt(5000));
  EXPECT_EQ(parent.Position(), 5001);
  EXPECT_EQ(window.Position(), 1);
}

TEST(FrameStreamTest, NestedWindowsAddTheirStarts) {
  TMemoryStream parent(Numbered(10000));
  TFrameStream outer(parent, 5000, 3000);
  TFrameStream inner(outer, 1000, 500);
  unsigned char b = 0;
  ASSERT_EQ(inner.Read(&b, 1), 1);
  EXPECT_EQ(b, ByteAt(6000));
  EXPECT_EQ(parent.Position(), 6001);
}

TEST(FrameStreamTest, StartMinusOneTakesParentPosition) {
  TMemoryStream parent(Numbered(10000));
  parent.SetPosition(300);
  TFrameStream window(parent, TFrameStream::kCurrentPosition, 10);
  EXPECT_EQ(window.Start(), 300);
  unsigned char b = 0;
  window.Read(&b, 1);
  EXPECT_EQ(b, ByteAt(300));
}

TEST(FrameStreamTest, ReadsStopAtTheWindowEnd) {
  TMemoryStream parent(Numbered(10000));
  TFrameStream window(parent, 100, 10);
  EXPECT_EQ(ReadString(window, 50).size(), 10u);
  EXPECT_EQ(window.Read(nullptr, 5), 0);
  EXPECT_EQ(parent.Position(), 110);
  EXPECT_EQ(window.Position(), 10);
}

TEST(FrameStreamTest, NegativeOrEmptyWindowReadsNothing) {
  TMemoryStream parent(Numbered(100));
  TFrameStream empty(parent, 10, 0);
  TFrameStream negative(parent, 10, -50);
  EXPECT_EQ(ReadString(empty, 10), "");
  EXPECT_EQ(ReadString(negative, 10), "");
}

TEST(FrameStreamTest, SeekFromEachOrigin) {
  TMemoryStream parent(Numbered(10000));
  TFrameStream window(parent, 2000, 1000);
  EXPECT_EQ(window.Seek(10, TSeekOrigin::Beginning), 10);
  EXPECT_EQ(parent.Position(), 2010);
  EXPECT_EQ(window.Seek(5, TSeekOrigin::Current), 15);
  EXPECT_EQ(parent.Position(), 2015);
  EXPECT_EQ(window.Seek(-3, TSeekOrigin::Current), 12);
  EXPECT_EQ(parent.Position(), 2012);
  // From the end the offset counts backwards.
  EXPECT_EQ(window.Seek(100, TSeekOrigin::End), 900);
  EXPECT_EQ(parent.Position(), 2900);
  EXPECT_EQ(window.Size(), 1000);
  EXPECT_EQ(window.Position(), 900);
}

TEST(FrameStreamTest, WriteGoesToParentAtItsPosition) {
  TMemoryStream parent(std::string(20, '.'));
  TFrameStream window(parent, 5, 10);
  window.Seek(2, TSeekOrigin::Beginning);
  EXPECT_EQ(window.Write("ab", 2), 2);
  EXPECT_EQ(parent.Bytes(), std::string(7, '.') + "ab" + std::string(11, '.'));
  EXPECT_EQ(window.Position(), 4);
}

TEST(FileStreamTest, ReadsSeeksAndReportsMissingFile) {
  test::TTempDir dir;
  test::WriteFileBytes(dir / "f.bin", Numbered(300));
  TFileStream file(dir / "f.bin", TFileStream::TMode::OpenRead);
  EXPECT_EQ(file.Size(), 300);
  file.Seek(250, TSeekOrigin::Beginning);
  EXPECT_EQ(ReadString(file, 100).size(), 50u);
  EXPECT_THROW(TFileStream(dir / "missing.bin", TFileStream::TMode::OpenRead), EFOpenError);
  EXPECT_THROW(file.Seek(-1, TSeekOrigin::Beginning), EStreamError);
}

TEST(FileStreamTest, ReadBufferRaisesOnShortRead) {
  TMemoryStream stream("abc");
  char bytes[4];
  EXPECT_THROW(stream.ReadBuffer(bytes, 4), EReadError);
}

}  // namespace
}  // namespace fx
