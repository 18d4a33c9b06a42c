// Horizontal alignment of text and its vertical layout, shared by the edit controls and cells.
#pragma once

#include <cstdint>

namespace carrelon {

enum TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };
enum TTextLayout : std::uint8_t { tlTop, tlCenter, tlBottom };

}  // namespace carrelon
