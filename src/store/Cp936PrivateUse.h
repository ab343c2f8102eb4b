#pragma once

#include <string>

namespace lanvex::store {

// The byte pairs of code page 936 that Windows maps into the private use area (U+E000 to U+E864)
// and glibc leaves unmapped: the three user-defined areas and the unassigned pairs between them.
// With these, a file reads the same on Linux as on Windows.

// The private-use character of the pair `lead`, `trail`, or 0 when the pair is not one of them.
char32_t Cp936PrivateUseChar(unsigned char lead, unsigned char trail);

// The two bytes of a private-use character, or "" when code page 936 has none for it.
std::string Cp936PrivateUseBytes(char32_t code);

} // namespace lanvex::store
