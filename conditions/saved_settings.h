// The conditions of the last successful export, remembered per user and company data in
// one small text file: one record per line, "<key><start>/<end>/<kind>/<ledger>/<path>\n",
// where the key is "<user>/<first selection>/<second selection>:". The dialog reads the
// record when it opens to propose the previous choices; the run writes it after the
// output file has been written.
//
// The file is CP932 bytes, records end with a single LF, the record saved last stands at
// the end. Care is taken where a plain search-and-rewrite would go wrong:
//  - a key matches only at the start of a line, so the record of user "min" is never
//    taken from (nor cut into) the record of user "admin";
//  - the file is replaced atomically (os::Os::ReplaceFileAtomically): a failure or a kill
//    at any moment leaves the old file or the new one, never a missing or half-written
//    file; the destination rules of the Os apply (a FIFO, a folder or someone else's file
//    in a shared folder is never replaced);
//  - runs that save at the same time take turns: the read, the change and the replace
//    happen under the lock of the file "<file>.lock" beside it, so no record is lost;
//  - a file that other users can change is not believed (os::JudgeTrust): its records
//    could send the user's next export anywhere;
//  - files of any size are handled (offsets are not limited to 16 bits);
//  - a key keeps one record: a write drops every earlier record of its key.
//
// Nothing here talks to the user; Read and Write say why they found or saved nothing, for
// the caller to tell.
#pragma once

#include <cstdint>
#include <string>

#include "conditions/path_style.h"
#include "os/os.h"

namespace vintor::conditions {

struct SavedConditions {
  std::int16_t start_month = 0;
  std::int16_t end_month = 0;
  std::int16_t equity_statement_kind = 1;  // 1 shareholders' equity, 2 members' equity
  std::int32_t ledger_flag = 1;            // 1 ledger wanted, 0 not
  std::string output_path;
};

class SavedSettings {
 public:
  // os and style are not owned and must outlive this object. folder is the settings
  // folder reported by the books (it ends with the style's separator; one is added when
  // it does not); empty means there is none: nothing is saved, and reading looks for the
  // bare file name in the current folder. file_name is the deliverable's own, e.g.
  // "VintorOak.env".
  SavedSettings(os::Os& os, const PathStyle& style, std::string folder, std::string file_name,
                std::string user_id, std::int32_t first_selection, std::int32_t second_selection);

  // "<user>/<first>/<second>:".
  const std::string& key() const { return key_; }
  // The folder followed directly by the file name.
  std::string FilePath() const;
  // The lock file that writers take turns on: FilePath() followed by ".lock".
  std::string LockPath() const;

  // True when a record for the key was found; *conditions is written only then. A missing
  // or unreadable file, or a line with fewer than three slashes after the key, finds
  // nothing. A record without the ledger field (three slashes) reads with ledger 1. The
  // path is the text after the last slash of the record in the Windows style, and after
  // the fourth slash in the POSIX style, where a path has slashes of its own (a record
  // with only three slashes reads as in the Windows style). A file that other users can
  // change (os::Os::TrustOf) finds nothing; *trust, when given, says whether that was why.
  bool Read(SavedConditions* conditions, os::TrustVerdict* trust = nullptr) const;

  // Stores conditions as the key's record, at the end of the file, keeping the records of
  // other keys in their order. A run whose destination a host gave passes the path that
  // Read found (or an empty one), so the user's own choice stays remembered. Creates a
  // missing settings folder with its chain. False, with the file as it was, when there is
  // no folder, the folder cannot be created, the lock cannot be had within
  // kLockWaitMilliseconds, the file cannot be read or replaced, or a field would break the
  // line format (a line feed or NUL in the path or the user); *failure, when given, then
  // says why ("<file>: <reason>"), for a user who can act on it.
  bool Write(const SavedConditions& conditions, std::string* failure = nullptr) const;

  // How long a write waits for another run that is saving: far longer than a save takes.
  static constexpr int kLockWaitMilliseconds = 10'000;

 private:
  os::Os& os_;
  const PathStyle& style_;
  std::string folder_;
  std::string file_name_;
  std::string key_;
};

}  // namespace vintor::conditions
