// Text and picture placement in a cell.
#pragma once

#include <cstdint>

namespace carrelon {

enum TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };
enum TTextLayout : std::uint8_t { tlTop, tlCenter, tlBottom };

}  // namespace carrelon
