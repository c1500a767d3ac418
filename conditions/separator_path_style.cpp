#include "conditions/separator_path_style.h"

#include "text/cp932.h"

namespace vintor::conditions {

std::size_t SeparatorPathStyle::FindLastOf(std::string_view text, std::string_view chars) {
  std::size_t last = std::string_view::npos;
  // Walking from the start is the only way to tell 0x5C the separator from 0x5C the
  // second byte of 表.
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = text::CharacterLengthAt(text, i);
    if (length == 1 && chars.find(text[i]) != std::string_view::npos) last = i;
    i += length;
  }
  return last;
}

std::size_t SeparatorPathStyle::FindFrom(std::string_view text, char c, std::size_t from) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = text::CharacterLengthAt(text, i);
    if (length == 1 && i >= from && text[i] == c) return i;
    i += length;
  }
  return std::string_view::npos;
}

bool SeparatorPathStyle::HasDoubled(std::string_view text, char c, std::size_t from) {
  for (std::size_t i = FindFrom(text, c, from); i != std::string_view::npos;
       i = FindFrom(text, c, i + 1)) {
    if (i + 1 < text.size() && text[i + 1] == c) return true;
  }
  return false;
}

bool SeparatorPathStyle::ContainsAnyOf(std::string_view text, std::string_view chars) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = text::CharacterLengthAt(text, i);
    if (length == 1 && chars.find(text[i]) != std::string_view::npos) return true;
    i += length;
  }
  return false;
}

bool SeparatorPathStyle::EndsWith(std::string_view text, char c) {
  return !text.empty() && text.back() == c && !text::IsDoubleByteAt(text, text.size() - 1);
}

std::string SeparatorPathStyle::FolderPart(const std::string& path) const {
  const std::size_t last = FindLastOf(path, std::string(1, Separator()));
  return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

std::string SeparatorPathStyle::FileNamePart(const std::string& path) const {
  const std::size_t last = FindLastOf(path, std::string(1, Separator()));
  return last == std::string::npos ? path : path.substr(last + 1);
}

bool SeparatorPathStyle::EnsureTrailingSeparator(std::string* text, std::size_t size) const {
  if (text->empty()) return false;
  if (EndsWith(*text, Separator())) return true;
  // A folder whose last character is double-byte (表 ends in 0x5C) needs a real separator.
  if (size == 0 || text->size() >= size - 1) return false;
  text->push_back(Separator());
  return true;
}

bool SeparatorPathStyle::IsExistingFolder(const std::string& path, os::Os& os) const {
  std::string folder = path;
  return !folder.empty() && ReduceToFolder(&folder) && os.IsFolder(folder);
}

bool SeparatorPathStyle::CreateFolderChain(const std::string& folder, os::Os& os) const {
  const std::size_t size = PathBufferSize();
  std::string work = folder;
  if (work.empty() || !MakeAbsolute(&work, os) || work.size() >= size) return false;
  if (!ReduceToFolder(&work) || work.empty() || !EnsureTrailingSeparator(&work, size)) {
    return false;
  }
  std::string root;
  std::string rest;
  if (!SplitRoot(work, &root, &rest)) return false;

  // The deepest level that existed before this call: a failure removes what lies below
  // it and nothing else. A folder created here never becomes it.
  std::string last_existing = root;
  for (std::size_t i = 0; i < rest.size();) {
    const std::size_t length = text::CharacterLengthAt(rest, i);
    if (length == 1 && rest[i] == Separator()) {
      std::string level = root + rest.substr(0, i);
      if (!EnsureTrailingSeparator(&level, size)) {
        RemoveCreatedFolders(level, &last_existing, os);
        return false;
      }
      if (IsExistingFolder(level, os)) {
        last_existing = level;
      } else if (!os.CreateFolder(level)) {
        RemoveCreatedFolders(level, &last_existing, os);
        return false;
      }
    }
    i += length;
  }
  return true;
}

bool SeparatorPathStyle::RemoveCreatedFolders(const std::string& path, const std::string* stop,
                                              os::Os& os) const {
  const std::size_t size = PathBufferSize();
  auto split = [&](const std::string& source, std::string* root, std::string* rest) {
    std::string folder = source;
    return !folder.empty() && folder.size() < size && ReduceToFolder(&folder) &&
           EnsureTrailingSeparator(&folder, size) && SplitRoot(folder, root, rest);
  };
  std::string root;
  std::string rest;
  if (!split(path, &root, &rest)) return false;
  std::string stop_root;
  std::string stop_rest;
  if (stop != nullptr) {
    if (!split(*stop, &stop_root, &stop_rest)) return false;
    // Only folders inside the stop folder may go.
    if (root.size() != stop_root.size() || !SameNames(root, stop_root) ||
        rest.size() < stop_rest.size() ||
        !SameNames(std::string_view(rest).substr(0, stop_rest.size()), stop_rest)) {
      return false;
    }
  }

  // From the deepest level upwards; level k is the root and the first k bytes of rest.
  for (std::size_t k = rest.size(); k-- > 1;) {
    if (rest[k] != Separator() || text::IsDoubleByteAt(rest, k)) continue;
    if (stop != nullptr && stop_rest.size() >= k &&
        SameNames(std::string_view(stop_rest).substr(0, k), std::string_view(rest).substr(0, k))) {
      return true;  // the stop folder is reached
    }
    const std::string level = root + rest.substr(0, k) + Separator();
    if (IsExistingFolder(level, os)) {
      if (!os.RemoveFolder(level)) return false;
      if (stop == nullptr) return true;
    }
  }
  return true;
}

}  // namespace vintor::conditions
