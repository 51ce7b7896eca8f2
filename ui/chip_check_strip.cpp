#include "chip_check_strip.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStringList>
#include <QToolTip>

#include "focus_mark.h"
#include "quality_text.h"
#include "widget_colours.h"

namespace {

// Red + 256 x green + 65536 x blue, as every colour of the panel.
constexpr vantrel::Colour colour(int red, int green, int blue)
{
    return vantrel::Colour(red) + 256 * vantrel::Colour(green) + 65536 * vantrel::Colour(blue);
}

} // namespace

ChipCheckStrip::ChipCheckStrip(QWidget* parent)
    : QLabel(parent)
{
    setObjectName(QStringLiteral("ChipCheck"));
    setFixedHeight(kHeight);
    setAutoFillBackground(true);
    setIndent(6);
    // Reachable by Tab, so that a keyboard or screen-reader user hears it too.
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(QStringLiteral("Chip limits"));
}

void ChipCheckStrip::showCheck(const vantrel::ChipCheck& check)
{
    // The panel's own notes come first: a box read as less than its text,
    // a press that could not act, often the cause of the limits that follow.
    QStringList problems;
    QStringList lines;
    for (const std::string& note : check.panelNotes) {
        problems << QString::fromStdString(note);
        lines << problems.back();
    }
    for (const vantrel::ChipLimitBreak& item : check.breaks) {
        problems << QString::fromStdString(item.summary());
        lines << QString::fromStdString(item.text());
    }
    QStringList counts;
    QString text;
    if (problems.isEmpty()) {
        text = QStringLiteral("Within chip limits");
        lines << QStringLiteral("The plan keeps every datasheet limit the program checks.");
        setRoleColour(this, QPalette::Window, colour(200, 240, 200));
        setRoleColour(this, QPalette::WindowText, colour(0, 90, 0));
    } else {
        text = problems.front();
        if (problems.size() > 1)
            counts << QStringLiteral("+%1 more").arg(problems.size() - 1);
        setRoleColour(this, QPalette::Window, colour(255, 200, 80));
        setRoleColour(this, QPalette::WindowText, colour(80, 40, 0));
    }
    // Advice is no limit: it is counted and told, and leaves the colour as it is.
    if (!check.advice.empty())
        counts << QStringLiteral("+%1 advice").arg(check.advice.size());
    for (const std::string& advice : check.advice)
        lines << QStringLiteral("Advice: ") + QString::fromStdString(advice);
    if (!counts.isEmpty())
        text += QStringLiteral(" (") + counts.join(QStringLiteral(", ")) + QLatin1Char(')');
    QStringList notes;
    for (const std::string& note : check.notes)
        notes << QString::fromStdString(note);
    if (!notes.isEmpty()) {
        text += QStringLiteral(" \u00B7 ") + notes.join(QStringLiteral(" \u00B7 "));
        lines << QStringLiteral("Chip options: ") + notes.join(QStringLiteral(", "));
    }
    // The plan's quality figures, for a plan that has them, after a blank
    // line: built as one text, since the strip follows every keystroke.
    QString details = lines.join(QLatin1Char('\n'));
    if (check.quality) {
        std::string figures = vantrel::qualityText(*check.quality);
        figures.pop_back(); // its last line end
        details += QStringLiteral("\n\n") + QString::fromStdString(figures);
    }
    setText(text);
    setToolTip(details);
    // Named "Chip limits", the strip's own words would go unheard.
    setAccessibleDescription(text + QLatin1Char('\n') + details);
}

QSize ChipCheckStrip::minimumSizeHint() const
{
    // The text is cut to the strip, which never widens for it.
    return {0, kHeight};
}

void ChipCheckStrip::paintEvent(QPaintEvent*)
{
    // Drawn here rather than by the label, which would cut a text too long
    // for the strip without a word: "…" says there is more, in the tool tip.
    QPainter painter(this);
    style()->drawItemText(&painter, textArea(), int(alignment()), palette(), isEnabled(), shownText(),
                          foregroundRole());
    if (hasFocus())
        paintFocusMark(*this);
}

QRect ChipCheckStrip::textArea() const { return contentsRect().adjusted(indent(), 0, -indent(), 0); }

QString ChipCheckStrip::shownText() const
{
    return fontMetrics().elidedText(text(), Qt::ElideRight, textArea().width());
}

void ChipCheckStrip::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        // Under the strip, where the pointer's tool tip would be.
        QToolTip::showText(mapToGlobal(QPoint(0, height())), toolTip(), this);
        event->accept();
        return;
    default:
        QLabel::keyPressEvent(event);
    }
}
