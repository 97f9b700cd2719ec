// The game's command line, which launchers and the web page rely on: the
// usage and version on stdout with 0, an unknown option on stderr with 2,
// and none of them starting the game (no window, no picture loaded).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "game.h"

namespace {

struct Result {
  int status;
  std::string out, err;
};

std::string slurp(const std::string &path) {
  std::ostringstream text;
  text << std::ifstream(path).rdbuf();
  return text.str();
}

Result run(const std::string &args) {
  const std::string out = testing::TempDir() + "cli.out", err = testing::TempDir() + "cli.err";
  const std::string command =
      std::string("SDL_VIDEODRIVER=none '") + GAME + "' " + args + " >'" + out + "' 2>'" + err + "'";
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(out), slurp(err)};
}

TEST(CommandLine, HelpVersionAndUnknownOptionsAnswerWithoutPlaying) {
  const std::string usage = "usage: quondel [--reduce-flashing] [--full-flashing] [--help] [--version]\n";
  const Result help = run("--reduce-flashing --help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out, usage +
                          "  --reduce-flashing  play with calmer changes of colour and shape\n"
                          "  --full-flashing    play with full flashing\n"
                          "  --help             print this help and exit\n"
                          "  --version          print the name and version and exit\n"
                          "QUONDEL_REDUCE_FLASHING=1 in the environment also reduces flashing.\n"
                          "Given no mode, the game first shows the warning and asks; given both, reduced wins.\n"
                          "Controls, exit status and the photosensitivity warning: see quondel(6).\n");
  EXPECT_EQ(help.err, "");

  const Result version = run("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "quondel " VERSION "\n");

  const Result unknown = run("--x --help");
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.out, "");
  EXPECT_EQ(unknown.err, "quondel: unknown option '--x'\n" + usage + "Try 'quondel --help' for more information.\n");
}

// What launchers set: the environment for those that cannot pass
// arguments (only "1" counts), the options for the rest. Any choice skips
// the start screen; asked for both modes, the calmer one wins.
TEST(CommandLine, TheEnvironmentOrAnOptionChoosesTheModeAndReducedWins) {
  char name[] = "quondel", option[] = "--reduce-flashing", full[] = "--full-flashing";
  char *plain[] = {name, nullptr}, *with_option[] = {name, option, nullptr}, *both[] = {name, full, option, nullptr};
  setenv("QUONDEL_REDUCE_FLASHING", "0", 1);
  EXPECT_EQ(game_options(1, plain), -1);
  EXPECT_FALSE(reduce_flashing);
  EXPECT_FALSE(flashing_chosen);
  EXPECT_EQ(game_options(2, both), -1);  // --full-flashing alone
  EXPECT_FALSE(reduce_flashing);
  EXPECT_TRUE(flashing_chosen);
  setenv("QUONDEL_REDUCE_FLASHING", "1", 1);
  EXPECT_EQ(game_options(2, both), -1);
  EXPECT_TRUE(reduce_flashing);
  EXPECT_TRUE(flashing_chosen);
  reduce_flashing = false;
  unsetenv("QUONDEL_REDUCE_FLASHING");
  EXPECT_EQ(game_options(2, with_option), -1);
  EXPECT_TRUE(reduce_flashing);
  reduce_flashing = false;
  EXPECT_EQ(game_options(3, both), -1);
  EXPECT_TRUE(reduce_flashing);
}

}  // namespace
