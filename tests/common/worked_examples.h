// The five worked register sets of the synthesizer: their settings and the
// six words they pack into, Reg0 first. Shared by every suite that checks them.
#pragma once

#include <array>
#include <vector>

#include "settings.h"

namespace worked {

struct Example {
    const char* name;
    vantrel::Settings settings;
    std::array<const char*, 6> words;
};

// 10 MHz reference, 2320.5 MHz out, 2500 Hz steps, MUXOUT lock detect,
// charge pump 7, mute off.
inline vantrel::Settings first()
{
    vantrel::Settings s;
    s.mux = vantrel::MuxButton::MuxL;
    s.chrgPump = 7;
    s.mtld = false;
    return s;
}

inline std::vector<Example> registerExamples()
{
    using vantrel::MuxButton;
    std::vector<Example> examples;
    examples.push_back({"10 MHz reference, 2320.5 MHz, 2500 Hz", first(),
                        {"00740640", "0800FD01", "18004E42", "00000003", "0085003C", "00580005"}});

    vantrel::Settings intN = first();
    intN.intN = true;
    examples.push_back({"the same in integer-N", intN,
                        {"00740000", "08008001", "18004F42", "00000003", "0085003C", "00580005"}});

    vantrel::Settings third = first();
    third.frText = "25";
    third.foutText = "2400";
    third.resolutionText = "100000";
    examples.push_back({"25 MHz reference, 2400 MHz, 100 kHz", third,
                        {"00300000", "080087D1", "18004E42", "00000003", "008C803C", "00580005"}});

    vantrel::Settings fourth;
    fourth.refDbl = true;
    fourth.rdividerText = "2";
    fourth.outDivCont = 2;
    fourth.foutText = "1000.25";
    fourth.resolutionText = "10000";
    fourth.feedback = true;
    fourth.mux = MuxButton::MuxR;
    fourth.chrgPump = 15;
    fourth.lowSpur = true;
    fourth.pdPol = true;
    fourth.enable = false;
    fourth.pwr = 0;
    fourth.mtld = true;
    examples.push_back({"doubler, divided feedback, every option inverted", fourth,
                        {"003200C8", "08009F41", "6E009E22", "00000003", "00250424", "00580005"}});

    vantrel::Settings fifth = first();
    fifth.refDiv2 = true;
    fifth.outDivCont = 6;
    fifth.foutText = "50.0125";
    fifth.resolutionText = "100";
    fifth.prescale8 = false;
    fifth.mux = MuxButton::MuxN;
    fifth.chrgPump = 0;
    fifth.pwr = 1;
    examples.push_back({"divide-by-2, divider 64, prescaler 4/5, an error of 4 Hz", fifth,
                        {"014003E8", "00009869", "11004042", "00000003", "00E2802C", "00580005"}});
    return examples;
}

} // namespace worked
