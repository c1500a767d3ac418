#include "books/books_location.h"

#include <gtest/gtest.h>

#include <map>

#include "os/scratch_folder.h"

namespace vintor::books {
namespace {

TEST(BooksLocationTest, ChoosesTheBooksFile) {
  using Variables = std::map<std::string, std::string>;
  struct Case {
    std::string option;
    Variables variables;
    PathStyle style;
    std::string path;  // empty: no path
  };
  const Case cases[] = {
      {"mine.db", {{"TAVREL_BOOKS", "/env.db"}}, PathStyle::kPosix, "mine.db"},
      {"", {{"TAVREL_BOOKS", "/env.db"}, {"HOME", "/home/u"}}, PathStyle::kPosix, "/env.db"},
      {"",
       {{"XDG_DATA_HOME", "/data"}, {"HOME", "/home/u"}},
       PathStyle::kPosix,
       "/data/tavrel/books.db"},
      {"", {{"XDG_DATA_HOME", "/data/"}}, PathStyle::kPosix, "/data/tavrel/books.db"},
      {"",
       {{"XDG_DATA_HOME", "data"}, {"HOME", "/home/u"}},
       PathStyle::kPosix,
       "/home/u/.local/share/tavrel/books.db"},
      {"", {{"HOME", "/home/表"}}, PathStyle::kPosix, "/home/表/.local/share/tavrel/books.db"},
      {"", {}, PathStyle::kPosix, ""},
      {"",
       {{"LOCALAPPDATA", "C:\\Users\\u\\AppData\\Local"}},
       PathStyle::kWindows,
       "C:\\Users\\u\\AppData\\Local\\Tavrel\\books.db"},
      // 表 ends in a backslash byte that is no separator.
      {"", {{"LOCALAPPDATA", "D:\\表"}}, PathStyle::kWindows, "D:\\表\\Tavrel\\books.db"},
      {"", {{"HOME", "/home/u"}}, PathStyle::kWindows, ""},
  };
  for (const Case& c : cases) {
    const auto lookup = [&c](const std::string& name) {
      const auto found = c.variables.find(name);
      return found == c.variables.end() ? std::string() : found->second;
    };
    std::string error;
    EXPECT_EQ(ResolveBooksPath(c.option, lookup, c.style, &error), c.path) << c.path;
    EXPECT_EQ(error.empty(), !c.path.empty()) << error;
  }
}

TEST(BooksLocationTest, FindsTheFolderOfAFile) {
#ifdef _WIN32
  EXPECT_EQ(FolderOf("C:\\a\\books.db"), "C:\\a\\");
  EXPECT_EQ(FolderOf("C:\\\x95\x5C"), "C:\\");  // the 表 is a name, not a folder
#endif
  EXPECT_EQ(FolderOf("/a/b/books.db"), "/a/b/");
  EXPECT_EQ(FolderOf("books.db"), "");
}

TEST(BooksLocationTest, CreatesMissingFolders) {
  os::Os& os = os::SystemOs();
  os::ScratchFolder scratch(os);
  const std::string path = scratch.PathOf("表") + "/x/y/books.db";
  ASSERT_TRUE(CreateFoldersFor(os, path));
  EXPECT_TRUE(os.IsFolder(scratch.PathOf("表") + "/x/y"));
  EXPECT_TRUE(CreateFoldersFor(os, path));  // already there
  EXPECT_TRUE(CreateFoldersFor(os, "books.db"));
}

}  // namespace
}  // namespace vintor::books
