#include "eedata_window.h"

#include <QKeyEvent>
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
    // Tab would type into the listing; the box is the window's only
    // control, so there is nowhere to move to, and the key does nothing.
    m_text->installEventFilter(this);
}

bool EEdataWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_text && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Tab || key == Qt::Key_Backtab)
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

void EEdataWindow::setListing(const QString& listing)
{
    m_text->setPlainText(shownText(listing));
}
