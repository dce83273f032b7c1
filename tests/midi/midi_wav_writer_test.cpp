// The streaming WAV writer on its own: headers kept up to date, continuing a file it wrote,
// refusing to continue a file of another form, and stopping cleanly at the 4 GiB limit
// (checked on a sparse file, so the test writes almost nothing).
#define _FILE_OFFSET_BITS 64
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "native/midi/wavwriter.h"
#include "tests/midi/midi_fixture.h"
#include "tests/midi/wav_analysis.h"

namespace {

using WavWriterTest = MidiOutTest;

const int16_t kFrames[] = {1, -1, 2, -2, 32767, -32768};

TEST_F(WavWriterTest, HeaderIsCurrentAfterEveryFinish) {
  const std::string path = TempFile("writer.wav");
  std::string error;
  auto writer = midi::WavWriter::Open(path, 22050, true, error);
  ASSERT_NE(writer, nullptr) << error;
  ASSERT_TRUE(writer->Write(kFrames, 3));
  ASSERT_TRUE(writer->Finish());
  WavData wav = ReadWav(path);
  ASSERT_TRUE(wav.valid) << wav.problem;
  EXPECT_EQ(wav.sampleRate, 22050u);
  EXPECT_EQ(wav.samples, std::vector<int16_t>(std::begin(kFrames), std::end(kFrames)));
  ASSERT_TRUE(writer->Write(kFrames, 1));
  writer.reset();
  wav = ReadWav(path);
  EXPECT_EQ(wav.Frames(), 4u);
  EXPECT_EQ(wav.riffSize + 8, wav.fileSize);
}

TEST_F(WavWriterTest, ContinuesOnlyAFileOfItsOwnForm) {
  const std::string path = TempFile("continue.wav");
  std::string error;
  midi::WavWriter::Open(path, 44100, true, error)->Write(kFrames, 2);
  auto again = midi::WavWriter::Open(path, 44100, false, error);
  EXPECT_EQ(again->FramesWritten(), 2u);
  again->Write(kFrames + 4, 1);
  again.reset();
  EXPECT_EQ(ReadWav(path).samples, (std::vector<int16_t>{1, -1, 2, -2, 32767, -32768}));

  auto otherRate = midi::WavWriter::Open(path, 48000, false, error);
  EXPECT_EQ(otherRate->FramesWritten(), 0u) << "another rate: started afresh";
  otherRate.reset();
  EXPECT_EQ(ReadWav(path).Frames(), 0u);

  // A header that claims more data than the file holds is not trusted.
  midi::WavWriter::Open(path, 44100, true, error)->Write(kFrames, 3);
  ASSERT_EQ(truncate(path.c_str(), 44 + 4), 0);
  EXPECT_EQ(midi::WavWriter::Open(path, 44100, false, error)->FramesWritten(), 0u);
}

TEST_F(WavWriterTest, StopsAtTheLargestSizeAHeaderCanDescribe) {
  const std::string path = TempFile("full.wav");
  std::string error;
  const uint32_t nearlyFull = midi::WavWriter::kMaxDataSize - 2 * midi::WavWriter::kBytesPerFrame;
  {
    auto writer = midi::WavWriter::Open(path, 44100, true, error);
    ASSERT_NE(writer, nullptr) << error;
  }
  // Forge a file of our form that is two frames short of full, without writing 4 GiB.
  if (truncate(path.c_str(), off_t{44} + nearlyFull) != 0) {
    GTEST_SKIP() << "this file system cannot hold a sparse 4 GiB file";
  }
  const int fd = open(path.c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  const uint32_t riffSize = 36 + nearlyFull;
  ASSERT_EQ(pwrite(fd, &riffSize, 4, 4), 4);
  ASSERT_EQ(pwrite(fd, &nearlyFull, 4, 40), 4);
  close(fd);

  auto writer = midi::WavWriter::Open(path, 44100, false, error);
  ASSERT_NE(writer, nullptr) << error;
  EXPECT_EQ(writer->FramesWritten(), nearlyFull / 4u);
  EXPECT_FALSE(writer->Write(kFrames, 3));
  EXPECT_EQ(writer->Problem(),
            "the WAV file \"" + path + "\" is full (4 GiB); later sound is not recorded");
  EXPECT_FALSE(writer->Write(kFrames, 1));
  writer.reset();
  struct stat info;
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(uint64_t(info.st_size), uint64_t{44} + midi::WavWriter::kMaxDataSize)
      << "the two frames that fitted were kept, nothing beyond";
  const int check = open(path.c_str(), O_RDONLY);
  uint32_t headerRiff = 0, headerData = 0;
  ASSERT_EQ(pread(check, &headerRiff, 4, 4), 4);
  ASSERT_EQ(pread(check, &headerData, 4, 40), 4);
  close(check);
  EXPECT_EQ(headerData, midi::WavWriter::kMaxDataSize);
  EXPECT_EQ(headerRiff, 36u + midi::WavWriter::kMaxDataSize);
}

}  // namespace
