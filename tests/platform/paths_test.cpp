// Windows paths on the disk in a folder: the three prefixes, case, separators,
// and every way out of the root mapping to nothing.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <string>

#include "platform/beneath_root.h"
#include "platform/paths.h"
#include "temp_root.h"

namespace {

TEST(Paths, PrefixesMapWithoutRegardToCaseAndKeepTheRest) {
  PathsSetRoot("/r/");  // a trailing slash is dropped
  EXPECT_EQ(PathsRoot(), "/r");
  EXPECT_EQ(MapWindowsPath("c:\\abx.1"), "/r/c/abx.1");
  EXPECT_EQ(MapWindowsPath("C:\\ABX.2"), "/r/c/ABX.2");
  EXPECT_EQ(MapWindowsPath("C:\\WINDOWS\\system\\tyq00.ini"), "/r/windows/system/tyq00.ini");
  EXPECT_EQ(MapWindowsPath("c:\\windows\\SYSTEM\\Normal.CCT"), "/r/windows/system/Normal.CCT");
  EXPECT_EQ(MapWindowsPath("C:\\WINDOWS\\win.ini"), "/r/windows/win.ini");
  EXPECT_EQ(MapWindowsPath("C:\\WINDOWS"), "/r/windows");
  EXPECT_EQ(MapWindowsPath("C:\\WINDOWS\\SYSTEM\\"), "/r/windows/system");
  EXPECT_EQ(MapWindowsPath("C:\\"), "/r/c");
  // Prefixes match whole components only.
  EXPECT_EQ(MapWindowsPath("C:\\WINDOWSX\\a"), "/r/c/WINDOWSX/a");
  EXPECT_EQ(MapWindowsPath("C:\\WINDOWS\\SYSTEM32\\a"), "/r/windows/SYSTEM32/a");
  EXPECT_EQ(MapWindowsPath("C:\\data\\WINDOWS\\x"), "/r/c/data/WINDOWS/x");
  // Either separator, repeated separators and "." components.
  EXPECT_EQ(MapWindowsPath("c:/windows/system/media.rtb"), "/r/windows/system/media.rtb");
  EXPECT_EQ(MapWindowsPath("C:\\WINDOWS\\\\system\\.\\x"), "/r/windows/system/x");
  PathsSetRoot("");
}

TEST(Paths, NothingLeavesTheRoot) {
  PathsSetRoot("/r");
  for (const char* path : {"C:\\WINDOWS\\system\\..\\..\\..\\etc\\passwd",
                           "C:\\WINDOWS\\system\\../../etc/passwd",  // a MatchFile of ../../etc/passwd
                           "c:\\..", "c:\\a\\..\\b", "d:\\abx.1", "\\\\server\\share\\x",
                           "\\abx.1", "abx.1", "/etc/passwd", "C:abx.1", "C:", "", "c"}) {
    EXPECT_EQ(MapWindowsPath(path), "") << path;
  }
  EXPECT_EQ(MapWindowsPath(nullptr), "");
  PathsSetRoot("");
}

TEST(Paths, RootComesFromVyrRootWithADefault) {
  const char* saved = std::getenv("VYR_ROOT");
  std::string savedValue = saved ? saved : "";
  PathsSetRoot("");
  setenv("VYR_ROOT", "/srv/vyr//", 1);
  EXPECT_EQ(PathsRoot(), "/srv/vyr");
  EXPECT_EQ(MapWindowsPath("c:\\abx.1"), "/srv/vyr/c/abx.1");
  PathsSetRoot("/elsewhere");  // an explicit choice beats the environment
  EXPECT_EQ(PathsRoot(), "/elsewhere");
  PathsSetRoot("");
  unsetenv("VYR_ROOT");
  EXPECT_EQ(PathsRoot(), "/var/lib/vyr");
  setenv("VYR_ROOT", "", 1);
  EXPECT_EQ(PathsRoot(), "/var/lib/vyr");
  if (saved) setenv("VYR_ROOT", savedValue.c_str(), 1); else unsetenv("VYR_ROOT");
}

TEST(Paths, DirectoryNamesAndPlainFileNames) {
  char buf[256];
  EXPECT_EQ(GetWindowsDirectoryA(buf, sizeof buf), 10u);
  EXPECT_STREQ(buf, "C:\\WINDOWS");
  EXPECT_EQ(GetSystemDirectoryA(buf, sizeof buf), 17u);
  EXPECT_STREQ(buf, "C:\\WINDOWS\\SYSTEM");
  // Too small: the size needed with its zero, and an empty string.
  char small[10] = "junkjunk";
  EXPECT_EQ(GetWindowsDirectoryA(small, sizeof small), 11u);
  EXPECT_STREQ(small, "");
  EXPECT_EQ(GetSystemDirectoryA(nullptr, 0), 18u);

  EXPECT_TRUE(IsPlainFileName("normal.cct"));
  EXPECT_TRUE(IsPlainFileName("..x"));
  for (const char* name : {"", ".", "..", "../../etc/passwd", "a/b", "sub\\x.cct", "\\x"})
    EXPECT_FALSE(IsPlainFileName(name)) << name;
  EXPECT_FALSE(IsPlainFileName(nullptr));
}

TEST(Paths, OpenAndDeleteOnlyRegularFilesInsideTheRoot) {
  TempRoot root;
  FILE* out = OpenWindowsFile("c:\\abx.1", "wb");
  ASSERT_NE(out, nullptr);
  std::fputs("page", out);
  std::fclose(out);
  FILE* in = OpenWindowsFile("C:\\abx.1", "rb");
  ASSERT_NE(in, nullptr);
  char text[8] = {};
  EXPECT_EQ(std::fread(text, 1, sizeof text - 1, in), 4u);
  std::fclose(in);
  EXPECT_STREQ(text, "page");
  EXPECT_TRUE(std::filesystem::exists(root.Path() + "/c/abx.1"));

  // A folder or a FIFO under a data file's name is no data file (and a FIFO
  // must not hang the open).
  std::filesystem::create_directory(root.Path() + "/c/abx.2");
  errno = 0;
  EXPECT_EQ(OpenWindowsFile("c:\\abx.2", "rb"), nullptr);
  EXPECT_EQ(errno, EISDIR);
  ASSERT_EQ(mkfifo((root.Path() + "/c/abx.3").c_str(), 0600), 0);
  EXPECT_EQ(OpenWindowsFile("c:\\abx.3", "rb"), nullptr);
  EXPECT_EQ(OpenWindowsFile("c:\\abx.3", "wb"), nullptr);

  EXPECT_EQ(OpenWindowsFile("c:\\..\\abx.1", "rb"), nullptr);
  EXPECT_EQ(OpenWindowsFile("c:\\missing", "rb"), nullptr);
  EXPECT_EQ(OpenWindowsFile("c:\\abx.1", "q"), nullptr);

  EXPECT_EQ(DeleteWindowsFile("c:\\abx.1"), 0);
  EXPECT_FALSE(std::filesystem::exists(root.Path() + "/c/abx.1"));
  EXPECT_EQ(DeleteWindowsFile("c:\\abx.1"), -1);
  EXPECT_EQ(DeleteWindowsFile("c:\\abx.2"), -1);  // folders are not deleted
  EXPECT_TRUE(std::filesystem::is_directory(root.Path() + "/c/abx.2"));
  EXPECT_EQ(DeleteWindowsFile("c:\\..\\x"), -1);
}

// What a data file reads as, "" when it counts as missing.
std::string Contents(const char* windowsPath) {
  FILE* f = OpenWindowsFile(windowsPath, "rb");
  if (f == nullptr) return "";
  char text[32] = {};
  size_t n = std::fread(text, 1, sizeof text - 1, f);
  std::fclose(f);
  return std::string(text, n);
}

TEST(Paths, SymbolicLinksWorkOnlyWhileTheyStayInsideTheRoot) {
  namespace fs = std::filesystem;
  // Files outside the root that nothing may read or delete.
  const fs::path outside = fs::temp_directory_path() / ("vyr-outside-" + std::to_string(getpid()));
  fs::create_directories(outside / "system");
  for (const char* name : {"secret", "abx.1", "abx.2", "system/tyq00.ini"})
    std::ofstream(outside / name) << "outside";
  const auto outsideIntact = [&] {
    for (const char* name : {"secret", "abx.1", "abx.2", "system/tyq00.ini"})
      if (!fs::exists(outside / name)) return false;
    return true;
  };

  for (bool walk : {false, true}) {
    SCOPED_TRACE(walk ? "walked component by component" : "resolved by the kernel");
    BeneathUseWalkOnly(walk);
    {
      TempRoot root;
      const fs::path r = root.Path();
      root.Write("windows/system/vyrtest.bmp", "inside");
      fs::create_symlink("../windows/system/vyrtest.bmp", r / "c/rel-in");
      fs::create_symlink(r / "windows/system/vyrtest.bmp", r / "c/abs-in");
      fs::create_symlink("../windows", r / "c/folder-in");
      fs::create_symlink("folder-in/system/../system/vyrtest.bmp", r / "c/chain-in");
      fs::create_symlink(outside / "secret", r / "c/abs-out");
      fs::create_symlink(fs::relative(outside / "secret", r / "c"), r / "c/rel-out");
      fs::create_symlink(outside, r / "c/folder-out");
      fs::create_symlink(r / ".." / outside.filename() / "secret", r / "c/abs-climb");
      fs::create_symlink("loop", r / "c/loop");
      const struct {
        const char* path;
        const char* reads;
      } cases[] = {
          {"c:\\rel-in", "inside"},   {"c:\\abs-in", "inside"},
          {"c:\\folder-in\\system\\vyrtest.bmp", "inside"},
          {"c:\\chain-in", "inside"}, {"c:\\abs-out", ""},
          {"c:\\rel-out", ""},        {"c:\\folder-out\\secret", ""},
          {"c:\\abs-climb", ""},      {"c:\\loop", ""},
      };
      for (const auto& c : cases) EXPECT_EQ(Contents(c.path), c.reads) << c.path;

      // Deleting through a folder outside removes nothing; deleting a link
      // removes the link, never its target.
      EXPECT_EQ(DeleteWindowsFile("c:\\folder-out\\secret"), -1);
      EXPECT_EQ(DeleteWindowsFile("c:\\abs-out"), 0);
      EXPECT_EQ(DeleteWindowsFile("c:\\rel-in"), 0);
      EXPECT_FALSE(fs::is_symlink(r / "c/rel-in"));
      EXPECT_EQ(Contents("c:\\abs-in"), "inside");
      EXPECT_TRUE(outsideIntact());
    }
    {
      // The spool folder and the system directory themselves lead out.
      TempRoot root;
      const fs::path r = root.Path();
      fs::remove(r / "c");
      fs::remove(r / "windows/system");
      fs::create_symlink(outside, r / "c");
      fs::create_symlink(outside / "system", r / "windows/system");
      EXPECT_EQ(Contents("c:\\abx.1"), "");
      EXPECT_EQ(Contents("C:\\WINDOWS\\SYSTEM\\tyq00.ini"), "");
      EXPECT_EQ(DeleteWindowsFile("c:\\abx.1"), -1);
      EXPECT_EQ(DeleteWindowsFile("c:\\abx.2"), -1);
      EXPECT_TRUE(outsideIntact());
      // A spool folder that is a link to another folder inside works.
      fs::remove(r / "c");
      root.Write("spool/abx.1", "spooled");
      fs::create_symlink("spool", r / "c");
      EXPECT_EQ(Contents("c:\\abx.1"), "spooled");
      EXPECT_EQ(DeleteWindowsFile("c:\\abx.1"), 0);
      EXPECT_FALSE(fs::exists(r / "spool/abx.1"));
    }
  }
  BeneathUseWalkOnly(false);
  fs::remove_all(outside);
}

}  // namespace
