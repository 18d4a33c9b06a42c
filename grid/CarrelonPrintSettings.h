// Print settings the grid owns and the paginator and INI persistence read: margins, header and
// footer.
#pragma once

#include <memory>

#include "grid/CarrelonTypes.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"

namespace carrelon {

// Margins as fractions of the page; a value is taken only when it is at least 0 and, with the
// opposite margin, stays below 1.
class TCarrelonPrintMargins : public TPersistent {
public:
    AnsiString ClassName() const override { return "TCarrelonPrintMargins"; }
    double GetLeft() const { return FLeft; }
    void SetLeft(double V);
    double GetTop() const { return FTop; }
    void SetTop(double V);
    double GetRight() const { return FRight; }
    void SetRight(double V);
    double GetBottom() const { return FBottom; }
    void SetBottom(double V);

private:
    double FLeft = 0;
    double FTop = 0;
    double FRight = 0;
    double FBottom = 0;
};

class TCarrelonPrintHeaderFooter : public TPersistent {
public:
    TCarrelonPrintHeaderFooter();
    ~TCarrelonPrintHeaderFooter() override;
    AnsiString ClassName() const override { return "TCarrelonPrintHeaderFooter"; }

    TAlignment GetAlignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value) { FAlignment = Value; }
    TStrings* GetLines() const;
    void SetLines(const TStrings* Value);  // copies the entries
    TFont* GetFont() const { return FFont.get(); }
    void SetFont(const TFont* Value);  // copies the font
    double GetDistance() const { return FDistance; }
    void SetDistance(double V);  // taken only for 0 <= V < 1

private:
    std::unique_ptr<TStringList> FLines;
    std::unique_ptr<TFont> FFont;
    double FDistance = 0;
    TAlignment FAlignment = taLeftJustify;
};

}  // namespace carrelon
