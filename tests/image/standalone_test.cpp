// Standalone executables written by the image kit: a copy of a bare runtime with the image
// appended and its .pickle section patched runs the image's entry; amxdump prints it; a
// damaged copy is refused with its message and runs nothing.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "tests/image/imagetestsupport.h"
#include "tests/support/runprogram.h"

namespace {

using imagekit::Bytes;
using imagekit::Image;

using RunResult = runprogram::CommandRun;

// Runs a command with its stderr folded into the output it returns.
RunResult RunCommand(const std::string& command) { return runprogram::RunCommand(command + " 2>&1"); }

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// entry: puts("hello from the image") through a library link; ret
Image GreetingImage() {
  imagekit::ImageBuilder b;
  imagekit::DataLabel text = b.NewDataLabel();
  b.BindData(text);
  std::string greeting = "hello from the image";
  b.EmitData(Bytes(greeting.begin(), greeting.end()));
  b.EmitData({0});
  imagekit::CodeLabel entry = b.NewCodeLabel();
  b.EmitCode({0x90});                       // nop
  b.BindCode(entry);
  b.EmitDataAddress({0x68}, text);          // push text
  b.EmitEntryCall("!Xlibc.so.6!puts");      // call puts
  b.EmitCode({0x83, 0xC4, 0x04});           // add esp, 4
  b.EmitCode({0xC3});                       // ret
  b.SetEntryFunction(entry);
  b.SetApplicationDescriptor(b.AddApplicationDescriptor());
  return b.Finish();
}

TEST(StandaloneExecutable, RunsItsImageAndReadsBack) {
  ScratchDir dir;
  std::string app = dir.path() + "/app";
  Image image = GreetingImage();
  imagekit::WriteExecutable(image, IMAGE_HOST_PATH, app);
  RunResult run = RunCommand(app);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output, "hello from the image\n");

  Bytes host = ReadAll(IMAGE_HOST_PATH);
  imagekit::PickleInfo pickle = imagekit::ReadPickle(ReadAll(app));
  EXPECT_TRUE(pickle.found);
  EXPECT_FALSE(pickle.development);
  EXPECT_EQ(pickle.imageOffset, host.size());
  EXPECT_EQ(pickle.resourceOffset, 0xFFFFFFFFu);
  Image back = imagekit::ReadImageFile(app);
  EXPECT_EQ(back.code1, image.code1);
  EXPECT_EQ(back.code2, image.code2);
  EXPECT_EQ(back.data1, image.data1);
  EXPECT_EQ(back.data2, image.data2);
  // Only the section's 8 bytes differ from the bare runtime.
  Bytes written = ReadAll(app);
  size_t differences = 0;
  for (size_t i = 0; i < host.size(); ++i) differences += host[i] != written[i];
  EXPECT_LE(differences, 8u);

  RunResult dump = RunCommand(std::string(AMXDUMP_PATH) + " --disassemble " + app);
  EXPECT_EQ(dump.status, 0) << dump.output;
  EXPECT_NE(dump.output.find("\"!Xlibc.so.6!puts\"                       library"), std::string::npos)
      << dump.output;
  EXPECT_NE(dump.output.find("call    <!Xlibc.so.6!puts>"), std::string::npos) << dump.output;
}

TEST(StandaloneExecutable, DamagedCopyIsRefusedAndRunsNothing) {
  ScratchDir dir;
  std::string app = dir.path() + "/app";
  imagekit::WriteExecutable(GreetingImage(), IMAGE_HOST_PATH, app);
  Bytes bytes = ReadAll(app);
  bytes.pop_back();  // data2 loses its last byte
  std::ofstream(app, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  RunResult run = RunCommand(app);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output.find("hello"), std::string::npos);
  EXPECT_EQ(run.output.rfind("msgbox \"Message\" \"The application could not be loaded because its "
                             "image is damaged: the data2 block at file offset ", 0),
            0u)
      << run.output;
  RunResult dump = RunCommand(std::string(AMXDUMP_PATH) + " " + app);
  EXPECT_EQ(dump.status, 1);
  EXPECT_NE(dump.output.find("data2: length 4 is larger than the 3 bytes left in the file"),
            std::string::npos)
      << dump.output;
}

TEST(StandaloneExecutable, OnlyBareRuntimesTakeAnImage) {
  ScratchDir dir;
  std::string app = dir.path() + "/app";
  imagekit::WriteExecutable(GreetingImage(), IMAGE_HOST_PATH, app);
  EXPECT_THROW(imagekit::WriteExecutable(GreetingImage(), app, dir.path() + "/again"),
               imagekit::ImageError);
  std::ofstream(dir.path() + "/text") << "not an executable";
  EXPECT_THROW(imagekit::WriteExecutable(GreetingImage(), dir.path() + "/text", dir.path() + "/x"),
               imagekit::ImageError);
  EXPECT_THROW(imagekit::ReadImageFile(IMAGE_HOST_PATH), imagekit::ImageError);
}

}  // namespace
