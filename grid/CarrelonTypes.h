// Text and picture placement in a cell: the framework's alignment and layout enumerations,
// which the standard controls declare; the grid declares the same ones while those are absent.
#pragma once

#include <cstdint>

#if __has_include("platform/controls/StdCtrls.h")
#include "platform/controls/StdCtrls.h"
#else
namespace carrelon {

enum TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };
enum TTextLayout : std::uint8_t { tlTop, tlCenter, tlBottom };

}  // namespace carrelon
#endif
