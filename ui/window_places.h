// Every window of the program opens where it stood when it was last closed,
// moved and cut where needed to lie on the screen it opens on. Any window of
// the program's own is remembered, by its object name (or its class name),
// so a window added later needs nothing here; Qt's own boxes and dialogs are
// left to the window system.
#pragma once

#include <QMargins>
#include <QObject>
#include <QRect>

class RememberedState;
class QWidget;

// `place` (the frame's top-left and the window's own size), with a frame of
// `frame` around the window, moved and cut to lie whole within `available`.
QRect placeOnScreen(const QRect& place, const QMargins& frame, const QRect& available);

class WindowPlaces : public QObject {
    Q_OBJECT
public:
    // Watches every window of the application from now on.
    WindowPlaces(RememberedState& remembered, QObject* parent = nullptr);
    ~WindowPlaces() override;

    // The name a window is remembered by; empty for one that is not.
    static QString windowName(const QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void restore(QWidget* window, const QString& name);
    void remember(const QWidget* window);
    void rememberShownWindows();

    RememberedState& m_remembered;
};
