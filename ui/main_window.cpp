#include "main_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "chip_check_strip.h"
#include "control_panel.h"
#include "main_menus.h"

MainWindow::MainWindow(ControlPanel& panel, QWidget* parent)
    : QMainWindow(parent)
    , m_panel(panel)
    , m_strip(new ChipCheckStrip)
    , m_sweepState(new QPushButton)
{
    setWindowTitle(panel.windowTitle());
    setWindowIcon(panel.windowIcon());
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(&panel);
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
    m_sweepState->setFixedHeight(ChipCheckStrip::kHeight);
    m_sweepState->hide();
    connect(m_sweepState, &QPushButton::clicked, this, &MainWindow::sweepStateClicked);
    connect(&panel, &ControlPanel::chipLimitsChecked, m_strip, &ChipCheckStrip::showBreaks);
    // The strip, and the sweep state beside it, come after the panel's last
    // control in the tab order.
    setTabOrder(panel.lastInTabOrder(), m_strip);
    setTabOrder(m_strip, m_sweepState);
    setFixedSize(sizeHint());
}

MainWindow::MainWindow(ControlPanel& panel, MessageSink& messages, FileChooser& files, QWidget* parent)
    : MainWindow(panel, parent)
{
    m_menus = new MainMenus(*this, messages, files);
    // The bar adds to the height; the panel keeps its own size and place.
    setFixedSize(sizeHint());
}

void MainWindow::showSweepState(const QString& state, const QString& details)
{
    m_sweepState->setText(state.isEmpty() ? QString() : state + QStringLiteral(" \u25B8"));
    m_sweepState->setToolTip(details);
    m_sweepState->setAccessibleDescription(details);
    m_sweepState->setVisible(!state.isEmpty());
}

MainWindow::~MainWindow()
{
    // The panel lives beside the window; the layout made it a child, and a
    // child would be deleted with the window.
    m_panel.setParent(nullptr);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // The panel's own close ends the program, whatever else is open.
    m_panel.close();
    event->accept();
}
