// The statement section that an account character belongs to.
#pragma once

#include <cstdint>
#include <string_view>

namespace vintor::statements {

// The CP932 name of the first section whose mask the character contains entirely
// ((character & mask) == mask), testing the narrower masks before the wider ones they lie
// in; empty when the character belongs to no section. The text is static.
std::string_view SectionNameOfCharacter(std::uint32_t character);

}  // namespace vintor::statements
