#include "batch/report_name.h"

#include <gtest/gtest.h>

#include <string>

namespace vintor::batch {
namespace {

ReportNameFields Company(std::string name) {
  return {7, "D-0007", std::move(name), 20240401, 20250331, 4, 3};
}

TEST(BatchReportNameTest, ReplacesPlaceholdersAndRefusesBadTemplates) {
  const struct {
    std::string_view name_template;
    bool ok;
    const char* expected;  // The name, or text the error holds.
  } cases[] = {
      {kDefaultReportName, true, "7-山田商事-20250331.xml"},
      {"{id}_{period_start}_{from}-{to}.xml", true, "D-0007_20240401_04-03.xml"},
      {"決算}{data}.xml", true, "決算}7.xml"},
      {"{date}.xml", false, "{date} は使えません（使えるのは {data} {id} {name}"},
      {"{name", false, "{ が閉じていません"},
      {"", false, "空"},
      {"out/{name}.xml", false, "フォルダの区切り"},
      {"out\\{name}.xml", false, "フォルダの区切り"},
      {"表{name}.xml", true, "表山田商事.xml"},  // 表 ends in 0x5C, which is no separator here.
      {"ボマ{data}.xml", true, "ボマ7.xml"},     // Trail bytes 0x7B and 0x7D are no braces.
  };
  for (const auto& c : cases) {
    std::string name = "unchanged";
    std::string error;
    EXPECT_EQ(ExpandReportName(c.name_template, Company("山田商事"), &name, &error), c.ok)
        << c.name_template;
    if (c.ok) {
      EXPECT_EQ(name, c.expected) << c.name_template;
    } else {
      EXPECT_NE(error.find(c.expected), std::string::npos) << error;
      EXPECT_EQ(name, "unchanged");
    }
  }
}

TEST(BatchReportNameTest, MakesTheCompanyNameSafeAsAFileName) {
  std::string long_name;
  for (int k = 0; k < 150; ++k) long_name += "表";
  const struct {
    std::string company_name;
    std::string_view name_template;
    std::string expected;
  } cases[] = {
      {"表ポソ ｶﾌﾞｼｷｶﾞｲｼｬ　全角", "{name}.xml", "表ポソ ｶﾌﾞｼｷｶﾞｲｼｬ　全角.xml"},
      {"A/B\\C:D*E?F\"G<H>I|J", "{name}.xml", "A_B_C_D_E_F_G_H_I_J.xml"},
      {std::string("a\tb\x1F"
                   "c\x7F",
                   6),
       "{name}.xml", "a_b_c_.xml"},
      {"con", "{name}.xml", "_con.xml"},
      {"Com1", "{name}", "_Com1"},
      {"LPT9 ", "{name}.xml", "_LPT9 .xml"},
      {"COM0", "{name}.xml", "COM0.xml"},
      {"CONSOLE", "{name}.xml", "CONSOLE.xml"},
      {"株式会社.", "{name}", "株式会社_"},
      {"abc. .", "{name}", "abc___"},
      {long_name, "{name}.xml", long_name.substr(0, 196) + ".xml"},
      {"a" + long_name, "{name}.xml", "a" + long_name.substr(0, 194) + ".xml"},
      {long_name, "{name}.extension-too-long", long_name.substr(0, 200)},
  };
  for (const auto& c : cases) {
    std::string name;
    std::string error;
    ASSERT_TRUE(ExpandReportName(c.name_template, Company(c.company_name), &name, &error)) << error;
    EXPECT_EQ(name, c.expected) << c.company_name;
    EXPECT_LE(name.size(), 200u);
  }
}

TEST(BatchReportNameRegistryTest, RefusesANameAlreadyClaimedIgnoringAsciiCase) {
  const struct {
    const char* name;
    std::int32_t data_number;
    std::int32_t taken_by;  // 0 when the claim succeeds.
  } claims[] = {
      {"1-山田商事.xml", 1, 0}, {"1-山田商事.XML", 2, 1}, {"ア.xml", 3, 0},
      {"ヂ.xml", 4, 0},  // Trail bytes 0x41 and 0x61 are not letters here.
      {"ヂ.xml", 5, 4},
  };
  ReportNameRegistry registry;
  for (const auto& c : claims) {
    std::int32_t taken_by = 0;
    EXPECT_EQ(registry.Claim(c.name, c.data_number, &taken_by), c.taken_by == 0) << c.name;
    EXPECT_EQ(taken_by, c.taken_by) << c.name;
  }
}

}  // namespace
}  // namespace vintor::batch
