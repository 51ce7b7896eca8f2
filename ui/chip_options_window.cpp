#include "chip_options_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QBoxLayout>
#include <QGroupBox>
#include <QLabel>
#include <QScopedValueRollback>
#include <QSpinBox>

#include "control_panel.h"
#include "secondary_window.h"

using namespace vantrel;

namespace {

QString text(std::string_view view) { return QString::fromUtf8(view.data(), qsizetype(view.size())); }

constexpr int kFromButtons = -1; // the MUXOUT code is the selected button's

const char kMuxCodeTip[] =
    "Register 2, bits 28 to 26 (MUXOUT): the codes the panel's buttons do not offer, 1 DVdd, 2 DGND and "
    "5 analog lock detect. Choosing one clears the buttons; a button clicked afterwards takes its own code "
    "again. Code 7 is reserved. The N divider output must not be selected while the VCO band selection runs.";

// Shows `code` in a combo of codes; a code the window does not offer (as a
// set read back brings it) gets an item of its own while it is shown.
void showCode(QComboBox* box, int offered, int code, const QString& label)
{
    while (box->count() > offered)
        box->removeItem(box->count() - 1);
    int index = box->findData(code);
    if (index < 0) {
        box->addItem(label, code);
        index = box->count() - 1;
    }
    box->setCurrentIndex(index);
}

// A row of a register's group: a label shares the control's tool tip and
// names it for a screen reader.
void addRow(QFormLayout* form, const QString& caption, QWidget* widget)
{
    if (caption.isEmpty()) { // a check box, named by its own text
        form->addRow(widget);
        return;
    }
    auto* label = new QLabel(caption);
    label->setToolTip(widget->toolTip());
    label->setBuddy(widget);
    widget->setAccessibleName(caption);
    form->addRow(label, widget);
}

} // namespace

ChipOptionsWindow::ChipOptionsWindow(ControlPanel& panel, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_panel(panel)
{
    setObjectName(QStringLiteral("ChipOptionsWindow"));
    setWindowTitle(QStringLiteral("Chip Options"));
    setWindowIcon(panel.windowIcon());
    build();
    closeOnEscape(*this);
    fitWithinScreen(*this);
    showOptions(panel.chipOptions());
    connect(&panel, &ControlPanel::chipOptionsChanged, this, &ChipOptionsWindow::showOptions);
}

void ChipOptionsWindow::build()
{
    auto* content = new QWidget;
    auto* columns = new QHBoxLayout(content);
    QFormLayout* forms[6] = {};
    // Two columns: Registers 1, 2 and 5 on the left, 3 and 4 on the right.
    const std::initializer_list<int> kColumns[] = {{1, 2, 5}, {3, 4}};
    for (const std::initializer_list<int> registers : kColumns) {
        auto* column = new QVBoxLayout;
        for (const int reg : registers) {
            auto* group = new QGroupBox(QStringLiteral("Register %1").arg(reg));
            forms[reg] = new QFormLayout(group);
            column->addWidget(group);
        }
        column->addStretch();
        columns->addLayout(column);
    }

    // The MUXOUT code heads Register 2.
    m_muxCode = new QComboBox;
    m_muxCode->setObjectName(QStringLiteral("MuxCode"));
    m_muxCode->addItem(QStringLiteral("the panel's button"), kFromButtons);
    for (const MuxOut code : {MuxOut::DVdd, MuxOut::DGnd, MuxOut::AnalogLockDetect})
        m_muxCode->addItem(QStringLiteral("%1 %2").arg(static_cast<int>(code)).arg(text(muxOutName(code))),
                           static_cast<int>(code));
    m_muxCode->setToolTip(QString::fromLatin1(kMuxCodeTip));
    addRow(forms[2], QStringLiteral("MUXOUT code"), m_muxCode);
    connect(m_muxCode, &QComboBox::currentIndexChanged, this, &ChipOptionsWindow::changed);

    for (const ChipOptionField& field : chipOptionFields()) {
        QWidget* widget = nullptr;
        if (field.kind == ChipOptionKind::Switch) {
            auto* box = new QCheckBox(text(field.caption));
            connect(box, &QCheckBox::toggled, this, &ChipOptionsWindow::changed);
            widget = box;
        } else if (field.kind == ChipOptionKind::Number && field.choices.empty()) {
            auto* spin = new QSpinBox;
            spin->setRange(0, static_cast<int>(field.field.maxValue()));
            connect(spin, &QSpinBox::valueChanged, this, &ChipOptionsWindow::changed);
            widget = spin;
        } else {
            auto* combo = new QComboBox;
            for (const ChipOptionChoice& choice : field.choices) {
                if (choice.offered)
                    combo->addItem(text(choice.label), static_cast<int>(choice.code));
            }
            connect(combo, &QComboBox::currentIndexChanged, this, &ChipOptionsWindow::changed);
            widget = combo;
        }
        widget->setObjectName(text(field.name));
        widget->setToolTip(text(field.datasheet));
        // A check box carries its caption; the others stand beside a label.
        addRow(forms[field.reg], field.kind == ChipOptionKind::Switch ? QString() : text(field.caption), widget);
        m_controls.push_back({&field, widget});
    }

    putInScrollArea(*this, content, QStringLiteral("&Close"));
    // Tab follows the rows as they stand, down the left column and then the
    // right, rather than the order the controls were made in; Close last.
    QWidget* previous = nullptr;
    const auto follow = [&previous](QWidget* next) {
        if (previous)
            setTabOrder(previous, next);
        previous = next;
    };
    for (const std::initializer_list<int> registers : kColumns) {
        for (const int reg : registers) {
            for (int row = 0; row < forms[reg]->rowCount(); ++row) {
                for (const QFormLayout::ItemRole role : {QFormLayout::FieldRole, QFormLayout::SpanningRole}) {
                    if (const QLayoutItem* item = forms[reg]->itemAt(row, role); item && item->widget())
                        follow(item->widget());
                }
            }
        }
    }
    follow(findChild<QWidget*>(QStringLiteral("Close")));
}

void ChipOptionsWindow::showOptions(const ChipOptions& options)
{
    QScopedValueRollback<bool> showing(m_showing, true);
    for (const Control& control : m_controls) {
        const ChipOptionField& field = *control.field;
        const std::uint32_t code = field.get(options);
        if (auto* box = qobject_cast<QCheckBox*>(control.widget)) {
            box->setChecked(code != 0);
        } else if (auto* spin = qobject_cast<QSpinBox*>(control.widget)) {
            spin->setValue(static_cast<int>(code));
        } else if (auto* combo = qobject_cast<QComboBox*>(control.widget)) {
            int offered = 0;
            for (const ChipOptionChoice& choice : field.choices)
                offered += choice.offered ? 1 : 0;
            showCode(combo, offered, static_cast<int>(code), text(field.valueLabel(code)));
        }
    }
    const int mux = options.muxCode ? static_cast<int>(*options.muxCode) : kFromButtons;
    showCode(m_muxCode, 4, mux,
             QStringLiteral("%1 %2 (read back)").arg(mux).arg(text(muxOutName(static_cast<MuxOut>(mux & 7)))));
}

ChipOptions ChipOptionsWindow::read() const
{
    ChipOptions options;
    for (const Control& control : m_controls) {
        std::uint32_t code = 0;
        if (const auto* box = qobject_cast<const QCheckBox*>(control.widget))
            code = box->isChecked() ? 1 : 0;
        else if (const auto* spin = qobject_cast<const QSpinBox*>(control.widget))
            code = static_cast<std::uint32_t>(spin->value());
        else if (const auto* combo = qobject_cast<const QComboBox*>(control.widget))
            code = combo->currentData().toUInt();
        control.field->set(options, code);
    }
    const int mux = m_muxCode->currentData().toInt();
    if (mux != kFromButtons)
        options.muxCode = static_cast<MuxOut>(mux);
    return options;
}

void ChipOptionsWindow::changed()
{
    if (!m_showing)
        m_panel.setChipOptions(read());
}
