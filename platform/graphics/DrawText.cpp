// DrawTextA: line breaking, ellipsis and placement over the canvas font's metrics. Measuring
// and drawing share one layout, so a measured rectangle is exactly what drawing fills.
#include "platform/graphics/DrawText.h"

#include <cstring>

#include "platform/graphics/CanvasQt.h"
#include "platform/graphics/LineBreaking.h"

namespace carrelon {

namespace {

const QString Ellipsis = QStringLiteral("...");

// Removes "&" prefix marks: "&x" draws x, "&&" draws "&", a final "&" draws nothing.
QString RemovePrefixes(const QString& S) {
    QString Out;
    Out.reserve(S.size());
    for (qsizetype i = 0; i < S.size(); ++i) {
        if (S[i] == u'&') {
            if (i + 1 < S.size()) Out += S[++i];
            continue;
        }
        Out += S[i];
    }
    return Out;
}

// Tabs move to the next multiple of eight characters, counted from the start of each line.
QString ExpandTabs(const QString& S) {
    QString Out;
    int Column = 0;
    for (QChar C : S) {
        if (C == u'\t') {
            const int Spaces = 8 - Column % 8;
            Out += QString(Spaces, u' ');
            Column += Spaces;
            continue;
        }
        Out += C;
        Column = (C == u'\r' || C == u'\n') ? 0 : Column + 1;
    }
    return Out;
}

// The longest start of Line that fits Width together with "..." (possibly none of it); Shown
// receives its width. The search starts at the cut that the line's average character width
// suggests, so a line a little too long costs two measurements; otherwise it bisects.
QString WithEllipsis(const QString& Line, const QFontMetrics& M, int Width, int LineWidth,
                     int& Shown) {
    std::vector<qsizetype> Ends{0};
    for (qsizetype i = 0; i < Line.size();) {
        i += (Line[i].isHighSurrogate() && i + 1 < Line.size() && Line[i + 1].isLowSurrogate()) ? 2
                                                                                                : 1;
        Ends.push_back(i);
    }
    const std::size_t N = Ends.size() - 1;
    std::vector<int> Widths(N + 1, -1);
    auto WidthAt = [&](std::size_t K) {
        if (Widths[K] < 0) Widths[K] = M.horizontalAdvance(Line.left(Ends[K]) + Ellipsis);
        return Widths[K];
    };
    auto Fits = [&](std::size_t K) { return WidthAt(K) <= Width; };
    // The answer lies in [Lo, Hi]; start 0 stands when nothing else fits.
    std::size_t Lo = 0, Hi = N;
    const int Room = Width - WidthAt(0);
    const std::size_t Guess =
        LineWidth > 0 && Room > 0
            ? std::min<std::size_t>(
                  N, static_cast<std::size_t>(static_cast<double>(N) * Room / LineWidth))
            : 0;
    if (Guess > 0 && Fits(Guess)) {
        Lo = Guess;
        if (Guess == N || !Fits(Guess + 1))
            Hi = Guess;
        else
            Lo = Guess + 1;
    } else if (Guess > 0) {
        Hi = Guess - 1;
        if (Hi > 0 && Fits(Hi))
            Lo = Hi;
        else if (Hi > 0)
            Hi -= 1;
    }
    while (Lo < Hi) {
        const std::size_t Mid = (Lo + Hi + 1) / 2;
        if (Fits(Mid))
            Lo = Mid;
        else
            Hi = Mid - 1;
    }
    Shown = WidthAt(Lo);
    return Line.left(Ends[Lo]) + Ellipsis;
}

// True when every line's ink lies inside Rect, so that clipping to it would change nothing:
// painters that record (a PDF) then keep no clip for the text. The first and last characters'
// bearings say how far their ink reaches beyond the line's advance; slanted text is always
// clipped.
bool InkInside(const TDrawTextLayout& L, const TRect& Rect, const QFontMetrics& M,
               TFontStyles Style) {
    if (Style.Contains(fsItalic)) return false;
    for (const TDrawnLine& Line : L.Lines) {
        if (Line.Y < Rect.Top || Line.Y + L.LineHeight > Rect.Bottom) return false;
        if (Line.Text.empty()) continue;
        const QString T = QString::fromStdString(Line.Text);
        const int Left = Line.X + std::min(0, M.leftBearing(T.front()));
        const int Right = Line.X + Line.Width - std::min(0, M.rightBearing(T.back()));
        if (Left < Rect.Left || Right > Rect.Right) return false;
    }
    return true;
}

}  // namespace

TDrawTextLayout LayoutText(HDC DC, const AnsiString& Text, const TRect& Rect, unsigned Format) {
    TDrawTextLayout L;
    const QFontMetrics M = CanvasFontMetrics(*DC);
    L.LineHeight = M.height() + ((Format & DT_EXTERNALLEADING) ? M.leading() : 0);
    const int Width = Rect.Width();

    QString S = QString::fromStdString(Text);
    if (!(Format & DT_NOPREFIX)) S = RemovePrefixes(S);
    if (Format & DT_EXPANDTABS) S = ExpandTabs(S);

    std::vector<TLineRange> Lines;
    if (Format & DT_SINGLELINE) {
        S.remove(u'\r');
        S.remove(u'\n');
        Lines.push_back({0, S.size()});
    } else {
        const auto WidthOf = [&](qsizetype B, qsizetype E) {
            return M.horizontalAdvance(S.mid(B, E - B));
        };
        TLineBreaker Breaker(reinterpret_cast<const char16_t*>(S.utf16()), WidthOf, Width,
                             (Format & DT_EDITCONTROL) != 0);
        qsizetype B = 0;
        while (B < S.size()) {
            qsizetype E = B;
            while (E < S.size() && S[E] != u'\r' && S[E] != u'\n')
                ++E;
            if (Format & DT_WORDBREAK)
                Breaker.Wrap(B, E, Lines);
            else
                Lines.push_back({B, E});
            if (E < S.size() && S[E] == u'\r' && E + 1 < S.size() && S[E + 1] == u'\n') ++E;
            B = E + 1;  // a break at the very end starts no further line
        }
    }

    // An edit control shows no partly visible last line; with an ellipsis the last line shown
    // ends in "..." when text was left out.
    bool Cut = false;
    if ((Format & DT_EDITCONTROL) && !(Format & (DT_CALCRECT | DT_SINGLELINE)) &&
        L.LineHeight > 0) {
        const std::size_t Fits =
            static_cast<std::size_t>(std::max(1, Rect.Height() / L.LineHeight));
        if (Lines.size() > Fits) {
            Lines.resize(Fits);
            Cut = true;
        }
    }

    QString Modified;
    bool ModifiedSet = false;
    int Y = Rect.Top;
    if ((Format & DT_SINGLELINE) && !(Format & DT_CALCRECT)) {
        if (Format & DT_VCENTER)
            Y = Rect.Top + Rect.Height() / 2 - L.LineHeight / 2;
        else if (Format & DT_BOTTOM)
            Y = Rect.Bottom - L.LineHeight;
    }
    int MaxWidth = 0;
    for (const TLineRange& R : Lines) {
        QString Line = S.mid(R.Begin, R.End - R.Begin);
        int LineWidth = M.horizontalAdvance(Line);
        bool Ellipsized = false;
        const bool LastShown = Cut && &R == &Lines.back();
        if ((Format & DT_END_ELLIPSIS) && ((LineWidth > Width && !Line.isEmpty()) || LastShown)) {
            Line = WithEllipsis(Line, M, Width, LineWidth, LineWidth);
            Ellipsized = true;
            if (!ModifiedSet) {
                // The text as shown: nothing after the last line shown.
                Modified = S.left(R.Begin) + Line + (LastShown ? QString() : S.mid(R.End));
                ModifiedSet = true;
            }
        }
        int X = Rect.Left;
        if (!(Format & DT_CALCRECT)) {
            if (Format & DT_CENTER)
                X = (Rect.Left + Rect.Right - LineWidth) / 2;
            else if (Format & DT_RIGHT)
                X = Rect.Right - LineWidth;
        }
        MaxWidth = std::max(MaxWidth, LineWidth);
        L.Lines.push_back({Line.toStdString(), X, Y, LineWidth, Ellipsized});
        Y += L.LineHeight;
    }
    L.Bounds = {Rect.Left, Rect.Top, Rect.Left + MaxWidth,
                Rect.Top + static_cast<int>(Lines.size()) * L.LineHeight};
    if (Lines.empty())
        L.Result = 0;
    else
        L.Result = (Format & DT_CALCRECT) ? L.Bounds.Height() : Y - Rect.Top;
    L.Modified = ModifiedSet ? Modified.toStdString() : Text;
    return L;
}

int DrawTextA(HDC DC, const AnsiString& Text, TRect& Rect, unsigned Format, AnsiString* Modified) {
    if (DC == nullptr) return 0;
    DC->GetHandle();  // pending font and brush changes reach the device state
    TDrawTextLayout L = LayoutText(DC, Text, Rect, Format);
    if ((Format & DT_MODIFYSTRING) && Modified != nullptr) *Modified = L.Modified;
    if (Format & DT_CALCRECT) {
        Rect = L.Bounds;
        return L.Result;
    }
    const bool Opaque = DC->GetBkMode() == OPAQUE;
    if (DC->GetRecorder() != nullptr) {
        std::vector<TPoint> Origins;
        for (const TDrawnLine& Line : L.Lines)
            Origins.push_back({Line.X, Line.Y});
        DC->Record({.Op = TCanvasOp::DrawText,
                    .Rect = Rect,
                    .Text = Text,
                    .Flags = Format,
                    .Color = DC->GetTextColor(),
                    .BkColor = DC->GetBkColor(),
                    .Opaque = Opaque,
                    .Points = std::move(Origins)});
    }
    QPainter* P = CanvasPainter(*DC);
    if (P == nullptr) return L.Result;
    const QFontMetrics M = CanvasFontMetrics(*DC);
    P->save();
    if (!(Format & DT_NOCLIP) && !InkInside(L, Rect, M, DC->GetFont()->GetStyle()))
        P->setClipRect(ToQRect(Rect), Qt::IntersectClip);
    P->setFont(CanvasQFont(*DC));
    P->setPen(ToQColor(DC->GetTextColor()));
    for (const TDrawnLine& Line : L.Lines) {
        if (Opaque && Line.Width > 0)
            P->fillRect(QRect(Line.X, Line.Y, Line.Width, L.LineHeight),
                        ToQColor(DC->GetBkColor()));
        if (!Line.Text.empty())
            P->drawText(QPoint(Line.X, Line.Y + M.ascent()), QString::fromStdString(Line.Text));
    }
    P->restore();
    return L.Result;
}

int DrawTextA(HDC DC, char* Text, int Count, TRect* Rect, unsigned Format) {
    if (Text == nullptr || Rect == nullptr) return 0;
    const std::size_t N = Count < 0 ? std::strlen(Text) : static_cast<std::size_t>(Count);
    AnsiString Modified;
    const int Result = DrawTextA(DC, AnsiString(Text, N), *Rect, Format, &Modified);
    if (Format & DT_MODIFYSTRING) {
        // The caller's buffer holds the text, four more characters and the terminator.
        const std::size_t Room = N + 4;
        const std::size_t Len = std::min(Modified.size(), Room);
        std::memcpy(Text, Modified.data(), Len);
        Text[Len] = '\0';
    }
    return Result;
}

}  // namespace carrelon
