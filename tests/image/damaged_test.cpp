// Damaged images: every refusal path of the container reader, the linker, the relocator
// and the library links shows its message in the "Message" box, and nothing of the image
// runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "tests/image/imagetestsupport.h"

namespace {

using imagekit::Bytes;
using imagekit::CodeLabel;
using imagekit::Image;
using imagekit::ImageBuilder;

void PutWord(Bytes& bytes, size_t at, uint32_t value) { memcpy(bytes.data() + at, &value, 4); }

// entry: TestMarkRan(); NAME(); ret  (code1: nop, then the entry at offset 1)
Image MarkingImage(const std::string& extraName = "") {
  ImageBuilder b;
  CodeLabel entry = b.NewCodeLabel();
  b.EmitCode({0x90});                // nop
  b.BindCode(entry);
  b.EmitEntryCall("TestMarkRan");    // call TestMarkRan  (operand at code1+2)
  if (!extraName.empty()) b.EmitEntryCall(extraName);  // call NAME (operand at code1+7)
  b.EmitCode({0xC3});                // ret
  b.SetEntryFunction(entry);
  return b.Finish();
}

void ExpectRefused(const LoadOutcome& outcome, const std::string& message, int ranBefore) {
  EXPECT_FALSE(outcome.loaded);
  EXPECT_NE(outcome.output.find("\"Message\""), std::string::npos) << outcome.output;
  EXPECT_NE(outcome.output.find(message), std::string::npos)
      << "expected: " << message << "\nshown: " << outcome.output;
  EXPECT_EQ(gTestRan, ranBefore) << "image code ran";
}

struct LinkDamage {
  const char* what;
  std::function<void(Image&)> damage;
  std::string message;
};

TEST(DamagedImage, LinkRecordsAndRelocationsAreRefused) {
  const LinkDamage cases[] = {
      {"fix-up outside code1",
       [](Image& i) {
         i.code2.insert(i.code2.begin(), {0x02, 0xFF, 0x00, 0x00, 0x00});
       },
       Damaged("code2 offset 0x0: the data fix-up at code1 offset 0xFF is outside code1 (size 0x7)")},
      {"fix-up straddling the end of code1",
       [](Image& i) { i.code2.insert(i.code2.begin(), {0x02, 0x04, 0x00, 0x00, 0x00}); },
       Damaged("code2 offset 0x0: the data fix-up at code1 offset 0x4 is outside code1 (size 0x7)")},
      {"chain head outside code1",
       [](Image& i) { PutWord(i.code2, 1, 0x1000); },
       Damaged("code2 offset 0x0: the chain of \"TestMarkRan\" has a call site at code1 offset "
               "0x1000, outside code1 (size 0x7)")},
      {"chain continuing outside code1",
       [](Image& i) { PutWord(i.code1, 2, 0x7FFFFFF0); },
       Damaged("code2 offset 0x0: the chain of \"TestMarkRan\" has a call site at code1 offset "
               "0x7FFFFFF0, outside code1 (size 0x7)")},
      {"chain that loops",
       [](Image& i) { PutWord(i.code1, 2, 2); },
       Damaged("code2 offset 0x0: the chain of \"TestMarkRan\" reaches code1 offset 0x2 a second time")},
      {"truncated call link",
       [](Image& i) { i.code2.resize(i.code2.size() - 3); },
       Damaged("code2 offset 0x0: the call link record runs past the end of code2")},
      {"truncated fix-up",
       [](Image& i) { i.code2.insert(i.code2.end(), {0x02, 0x01}); },
       Damaged("code2 offset 0x11: the data fix-up record runs past the end of code2")},
      {"relocation run past data1",
       [](Image& i) { i.data2.insert(i.data2.end(), {0x01, 0x42}); },
       Damaged("data2 offset 0x2: the run of 2 words at data1 offset 0x4 passes the end of data1 "
               "(size 0x8)")},
      {"entry pointer not relocated",
       [](Image& i) { i.data2.clear(); },
       Damaged("data1 offset 0x0: the entry pointer 0x1 does not lead into code1")},
      {"data1 without its head",
       [](Image& i) {
         i.data1.resize(2);
         i.data2.clear();
       },
       Damaged("data1 (size 0x2) is too short to hold its two head words")},
  };
  for (const LinkDamage& c : cases) {
    SCOPED_TRACE(c.what);
    Image image = MarkingImage();
    c.damage(image);
    ScratchDir dir;
    int before = gTestRan;
    ExpectRefused(LoadFromDatFiles(image, dir), c.message, before);
  }
}

TEST(DamagedImage, TwoChainsThroughOneSiteAreRefused) {
  Image image = MarkingImage();
  // A second record whose chain starts at the first record's site.
  const uint8_t second[] = {0x01, 0x02, 0x00, 0x00, 0x00, 0x07, 'T', 'e', 's', 't', 'A', 'd', 'd'};
  image.code2.insert(image.code2.end(), std::begin(second), std::end(second));
  ScratchDir dir;
  int before = gTestRan;
  ExpectRefused(LoadFromDatFiles(image, dir),
                Damaged("code2 offset 0x11: the chain of \"TestAdd\" reaches code1 offset 0x2 a second time"),
                before);
}

TEST(DamagedImage, ContainerLengthsAreCheckedAgainstTheFile) {
  Bytes container = imagekit::EncodeContainer(MarkingImage());
  struct Case {
    const char* what;
    std::function<void(Bytes&)> damage;
    std::string message;
  };
  const Case cases[] = {
      {"code1 longer than the file", [](Bytes& f) { PutWord(f, 16, 0x00075B7A); },
       Damaged("the code1 block at file offset 0x10 has length 0x75B7A but only 0x")},
      {"data2 cut short", [](Bytes& f) { f.resize(f.size() - 1); },
       Damaged("the data2 block at file offset")},
      {"length word missing", [&](Bytes& f) { f.resize(16 + 4 + 7 + 2); },
       Damaged("the code2 length word at file offset 0x1B is past the end of the file")},
      {"huge length", [](Bytes& f) { PutWord(f, 16, 0xFFFFFFFF); },
       Damaged("the code1 block at file offset 0x10 has length 0xFFFFFFFF")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes file(16 + container.size(), 0xAB);
    std::copy(container.begin(), container.end(), file.begin() + 16);
    c.damage(file);
    ScratchDir dir;
    int before = gTestRan;
    ExpectRefused(LoadFromFile(file, 16, dir), c.message, before);
  }
  ScratchDir dir;
  ExpectRefused(LoadFromFile(container, 0x100000, dir),
                Damaged("the image offset 0x100000 is past the end of the file"), gTestRan);
}

TEST(DamagedImage, MissingDevelopmentFile) {
  ScratchDir dir;
  imagekit::WriteDatFiles(MarkingImage(), dir.path());
  std::remove((dir.path() + "/data2.dat").c_str());
  ImageLoadRequest request;
  request.developmentDir = dir.path();
  testing::internal::CaptureStdout();
  int before = gTestRan;
  bool loaded = LoadAndRunImage(request);
  ExpectRefused(LoadOutcome{loaded, testing::internal::GetCapturedStdout()},
                "The application could not be loaded because the image file data2.dat could not be read.",
                before);
}

TEST(DamagedImage, LibraryLinkFailuresUseTheirExactMessages) {
  struct Case {
    const char* link;
    const char* message;
  };
  const Case cases[] = {
      {"!Xlibnosuch-amx.so!f",
       "The application could not be loaded because a necessary shared library libnosuch-amx.so "
       "could not be found."},
      {"!Xlibc.so.6!no_such_routine_amx",
       "The application could not be loaded because the routine no_such_routine_amx could not be "
       "found in the shared library libc.so.6."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.link);
    ScratchDir dir;
    int before = gTestRan;
    ExpectRefused(LoadFromDatFiles(MarkingImage(c.link), dir), c.message, before);
  }
}

}  // namespace
