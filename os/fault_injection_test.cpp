#include "os/fault_injection.h"

#include <gtest/gtest.h>

#include "os/scratch_folder.h"

namespace vintor::os {
namespace {

// Keeps what reaches it, so a test can see exactly which bytes got through.
class RecordingFile : public ReplacementFile {
 public:
  explicit RecordingFile(std::string* sink, bool* committed) : sink_(sink), committed_(committed) {}
  bool Append(std::string_view bytes) override {
    sink_->append(bytes);
    return true;
  }
  bool Close() override { return true; }
  bool Commit() override { return *committed_ = true; }
  long ReadWritten(std::uint64_t, char*, std::size_t) override { return -1; }

 private:
  std::string* sink_;
  bool* committed_;
};

TEST(FailingAfterBytesFileTest, WritesUpToTheLimitThenFailsForGood) {
  std::string sink;
  bool committed = false;
  FailingAfterBytesFile file(std::make_unique<RecordingFile>(&sink, &committed), 5);
  EXPECT_TRUE(file.Append("abc"));
  EXPECT_FALSE(file.Append("defg"));
  EXPECT_EQ(sink, "abcde");
  EXPECT_FALSE(file.Append(""));
  EXPECT_FALSE(file.Close());
}

TEST(FailingAfterBytesFileTest, ReachingTheLimitExactlyIsNoFailure) {
  std::string sink;
  bool committed = false;
  FailingAfterBytesReplacement file(std::make_unique<RecordingFile>(&sink, &committed), 5);
  EXPECT_TRUE(file.Append("abcde"));
  EXPECT_TRUE(file.Commit());
  EXPECT_TRUE(committed);
}

TEST(FailingAfterBytesFileTest, ReplacementRefusesToCommitAfterAFailure) {
  std::string sink;
  bool committed = false;
  FailingAfterBytesReplacement file(std::make_unique<RecordingFile>(&sink, &committed), 2);
  EXPECT_FALSE(file.Append("abc"));
  EXPECT_FALSE(file.Commit());
  EXPECT_FALSE(committed);
}

TEST(FaultInjectingOsTest, FailsOnlyTheChosenPaths) {
  ScratchFolder scratch(SystemOs());
  ASSERT_FALSE(scratch.path().empty());
  const std::string chosen = scratch.PathOf("chosen");
  const std::string other = scratch.PathOf("other");

  FaultInjectingOs os(SystemOs());
  os.FailOpenForWriting(chosen);
  os.FailCreateFolder(chosen + "_folder");
  EXPECT_EQ(os.OpenForWriting(chosen), nullptr);
  EXPECT_NE(os.OpenForWriting(other), nullptr);
  EXPECT_FALSE(os.CreateFolder(chosen + "_folder"));
  EXPECT_TRUE(os.CreateFolder(other + "_folder"));

  os.FailWritesAfterBytes(FaultInjectingOs::kAnyPath, 1);
  std::unique_ptr<WritableFile> file = os.OpenForWriting(other);
  ASSERT_NE(file, nullptr);
  EXPECT_FALSE(file->Append("xy"));
  EXPECT_FALSE(file->Close());
  std::string contents;
  ASSERT_TRUE(os.ReadWholeFile(other, &contents));
  EXPECT_EQ(contents, "x");
}

}  // namespace
}  // namespace vintor::os
