// The game's command line, which launchers and the web page rely on: the
// usage and version on stdout with 0, an unknown option on stderr with 2,
// and none of them starting the game (no window, no picture loaded).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>
#include <string>

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
  const std::string usage = "usage: quondel [--reduce-flashing] [--help] [--version]\n";
  const Result help = run("--reduce-flashing --help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out, usage);
  EXPECT_EQ(help.err, "");

  const Result version = run("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "quondel " VERSION "\n");

  const Result unknown = run("--x --help");
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.out, "");
  EXPECT_EQ(unknown.err, "quondel: unknown option '--x'\n" + usage);
}

}  // namespace
