#include "os/file_rules.h"

#include <gtest/gtest.h>

namespace vintor::os {
namespace {

constexpr std::uint32_t kMe = 1000;
constexpr std::uint32_t kOther = 1001;

EntryFacts File(std::uint32_t mode, std::uint32_t owner, EntryKind kind = EntryKind::kRegular) {
  return EntryFacts{kind, mode, owner, false};
}
EntryFacts Folder(std::uint32_t mode, std::uint32_t owner = kMe) {
  return EntryFacts{EntryKind::kFolder, mode, owner, false};
}

// Who may have a destination replaced, for owners and modes no test user could arrange.
TEST(FileRulesTest, ADestinationIsReplacedOnlyWhereATruncatingWriteWouldBe) {
  struct Case {
    const char* what;
    EntryFacts entry;
    EntryFacts folder;
    std::uint32_t user;
    bool writable;
    ReplaceVerdict verdict;
  } const cases[] = {
      {"nothing there yet", EntryFacts{}, Folder(01777, 0), kMe, false, ReplaceVerdict::kAllowed},
      {"own file in own folder", File(0644, kMe), Folder(0755), kMe, true,
       ReplaceVerdict::kAllowed},
      {"own write-protected file", File(0444, kMe), Folder(0755), kMe, false,
       ReplaceVerdict::kNotWritable},
      {"write-protected file, root may write it", File(0444, kMe), Folder(0755), 0, true,
       ReplaceVerdict::kAllowed},
      {"another user's file in /tmp", File(0644, kOther), Folder(01777, 0), kMe, false,
       ReplaceVerdict::kOthersFileInShared},
      {"another user's file in /tmp, as root", File(0644, kOther), Folder(01777, 0), 0, true,
       ReplaceVerdict::kOthersFileInShared},
      {"another user's writable file in a world-writable folder", File(0666, kOther), Folder(0777),
       kMe, true, ReplaceVerdict::kOthersFileInShared},
      {"another user's writable file in a group folder", File(0664, kOther), Folder(0775), kMe,
       true, ReplaceVerdict::kOthersFileInShared},
      {"another user's writable file in my own folder", File(0666, kOther), Folder(0755), kMe, true,
       ReplaceVerdict::kAllowed},
      {"another user's group-writable file in a folder of my own group", File(0664, kOther),
       EntryFacts{EntryKind::kFolder, 0775, kMe, true}, kMe, true, ReplaceVerdict::kAllowed},
      {"own link in /tmp", File(0777, kMe, EntryKind::kSymlink), Folder(01777, 0), kMe, false,
       ReplaceVerdict::kAllowed},
      {"another user's link in /tmp", File(0777, kOther, EntryKind::kSymlink), Folder(01777, 0),
       kMe, false, ReplaceVerdict::kOthersFileInShared},
      {"a device", File(0666, 0, EntryKind::kOther), Folder(0755, 0), kMe, true,
       ReplaceVerdict::kNotAFile},
      {"a folder", File(0755, kMe, EntryKind::kFolder), Folder(0755), kMe, false,
       ReplaceVerdict::kNotAFile},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(JudgeReplacement(c.entry, c.folder, c.user, c.writable), c.verdict) << c.what;
  }
}

// Whose settings file is believed.
TEST(FileRulesTest, ASettingsFileIsBelievedOnlyWhenNobodyElseCanChangeIt) {
  struct Case {
    const char* what;
    EntryFacts file;
    EntryFacts folder;
    TrustVerdict verdict;
  } const cases[] = {
      {"no file", EntryFacts{}, Folder(0777), TrustVerdict::kTrusted},
      {"own file, own folder", File(0644, kMe), Folder(0755), TrustVerdict::kTrusted},
      {"root's file", File(0644, 0), Folder(0755), TrustVerdict::kTrusted},
      {"own file in /tmp", File(0600, kMe), Folder(01777, 0), TrustVerdict::kTrusted},
      {"group-writable by the user's own group", EntryFacts{EntryKind::kRegular, 0664, kMe, true},
       EntryFacts{EntryKind::kFolder, 0775, kMe, true}, TrustVerdict::kTrusted},
      {"world-writable", File(0666, kMe), Folder(0755), TrustVerdict::kWritableByOthers},
      {"group-writable by a shared group", File(0664, kMe), Folder(0755),
       TrustVerdict::kWritableByOthers},
      {"another user's", File(0644, kOther), Folder(0755), TrustVerdict::kOwnedByOthers},
      {"in another user's folder", File(0644, kMe), Folder(0755, kOther),
       TrustVerdict::kFolderWritableByOthers},
      {"in a world-writable folder", File(0644, kMe), Folder(0777),
       TrustVerdict::kFolderWritableByOthers},
  };
  for (const Case& c : cases) EXPECT_EQ(JudgeTrust(c.file, c.folder, kMe), c.verdict) << c.what;
}

}  // namespace
}  // namespace vintor::os
