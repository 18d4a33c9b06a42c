// TImage: a control that shows a picture, and the target of print previews.
#pragma once

#include <memory>

#include "platform/controls/Controls.h"
#include "platform/graphics/Pictures.h"

namespace carrelon {

class TImage : public TGraphicControl {
public:
    explicit TImage(TComponent* AOwner);
    ~TImage() override;
    AnsiString ClassName() const override { return "TImage"; }

    TPicture* GetPicture() const { return FPicture.get(); }
    void SetPicture(const TPicture* Value) { FPicture->Assign(Value); }
    // The canvas of the picture's bitmap, made when the picture is empty. Raises
    // EInvalidOperation "Can only modify an image if it contains a bitmap" for other graphics.
    TCanvas* GetCanvas();

    // Stretch: the picture fills the control; else it is drawn at its own size, centred with
    // Center. AutoSize: the control takes the picture's size whenever the picture changes.
    bool GetStretch() const { return FStretch; }
    void SetStretch(bool Value);
    bool GetCenter() const { return FCenter; }
    void SetCenter(bool Value);
    bool GetAutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);

protected:
    void Paint() override;

private:
    void PictureChanged();
    // Where the picture is drawn in the control.
    TRect DestRect() const;

    std::unique_ptr<TPicture> FPicture;
    bool FStretch = false;
    bool FCenter = false;
    bool FAutoSize = false;
};

}  // namespace carrelon
