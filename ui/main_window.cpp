#include "main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QVBoxLayout>
#include <QWindow>

#include "chip_check_strip.h"
#include "control_panel.h"
#include "main_menus.h"
#include "remembered_state.h"
#include "window_places.h"

namespace {

// Holds the panel at its own fixed size, asking for all of it, so that the
// window is as large as the panel wherever the screen has the room; on a
// smaller screen the window is cut to the screen and the panel scrolls.
class PanelScrollArea final : public QScrollArea {
public:
    QSize sizeHint() const override
    {
        const int frame = 2 * frameWidth();
        return widget() ? widget()->size() + QSize(frame, frame) : QScrollArea::sizeHint();
    }
};

} // namespace

MainWindow::MainWindow(ControlPanel& panel, QWidget* parent)
    : QMainWindow(parent)
    , m_panel(panel)
    , m_strip(new ChipCheckStrip)
    , m_sweepState(new QPushButton)
{
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(panel.windowTitle());
    setWindowIcon(panel.windowIcon());
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_scroll = new PanelScrollArea;
    m_scroll->setObjectName(QStringLiteral("PanelScroll"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    // Tab goes through the panel's controls, never stops on the area itself.
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_scroll->setWidget(&panel);
    // A control that takes the focus is scrolled into view whole (the area's
    // own rule shows only a text box's caret).
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (!now || !m_panel.isAncestorOf(now))
            return;
        const QRect control(now->mapTo(&m_panel, QPoint(0, 0)), now->size());
        m_scroll->ensureVisible(control.center().x(), control.center().y(), control.width() / 2 + 2,
                                control.height() / 2 + 2);
    });
    layout->addWidget(m_scroll);
    auto* bottom = new QWidget;
    auto* row = new QHBoxLayout(bottom);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(m_strip, 1);
    row->addWidget(m_sweepState);
    bottom->setFixedWidth(panel.width());
    layout->addWidget(bottom);
    setCentralWidget(content);
    m_sweepState->setObjectName(QStringLiteral("SweepState"));
    m_sweepState->setAccessibleName(QStringLiteral("Sweep state"));
    m_sweepState->setFixedHeight(ChipCheckStrip::kHeight);
    m_sweepState->hide();
    connect(m_sweepState, &QPushButton::clicked, this, &MainWindow::sweepStateClicked);
    connect(&panel, &ControlPanel::chipChecked, m_strip, &ChipCheckStrip::showCheck);
    // The strip, and the sweep state beside it, come after the panel's last
    // control in the tab order.
    setTabOrder(panel.lastInTabOrder(), m_strip);
    setTabOrder(m_strip, m_sweepState);
    m_strip->showCheck(panel.checkControls());
    fitToScreen();
}

MainWindow::MainWindow(ControlPanel& panel, MessageSink& messages, FileChooser& files, RememberedState* remembered,
                       QWidget* parent)
    : MainWindow(panel, parent)
{
    if (!remembered) {
        m_ownRemembered = std::make_unique<RememberedState>();
        remembered = m_ownRemembered.get();
    }
    m_remembered = remembered;
    // The panel starts from its initial values; the port is only offered.
    if (!remembered->lastPort().isEmpty())
        panel.offerPort(remembered->lastPort());
    panel.startWithLoopBandwidth(remembered->loopBandwidth());
    m_strip->showCheck(panel.checkControls());
    connect(&panel, &ControlPanel::portOpenChanged, this, [this](bool open) {
        if (open)
            m_remembered->setLastPort(QString::fromStdString(m_panel.panelSettings().portText));
    });
    connect(&panel, &ControlPanel::loopBandwidthChanged, this,
            [this](const vantrel::LoopBandwidth& loop) { m_remembered->setLoopBandwidth(loop); });
    m_places = std::make_unique<WindowPlaces>(*remembered);

    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    statusBar()->setSizeGripEnabled(false);
    connect(&panel, &ControlPanel::statusMessage, this, &MainWindow::showStatus);
    m_menus = new MainMenus(*this, messages, files);
    // The bars add to the height; the panel keeps its own size and place.
    fitToScreen();
}

void MainWindow::showStatus(const QString& text)
{
    if (m_menus)
        statusBar()->showMessage(text, int(std::chrono::milliseconds(kStatusTime).count()));
}

void MainWindow::fitToScreen()
{
    QSize size = sizeHint();
    if (QScreen* shown = screen()) {
        // The frame the window system adds; until it is known (before the
        // window is first shown and decorated), room for a title bar.
        QMargins frame;
        if (const QWindow* handle = windowHandle())
            frame = handle->frameMargins();
        if (frame.isNull())
            frame.setTop(style()->pixelMetric(QStyle::PM_TitleBarHeight));
        const QSize room = shown->availableGeometry().size() - QSize(frame.left() + frame.right(),
                                                                     frame.top() + frame.bottom());
        const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_scroll);
        // Each scroll bar needs room beside the panel, which may take the
        // room the other direction had.
        const bool tall = size.height() > room.height();
        const bool wide = size.width() + (tall ? bar : 0) > room.width();
        if (tall)
            size.rwidth() += bar;
        if (wide)
            size.rheight() += bar;
        size = size.boundedTo(room);
    }
    setFixedSize(size);
}

void MainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // Some window systems tell the frame only once the window is up.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        fitToScreen();
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // Now the window has a screen of its own and a frame; it may move to
    // another screen later.
    if (QWindow* handle = windowHandle()) {
        if (!m_followsScreen) {
            m_followsScreen = true;
            connect(handle, &QWindow::screenChanged, this, &MainWindow::fitToScreen);
        }
    }
    fitToScreen();
}

void MainWindow::showSweepState(const QString& state, const QString& details)
{
    m_sweepState->setText(state.isEmpty() ? QString() : state + QStringLiteral(" \u25B8"));
    // Said without the arrow, which only shows that it opens the window.
    m_sweepState->setAccessibleName(state.isEmpty() ? QStringLiteral("Sweep state") : state);
    m_sweepState->setToolTip(details);
    m_sweepState->setAccessibleDescription(details);
    m_sweepState->setVisible(!state.isEmpty());
}

MainWindow::~MainWindow()
{
    // The panel lives beside the window; the scroll area made it a child, and
    // a child would be deleted with the window.
    m_scroll->takeWidget();
    m_panel.setParent(nullptr);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // The panel's own close ends the program, whatever else is open; it
    // waits while lines are on their way to the board, and so does the window.
    if (!m_panel.close()) {
        event->ignore();
        return;
    }
    event->accept();
}
