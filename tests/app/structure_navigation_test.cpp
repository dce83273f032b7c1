// The shipped program's structure, run headless: the main window at start, every menu item
// opening its window with its title and placement (the main window closed, or hidden for
// the chord-type window), "Esci" bringing the main window back, the instrument choice
// reaching the next guide sound, "Info Armonix", and quitting by the menu and by Ctrl+Q.
#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>

#include "tests/app/apprun.h"

namespace {

// The screen is 1024 x 768. A window of placement 1, 2 or 3 is centred across and put a
// quarter of the free height down; placement 0 means the frame's default, left 10, top 50.
constexpr char kMainWindow[] = "window \"\" 316 140 391 206 visible active\n";

struct Opening {
  const char* menu;   // the path the student chooses
  const char* title;  // the title of the window that appears
  int left, top, width, height;
  int esciLeft, esciTop;  // where its "Esci" button is
  bool keepsMain;         // the main window is hidden, not closed
  bool hidesItself;       // "Esci" hides the window instead of closing it
};

const Opening kOpenings[] = {
    {"Ear training/Note/Soprano", "Note soprano", 10, 50, 508, 225, 385, 170, false, false},
    {"Ear training/Note/Alto", "Note contralto", 10, 50, 508, 225, 385, 170, false, false},
    {"Ear training/Note/Tenore", "Note tenore", 10, 50, 508, 225, 385, 170, false, false},
    {"Ear training/Note/Basso", "Note basso", 10, 50, 508, 225, 385, 170, false, false},
    {"Ear training/Accordi", "Accordi stato fondamentale", 10, 50, 508, 225, 420, 180, true, true},
    {"Ear training/Scale/Maggiore", "Scala maggiore", 10, 50, 508, 225, 420, 186, false, false},
    {"Ear training/Scale/Minore armonica", "Scala minore armonica", 10, 50, 508, 225, 420, 186, false, false},
    {"Ear training/Scale/Minore melodica", "Scala minore melodica", 10, 50, 508, 400, 415, 365, false, false},
    {"Ear training/Scale/Minore naturale", "Scala minore naturale", 10, 50, 508, 225, 420, 186, false, false},
    {"Ear training/Scale/Ionica", "Scala ionica", 10, 50, 508, 225, 420, 186, false, false},
    {"Ear training/Scale/Dorica", "Scala dorica", 10, 50, 508, 225, 420, 186, false, false},
    {"Ear training/Scale/Frigia", "Scala frigia", 10, 50, 508, 225, 420, 186, false, false},
    {"Ear training/Scale/Lidia", "Scala lidia", 10, 50, 508, 225, 420, 186, false, false},
    {"Ear training/Scale/Misolidia", "Scala misolidia", 10, 50, 508, 225, 420, 186, false, false},
    {"Ear training/Scale/Eolia", "Scala eolia", 10, 50, 508, 225, 420, 186, false, false},
    {"Ear training/Scale/Locria", "Scala locria", 10, 50, 508, 225, 420, 186, false, false},
    {"Ear training/Scale/Pentatonica", "Scala pentatonica", 10, 50, 508, 225, 420, 186, false, false},
    {"Ear training/Scale/Esatonale", "Scala esatonale", 10, 50, 508, 225, 420, 186, false, false},
    {"Ear training/Intervalli", "Intervalli", 10, 50, 508, 225, 385, 170, false, false},
    {"Ear training/Cadenze", "Cadenze", 10, 50, 508, 225, 400, 155, false, false},
    {"Ear training/Armonie/Modo maggiore", "Armonie modo maggiore", 258, 135, 508, 225, 385, 170, false, false},
    {"Ear training/Armonie/Modo minore", "Armonie modo minore", 258, 135, 508, 225, 385, 170, false, false},
    {"Dettati/Melodici", "Dettati melodici", 258, 135, 508, 225, 425, 172, false, false},
    {"Dettati/Modo maggiore", "Dettato armonico modo maggiore", 258, 135, 508, 225, 425, 172, false, false},
    {"Dettati/Modo minore", "Dettato armonico modo minore", 258, 135, 508, 225, 425, 172, false, false},
    {"Cadenze/Perfetta", "Cadenza perfetta", 10, 50, 508, 225, 384, 184, false, false},
    {"Cadenze/Imperfetta", "Cadenza imperfetta", 10, 50, 508, 225, 384, 184, false, false},
    {"Cadenze/D'inganno", "Cadenza alla d'inganno", 10, 50, 508, 225, 384, 184, false, false},
    {"Cadenze/Plagale", "Cadenza plagale", 10, 50, 508, 225, 384, 184, false, false},
    {"Cadenze/Sospesa", "Cadenza sospesa", 10, 50, 508, 225, 384, 184, false, false},
    {"Cadenze/Frigia", "Cadenza frigia", 10, 50, 508, 225, 400, 170, false, false},
    {"Cadenze/Composta", "Cadenza composta", 10, 50, 508, 225, 400, 170, false, false},
    {"Cadenze/Evitata", "Cadenza evitata", 10, 50, 508, 225, 384, 184, false, false},
    {"Cadenze/Alla sottodom.", "Cadenza alla sottodominante", 10, 50, 508, 225, 384, 184, false, false},
    {"Armonie/Modo maggiore", "Armonie modo maggiore", 10, 50, 521, 252, 228, 221, false, false},
    {"Armonie/Modo minore", "Armonie modo minore", 10, 50, 521, 252, 228, 221, false, false},
    {"Accordi/Stato fondamentale", "Accordi stato fondamentale", 10, 50, 508, 225, 420, 180, false, false},
    {"Accordi/I° rivolto", "Accordi primo rivolto", 10, 50, 508, 225, 420, 180, false, false},
    {"Accordi/II° rivolto", "Accordi secondo rivolto", 10, 50, 508, 225, 420, 180, false, false},
    {"Accordi/III° rivolto", "Accordi terzo rivolto", 10, 50, 508, 225, 420, 180, false, false},
    {"Strumenti/Cambia", "Cambia", 431, 79, 162, 451, 43, 403, false, true},
};

void PrintTo(const Opening& o, std::ostream* os) { *os << o.menu; }

std::string WindowLine(const Opening& o, const char* state) {
  return "window \"" + std::string(o.title) + "\" " + std::to_string(o.left) + " " +
         std::to_string(o.top) + " " + std::to_string(o.width) + " " + std::to_string(o.height) +
         " " + state + "\n";
}

TEST(Start, ShowsTheMainWindowWithItsTitleAndCreditLine) {
  apptest::Session s = apptest::Run("dump\nmenu \"Archivio/Esci\"\n");
  ASSERT_EQ(s.status, 0) << s.errors;
  EXPECT_EQ(s.errors, "");
  std::vector<std::string> dumps = apptest::Dumps(s.output);
  ASSERT_EQ(dumps.size(), 1u) << s.output;
  EXPECT_EQ(dumps[0].rfind(kMainWindow, 0), 0u) << dumps[0];
  EXPECT_NE(dumps[0].find("\"Armonix\" 37 13 481 155"), std::string::npos) << dumps[0];
  // The main window's player has instrument 1 and takes channel 0.
  EXPECT_EQ(s.midi, (std::vector<std::string>{"open", apptest::Program(0, 1), "close"}));
}

class MenuOpening : public ::testing::TestWithParam<Opening> {};

TEST_P(MenuOpening, ShowsItsWindowAndEsciComesBack) {
  const Opening& o = GetParam();
  std::string title = o.title;
  apptest::Session s = apptest::Run(
      "menu \"" + std::string(o.menu) + "\"\ndump\n" +
      "move \"" + title + "\" " + std::to_string(o.esciLeft + 5) + " " + std::to_string(o.esciTop + 5) +
      "\nclick\ndump\nmenu \"Archivio/Esci\"\n");
  ASSERT_EQ(s.status, 0) << s.errors;
  EXPECT_EQ(s.errors, "");
  std::vector<std::string> dumps = apptest::Dumps(s.output);
  ASSERT_EQ(dumps.size(), 2u) << s.output;

  // The exercise window is in front and active; the main window is gone, or hidden.
  EXPECT_EQ(dumps[0].rfind(WindowLine(o, "visible active"), 0), 0u) << dumps[0];
  std::string main = apptest::WindowBlock(dumps[0], "");
  if (o.keepsMain)
    EXPECT_EQ(main.rfind("window \"\" 316 140 391 206 hidden\n", 0), 0u) << dumps[0];
  else
    EXPECT_EQ(main, "") << dumps[0];

  // After "Esci" the main window is back in front; the exercise window closed or hidden.
  EXPECT_EQ(dumps[1].rfind(kMainWindow, 0), 0u) << dumps[1];
  std::string left = apptest::WindowBlock(dumps[1], title);
  if (o.hidesItself)
    EXPECT_EQ(left.rfind(WindowLine(o, "hidden"), 0), 0u) << dumps[1];
  else
    EXPECT_EQ(left, "") << dumps[1];
}

INSTANTIATE_TEST_SUITE_P(EveryItem, MenuOpening, ::testing::ValuesIn(kOpenings),
                         [](const ::testing::TestParamInfo<Opening>& info) {
                           return "Item" + std::to_string(info.index);
                         });

// An exercise window opened, left and opened again is made afresh from its description.
TEST(Navigation, ReopeningAnExerciseRecreatesItsWindow) {
  apptest::Session s = apptest::Run(
      "menu \"Ear training/Note/Basso\"\nmove \"Note basso\" 390 175\nclick\n"
      "menu \"Ear training/Note/Soprano\"\ndump\nkey Ctrl+Q\n");
  ASSERT_EQ(s.status, 0) << s.errors;
  std::vector<std::string> dumps = apptest::Dumps(s.output);
  ASSERT_EQ(dumps.size(), 1u) << s.output;
  EXPECT_EQ(dumps[0].rfind("window \"Note soprano\" 10 50 508 225 visible active\n", 0), 0u) << dumps[0];
  EXPECT_EQ(dumps[0].find("Note basso"), std::string::npos) << dumps[0];
}

// "Info Armonix" (at the end of "Accordi": the application menu shows no menu of its own).
TEST(Navigation, InfoArmonixShowsTheProgramsNameAndVersion) {
  apptest::Session s = apptest::Run("menu \"Accordi/Info Armonix\"\ndump\nmenu \"Archivio/Esci\"\n");
  ASSERT_EQ(s.status, 0) << s.errors;
  EXPECT_EQ(s.errors, "");
  EXPECT_NE(s.output.find("msgbox \"Message\" \"Armonix 1.0\\nEsercizi di ear training per studenti di armonia"), std::string::npos) << s.output;
  std::vector<std::string> dumps = apptest::Dumps(s.output);
  ASSERT_EQ(dumps.size(), 1u) << s.output;
  EXPECT_EQ(dumps[0].rfind(kMainWindow, 0), 0u) << dumps[0];
}

struct Quitting {
  const char* name;
  const char* script;
};

const Quitting kQuits[] = {
    {"MenuInTheMainWindow", "menu \"Archivio/Esci\"\nidle 2\ndump\n"},
    {"CtrlQInTheMainWindow", "key Ctrl+Q\nidle 2\ndump\n"},
    {"CtrlQInAnExercise", "menu \"Ear training/Intervalli\"\nkey Ctrl+Q\nidle 2\ndump\n"},
    {"CtrlQWithTheMainWindowHidden", "menu \"Ear training/Accordi\"\nkey Ctrl+Q\nidle 2\ndump\n"},
};

void PrintTo(const Quitting& q, std::ostream* os) { *os << q.name; }

class Quit : public ::testing::TestWithParam<Quitting> {};

// Quitting ends the run at once with status 0: the commands after it never run.
TEST_P(Quit, EndsTheRunWithStatusZero) {
  apptest::Session s = apptest::Run(GetParam().script);
  EXPECT_EQ(s.status, 0) << s.errors;
  EXPECT_EQ(s.errors, "");
  EXPECT_EQ(s.output, "");
  ASSERT_FALSE(s.midi.empty());
  EXPECT_EQ(s.midi.back(), "close");
}

INSTANTIATE_TEST_SUITE_P(EveryWay, Quit, ::testing::ValuesIn(kQuits),
                         [](const ::testing::TestParamInfo<Quitting>& info) { return info.param.name; });

// ---- The instrument choice ----------------------------------------------------------------

struct Instrument {
  const char* caption;
  int top;      // the radio button's Top in "Cambia"
  int program;  // what the next guide sound's player is given
};

const Instrument kInstruments[] = {
    {"Piano", 30, 1},        {"Voce", 60, 53},     {"Organo", 90, 20},
    {"Chitarra", 120, 25},   {"Violino", 150, 41}, {"Fisarmonica", 180, 23},
    {"Oboe", 210, 69},       {"Clarinetto", 240, 72}, {"Flauto", 270, 74},
    {"Tromba", 300, 57},     {"Sax tenore", 330, 67}, {"Corno", 360, 70},
};

// Chooses from "Cambia" (or nothing when top is 0), leaves it with "Esci", opens "Note
// soprano" and rests on its guide button, then leaves it.
apptest::Session GuideSoundAfterChoosing(int top) {
  std::string script = "menu \"Strumenti/Cambia\"\n";
  if (top != 0) script += "move \"Cambia\" 35 " + std::to_string(top + 10) + "\nclick\n";
  script += "move \"Cambia\" 48 410\nclick\n"
            "menu \"Ear training/Note/Soprano\"\n"
            "move \"Note soprano\" 40 25\nidle 2\nmove \"Note soprano\" 300 100\nidle 2\n"
            "key Ctrl+Q\n";
  return apptest::Run(script);
}

void PrintTo(const Instrument& i, std::ostream* os) { *os << i.caption; }

class InstrumentChoice : public ::testing::TestWithParam<Instrument> {};

// "Note soprano" is made while the main window still holds channel 0, so its player has
// channel 1: the chosen program, then the guide note C3, then its note-off.
TEST_P(InstrumentChoice, ReachesTheNextGuideSound) {
  apptest::Session s = GuideSoundAfterChoosing(GetParam().top);
  ASSERT_EQ(s.status, 0) << s.errors;
  EXPECT_EQ(s.errors, "");
  std::vector<std::string> words = apptest::Words(s.midi);
  std::vector<std::string> expected = {apptest::Program(0, 1), apptest::Program(0, 1),
                                       apptest::Program(1, GetParam().program),
                                       apptest::NoteOn(1, 60), apptest::NoteOff(1, 60)};
  EXPECT_EQ(words, expected);
}

INSTANTIATE_TEST_SUITE_P(EveryRadioButton, InstrumentChoice, ::testing::ValuesIn(kInstruments),
                         [](const ::testing::TestParamInfo<Instrument>& info) {
                           std::string name;
                           for (const char* c = info.param.caption; *c; ++c)
                             if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
                           return name;
                         });

TEST(InstrumentChoice, NoneChosenSendsNoProgramChange) {
  apptest::Session s = GuideSoundAfterChoosing(0);
  ASSERT_EQ(s.status, 0) << s.errors;
  std::vector<std::string> words = apptest::Words(s.midi);
  std::vector<std::string> expected = {apptest::Program(0, 1), apptest::Program(0, 1),
                                       apptest::NoteOn(1, 60), apptest::NoteOff(1, 60)};
  EXPECT_EQ(words, expected);
}

// The choice outlives the exercise: "Flauto", then an exercise left and another opened.
TEST(InstrumentChoice, FlautoStaysChosenForTheNextExercise) {
  apptest::Session s = apptest::Run(
      "menu \"Strumenti/Cambia\"\nmove \"Cambia\" 35 280\nclick\nmove \"Cambia\" 48 410\nclick\n"
      "menu \"Ear training/Intervalli\"\nmove \"Intervalli\" 390 175\nclick\n"
      "menu \"Ear training/Note/Basso\"\n"
      "move \"Note basso\" 40 25\nidle 2\nmove \"Note basso\" 300 100\nidle 2\n"
      "key Ctrl+Q\n");
  ASSERT_EQ(s.status, 0) << s.errors;
  std::vector<std::string> words = apptest::Words(s.midi);
  ASSERT_GE(words.size(), 3u);
  std::vector<std::string> tail(words.end() - 3, words.end());
  EXPECT_EQ(tail, (std::vector<std::string>{apptest::Program(1, 74), apptest::NoteOn(1, 60),
                                            apptest::NoteOff(1, 60)}));
}

}  // namespace
