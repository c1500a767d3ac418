// The decisions about files that other users may reach: whether a destination may be
// replaced, and whether a settings file may be believed. They are made here, from what
// the system says about the file and its folder, so that every combination of owner and
// mode can be tested without a second user; the POSIX Os gathers the facts and asks.
//
// Pure functions, no system calls. Modes are the POSIX permission bits (07777).
#pragma once

#include <cstdint>

namespace vintor::os {

enum class EntryKind {
  kAbsent,   // nothing at the path
  kRegular,  // a plain file
  kSymlink,  // a symbolic link (what lstat sees)
  kFolder,
  kOther,  // a device, a FIFO, a socket
};

// What the system says about a file or folder.
struct EntryFacts {
  EntryKind kind = EntryKind::kAbsent;
  std::uint32_t mode = 0;   // permission bits
  std::uint32_t owner = 0;  // user id
  // The entry's group is the user's own: the user's primary group, with no other member
  // listed. Writing by such a group is writing by the user alone.
  bool group_is_users_own = false;
};

// Others than the user and root may write the entry: "other" write, or "group" write by
// a group that is not the user's own.
bool OthersCanWrite(const EntryFacts& entry);

enum class ReplaceVerdict {
  kAllowed,
  kNotAFile,            // a folder, a device, a FIFO or a socket stands at the path
  kNotWritable,         // the user could not have opened the file for writing
  kOthersFileInShared,  // another user's file (or link) in a folder others can write
};

// May the entry at a destination be replaced (or, for a link, followed)? folder is the
// folder that holds it, user the user the program runs as, writable whether opening the
// existing file for writing (without truncating) succeeded; it is ignored for a link and
// an absent entry. The rule is that of a create-or-truncate write: a file the user could
// not have written is not replaced, nor is one that is not a plain file, and in a sticky
// or shared folder only the user's own files are, as the kernel's protected_regular and
// protected_symlinks settings do for root too.
ReplaceVerdict JudgeReplacement(const EntryFacts& entry, const EntryFacts& folder,
                                std::uint32_t user, bool writable);

enum class TrustVerdict {
  kTrusted,
  kWritableByOthers,        // the file is writable by other users
  kOwnedByOthers,           // the file belongs to another user (not root)
  kFolderWritableByOthers,  // others can put a file of their own in its place
};

// May the content of a settings file be believed? A file others can change could send
// the user's next export anywhere, so its records are ignored, as a shell ignores keys
// others can write. An absent file is trusted (there is nothing to believe).
TrustVerdict JudgeTrust(const EntryFacts& file, const EntryFacts& folder, std::uint32_t user);

}  // namespace vintor::os
