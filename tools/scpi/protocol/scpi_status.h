// The instrument's status registers as IEEE 488.2 and SCPI lay them out:
// the standard event status register with its enable mask, the status
// byte with its service request enable, and the SCPI OPERation and
// QUEStionable registers, whose event bits latch a condition as it rises.
// Plain C++.
#pragma once

namespace vantrel::scpi {

// OPERation condition: a sweep or list is running.
inline constexpr int kOperationSweeping = 1 << 3;
// QUEStionable condition: the plan the board holds breaks a chip limit
// (let through with SYSTem:CHIP:STRict OFF).
inline constexpr int kQuestionableChipLimit = 1 << 9;

// Event status register bits.
inline constexpr int kOperationCompleteBit = 1 << 0;
inline constexpr int kPowerOnBit = 1 << 7;

// Status byte bits.
inline constexpr int kErrorQueueBit = 1 << 2;
inline constexpr int kQuestionableSummaryBit = 1 << 3;
inline constexpr int kEventSummaryBit = 1 << 5;
inline constexpr int kServiceRequestBit = 1 << 6;
inline constexpr int kOperationSummaryBit = 1 << 7;

struct ConditionRegister {
    int condition = 0;
    int event = 0;
    int enable = 0;

    // A bit rising in the condition is latched in the event register.
    void setCondition(int bits)
    {
        event |= bits & ~condition;
        condition = bits;
    }
    int takeEvent()
    {
        const int bits = event;
        event = 0;
        return bits;
    }
    bool summary() const { return (event & enable) != 0; }
};

struct StatusRegisters {
    int eventStatus = kPowerOnBit;
    int eventEnable = 0;
    int serviceEnable = 0;
    ConditionRegister operation;
    ConditionRegister questionable;

    // *STB?: the summaries, and bit 6 when any of them is enabled by *SRE.
    int statusByte(bool errorsQueued) const
    {
        int status = errorsQueued ? kErrorQueueBit : 0;
        if (questionable.summary())
            status |= kQuestionableSummaryBit;
        if ((eventStatus & eventEnable) != 0)
            status |= kEventSummaryBit;
        if (operation.summary())
            status |= kOperationSummaryBit;
        if ((status & serviceEnable & ~kServiceRequestBit) != 0)
            status |= kServiceRequestBit;
        return status;
    }
    // *CLS: the event registers; the enable masks stay.
    void clearEvents()
    {
        eventStatus = 0;
        operation.event = 0;
        questionable.event = 0;
    }
    // STATus:PRESet: the SCPI enable masks back to none.
    void preset()
    {
        operation.enable = 0;
        questionable.enable = 0;
    }
};

} // namespace vantrel::scpi
