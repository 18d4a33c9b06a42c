#include "grid/CarrelonCellProperties.h"

#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"

namespace carrelon {

TCarrelonCellProperties::TCarrelonCellProperties() = default;
TCarrelonCellProperties::~TCarrelonCellProperties() = default;

bool TCarrelonCellProperties::IsDefault() const {
    return FFormula.empty() && FHint.empty() && !FFont && !FPicture && !FInnerBorder &&
           !FOuterBorder && FObject == nullptr && FEndCol == nullptr && FEndRow == 0 &&
           !FColor.IsSet() && !FSelectedColor.IsSet() && !FSelectedFontColor.IsSet() &&
           !FMaxLength.IsSet() && !FReadOnly.IsSet() && !FWordWrap.IsSet() && !FCheckBox.IsSet() &&
           !FCheckBoxChecked.IsSet() && !FButton.IsSet() && !FCheckBoxAlignment.IsSet() &&
           !FTextAlignment.IsSet() && !FGraphicAlignment.IsSet() && !FTextLayout.IsSet() &&
           !FGraphicLayout.IsSet() && !FFontUsed && !FButtonPushed && !FError;
}

}  // namespace carrelon
