#include "virtual_board.h"

#include "chip.h"
#include "chip_options.h"
#include "echoed_text.h"
#include "hex_codec.h"
#include "line_end.h"

namespace vantrel {

namespace {

// A register word as the board takes it: exactly eight hexadecimal digits.
std::optional<std::uint32_t> eightDigitWord(const QByteArray& digits)
{
    if (digits.size() != 8)
        return std::nullopt;
    return parseHexWord(digits.toStdString());
}

QByteArray hexBytes(std::uint32_t word) { return QByteArray::fromStdString(hexFormat(word)); }

// A received line in a warning: quoted, escaped and cut, as the host may send anything.
QString quoted(const QByteArray& line)
{
    return QLatin1Char('"') + QString::fromLatin1(echoedText(line.toStdString(), kEchoedInputChars)) + QLatin1Char('"');
}

} // namespace

VirtualBoard::VirtualBoard(QString userData)
    : m_userData(std::move(userData))
{
}

VirtualBoard::Reaction VirtualBoard::feed(const QByteArray& bytes, Clock::time_point now)
{
    Reaction reaction;
    for (const char c : bytes) {
        if (c == '\n')
            continue;
        if (c != '\r') {
            m_partial.append(c);
            continue;
        }
        Received received;
        received.line = QString::fromLatin1(m_partial);
        received.secondsSinceStart = std::chrono::duration<double>(now - m_start).count();
        if (m_previousLine) {
            received.sincePrevious = now - *m_previousLine;
            if (*received.sincePrevious < kMinLineGap - kArrivalTolerance) {
                const double ms = std::chrono::duration<double, std::milli>(*received.sincePrevious).count();
                reaction.warnings.append(QStringLiteral("line %1 %2 arrived %3 ms after the previous one (at least %4 "
                                                        "ms needed; timed on arrival here, which may lag the sender "
                                                        "by up to %5 ms)")
                                             .arg(m_lineCount + 1)
                                             .arg(quoted(m_partial))
                                             .arg(QString::number(ms, 'f', 1))
                                             .arg(kMinLineGap.count())
                                             .arg(kArrivalTolerance.count()));
            }
        }
        m_previousLine = now;
        ++m_lineCount;
        reaction.lines.append(received);
        const QByteArray line = m_partial;
        m_partial.clear();
        handleLine(line, reaction);
    }
    return reaction;
}

void VirtualBoard::handleLine(const QByteArray& line, Reaction& reaction)
{
    if (line.startsWith('R')) {
        const std::optional<std::uint32_t> word = eightDigitWord(line.mid(1));
        if (!word) {
            reaction.warnings.append(QStringLiteral("bad register line %1").arg(quoted(line)));
            return;
        }
        const std::uint32_t index = *word & 7u;
        if (index < m_working.size()) {
            m_working[index] = *word;
            if (index == 0) {
                reaction.applied.append(describeSetting(m_working));
                reaction.appliedOptions.append(describeOptions(m_working));
            }
        } else
            reaction.warnings.append(QStringLiteral("register word %1 names register %2, which the chip lacks")
                                         .arg(QString::fromLatin1(hexBytes(*word)))
                                         .arg(index));
        m_lastR = *word;
        return;
    }
    if (line == "W") {
        if (!m_lastR) {
            reaction.warnings.append(QStringLiteral("\"W\" before any \"R\" line: nothing stored"));
            return;
        }
        const std::uint32_t index = *m_lastR & 7u;
        if (index >= m_eeprom.size()) {
            reaction.warnings.append(QStringLiteral("\"W\" of a word for register %1: nothing stored").arg(index));
            return;
        }
        m_eeprom[index] = *m_lastR;
        reaction.eepromChanged = true;
        return;
    }
    if (line == "INIT") {
        reaction.replies.append(initReply());
        return;
    }
    if (line == "U") {
        reaction.replies.append(userDataLine());
        return;
    }
    reaction.warnings.append(QStringLiteral("unknown line %1").arg(quoted(line)));
}

QList<QByteArray> VirtualBoard::initReply() const
{
    QList<QByteArray> lines;
    for (auto it = m_eeprom.rbegin(); it != m_eeprom.rend(); ++it)
        lines.append("0X" + hexBytes(*it) + kCrLf);
    return lines;
}

QByteArray VirtualBoard::userDataLine() const { return "Udata{" + m_userData.toLatin1() + "}" + kCrLf; }

QString describeSetting(const RegisterSet& set)
{
    const auto field = [&set](std::size_t index, Field f) { return unpack(f, set[index]); };
    const auto mux = static_cast<MuxOut>(field(2, reg2::kMuxout));
    return QStringLiteral("INT %1, FRAC %2, MOD %3, R %4, divider %5, MUXOUT %6")
        .arg(field(0, reg0::kInt))
        .arg(field(0, reg0::kFrac))
        .arg(field(1, reg1::kMod))
        .arg(field(2, reg2::kRCounter))
        .arg(1u << field(4, reg4::kRfDividerSelect))
        .arg(QString::fromLatin1(muxOutName(mux).data(), qsizetype(muxOutName(mux).size())));
}

QString describeOptions(const RegisterSet& set)
{
    return QString::fromStdString(chipOptionsText(chipOptionsOf(set)));
}

QByteArray eepromText(const RegisterSet& set)
{
    QByteArray text;
    for (std::size_t i = 0; i < set.size(); ++i)
        text += "Reg" + QByteArray::number(static_cast<int>(i)) + ' ' + hexBytes(set[i]) + '\n';
    return text;
}

std::optional<RegisterSet> parseEepromText(const QByteArray& text)
{
    RegisterSet set{};
    std::array<bool, 6> seen{};
    for (const QByteArray& raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QList<QByteArray> parts = line.simplified().split(' ');
        if (parts.size() != 2 || parts[0].size() != 4 || !parts[0].startsWith("Reg"))
            return std::nullopt;
        const int index = parts[0].at(3) - '0';
        const std::optional<std::uint32_t> word = eightDigitWord(parts[1]);
        if (index < 0 || index >= 6 || !word)
            return std::nullopt;
        set[static_cast<std::size_t>(index)] = *word;
        seen[static_cast<std::size_t>(index)] = true;
    }
    for (const bool s : seen) {
        if (!s)
            return std::nullopt;
    }
    return set;
}

} // namespace vantrel
