#include "eedata_window.h"

#include <QPlainTextEdit>

#include "shown_text.h"

namespace {
constexpr int kTwipsPerPixel = 15;
int px(int twips) { return twips / kTwipsPerPixel; }
} // namespace

EEdataWindow::EEdataWindow(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_text(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("EEdata"));
    setWindowTitle(QStringLiteral("EE Data"));
    setFixedSize(px(4680), px(4935));
    // Closing the panel ends the program; this window never keeps it alive.
    setAttribute(Qt::WA_QuitOnClose, false);
    m_text->setObjectName(QStringLiteral("EEtext"));
    m_text->setGeometry(px(120), px(120), px(4455), px(4215));
    m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
}

void EEdataWindow::setListing(const QString& listing)
{
    m_text->setPlainText(shownText(listing));
}
