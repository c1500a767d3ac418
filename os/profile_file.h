// The lookup of a profile (INI) string, shared by every Os implementation so that a
// settings file answers the same on Linux as on Windows.
//
// The rules are those of the Windows private-profile functions, applied to the file's
// bytes as CP932 text:
//  - lines end at CR LF, LF or CR;
//  - a line whose first non-blank byte is ';' is a comment;
//  - a line whose first non-blank byte is '[' starts a section; its name runs to the first
//    ']' (or the end of the line), blanks around it ignored;
//  - a line "key = value" inside a section defines key; blanks (space, tab) around the key
//    and the value are ignored, and a value wrapped in matching single or double quotes
//    loses them; a line without '=' defines nothing;
//  - section and key names match without regard to the case of ASCII letters (the bytes of
//    a double-byte character must match exactly);
//  - only the first section with the name is searched, and the first matching key in it
//    gives the answer.
#pragma once

#include <string>
#include <string_view>

namespace vintor::os {

// The value of key in section of the profile whose text is file_contents, or
// default_value (unchanged) when the section or the key is absent. The whole value is
// returned, however long.
std::string LookUpProfileString(std::string_view file_contents, std::string_view section,
                                std::string_view key, std::string_view default_value);

}  // namespace vintor::os
