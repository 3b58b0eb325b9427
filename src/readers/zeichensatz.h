// Single-byte code pages of the GAEB text formats, decoded to UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace gaeb::readers {

enum class Zeichensatz { Cp850, Cp437, Cp1252 };

// The bytes in the code page as UTF-8. Every byte has a character in these
// pages, so decoding never fails.
std::string NachUtf8(std::string_view bytes, Zeichensatz z);

}  // namespace gaeb::readers
