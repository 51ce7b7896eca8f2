#include "secondary_window.h"

#include <algorithm>

#include <QBoxLayout>
#include <QEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QWindow>

namespace {

// On the window itself: a key no control took comes up to it, and a show
// passes it first.
class SecondaryWindowFilter final : public QObject {
public:
    explicit SecondaryWindowFilter(QWidget& window)
        : QObject(&window)
        , m_window(window)
    {
    }
    void setEscape() { m_escape = true; }
    void setFit() { m_fit = true; }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != &m_window)
            return false;
        if (m_escape && event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
                m_window.close();
                return true;
            }
        }
        if (m_fit && event->type() == QEvent::Show)
            fit();
        return false;
    }

private:
    void fit()
    {
        const QScreen* screen = m_window.screen();
        if (!screen)
            return;
        // The frame the window system adds; until it is known, room for a title bar.
        QMargins frame;
        if (const QWindow* handle = m_window.windowHandle())
            frame = handle->frameMargins();
        if (frame.isNull())
            frame.setTop(m_window.style()->pixelMetric(QStyle::PM_TitleBarHeight));
        const QRect room = screen->availableGeometry().marginsRemoved(frame);
        if (room.isEmpty())
            return;
        const QSize size = m_window.size().boundedTo(room.size());
        // A window placed by the program (a position kept from before) is
        // moved inside the screen; the window system places the others,
        // within the screen once they fit it.
        if (!m_window.testAttribute(Qt::WA_Moved)) {
            m_window.resize(size);
            return;
        }
        QRect placed(m_window.geometry().topLeft(), size);
        placed.moveLeft(std::clamp(placed.left(), room.left(), room.right() - size.width() + 1));
        placed.moveTop(std::clamp(placed.top(), room.top(), room.bottom() - size.height() + 1));
        m_window.setGeometry(placed);
    }

    QWidget& m_window;
    bool m_escape = false;
    bool m_fit = false;
};

SecondaryWindowFilter& filterOf(QWidget& window)
{
    SecondaryWindowFilter* filter = nullptr;
    for (QObject* child : window.children()) {
        if (auto* found = dynamic_cast<SecondaryWindowFilter*>(child))
            filter = found;
    }
    if (!filter) {
        filter = new SecondaryWindowFilter(window);
        window.installEventFilter(filter);
    }
    return *filter;
}

} // namespace

QScrollArea* putInScrollArea(QWidget& window, QWidget* content, const QString& closeCaption, QSize contentSize)
{
    auto* layout = new QVBoxLayout(&window);
    auto* scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("ContentScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    // Tab goes through the content's controls; the area scrolls to each.
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidget(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll, 1);
    QSize wanted = contentSize.isValid() ? contentSize : content->sizeHint();
    // The area gives content with wrapped text the height it asks for at its
    // width, and scrolls below that.
    if (content->hasHeightForWidth())
        wanted.setHeight(std::max(wanted.height(), content->heightForWidth(wanted.width())));
    if (!closeCaption.isEmpty()) {
        auto* row = new QHBoxLayout;
        const QMargins margins = content->layout() ? content->layout()->contentsMargins() : QMargins();
        row->setContentsMargins(margins.left(), 0, margins.right(), margins.bottom());
        row->addStretch();
        auto* close = new QPushButton(closeCaption);
        close->setObjectName(QStringLiteral("Close"));
        close->setAutoDefault(false);
        QObject::connect(close, &QPushButton::clicked, &window, &QWidget::close);
        row->addWidget(close);
        layout->addLayout(row);
        wanted.rheight() += row->sizeHint().height() + std::max(0, layout->spacing());
    }
    window.resize(wanted);
    return scroll;
}

void closeOnEscape(QWidget& window) { filterOf(window).setEscape(); }

void fitWithinScreen(QWidget& window) { filterOf(window).setFit(); }
