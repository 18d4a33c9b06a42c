#include "grid/CarrelonCellProperties.h"

#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"

namespace carrelon {

TCarrelonCellProperties::TCarrelonCellProperties() = default;
TCarrelonCellProperties::~TCarrelonCellProperties() = default;

bool TCarrelonCellProperties::IsDefault() const {
    return FFormula.empty() && FHint.empty() && !FFont && !FPicture && !FInnerBorder &&
           !FOuterBorder && FObject == nullptr && FEndCol == nullptr && FEndRow == 0 &&
           FColor == 0 && FSelectedColor == 0 && FSelectedFontColor == 0 && FMaxLength == 0 &&
           FReadOnly == 0 && FWordWrap == 0 && FCheckBox == 0 && FCheckBoxChecked == 0 &&
           FButton == 0 && FCheckBoxAlignment == 0 && FTextAlignment == 0 &&
           FGraphicAlignment == 0 && FTextLayout == 0 && FGraphicLayout == 0 && !FFontUsed &&
           !FButtonPushed && !FError;
}

}  // namespace carrelon
