#include "eedata_window.h"

#include <QKeyEvent>
#include <QPlainTextEdit>

#include <algorithm>

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
    m_text->setAccessibleName(QStringLiteral("EE data listing"));
    m_text->setAccessibleDescription(
        QStringLiteral("The register set as PIC data-EEPROM lines: two comment lines with the plan, then a de "
                       "line for each register word, Reg5 first"));
    m_text->setGeometry(px(120), px(120), px(4455), px(4215));
    m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The design's face, as the panel's (which maps it to a face at hand);
    // a wider default face cut the first line off at the box's edge.
    m_text->setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
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
    // Should the face at hand still be too wide for a line, the window grows
    // so that every line shows whole (the box has no scroll bars).
    const QFontMetrics metrics(m_text->font());
    int widest = 0;
    for (const QString& line : m_text->toPlainText().split(QLatin1Char('\n')))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    const int margins = 2 * int(m_text->document()->documentMargin()) + 2 * m_text->frameWidth() + 2;
    const int needed = std::max(px(4455), widest + margins);
    if (needed != m_text->width()) {
        m_text->resize(needed, m_text->height());
        setFixedSize(px(4680) - px(4455) + needed, height());
    }
}
