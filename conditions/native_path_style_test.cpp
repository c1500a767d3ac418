// The platform's own style against the real file system, in a scratch folder: the chain of
// folders is really created (with a name whose last byte is 0x5C), and a failure injected
// in the middle really removes what was created.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conditions/path_style.h"
#include "os/fault_injection.h"
#include "os/scratch_folder.h"

namespace vintor::conditions {
namespace {

using Names = std::vector<std::string>;

class NativePathStyleTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(scratch_.path().empty()); }

  // The names joined with the native separator, inside the scratch folder, with a
  // trailing separator.
  std::string Folder(const Names& names) const {
    std::string folder = scratch_.path();
    for (const std::string& name : names) folder += name + style_.Separator();
    return folder;
  }

  const PathStyle& style_ = NativePathStyle();
  os::Os& os_ = os::SystemOs();
  os::ScratchFolder scratch_{os_};
};

TEST_F(NativePathStyleTest, IsThePlatformsStyle) {
#ifdef _WIN32
  EXPECT_EQ(style_.Separator(), '\\');
#else
  EXPECT_EQ(style_.Separator(), '/');
#endif
}

TEST_F(NativePathStyleTest, CreatesAChainOnDisk) {
  const std::string deepest = Folder({"a", "売上表", "c"});
  ASSERT_TRUE(style_.CreateFolderChain(deepest, os_));
  EXPECT_TRUE(os_.IsFolder(deepest));
  EXPECT_TRUE(os_.IsFolder(Folder({"a", "売上表"})));
  EXPECT_TRUE(style_.IsExistingFolder(deepest, os_));
  EXPECT_EQ(scratch_.Names(), Names{"a"});
}

TEST_F(NativePathStyleTest, FailedCreationLeavesTheDiskAsItWas) {
  ASSERT_TRUE(os_.CreateFolder(scratch_.PathOf("kept")));
  os::FaultInjectingOs os(os_);
  os.FailCreateFolder(Folder({"kept", "x", "y"}));
  EXPECT_FALSE(style_.CreateFolderChain(Folder({"kept", "x", "y", "z"}), os));
  EXPECT_FALSE(os_.IsFolder(Folder({"kept", "x"})));
  EXPECT_TRUE(os_.IsFolder(Folder({"kept"})));
  EXPECT_EQ(scratch_.Names(), Names{"kept"});
}

TEST_F(NativePathStyleTest, AScratchDestinationPassesTheChecks) {
  const std::string path = scratch_.PathOf("out.xml");
  EXPECT_TRUE(style_.HasOnlyValidCharacters(path)) << path;
  EXPECT_TRUE(style_.IsDriveValid(path, os_)) << path;
  EXPECT_EQ(style_.FolderPart(path), scratch_.path());
}

}  // namespace
}  // namespace vintor::conditions
