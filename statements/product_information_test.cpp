#include "statements/product_information.h"

#include <gtest/gtest.h>

#include <new>
#include <optional>

#include "os/forwarding_os.h"
#include "statements/test_fakes.h"

namespace vintor::statements {
namespace {

TEST(ProductInformationTest, TakesTheRestOfTheLineBehindEachKey) {
  struct Case {
    const char* what;
    std::string contents;
    std::string name;
    std::string version;
  } const cases[] = {
      {"both keys", "[=製品名=]Tavrel Pro\r\n[=製品ﾊﾞｰｼﾞｮﾝ=]21.10.04\r\n", "Tavrel Pro",
       "21.10.04"},
      {"no keys", "[=お問い合わせ内容=]abc\r\n", "", ""},
      {"nothing behind the key", "[=製品名=]\r\n[=製品ﾊﾞｰｼﾞｮﾝ=]1\r\n", "", "1"},
      {"the first occurrence counts", "[=製品名=]A\r\n[=製品名=]B\r\n", "A", ""},
      {"end-of-file byte",
       "x[=製品名=]A\x1A"
       "B",
       "A", ""},
      {"NUL", std::string("[=製品名=]A\0B", 13), "A", ""},
      {"a lone LF or CR ends the line too", "[=製品名=]A\nB\rC\r\r\nD", "A", ""},
      {"a lone CR as well", "[=製品名=]AB\rC", "AB", ""},
      {"the end of the file ends it", "[=製品ﾊﾞｰｼﾞｮﾝ=]9", "", "9"},
      {"a key past the first 30 000 bytes", std::string(30'000, ' ') + "[=製品名=]A", "", ""},
      {"a value cut at 30 000 bytes", std::string(29'980, ' ') + "[=製品名=]0123456789ABC",
       "0123456789", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ProductInformation information = ParseProductInformation(c.contents);
    EXPECT_EQ(information.name, c.name);
    EXPECT_EQ(information.version, c.version);
  }
}

// Answers ReadWholeFile from a script: no contents means no file; throws when asked to.
class ScriptedOs : public os::ForwardingOs {
 public:
  ScriptedOs() : ForwardingOs(os::SystemOs()) {}
  bool ReadWholeFile(const std::string& path, std::string* contents) override {
    paths.push_back(path);
    if (out_of_memory) throw std::bad_alloc();
    if (!file) return false;
    *contents = *file;
    return true;
  }
  std::optional<std::string> file;
  bool out_of_memory = false;
  std::vector<std::string> paths;
};

TEST(ProductInformationTest, FallsBackToTheBuildsDefaults) {
  struct Case {
    const char* what;
    std::optional<std::string> file;
    bool out_of_memory;
    std::string name;
    std::string version;
    std::size_t messages;
  } const cases[] = {
      {"no file", std::nullopt, false, "Tavrel２１ Oak", "21.00.0X", 0},
      {"both values", "[=製品名=]N\r\n[=製品ﾊﾞｰｼﾞｮﾝ=]V\r\n", false, "N", "V", 0},
      {"empty name", "[=製品名=]\r\n[=製品ﾊﾞｰｼﾞｮﾝ=]V\r\n", false, "Tavrel２１ Oak", "V", 0},
      {"out of memory", "[=製品名=]N\r\n", true, "Tavrel２１ Oak", "21.00.0X", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScriptedOs os;
    os.file = c.file;
    os.out_of_memory = c.out_of_memory;
    testing_aids::RecordingDesktop desktop;
    DesktopDiagnostics diagnostics(desktop, 5);
    const ProductInformation information =
        ReadProductInformation(os, diagnostics, "Tavrel２１ Oak");
    EXPECT_EQ(os.paths, std::vector<std::string>{"SUPPORT.INF"});
    EXPECT_EQ(information.name, c.name);
    EXPECT_EQ(information.version, c.version);
    ASSERT_EQ(desktop.messages.size(), c.messages);
    if (c.messages) {
      EXPECT_EQ(desktop.messages[0].text, "\xD2\xD3\xD8が不足しています。");
    }
  }
}

}  // namespace
}  // namespace vintor::statements
