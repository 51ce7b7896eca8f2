// Texts are built with CR LF line breaks (the board, the files and the
// listings need them); a Qt text box or label breaks lines at LF.
#pragma once

#include <QString>

#include <string>

#include "line_end.h"

inline QString shownText(const std::string& text) { return QString::fromStdString(vantrel::withLineFeeds(text)); }

inline QString shownText(const QString& text) { return shownText(text.toStdString()); }
