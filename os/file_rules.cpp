#include "os/file_rules.h"

namespace vintor::os {
namespace {

constexpr std::uint32_t kSticky = 01000;
constexpr std::uint32_t kGroupWrite = 0020;
constexpr std::uint32_t kOtherWrite = 0002;
constexpr std::uint32_t kRoot = 0;

bool OwnedByOthers(const EntryFacts& entry, std::uint32_t user) {
  return entry.owner != user && entry.owner != kRoot;
}

}  // namespace

bool OthersCanWrite(const EntryFacts& entry) {
  return (entry.mode & kOtherWrite) != 0 ||
         ((entry.mode & kGroupWrite) != 0 && !entry.group_is_users_own);
}

ReplaceVerdict JudgeReplacement(const EntryFacts& entry, const EntryFacts& folder,
                                std::uint32_t user, bool writable) {
  if (entry.kind == EntryKind::kAbsent) return ReplaceVerdict::kAllowed;
  // In a folder others may write, or a sticky one, another user's file could be there to
  // lure the run into destroying something: only the user's own entries are touched.
  const bool shared = (folder.mode & kSticky) != 0 || OthersCanWrite(folder);
  if (shared && entry.owner != user) return ReplaceVerdict::kOthersFileInShared;
  switch (entry.kind) {
    case EntryKind::kSymlink:
      return ReplaceVerdict::kAllowed;  // its target is judged in turn
    case EntryKind::kRegular:
      return writable ? ReplaceVerdict::kAllowed : ReplaceVerdict::kNotWritable;
    default:
      return ReplaceVerdict::kNotAFile;
  }
}

TrustVerdict JudgeTrust(const EntryFacts& file, const EntryFacts& folder, std::uint32_t user) {
  if (file.kind == EntryKind::kAbsent) return TrustVerdict::kTrusted;
  if (OwnedByOthers(file, user)) return TrustVerdict::kOwnedByOthers;
  if (OthersCanWrite(file)) return TrustVerdict::kWritableByOthers;
  // The folder's owner may rename anything in it; others may only where it is not sticky.
  if (OwnedByOthers(folder, user) || (OthersCanWrite(folder) && (folder.mode & kSticky) == 0))
    return TrustVerdict::kFolderWritableByOthers;
  return TrustVerdict::kTrusted;
}

}  // namespace vintor::os
