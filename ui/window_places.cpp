#include "window_places.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <QWindow>

#include "remembered_state.h"

namespace {

// Set on a window once its place has been put back, so that it is put back
// on its first showing only, not each time it is shown again.
constexpr char kPlacedProperty[] = "vantrelPlaceRestored";

QMargins frameOf(const QWidget* window)
{
    QMargins frame;
    if (const QWindow* handle = window->windowHandle())
        frame = handle->frameMargins();
    // Before the window system has decorated it: room for a title bar.
    if (frame.isNull())
        frame.setTop(window->style()->pixelMetric(QStyle::PM_TitleBarHeight));
    return frame;
}

} // namespace

QRect placeOnScreen(const QRect& place, const QMargins& frame, const QRect& available)
{
    const int frameWidth = frame.left() + frame.right();
    const int frameHeight = frame.top() + frame.bottom();
    const QSize size = place.size().boundedTo(available.size() - QSize(frameWidth, frameHeight));
    const int x = qBound(available.left(), place.x(), available.left() + available.width() - size.width() - frameWidth);
    const int y = qBound(available.top(), place.y(), available.top() + available.height() - size.height() - frameHeight);
    return QRect(QPoint(x, y), size);
}

WindowPlaces::WindowPlaces(RememberedState& remembered, QObject* parent)
    : QObject(parent)
    , m_remembered(remembered)
{
    qApp->installEventFilter(this);
    // Windows still open when the program ends are never hidden first.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &WindowPlaces::rememberShownWindows);
}

WindowPlaces::~WindowPlaces() { qApp->removeEventFilter(this); }

QString WindowPlaces::windowName(const QWidget* window)
{
    if (!window || !window->isWindow()
        || (window->windowType() != Qt::Window && window->windowType() != Qt::Dialog))
        return QString();
    const QString className = QString::fromLatin1(window->metaObject()->className());
    // Qt's own boxes and file dialogs open where the window system puts them.
    if (qobject_cast<const QDialog*>(window) && className.startsWith(QLatin1Char('Q')))
        return QString();
    if (!window->objectName().isEmpty())
        return window->objectName();
    return className.startsWith(QLatin1Char('Q')) ? QString() : className;
}

bool WindowPlaces::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show || event->type() == QEvent::Hide) {
        auto* window = qobject_cast<QWidget*>(watched);
        const QString name = windowName(window);
        if (!name.isEmpty()) {
            if (event->type() == QEvent::Show)
                restore(window, name);
            else
                remember(window);
        }
    }
    return QObject::eventFilter(watched, event);
}

void WindowPlaces::restore(QWidget* window, const QString& name)
{
    if (window->property(kPlacedProperty).toBool())
        return;
    window->setProperty(kPlacedProperty, true);
    const std::optional<QRect> place = m_remembered.windowPlace(name);
    if (!place)
        return;
    // The screen it stood on, if that is still there; else its own.
    QScreen* screen = QGuiApplication::screenAt(place->center());
    if (!screen)
        screen = window->screen();
    if (!screen)
        return;
    const QRect onScreen = placeOnScreen(*place, frameOf(window), screen->availableGeometry());
    window->move(onScreen.topLeft());
    window->resize(onScreen.size());
}

void WindowPlaces::remember(const QWidget* window)
{
    m_remembered.setWindowPlace(windowName(window), QRect(window->pos(), window->size()));
}

void WindowPlaces::rememberShownWindows()
{
    for (const QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && !windowName(window).isEmpty())
            remember(window);
    }
}
