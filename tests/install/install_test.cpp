// The installation as a new user meets it: cmake --install into a temporary
// prefix (moved elsewhere afterwards, so nothing can come from the build
// tree), a page printed on the virtual printer by the installed programs, the
// manual pages rendered by man, and the Debian package cpack builds.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/build_paths.h"

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class InstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("vyr-install-" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs `command` in the work folder; its exit status, output in out.txt and err.txt.
  int Sh(const std::string& command) {
    const int raw = std::system(("cd '" + dir_.string() + "' && { " + command + "; } >out.txt 2>err.txt").c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }
  std::string Out() { return Slurp(dir_ / "out.txt"); }
  std::string Err() { return Slurp(dir_ / "err.txt"); }

  // Installs the build into a prefix and moves it to `prefix`.
  void Install(const fs::path& prefix) {
    ASSERT_EQ(Sh(std::string("cmake --install '") + VYR_BINARY_DIR + "' --prefix staged"), 0) << Err();
    fs::rename(dir_ / "staged", prefix);
  }

  fs::path dir_;
};

TEST_F(InstallTest, TheInstalledProgramsPrintAPageOnTheirOwn) {
  const fs::path prefix = dir_ / "usr";
  Install(prefix);
  for (const char* file : {"bin/vyr", "bin/vyrtool", "lib/vyr/lptgate.so", "lib/vyr/libvyrplatform.so",
                           "lib/vyr/vyr_eng.so", "lib/vyr/vyr_ita.so", "share/man/man1/vyr.1",
                           "share/man/man1/vyrtool.1", "share/vyr/tyq00.ini", "share/vyr/vyrtest.bmp"})
    EXPECT_TRUE(fs::exists(prefix / file)) << file;

  // A clean environment: no library path, nothing of the build.
  const std::string env = "env -i PATH=/usr/bin:/bin ";
  const std::string bin = (prefix / "bin").string();
  ASSERT_EQ(Sh(env + "'" + bin + "/vyrtool' init-root disk"), 0) << Err();
  ASSERT_EQ(Sh("convert -size 800x600 gradient:yellow-purple photo.jpg"), 0) << Err();
  ASSERT_EQ(Sh(env + "'" + bin + "/vyrtool' spool --root disk photo.jpg"), 0) << Err();
  EXPECT_EQ(Sh(env + "VYR_ROOT=disk VYR_PORT=virtual:out=print VYR_CLOCK=virtual VYR_UI=record:ui.txt '" + bin +
               "/vyr' 1 1"),
            0)
      << Err();
  EXPECT_EQ(fs::file_size(dir_ / "print" / "copy1.lines"), 2u * 10112u + 788u * 9664u);
  EXPECT_THAT(Slurp(dir_ / "ui.txt"), Not(HasSubstr("message ")));
  EXPECT_FALSE(fs::exists(dir_ / "disk" / "c" / "abx.1"));

  // The libraries it loads at start come from the installation.
  ASSERT_EQ(Sh(env + "LD_TRACE_LOADED_OBJECTS=1 '" + bin + "/vyr'"), 0);
  EXPECT_THAT(Out(), HasSubstr(prefix.string() + "/bin/../lib/vyr/libvyrplatform.so"));
  EXPECT_THAT(Out(), Not(HasSubstr(VYR_BINARY_DIR)));
}

TEST_F(InstallTest, ManualPagesRenderWithoutWarnings) {
  Install(dir_ / "usr");
  const char* sections[] = {"NAME", "SYNOPSIS", "DESCRIPTION", "ENVIRONMENT", "FILES", "EXIT STATUS", "EXAMPLES"};
  for (const char* page : {"vyr.1", "vyrtool.1"}) {
    SCOPED_TRACE(page);
    const std::string path = (dir_ / "usr" / "share" / "man" / "man1" / page).string();
    ASSERT_EQ(Sh("MANWIDTH=80 man --warnings -E UTF-8 -l '" + path + "'"), 0) << Err();
    EXPECT_EQ(Err(), "");
    const std::string text = Out();
    for (const char* section : sections) EXPECT_THAT(text, HasSubstr("\n" + std::string(section) + "\n"));
    for (const char* variable : {"VYR_ROOT", "VYR_PORT", "VYR_UI", "VYR_CLOCK", "VYR_ANSWERS"})
      EXPECT_THAT(text, HasSubstr(variable));
  }
  ASSERT_EQ(Sh("MANWIDTH=80 man -E UTF-8 -l usr/share/man/man1/vyr.1"), 0);
  for (const char* status : {"0", "1", "4", "5", "6", "64"})
    EXPECT_THAT(Out(), HasSubstr("\n       " + std::string(status) + "  ")) << status;
}

TEST_F(InstallTest, DebianPackageHoldsTheInstallationAndItsDependencies) {
  ASSERT_EQ(Sh(std::string("cpack -G DEB --config '") + VYR_BINARY_DIR + "/CPackConfig.cmake' -B pkg"), 0) << Out() << Err();
  ASSERT_EQ(Sh("dpkg-deb -f pkg/vyr_*.deb Depends"), 0) << Err();
  const std::string depends = Out();
  for (const char* package : {"libieee1284-3", "libpng16-16", "libvips42", "liblcms2-2", "libhwy1"})
    EXPECT_THAT(depends, HasSubstr(package));
  // The window needs GTK 4, the program does not: recommended, not required.
  EXPECT_THAT(depends, Not(HasSubstr("libgtk")));
  ASSERT_EQ(Sh("dpkg-deb -f pkg/vyr_*.deb Recommends"), 0) << Err();
  EXPECT_THAT(Out(), HasSubstr("libgtk-4-1"));
  ASSERT_EQ(Sh("dpkg-deb -c pkg/vyr_*.deb"), 0) << Err();
  for (const char* file : {"./usr/bin/vyr", "./usr/bin/vyrtool", "./usr/lib/vyr/lptgate.so",
                           "./usr/lib/vyr/vyr_ui_gtk.so", "./usr/share/man/man1/vyr.1", "./usr/share/vyr/normal.cct"})
    EXPECT_THAT(Out(), HasSubstr(file));
}

}  // namespace
