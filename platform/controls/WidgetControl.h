// TWidgetControl: a windowed control whose work is done by a Qt widget filling its client area
// (a line edit, a text edit, a combo box...). Input still passes the control's dispatch first;
// what the control's handlers leave is handed to the widget as the default handling.
#pragma once

#include "platform/controls/Controls.h"

namespace carrelon {

class TWidgetControl : public TWinControl {
public:
    explicit TWidgetControl(TComponent* AOwner);
    ~TWidgetControl() override;
    AnsiString ClassName() const override { return "TWidgetControl"; }

    void DefaultHandler(TMessage& Message) override;
    // The widget draws its own scroll bars inside the client area.
    TRect GetClientRect() const override;

protected:
    // Creates the Qt widget that does the work and hands it to Window (called when the window is
    // created). Platform code sees the widget through platform/controls/WidgetControlQt.h.
    virtual void CreateInnerWidget(TWindowWidget& Window) = 0;
    // Copies the control's stored properties into a new widget.
    virtual void ApplyToWidget() {}
    // Copies the widget's state into the control before the window goes.
    virtual void SaveFromWidget() {}
    // Types one character the control's handlers let through.
    virtual void InsertCharacter(char32_t Ch);
    // The widget as a W (a Qt widget class), or nullptr while there is no window or the widget
    // is of another kind. Defined in platform/controls/WidgetControlQt.h.
    template <class W>
    W* InnerWidget() const;
    bool HasInnerWidget() const;

    TWindowWidget* CreateWindowHandle(TWindowWidget* ParentWidget) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void WMMouseWheel(TMessage& Message) override;
    void CMFontChanged(TMessage& Message) override;
    void CMColorChanged(TMessage& Message) override;
    void CMEnabledChanged(TMessage& Message) override;
    void ApplyFontAndColor();
};

}  // namespace carrelon
