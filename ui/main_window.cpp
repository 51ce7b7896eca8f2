#include "main_window.h"

#include <QCloseEvent>
#include <QVBoxLayout>

#include "chip_check_strip.h"
#include "control_panel.h"
#include "main_menus.h"

MainWindow::MainWindow(ControlPanel& panel, QWidget* parent)
    : QMainWindow(parent)
    , m_panel(panel)
    , m_strip(new ChipCheckStrip)
{
    setWindowTitle(panel.windowTitle());
    setWindowIcon(panel.windowIcon());
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(&panel);
    layout->addWidget(m_strip);
    setCentralWidget(content);
    m_strip->setFixedWidth(panel.width());
    connect(&panel, &ControlPanel::chipChecked, m_strip, &ChipCheckStrip::showCheck);
    // The strip comes after the panel's last control in the tab order.
    setTabOrder(panel.lastInTabOrder(), m_strip);
    setFixedSize(sizeHint());
}

MainWindow::MainWindow(ControlPanel& panel, MessageSink& messages, FileChooser& files, QWidget* parent)
    : MainWindow(panel, parent)
{
    m_menus = new MainMenus(*this, messages, files);
    // The bar adds to the height; the panel keeps its own size and place.
    setFixedSize(sizeHint());
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
