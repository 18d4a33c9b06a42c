// Controls: TControl (bounds, visibility, font and colour, mouse input, hints), TWinControl (a
// window handle made on demand, keyboard input, focus, children and tab order) and
// TCustomControl (a window that paints itself on a canvas).
//
// Every message, whether it comes from a Qt event, Perform, SendMessage or PostMessage, takes
// one road: WindowProc (replaceable, WndProc by default) -> WndProc -> Dispatch -> the message
// handler (WMKeyDown, CMEnter, ...) -> the virtual methods descendants override (KeyDown,
// DoEnter, Paint, ...). Handlers are protected virtuals; an override calls the base handler for
// the inherited behaviour.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/controls/Component.h"
#include "platform/controls/Messages.h"
#include "platform/rtl/Set.h"
#include "platform/rtl/Types.h"

namespace carrelon {

class TFont;
class TCanvas;
class TPopupMenu;
class TControl;
class TWinControl;
class TCustomForm;
class TWindowWidget;  // the Qt widget behind a window handle (platform-internal)

// A window handle: the widget of a TWinControl, or nullptr.
using HWND = TWindowWidget*;

enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem>;

using TCursor = int;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crNone = -1;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crCross = -3;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crSizeNESW = -6;
inline constexpr TCursor crSizeNS = -7;
inline constexpr TCursor crSizeNWSE = -8;
inline constexpr TCursor crSizeWE = -9;
inline constexpr TCursor crUpArrow = -10;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crDrag = -12;
inline constexpr TCursor crNoDrop = -13;
inline constexpr TCursor crHSplit = -14;
inline constexpr TCursor crVSplit = -15;
inline constexpr TCursor crMultiDrag = -16;
inline constexpr TCursor crSQLWait = -17;
inline constexpr TCursor crNo = -18;
inline constexpr TCursor crAppStart = -19;
inline constexpr TCursor crHelp = -20;
inline constexpr TCursor crHandPoint = -21;
inline constexpr TCursor crSizeAll = -22;
inline constexpr TCursor crSize = -22;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

// How a drag starts (by the control's own code, or on a press of the left button) and what it
// does (drag an object, or dock the control).
enum TDragMode { dmManual, dmAutomatic };
enum TDragKind { dkDrag, dkDock };

// The sides of its parent's client area a control keeps its distance to when the parent is
// resized. Anchored to both sides of an axis, the control stretches; to neither, its centre
// keeps its place in proportion.
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;

// Limits of a control's size in pixels; 0 sets no limit.
struct TSizeConstraints {
    int MaxHeight = 0;
    int MaxWidth = 0;
    int MinHeight = 0;
    int MinWidth = 0;
};

enum TControlStyleItem {
    csAcceptsControls,
    csCaptureMouse,
    csDesignInteractive,
    csClickEvents,
    csFramed,
    csSetCaption,
    csOpaque,
    csDoubleClicks,
    csFixedWidth,
    csFixedHeight,
    csNoDesignVisible,
    csReplicatable,
    csNoStdEvents,
    csDisplayDragImage,
    csReflector,
    csActionClient,
    csMenuEvents,
    csNeedsBorderPaint,
    csParentBackground
};
using TControlStyle = TSet<TControlStyleItem>;

enum TControlStateItem {
    csLButtonDown,
    csClicked,
    csPalette,
    csReadingState,
    csAlignmentNeeded,
    csFocusing,
    csCreating,
    csPaintCopy,
    csCustomPaint,
    csDestroyingHandle,
    csDocking
};
using TControlState = TSet<TControlStateItem>;

// What CM_HINTSHOW carries (LParam points at it). A handler may change any field; a non-zero
// Result suppresses the hint.
struct THintInfo {
    TControl* HintControl = nullptr;
    TPoint HintPos;  // screen coordinates of the hint window
    int HintMaxWidth = 0;
    TColor HintColor = 0;
    TRect CursorRect;  // client rectangle the hint belongs to; leaving it hides the hint
    TPoint CursorPos;  // client coordinates
    int ReshowTimeout = 0;
    int HideTimeout = 0;
    AnsiString HintStr;
    void* HintData = nullptr;
};

// Dragging of an object over controls: the step a CM_DRAG message announces (LParam points at
// a TDragRec) and the state DragOver is told.
enum TDragMessage { dmDragEnter, dmDragLeave, dmDragMove, dmDragDrop, dmDragCancel };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
struct TDragRec {
    TDragMessage DragMessage = dmDragMove;
    TObject* Source = nullptr;  // the object being dragged
    TPoint Pos;                 // the pointer, screen coordinates
};

using TWndMethod = std::function<void(TMessage& Message)>;
using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TMouseWheelEvent = std::function<void(TObject* Sender, TShiftState Shift, int WheelDelta,
                                            TPoint MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent =
    std::function<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)>;
using TKeyEvent = std::function<void(TObject* Sender, Word& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char32_t& Key)>;
using TDragOverEvent = std::function<void(TObject* Sender, TObject* Source, int X, int Y,
                                          TDragState State, bool& Accept)>;
using TDragDropEvent = std::function<void(TObject* Sender, TObject* Source, int X, int Y)>;
// A drag or dock drag begins. The handler may set DragObject to the object the drag carries
// (targets see it as Source; the application owns it); left nullptr, the control is carried.
using TStartDragEvent = std::function<void(TObject* Sender, TObject*& DragObject)>;
// A drag or dock drag ended: Target is the control that took the drop, nullptr when none did
// (the drag was cancelled or dropped where nothing accepted it); X and Y are the drop point in
// Target's client coordinates, 0 without a target.
using TEndDragEvent = std::function<void(TObject* Sender, TObject* Target, int X, int Y)>;
// The control's context menu is asked for at MousePos (client coordinates; -1, -1 when asked
// for from the keyboard); a handler that sets Handled shows its own and the popup menu stays.
using TContextPopupEvent = std::function<void(TObject* Sender, TPoint MousePos, bool& Handled)>;

// The shift state of a key message: Shift and Ctrl from GetKeyState, Alt from the key data.
TShiftState KeyDataToShiftState(std::intptr_t KeyData);
// The shift state of a mouse message's key flags (MK_*), Alt from GetKeyState.
TShiftState KeysToShiftState(std::intptr_t Keys);

class TControl : public TComponent {
public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;
    AnsiString ClassName() const override { return "TControl"; }

    // ---- Messages ----
    // The entry of every message; all messages pass here (through WindowProc).
    virtual void WndProc(TMessage& Message);
    // Sends a message through WindowProc now and returns its Result.
    std::intptr_t Perform(Cardinal Msg, std::intptr_t WParam, std::intptr_t LParam);
    // The replaceable window procedure; applications save it, install their own and chain.
    // A procedure replaced while it runs (its message closed what installed it) stays alive
    // until it returns.
    TWndMethod GetWindowProc() const { return *FWindowProc; }
    void SetWindowProc(TWndMethod Value);
    // Hands Message to the window procedure installed now.
    void CallWindowProc(TMessage& Message);
    // Routes a message to its handler; unhandled messages reach DefaultHandler.
    virtual void Dispatch(TMessage& Message);
    virtual void DefaultHandler(TMessage& Message);

    // ---- Parent and geometry ----
    TWinControl* GetParent() const { return FParent; }
    virtual void SetParent(TWinControl* AParent);
    void SetParentComponent(TComponent* Value) override;
    int GetLeft() const { return FLeft; }
    int GetTop() const { return FTop; }
    int GetWidth() const { return FWidth; }
    int GetHeight() const { return FHeight; }
    void SetLeft(int Value) { SetBounds(Value, FTop, FWidth, FHeight); }
    void SetTop(int Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
    void SetWidth(int Value) { SetBounds(FLeft, FTop, Value, FHeight); }
    void SetHeight(int Value) { SetBounds(FLeft, FTop, FWidth, Value); }
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    TRect GetBoundsRect() const { return {FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
    void SetBoundsRect(const TRect& R) { SetBounds(R.Left, R.Top, R.Width(), R.Height()); }
    // The client area in client coordinates (the window less borders and scroll bars).
    virtual TRect GetClientRect() const;
    int GetClientWidth() const { return GetClientRect().Right; }
    int GetClientHeight() const { return GetClientRect().Bottom; }
    void SetClientWidth(int Value);
    void SetClientHeight(int Value);
    // The top-left of the client area in the control's own (window) coordinates.
    virtual TPoint GetClientOrigin() const;
    TPoint ClientToScreen(TPoint P) const;
    TPoint ScreenToClient(TPoint P) const;
    TAlign GetAlign() const { return FAlign; }
    void SetAlign(TAlign Value) { FAlign = Value; }
    // The size limits; setting them brings the present size within them.
    const TSizeConstraints& GetConstraints() const { return FConstraints; }
    void SetConstraints(const TSizeConstraints& Value);

    // ---- Appearance ----
    bool GetVisible() const { return FVisible; }
    void SetVisible(bool Value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Sets the framework's visible mark without showing or hiding the window, so that
    // alignment and the tab-order search skip (or see) a control whose window stays as it is.
    void SetVisibleMark(bool Value) { FVisible = Value; }
    bool GetEnabled() const { return FEnabled; }
    virtual void SetEnabled(bool Value);
    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value);
    bool GetParentColor() const { return FParentColor; }
    void SetParentColor(bool Value);
    TFont* GetFont() const { return FFont.get(); }
    void SetFont(const TFont* Value);
    bool GetParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);
    TCursor GetCursor() const { return FCursor; }
    void SetCursor(TCursor Value);
    const AnsiString& GetHint() const { return FHint; }
    void SetHint(const AnsiString& Value) { FHint = Value; }
    bool GetShowHint() const { return FShowHint; }
    void SetShowHint(bool Value);
    bool GetParentShowHint() const { return FParentShowHint; }
    void SetParentShowHint(bool Value);
    TPopupMenu* GetPopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* Value);
    // Dragging: how it starts, the cursor shown over a control that accepts the object, and
    // what is dragged.
    TDragMode GetDragMode() const { return FDragMode; }
    void SetDragMode(TDragMode Value) { FDragMode = Value; }
    TCursor GetDragCursor() const { return FDragCursor; }
    void SetDragCursor(TCursor Value) { FDragCursor = Value; }
    TDragKind GetDragKind() const { return FDragKind; }
    void SetDragKind(TDragKind Value) { FDragKind = Value; }
    // Left and top by default; the others make the control follow its parent's size.
    TAnchors GetAnchors() const { return FAnchors; }
    void SetAnchors(TAnchors Value);
    virtual AnsiString GetText() const;
    virtual void SetText(const AnsiString& Value);
    AnsiString GetCaption() const { return GetText(); }
    void SetCaption(const AnsiString& Value) { SetText(Value); }
    TControlStyle GetControlStyle() const { return FControlStyle; }
    void SetControlStyle(TControlStyle Value) { FControlStyle = Value; }
    TControlState GetControlState() const { return FControlState; }
    void SetControlState(TControlState Value) { FControlState = Value; }

    // ---- Painting ----
    // Marks the control for repainting; painting happens from the event loop or Update.
    virtual void Invalidate();
    // Paints pending invalid regions now.
    virtual void Update();
    void Repaint();
    void Refresh() { Repaint(); }
    virtual void BringToFront();
    virtual void SendToBack();

    // ---- Mouse ----
    bool GetMouseCapture() const;
    void SetMouseCapture(bool Value);

    // An object dragged onto the control is dropped at the client point (X, Y).
    virtual void DragDrop(TObject* Source, int X, int Y);

    // ---- Dragging and docking ----
    // Starts dragging the control, or dock-dragging it when DragKind is dkDock. Immediate
    // starts at once; otherwise the drag starts once the pointer has moved Threshold pixels
    // (-1: 5) from where it is. The mouse then drives it wherever the pointer goes: a move
    // tells the control under the pointer, the left button's release drops, Escape or a
    // press of another button cancels. Left-button presses start one themselves in
    // dmAutomatic. A press of the control's own is released for it first, without a click.
    void BeginDrag(bool Immediate, int Threshold = -1);
    // Ends the control's drag: dropped on the control under the pointer when Drop and that
    // control accepts it, else cancelled.
    void EndDrag(bool Drop);
    bool Dragging() const;

    bool HasParent() const { return FParent != nullptr; }
    // The published properties: bounds, visibility, colour, font, hint and cursor.
    void DefineProperties(TFiler& Filer) override;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TMouseWheelEvent OnMouseWheel;
    TMouseWheelUpDownEvent OnMouseWheelDown;
    TMouseWheelUpDownEvent OnMouseWheelUp;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TKeyEvent OnKeyUp;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TDragOverEvent OnDragOver;
    TDragDropEvent OnDragDrop;
    TStartDragEvent OnStartDrag;
    TEndDragEvent OnEndDrag;
    TStartDragEvent OnStartDock;
    TEndDragEvent OnEndDock;
    TContextPopupEvent OnContextPopup;

protected:
    friend class TWinControl;
    friend class TCustomForm;
    friend struct TDragEngine;

    void Notification(TComponent* AComponent, TOperation Operation) override;
    virtual void Click();
    virtual void DblClick();
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos);
    virtual bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos);
    virtual bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos);
    virtual void VisibleChanging();
    // Brings a width and height within the size constraints.
    void ConstrainSize(int& AWidth, int& AHeight) const;
    // Whether the control accepts the dragged object at the client point (X, Y); the default
    // accepts exactly when OnDragOver is assigned, and the handler decides.
    virtual void DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept);
    // The events of a drag's or a dock drag's start and end.
    virtual void DoStartDrag(TObject*& DragObject);
    virtual void DoEndDrag(TObject* Target, int X, int Y);
    virtual void DoStartDock(TObject*& DragObject);
    virtual void DoEndDock(TObject* Target, int X, int Y);
    virtual void DoContextPopup(TPoint MousePos, bool& Handled);
    virtual void Changed();
    // Hands the news of a font or colour change to the control.
    void FontChanged(TObject* Sender);
    // Sends CM_CANCELMODE to the active control of every form this control sits on.
    void SendCancelMode(TControl* Sender);

    // Message handlers.
    virtual void WMLButtonDown(TMessage& Message);
    virtual void WMLButtonUp(TMessage& Message);
    virtual void WMLButtonDblClk(TMessage& Message);
    virtual void WMRButtonDown(TMessage& Message);
    virtual void WMRButtonUp(TMessage& Message);
    virtual void WMRButtonDblClk(TMessage& Message);
    virtual void WMMButtonDown(TMessage& Message);
    virtual void WMMButtonUp(TMessage& Message);
    virtual void WMMButtonDblClk(TMessage& Message);
    virtual void WMMouseMove(TMessage& Message);
    virtual void WMMouseWheel(TMessage& Message);
    virtual void WMCancelMode(TMessage& Message);
    virtual void WMContextMenu(TMessage& Message);
    virtual void CMMouseWheel(TMessage& Message);
    virtual void CMColorChanged(TMessage& Message);
    virtual void CMFontChanged(TMessage& Message);
    virtual void CMParentColorChanged(TMessage& Message);
    virtual void CMParentFontChanged(TMessage& Message);
    virtual void CMParentShowHintChanged(TMessage& Message);
    virtual void CMHintShow(TMessage& Message);
    virtual void CMVisibleChanged(TMessage& Message);
    virtual void CMEnabledChanged(TMessage& Message);
    virtual void CMMouseEnter(TMessage& Message);
    virtual void CMMouseLeave(TMessage& Message);
    virtual void CMDesignHitTest(TMessage& Message);
    virtual void CMChanged(TMessage& Message);
    virtual void CMCancelMode(TMessage& Message);
    virtual void CMDrag(TMessage& Message);

    TWinControl* FParent = nullptr;
    int FLeft = 0;
    int FTop = 0;
    int FWidth = 0;
    int FHeight = 0;
    bool FVisible = true;
    bool FEnabled = true;
    TColor FColor;
    bool FParentColor = true;
    std::unique_ptr<TFont> FFont;
    bool FParentFont = true;
    TCursor FCursor = crDefault;
    AnsiString FHint;
    bool FShowHint = false;
    bool FParentShowHint = true;
    TPopupMenu* FPopupMenu = nullptr;
    TDragMode FDragMode = dmManual;
    TCursor FDragCursor = crDrag;
    TDragKind FDragKind = dkDrag;
    TAnchors FAnchors{akLeft, akTop};
    TSizeConstraints FConstraints;
    AnsiString FText;
    TAlign FAlign = alNone;
    TControlStyle FControlStyle;
    TControlState FControlState;

private:
    void DoMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift);
    void DoMouseUp(TMessage& Message, TMouseButton Button);
    // Records where the control sits against its parent's client area, for the anchors.
    void UpdateAnchorRules();
    // Moves and sizes the control as its anchors ask for a parent client area of this size.
    void ApplyAnchors(int ParentWidth, int ParentHeight);
    std::shared_ptr<const TWndMethod> FWindowProc;
    // The anchors' record: per axis the distance, position or centre to keep, and the parent's
    // client size it was taken against.
    TPoint FAnchorRules;
    TPoint FOriginalParentSize;
    bool FAnchorRulesSet = false;
    bool FAnchorMove = false;
    // Wheel turns not yet amounting to a whole notch.
    int FWheelAccumulator = 0;
};

class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;
    AnsiString ClassName() const override { return "TWinControl"; }

    void WndProc(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;
    void DefaultHandler(TMessage& Message) override;

    // ---- Window handle ----
    // The window, created (with the parents' windows) when first asked for.
    HWND GetHandle();
    bool HandleAllocated() const { return FHandle != nullptr; }
    void HandleNeeded();
    // Destroys the window (and its children's); the control keeps its properties.
    void DestroyHandle();
    void RecreateWnd();
    // True when the control and all its parents are visible and the window exists.
    bool GetShowing() const;
    // Window style bits as GetWindowLongA answers them (WS_HSCROLL, WS_VSCROLL, ...).
    std::int32_t GetWindowStyle() const { return FWindowStyle; }
    void SetWindowStyle(std::int32_t Value);
    std::int32_t GetWindowExStyle() const { return FWindowExStyle; }
    void SetWindowExStyle(std::int32_t Value);

    // ---- Children ----
    int GetControlCount() const { return static_cast<int>(FControls.size()); }
    TControl* GetControls(int Index) const;
    void InsertControl(TControl* AControl);
    void RemoveControl(TControl* AControl);
    bool ContainsControl(const TControl* Control) const;
    TControl* ControlAtPos(TPoint Pos) const;
    int GetTabOrder() const;
    void SetTabOrder(int Value);
    bool GetTabStop() const { return FTabStop; }
    void SetTabStop(bool Value) { FTabStop = Value; }
    // Every windowed descendant in tab order (depth first).
    void GetTabOrderList(std::vector<TWinControl*>& List) const;
    // The next focusable control after CurControl in tab order, wrapping; with CheckParent only
    // direct children of this control count. nullptr when there is none.
    TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                 bool CheckParent) const;
    void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);
    // A dock site takes the controls dock-dragged onto it as its children.
    bool GetDockSite() const { return FDockSite; }
    void SetDockSite(bool Value) { FDockSite = Value; }
    void DisableAlign() { ++FAlignLevel; }
    void EnableAlign() {
        if (FAlignLevel > 0) --FAlignLevel;
    }

    // ---- Focus ----
    // Visible and enabled up to a parent form.
    virtual bool CanFocus() const;
    // Raises EInvalidOperation when the control cannot take the focus.
    virtual void SetFocus();
    virtual bool Focused() const;

    void Invalidate() override;
    void Update() override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void BringToFront() override;
    void SendToBack() override;

    bool GetCtl3D() const { return FCtl3D; }
    void SetCtl3D(bool Value);
    // An inner border inside the window frame, in pixels (part of the non-client area).
    int GetBorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int Value);
    void DefineProperties(TFiler& Filer) override;
    // Streams the child controls that Root owns.
    void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
    // Sends Message to every child control.
    void Broadcast(TMessage& Message);
    bool GetParentCtl3D() const { return FParentCtl3D; }
    void SetParentCtl3D(bool Value) { FParentCtl3D = Value; }

    // ---- Used by the window bridge ----
    // The window's non-client border width on each side.
    virtual int GetBorderWidthNC() const;
    TRect GetClientRect() const override;
    TPoint GetClientOrigin() const override;
    // Paints the control, border included, on DC with its top-left corner at (X, Y).
    void PaintTo(TCanvas* DC, int X, int Y);
    // PaintTo as the control would look with a client area of ClientWidth x ClientHeight and no
    // scroll bars, for pictures of more than the window shows. While it paints, the control's
    // size answers that area with its border; its window and scroll bars are left alone, and
    // its size is back as it was afterwards.
    void PaintToAsSized(TCanvas* DC, int X, int Y, int ClientWidth, int ClientHeight);

    // Used by the window's widget: the user moved or resized a top-level window.
    void HandleResizedExternally(int AWidth, int AHeight);
    void HandleMovedExternally(int ALeft, int ATop);

protected:
    friend class TWindowWidget;
    friend class TCustomForm;

    // Creates the widget; descendants over a Qt widget return their own kind.
    virtual TWindowWidget* CreateWindowHandle(TWindowWidget* ParentWidget);
    // Runs after the window was created and before its children are.
    virtual void CreateWnd();
    virtual void DestroyWnd();
    virtual void KeyDown(Word& Key, TShiftState Shift);
    virtual void KeyUp(Word& Key, TShiftState Shift);
    virtual void KeyPress(char32_t& Key);
    virtual void DoEnter();
    virtual void DoExit();
    virtual void PaintWindow(TCanvas* Canvas);

    // Message handlers.
    virtual void WMKeyDown(TMessage& Message);
    virtual void WMSysKeyDown(TMessage& Message);
    virtual void WMKeyUp(TMessage& Message);
    virtual void WMSysKeyUp(TMessage& Message);
    virtual void WMChar(TMessage& Message);
    virtual void CNKeyDown(TMessage& Message);
    virtual void CNKeyUp(TMessage& Message);
    virtual void CNChar(TMessage& Message);
    virtual void WMSetFocus(TMessage& Message);
    virtual void WMKillFocus(TMessage& Message);
    virtual void WMGetDlgCode(TMessage& Message);
    virtual void WMPaint(TMessage& Message);
    virtual void WMEraseBkgnd(TMessage& Message);
    virtual void WMNCCalcSize(TMessage& Message);
    virtual void WMSetCursor(TMessage& Message);
    virtual void WMSize(TMessage& Message);
    virtual void WMTimer(TMessage& Message);
    virtual void WMCommand(TMessage& Message);
    virtual void WMHScroll(TMessage& Message);
    virtual void WMVScroll(TMessage& Message);
    virtual void WMSetRedraw(TMessage& Message);
    virtual void WMCaptureChanged(TMessage& Message);
    virtual void WMCut(TMessage& Message);
    virtual void WMCopy(TMessage& Message);
    virtual void WMPaste(TMessage& Message);
    virtual void CMEnter(TMessage& Message);
    virtual void CMExit(TMessage& Message);
    virtual void CMChildKey(TMessage& Message);
    virtual void CMDialogKey(TMessage& Message);
    virtual void CMWantSpecialKey(TMessage& Message);
    virtual void CMFocusChanged(TMessage& Message);
    virtual void CMRecreateWnd(TMessage& Message);
    void CMFontChanged(TMessage& Message) override;
    void CMColorChanged(TMessage& Message) override;
    void CMVisibleChanged(TMessage& Message) override;
    void CMEnabledChanged(TMessage& Message) override;

    // Keyboard steps shared by the key handlers; false when the key was consumed.
    bool DoKeyDown(TMessage& Message);
    bool DoKeyUp(TMessage& Message);
    bool DoKeyPress(TMessage& Message);
    // Applies the control's properties to its widget (geometry, visibility, enabled).
    void UpdateWidgetGeometry();
    void UpdateWidgetVisibility();

    std::vector<TControl*> FControls;
    std::vector<TWinControl*> FTabList;
    TWindowWidget* FHandle = nullptr;
    bool FTabStop = false;
    bool FCtl3D = true;
    bool FParentCtl3D = true;
    int FAlignLevel = 0;
    int FBorderWidth = 0;
    bool FDockSite = false;
    std::int32_t FWindowStyle = 0;
    std::int32_t FWindowExStyle = 0;

private:
    // The steps of Dispatch, by kind of message; false when the message is not of that kind.
    bool DispatchKeyMessage(TMessage& Message);
    bool DispatchWindowMessage(TMessage& Message);
    bool DispatchControlMessage(TMessage& Message);
    void DestroyChildHandles();
    // Lets the children follow a change of the client area's size as their anchors ask.
    void AnchorControls();
    // Recomputes the non-client area (WM_NCCALCSIZE) and lays out border and scroll bars.
    void FrameChanged();
    void NotifyControls(Cardinal Msg);
};

// A window that paints itself: Paint draws on Canvas, which is attached to the window's painter
// while WM_PAINT is handled.
class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* AOwner);
    ~TCustomControl() override;
    AnsiString ClassName() const override { return "TCustomControl"; }
    TCanvas* GetCanvas() const { return FCanvas.get(); }

protected:
    virtual void Paint();
    void PaintWindow(TCanvas* Canvas) override;

private:
    std::unique_ptr<TCanvas> FCanvas;
};

// A control without a window of its own; its parent paints it.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* AOwner);
    ~TGraphicControl() override;
    AnsiString ClassName() const override { return "TGraphicControl"; }
    TCanvas* GetCanvas() const { return FCanvas.get(); }

protected:
    friend class TWinControl;
    virtual void Paint();

private:
    std::unique_ptr<TCanvas> FCanvas;
};

// The form a control sits on (its top-most parent when that is a form), else nullptr.
TCustomForm* GetParentForm(const TControl* Control);
// The control whose window Handle is, or nullptr.
TWinControl* FindControl(HWND Handle);

}  // namespace carrelon
