// Texts are built with CR LF line breaks (the board, the files and the
// listings need them); a Qt text box or label breaks lines at LF.
#pragma once

#include <QString>

#include <string>

inline QString shownText(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

inline QString shownText(const std::string& text) { return shownText(QString::fromStdString(text)); }
