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
