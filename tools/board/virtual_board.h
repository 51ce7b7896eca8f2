// What the board's controller does with the lines it receives: "R" sets a
// working register, "W" stores the last "R" word in the EEPROM image, "INIT"
// answers with the stored set (Reg0 last), "U" answers with user data. Knows
// nothing of ports: it takes bytes with their arrival time and says what to
// send back and what to report.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>

#include "register_layout.h"

namespace vantrel {

class VirtualBoard {
public:
    using Clock = std::chrono::steady_clock;
    // The host must leave at least this long between two lines.
    static constexpr std::chrono::milliseconds kMinLineGap{100};
    // A line is timed when this program reads it, which a loaded machine
    // delays: a gap that reads this much short of kMinLineGap may still have
    // been kept by the sender, and is not warned about.
    static constexpr std::chrono::milliseconds kArrivalTolerance{10};

    // A consistent set to answer INIT with before anything was stored:
    // 2320.5 MHz from a 10 MHz reference, 2500 Hz steps.
    static constexpr RegisterSet kFactorySet{0x00740640, 0x0800FD01, 0x18004E42,
                                             0x00000003, 0x0085003C, 0x00580005};

    struct Received {
        QString line;                                   // without CR LF
        double secondsSinceStart = 0;
        std::optional<std::chrono::nanoseconds> sincePrevious;
    };

    struct Reaction {
        QList<QByteArray> replies; // each one write, in order
        QStringList warnings;
        QList<Received> lines;
        bool eepromChanged = false;
        // What the chip runs with after each Reg0 word, which makes it take a
        // new setting: its plan, and beside it every chip option of the set.
        QStringList applied;
        QStringList appliedOptions;
    };

    explicit VirtualBoard(QString userData);

    Reaction feed(const QByteArray& bytes, Clock::time_point now);

    // One "0X" + eight hex digits + CR LF line per stored word, Reg5 first, Reg0 last.
    QList<QByteArray> initReply() const;
    QByteArray userDataLine() const;

    const RegisterSet& eeprom() const { return m_eeprom; }
    void setEeprom(const RegisterSet& set) { m_eeprom = set; }

private:
    void handleLine(const QByteArray& line, Reaction& reaction);

    QString m_userData;
    RegisterSet m_eeprom = kFactorySet;
    RegisterSet m_working{};
    std::optional<std::uint32_t> m_lastR;
    QByteArray m_partial;
    Clock::time_point m_start = Clock::now();
    std::optional<Clock::time_point> m_previousLine;
    int m_lineCount = 0;
};

// "INT 232, FRAC 200, MOD 4000, R 1, divider 1, MUXOUT digital lock detect".
QString describeSetting(const RegisterSet& set);
// Every chip option the set holds: "phase adjust off, phase value 1, ...".
QString describeOptions(const RegisterSet& set);

// EEPROM image file: one line per register, "Reg0 00740640" ... "Reg5 00580005".
QByteArray eepromText(const RegisterSet& set);
// Empty when the text does not hold all six registers.
std::optional<RegisterSet> parseEepromText(const QByteArray& text);

} // namespace vantrel
