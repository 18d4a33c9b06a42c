#include "grid/CarrelonPrintSettings.h"

#include "platform/graphics/Graphics.h"
#include "platform/rtl/Lists.h"

namespace carrelon {

static bool MarginFits(double V, double Opposite) {
    return V >= 0 && V + Opposite < 1;
}

void TCarrelonPrintMargins::SetLeft(double V) {
    if (MarginFits(V, FRight)) FLeft = V;
}
void TCarrelonPrintMargins::SetTop(double V) {
    if (MarginFits(V, FBottom)) FTop = V;
}
void TCarrelonPrintMargins::SetRight(double V) {
    if (MarginFits(V, FLeft)) FRight = V;
}
void TCarrelonPrintMargins::SetBottom(double V) {
    if (MarginFits(V, FTop)) FBottom = V;
}

TCarrelonPrintHeaderFooter::TCarrelonPrintHeaderFooter()
    : FLines(std::make_unique<TStringList>()), FFont(std::make_unique<TFont>()) {}

TCarrelonPrintHeaderFooter::~TCarrelonPrintHeaderFooter() = default;

TStrings* TCarrelonPrintHeaderFooter::GetLines() const {
    return FLines.get();
}

void TCarrelonPrintHeaderFooter::SetLines(const TStrings* Value) {
    FLines->Assign(Value);
}

void TCarrelonPrintHeaderFooter::SetFont(const TFont* Value) {
    FFont->Assign(Value);
}

void TCarrelonPrintHeaderFooter::SetDistance(double V) {
    if (V >= 0 && V < 1) FDistance = V;
}

}  // namespace carrelon
