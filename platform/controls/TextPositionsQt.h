// Platform-internal: text positions of the edits over Qt documents. Our positions count code
// points with a line break as two (CR LF); a document counts UTF-16 units with a break as one.
#pragma once

#include <QString>
#include <QTextDocument>
#include <string>

#include "platform/rtl/Types.h"

namespace carrelon::textpos {

inline bool IsSeparator(char32_t C) {
    return C == 0x2029 || C == 0x2028 || C == '\n';
}

// The document's characters as code points, paragraph breaks as one separator each.
inline std::u32string RawText(const QTextDocument* Doc) {
    std::u32string R;
    for (char32_t C : Doc->toRawText().toUcs4())
        R.push_back(C);
    return R;
}

// Our positions count code points with a line break as two; the document counts UTF-16 units
// with a break as one.
inline int QtToOurs(const std::u32string& Raw, int QtPos) {
    int Q = 0, Ours = 0;
    for (char32_t C : Raw) {
        if (Q >= QtPos) break;
        Q += C > 0xFFFF ? 2 : 1;
        Ours += IsSeparator(C) ? 2 : 1;
    }
    return Ours;
}

inline int OursToQt(const std::u32string& Raw, int OurPos) {
    int Q = 0, Ours = 0;
    for (char32_t C : Raw) {
        const int Step = IsSeparator(C) ? 2 : 1;
        // A position inside a CR LF pair lands before the break.
        if (Ours + Step > OurPos) break;
        Q += C > 0xFFFF ? 2 : 1;
        Ours += Step;
    }
    return Q;
}

inline int OurLength(const std::u32string& Raw) {
    int N = 0;
    for (char32_t C : Raw)
        N += IsSeparator(C) ? 2 : 1;
    return N;
}

inline std::u32string ToU32(const AnsiString& S) {
    std::u32string R;
    for (char32_t C : QString::fromStdString(S).toUcs4())
        R.push_back(C);
    return R;
}

inline AnsiString FromU32(const std::u32string& S) {
    return QString::fromUcs4(S.data(), static_cast<qsizetype>(S.size())).toStdString();
}

// CR LF, lone CR and lone LF all become the document's paragraph break.
inline QString ToDocumentText(const AnsiString& S) {
    QString Q = QString::fromStdString(S);
    Q.replace("\r\n", "\n");
    Q.replace('\r', '\n');
    return Q;
}

inline std::u32string WithCrLf(const std::u32string& Raw) {
    std::u32string R;
    R.reserve(Raw.size());
    for (char32_t C : Raw) {
        if (IsSeparator(C)) {
            R.push_back('\r');
            R.push_back('\n');
        } else {
            R.push_back(C);
        }
    }
    return R;
}

}  // namespace carrelon::textpos
