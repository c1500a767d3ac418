#include "app/host_handshake.h"

#include <gtest/gtest.h>

namespace vintor::app {
namespace {

TEST(HostHandshakeTest, ParsesTheFourFields) {
  struct Case {
    const char* arguments;
    bool valid;
    platform::WindowHandle window;
    std::uint32_t message;
    std::int16_t function;
    const char* path;
  } const cases[] = {
      {"100,2000,7,", true, 100, 2000, 7, ""},
      {"100,2000,7", false, 100, 2000, 3, ""},
      {"100,2000,7,C:\\out\\a.xml", true, 100, 2000, 7, "C:\\out\\a.xml"},
      {"100,2000,7,a,b", true, 100, 2000, 7, "a,b"},
      {"100,2000,70000,", true, 100, 2000, 4464, ""},
      {"100,2000,40000,", true, 100, 2000, -25536, ""},
      {"123,456", false, 123, 456, 3, ""},
      {"", false, 0, 0, 3, ""},
      {"no commas at all", false, 0, 0, 3, ""},
      {" 12x,  +34,-2,\"q\"", true, 12, 34, -2, "\"q\""},
      {",,,", true, 0, 0, 0, ""},
      {"100,2000,7,C:\\売上表\\決算.xml", true, 100, 2000, 7, "C:\\売上表\\決算.xml"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    HostHandshake handshake;
    EXPECT_EQ(ParseHostHandshake(c.arguments, &handshake), c.valid);
    EXPECT_EQ(handshake.host_window, c.window);
    EXPECT_EQ(handshake.host_message, c.message);
    EXPECT_EQ(handshake.function_number, c.function);
    EXPECT_EQ(handshake.output_path, c.path);
  }
}

TEST(HostHandshakeTest, ATextNoHostWouldWriteIsRefusedWithAReason) {
  const std::string form = "「ウィンドウ番号,メッセージ番号,機能番号,出力先」の形ではありません";
  const std::string window = "ウィンドウ番号は 1 から 4294967295 までの数字で指定してください";
  const std::string message = "メッセージ番号は 0 から 4294967295 までの数字で指定してください";
  const std::string function =
      "機能番号は -2147483648 から 2147483647 までの整数で指定してください";
  const std::string control = "出力先に制御文字があります";
  struct Case {
    std::string arguments;
    std::string problem;
    bool window_fields_exact;
    platform::WindowHandle window;  // as ParseHostHandshake reads it
  } const cases[] = {
      {"4242,1024,7,", "", true, 4242},
      {"4294967295,4294967295,-2147483648,/tmp/表ソ.xml", "", true, 4294967295u},
      {"3000000000,1024,2147483647,a,b", "", true, 3000000000u},
      {"4242,1024,7", form, true, 4242},
      {"4242", form, false, 0},
      {",,,", window, false, 0},
      {"0,1024,7,", window, false, 0},
      {"4294967296,1024,7,", window, false, 2147483647},
      {"-5,1024,7,", window, false, 4294967291u},
      {" 42,1024,7,", window, false, 42},
      {"42x,1024,7,", window, false, 42},
      {"42,,7,", message, false, 42},
      {"42,4294967296,7,", message, false, 42},
      {"42,1024,,", function, true, 42},
      {"42,1024,7x,", function, true, 42},
      {"42,1024,2147483648,", function, true, 42},
      {"42,1024,7,/tmp/a\x1B[2J.xml", control, true, 42},
      {"42,1024,7,/tmp/a\n.xml", control, true, 42},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    EXPECT_EQ(HostHandshakeProblem(c.arguments), c.problem);
    EXPECT_EQ(HostWindowFieldsAreExact(c.arguments), c.window_fields_exact);
    HostHandshake handshake;
    ParseHostHandshake(c.arguments, &handshake);
    EXPECT_EQ(handshake.host_window, c.window);
  }
}

TEST(HostHandshakeTest, LongTextsAreReadWhole) {
  const std::string path(400, 'x');
  HostHandshake handshake;
  ASSERT_TRUE(ParseHostHandshake("1,2,3," + path, &handshake));
  EXPECT_EQ(handshake.output_path, path);
}

TEST(HostHandshakeTest, TheCompletionCarriesTheSignExtendedFunctionNumber) {
  HostHandshake handshake;
  ASSERT_TRUE(ParseHostHandshake("1,2,40000,", &handshake));
  EXPECT_EQ(CompletionWParam(handshake), -25536);
}

}  // namespace
}  // namespace vintor::app
