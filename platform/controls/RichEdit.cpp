#include "platform/controls/RichEdit.h"

#include <QAbstractTextDocumentLayout>
#include <QClipboard>
#include <QGuiApplication>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <cmath>

#include "platform/controls/TextPositionsQt.h"
#include "platform/controls/WidgetControlQt.h"

namespace carrelon {

namespace {

using namespace textpos;

Qt::Alignment ToQtAlignment(TAlignment A) {
    switch (A) {
        case taRightJustify:
            return Qt::AlignRight;
        case taCenter:
            return Qt::AlignHCenter;
        default:
            return Qt::AlignLeft;
    }
}

bool IsWordChar(char32_t C) {
    return QChar::isLetterOrNumber(C) || C == '_';
}

}  // namespace

struct TCustomRichEdit::TPrivate {
    QTextEdit* Edit = nullptr;
    // The text while there is no window.
    AnsiString SavedText;
    bool Modified = false;
};

TAlignment TParaAttributes::GetAlignment() const {
    QTextEdit* E = FOwner->D->Edit;
    if (E == nullptr) return FOwner->FAlignment;
    const Qt::Alignment A = E->textCursor().blockFormat().alignment();
    if (A & Qt::AlignRight) return taRightJustify;
    if (A & Qt::AlignHCenter) return taCenter;
    return taLeftJustify;
}

void TParaAttributes::SetAlignment(TAlignment Value) {
    QTextEdit* E = FOwner->D->Edit;
    if (E == nullptr) {
        FOwner->FAlignment = Value;
        return;
    }
    QTextCursor C = E->textCursor();
    QTextBlockFormat F = C.blockFormat();
    F.setAlignment(ToQtAlignment(Value));
    C.mergeBlockFormat(F);
}

TCustomRichEdit::TCustomRichEdit(TComponent* AOwner)
    : TWidgetControl(AOwner), D(std::make_unique<TPrivate>()) {
    FWidth = 185;
    FHeight = 89;
    UpdateFrameStyle();
    SetWindowStyle(GetWindowStyle() | WS_HSCROLL | WS_VSCROLL | ES_MULTILINE);
}

TCustomRichEdit::~TCustomRichEdit() {
    Destroying();
    DestroyHandle();
}

void TCustomRichEdit::CreateInnerWidget(TWindowWidget& Window) {
    auto* E = new QTextEdit();
    E->setAcceptRichText(false);
    E->setFrameStyle(QFrame::NoFrame);
    E->setContextMenuPolicy(Qt::NoContextMenu);
    // No margin inside the document: the text starts at the border, one line needs exactly
    // its font's height plus the border.
    E->document()->setDocumentMargin(0);
    D->Edit = E;
    QObject::connect(E, &QTextEdit::textChanged,
                     [this] { GuardedCall(this, [this] { TextChanged(); }); });
    QObject::connect(E, &QTextEdit::selectionChanged,
                     [this] { GuardedCall(this, [this] { SelectionChange(); }); });
    QObject::connect(
        E->document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged,
        [this](const QSizeF&) { GuardedCall(this, [this] { CheckContentHeight(); }); });
    QObject::connect(E, &QObject::destroyed, [this] { D->Edit = nullptr; });
    Window.SetInner(E);
}

void TCustomRichEdit::ApplyToWidget() {
    QTextEdit* E = D->Edit;
    if (E == nullptr) return;
    const QSignalBlocker Block(E);
    E->setLineWrapMode(FWordWrap ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
    E->setReadOnly(FReadOnly);
    E->setPlainText(ToDocumentText(D->SavedText));
    SetAlignment(FAlignment);
    E->document()->setModified(D->Modified);
    FNotifiedText = D->SavedText;
    ApplyFontAndColor();
}

void TCustomRichEdit::SaveFromWidget() {
    if (D->Edit == nullptr) return;
    D->SavedText = GetText();
    D->Modified = D->Edit->document()->isModified();
    D->Edit = nullptr;
}

void TCustomRichEdit::UpdateFrameStyle() {
    std::int32_t Style = GetWindowStyle() & ~WS_BORDER;
    std::int32_t Ex = GetWindowExStyle() & ~WS_EX_CLIENTEDGE;
    if (FBorderStyle == bsSingle) {
        if (FCtl3D)
            Ex |= WS_EX_CLIENTEDGE;
        else
            Style |= WS_BORDER;
    }
    SetWindowStyle(Style);
    SetWindowExStyle(Ex);
}

void TCustomRichEdit::SetBorderStyle(TBorderStyle Value) {
    if (FBorderStyle == Value) return;
    FBorderStyle = Value;
    UpdateFrameStyle();
}

void TCustomRichEdit::CMCtl3DChanged() {
    UpdateFrameStyle();
}

AnsiString TCustomRichEdit::GetText() const {
    if (D->Edit == nullptr) return D->SavedText;
    return FromU32(WithCrLf(RawText(D->Edit->document())));
}

void TCustomRichEdit::SetText(const AnsiString& Value) {
    HandleNeeded();
    if (D->Edit == nullptr) {
        D->SavedText = Value;
        return;
    }
    D->Edit->setPlainText(ToDocumentText(Value));
    SetAlignment(FAlignment);
}

int TCustomRichEdit::GetTextLength() const {
    if (D->Edit == nullptr) return static_cast<int>(ToU32(D->SavedText).size());
    return OurLength(RawText(D->Edit->document()));
}

int TCustomRichEdit::GetSelStart() const {
    if (D->Edit == nullptr) return 0;
    const QTextCursor C = D->Edit->textCursor();
    return QtToOurs(RawText(D->Edit->document()), C.selectionStart());
}

void TCustomRichEdit::SetSelStart(int Value) {
    HandleNeeded();
    if (D->Edit == nullptr) return;
    const std::u32string Raw = RawText(D->Edit->document());
    Value = std::clamp(Value, 0, OurLength(Raw));
    QTextCursor C = D->Edit->textCursor();
    C.setPosition(OursToQt(Raw, Value));
    D->Edit->setTextCursor(C);
}

int TCustomRichEdit::GetSelLength() const {
    if (D->Edit == nullptr) return 0;
    const QTextCursor C = D->Edit->textCursor();
    const std::u32string Raw = RawText(D->Edit->document());
    return QtToOurs(Raw, C.selectionEnd()) - QtToOurs(Raw, C.selectionStart());
}

void TCustomRichEdit::SetSelLength(int Value) {
    HandleNeeded();
    if (D->Edit == nullptr) return;
    const std::u32string Raw = RawText(D->Edit->document());
    QTextCursor C = D->Edit->textCursor();
    const int Start = QtToOurs(Raw, C.selectionStart());
    const int End = std::clamp(Start + std::max(0, Value), 0, OurLength(Raw));
    C.setPosition(C.selectionStart());
    C.setPosition(OursToQt(Raw, End), QTextCursor::KeepAnchor);
    D->Edit->setTextCursor(C);
}

AnsiString TCustomRichEdit::GetSelText() const {
    if (D->Edit == nullptr) return "";
    const QTextCursor C = D->Edit->textCursor();
    std::u32string Sel;
    for (char32_t Ch : C.selectedText().toUcs4())
        Sel.push_back(Ch);
    return FromU32(WithCrLf(Sel));
}

void TCustomRichEdit::SetSelText(const AnsiString& Value) {
    HandleNeeded();
    std::u32string Text;
    for (char32_t C : ToU32(Value))
        if (C != '\n' || Text.empty() || Text.back() != '\r') Text.push_back(C == '\r' ? '\n' : C);
    InsertText(std::move(Text));
}

void TCustomRichEdit::InsertText(std::u32string Text) {
    if (D->Edit == nullptr || FReadOnly) return;
    if (FMaxLength > 0) {
        // The room left under MaxLength, with a line break counting two.
        const int Room = FMaxLength - (GetTextLength() - GetSelLength());
        int Used = 0;
        std::size_t Keep = 0;
        for (; Keep < Text.size(); ++Keep) {
            const int Step = IsSeparator(Text[Keep]) ? 2 : 1;
            if (Used + Step > Room) break;
            Used += Step;
        }
        Text.resize(Keep);
        if (Text.empty()) return;
    }
    QTextCursor C = D->Edit->textCursor();
    C.insertText(QString::fromUcs4(Text.data(), static_cast<qsizetype>(Text.size())));
    D->Edit->setTextCursor(C);
}

void TCustomRichEdit::InsertCharacter(char32_t Ch) {
    if (D->Edit == nullptr || FHandle == nullptr) return;
    if (Ch == 10 || Ch == 13) {
        InsertText(U"\n");
        return;
    }
    if (Ch >= 0x20 && Ch != 0x7F) {
        InsertText(std::u32string(1, Ch));
        return;
    }
    TWidgetControl::InsertCharacter(Ch);
}

void TCustomRichEdit::SelectAll() {
    HandleNeeded();
    if (D->Edit != nullptr) D->Edit->selectAll();
}

void TCustomRichEdit::ClearSelection() {
    if (D->Edit != nullptr && !FReadOnly) D->Edit->textCursor().removeSelectedText();
}

void TCustomRichEdit::Clear() {
    SetText("");
}

void TCustomRichEdit::CopyToClipboard() {
    if (D->Edit == nullptr || !D->Edit->textCursor().hasSelection()) return;
    QGuiApplication::clipboard()->setText(QString::fromStdString(GetSelText()));
}

void TCustomRichEdit::CutToClipboard() {
    if (FReadOnly) return;
    CopyToClipboard();
    ClearSelection();
}

void TCustomRichEdit::PasteFromClipboard() {
    PasteText();
}

void TCustomRichEdit::PasteText() {
    HandleNeeded();
    const QString T = QGuiApplication::clipboard()->text();
    if (T.isEmpty()) return;
    SetSelText(T.toStdString());
}

void TCustomRichEdit::Undo() {
    if (D->Edit != nullptr) D->Edit->undo();
}

bool TCustomRichEdit::GetCanUndo() const {
    return D->Edit != nullptr && D->Edit->document()->isUndoAvailable();
}

void TCustomRichEdit::SetMaxLength(int Value) {
    FMaxLength = std::max(0, Value);
}

void TCustomRichEdit::SetWordWrap(bool Value) {
    FWordWrap = Value;
    if (D->Edit != nullptr)
        D->Edit->setLineWrapMode(Value ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
}

void TCustomRichEdit::SetScrollBars(TScrollStyle Value) {
    FScrollBars = Value;
    std::int32_t S = GetWindowStyle() & ~(WS_HSCROLL | WS_VSCROLL);
    if (Value == ssHorizontal || Value == ssBoth) S |= WS_HSCROLL;
    if (Value == ssVertical || Value == ssBoth) S |= WS_VSCROLL;
    if (S == GetWindowStyle()) return;
    SetWindowStyle(S);
    // The bars are decided when the frame is calculated, as for a window made with them.
    if (FHandle != nullptr)
        SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TCustomRichEdit::SetReadOnly(bool Value) {
    FReadOnly = Value;
    if (D->Edit != nullptr) D->Edit->setReadOnly(Value);
}

bool TCustomRichEdit::GetModified() const {
    return D->Edit != nullptr ? D->Edit->document()->isModified() : D->Modified;
}

void TCustomRichEdit::SetModified(bool Value) {
    D->Modified = Value;
    if (D->Edit != nullptr) D->Edit->document()->setModified(Value);
}

void TCustomRichEdit::SetAlignment(TAlignment Value) {
    FAlignment = Value;
    if (D->Edit == nullptr) return;
    QTextCursor C(D->Edit->document());
    C.select(QTextCursor::Document);
    QTextBlockFormat F;
    F.setAlignment(ToQtAlignment(Value));
    C.mergeBlockFormat(F);
    D->Edit->setAlignment(ToQtAlignment(Value));
}

// The document lays itself out lazily; line questions need the whole layout.
void TCustomRichEdit::EnsureLaidOut() const {
    if (D->Edit == nullptr) return;
    QTextDocument* Doc = D->Edit->document();
    Doc->documentLayout()->blockBoundingRect(Doc->lastBlock());
}

int TCustomRichEdit::GetLineCount() const {
    if (D->Edit == nullptr) return 1;
    EnsureLaidOut();
    int Lines = 0;
    for (QTextBlock B = D->Edit->document()->begin(); B.isValid(); B = B.next()) {
        const QTextLayout* L = B.layout();
        Lines += (L != nullptr && L->lineCount() > 0) ? L->lineCount() : 1;
    }
    return std::max(1, Lines);
}

int TCustomRichEdit::LineFromChar(int CharIndex) const {
    if (D->Edit == nullptr) return 0;
    EnsureLaidOut();
    const std::u32string Raw = RawText(D->Edit->document());
    const int QtPos = CharIndex < 0 ? D->Edit->textCursor().position()
                                    : OursToQt(Raw, std::clamp(CharIndex, 0, OurLength(Raw)));
    int Line = 0;
    for (QTextBlock B = D->Edit->document()->begin(); B.isValid(); B = B.next()) {
        const QTextLayout* L = B.layout();
        const int Count = (L != nullptr && L->lineCount() > 0) ? L->lineCount() : 1;
        if (QtPos >= B.position() && QtPos < B.position() + B.length()) {
            if (L == nullptr || L->lineCount() == 0) return Line;
            const QTextLine TL = L->lineForTextPosition(QtPos - B.position());
            return Line + (TL.isValid() ? TL.lineNumber() : Count - 1);
        }
        Line += Count;
    }
    return std::max(0, Line - 1);
}

int TCustomRichEdit::GetLine(int Index, AnsiString& Text) const {
    Text.clear();
    if (D->Edit == nullptr || Index < 0) return 0;
    EnsureLaidOut();
    int Line = 0;
    for (QTextBlock B = D->Edit->document()->begin(); B.isValid(); B = B.next()) {
        const QTextLayout* L = B.layout();
        const int Count = (L != nullptr && L->lineCount() > 0) ? L->lineCount() : 1;
        if (Index < Line + Count) {
            if (L == nullptr || L->lineCount() == 0) {
                Text = B.text().toStdString();
            } else {
                const QTextLine TL = L->lineAt(Index - Line);
                Text = B.text().mid(TL.textStart(), TL.textLength()).toStdString();
            }
            return static_cast<int>(QString::fromStdString(Text).toUcs4().size());
        }
        Line += Count;
    }
    return 0;
}

TPoint TCustomRichEdit::GetCaretPos() const {
    if (D->Edit == nullptr) return {0, 0};
    EnsureLaidOut();
    const std::u32string Raw = RawText(D->Edit->document());
    const int QtPos = D->Edit->textCursor().selectionStart();
    int Line = 0;
    for (QTextBlock B = D->Edit->document()->begin(); B.isValid(); B = B.next()) {
        const QTextLayout* L = B.layout();
        const int Count = (L != nullptr && L->lineCount() > 0) ? L->lineCount() : 1;
        if (QtPos >= B.position() && QtPos < B.position() + B.length()) {
            int LineStart = B.position();
            if (L != nullptr && L->lineCount() > 0) {
                const QTextLine TL = L->lineForTextPosition(QtPos - B.position());
                if (TL.isValid()) {
                    Line += TL.lineNumber();
                    LineStart += TL.textStart();
                }
            }
            return {QtToOurs(Raw, QtPos) - QtToOurs(Raw, LineStart), Line};
        }
        Line += Count;
    }
    return {0, std::max(0, Line - 1)};
}

int TCustomRichEdit::FindText(const AnsiString& SearchStr, int StartPos, int Length,
                              TSearchTypes Options) const {
    const std::u32string Text = ToU32(GetText());
    std::u32string Pattern = ToU32(SearchStr);
    if (Pattern.empty()) return -1;
    const int N = static_cast<int>(Text.size());
    StartPos = std::clamp(StartPos, 0, N);
    const int End = Length < 0 ? N : std::min(N, StartPos + Length);
    const bool MatchCase = Options.Contains(stMatchCase);
    auto Fold = [&](char32_t C) { return MatchCase ? C : QChar::toCaseFolded(C); };
    const int P = static_cast<int>(Pattern.size());
    for (int i = StartPos; i + P <= End; ++i) {
        int k = 0;
        while (k < P && Fold(Text[static_cast<std::size_t>(i + k)]) ==
                            Fold(Pattern[static_cast<std::size_t>(k)]))
            ++k;
        if (k < P) continue;
        if (Options.Contains(stWholeWord)) {
            const bool Before = i > 0 && IsWordChar(Text[static_cast<std::size_t>(i - 1)]);
            const bool After = i + P < N && IsWordChar(Text[static_cast<std::size_t>(i + P)]);
            if (Before || After) continue;
        }
        return i;
    }
    return -1;
}

void TCustomRichEdit::TextChanged() {
    // Only a change of the text counts (formatting changes of the document do not).
    AnsiString Now = GetText();
    if (Now == FNotifiedText) return;
    FNotifiedText = std::move(Now);
    // The parent hears of the change first (WM_COMMAND with EN_CHANGE), as edit windows notify;
    // the framework reflects it back as the control's own change.
    if (FParent != nullptr && FHandle != nullptr)
        FParent->Perform(WM_COMMAND, MakeLParam(0, EN_CHANGE),
                         reinterpret_cast<std::intptr_t>(FHandle));
    else
        Change();
}

void TCustomRichEdit::Change() {
    Changed();
    if (OnChange) OnChange(this);
}

void TCustomRichEdit::SelectionChange() {
    if (OnSelectionChange) OnSelectionChange(this);
}

void TCustomRichEdit::RequestSize(const TRect& Rect) {
    if (OnResizeRequest) OnResizeRequest(this, Rect);
}

int TCustomRichEdit::GetContentHeight() const {
    if (D->Edit == nullptr) return 2 * GetBorderWidthNC();
    return static_cast<int>(std::ceil(D->Edit->document()->size().height())) +
           2 * GetBorderWidthNC();
}

void TCustomRichEdit::CheckContentHeight() {
    if (D->Edit == nullptr) return;
    const int H = GetContentHeight();
    if (H == FLastContentHeight) return;
    FLastContentHeight = H;
    RequestSize({0, 0, FWidth, H});
}

void TCustomRichEdit::WMGetDlgCode(TMessage& Message) {
    Message.Result = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS | DLGC_WANTALLKEYS;
}

void TCustomRichEdit::DefaultHandler(TMessage& Message) {
    switch (Message.Msg) {
        case CN_COMMAND:
            if (HiWordSigned(Message.WParam) == EN_CHANGE) Change();
            return;
        case CM_CTL3DCHANGED:
            CMCtl3DChanged();
            return;
        case WM_CUT:
            CutToClipboard();
            return;
        case WM_COPY:
            CopyToClipboard();
            return;
        case WM_PASTE:
            PasteFromClipboard();
            return;
        case WM_CLEAR:
            ClearSelection();
            return;
        case WM_UNDO:
        case EM_UNDO:
            Undo();
            Message.Result = 1;
            return;
        case EM_CANUNDO:
            Message.Result = GetCanUndo() ? 1 : 0;
            return;
        case EM_PASTESPECIAL:
            // Text only (CF_TEXT is 1): formatting and pictures are never pasted.
            if (Message.WParam == 1 || Message.WParam == 0) PasteText();
            return;
        case EM_GETLINECOUNT:
            Message.Result = GetLineCount();
            return;
        case EM_LINEFROMCHAR:
        case EM_EXLINEFROMCHAR:
            Message.Result =
                LineFromChar(Message.Msg == EM_EXLINEFROMCHAR ? static_cast<int>(Message.LParam)
                                                              : static_cast<int>(Message.WParam));
            return;
        case EM_SCROLL: {
            HandleNeeded();
            if (D->Edit == nullptr) return;
            QScrollBar* Bar = D->Edit->verticalScrollBar();
            const int Before = Bar->value();
            switch (Message.WParam) {
                case SB_LINEUP:
                    Bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
                    break;
                case SB_LINEDOWN:
                    Bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
                    break;
                case SB_PAGEUP:
                    Bar->triggerAction(QAbstractSlider::SliderPageStepSub);
                    break;
                case SB_PAGEDOWN:
                    Bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
                    break;
                default:
                    return;
            }
            Message.Result = MakeLParam(Bar->value() != Before ? 1 : 0, 1);
            return;
        }
        case EM_GETSEL: {
            const int Start = GetSelStart();
            Message.Result = MakeLParam(Start, Start + GetSelLength());
            return;
        }
        case EM_SETSEL:
            SetSelStart(static_cast<int>(Message.WParam));
            SetSelLength(static_cast<int>(Message.LParam - Message.WParam));
            return;
        case EM_LIMITTEXT:
        case EM_EXLIMITTEXT:
            SetMaxLength(
                static_cast<int>(Message.Msg == EM_LIMITTEXT ? Message.WParam : Message.LParam));
            return;
        case EM_SETREADONLY:
            SetReadOnly(Message.WParam != 0);
            Message.Result = 1;
            return;
        case EM_GETMODIFY:
            Message.Result = GetModified() ? 1 : 0;
            return;
        case EM_SETMODIFY:
            SetModified(Message.WParam != 0);
            return;
        default:
            break;
    }
    TWidgetControl::DefaultHandler(Message);
}

}  // namespace carrelon
