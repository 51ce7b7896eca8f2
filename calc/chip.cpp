#include "chip.h"

namespace vantrel {

std::string_view muxOutName(MuxOut code)
{
    switch (code) {
    case MuxOut::ThreeState: return "three-state";
    case MuxOut::DVdd: return "DVdd";
    case MuxOut::DGnd: return "DGND";
    case MuxOut::RDivider: return "R divider output";
    case MuxOut::NDivider: return "N divider output";
    case MuxOut::AnalogLockDetect: return "analog lock detect";
    case MuxOut::DigitalLockDetect: return "digital lock detect";
    case MuxOut::Reserved: return "reserved";
    }
    return "reserved";
}

std::optional<MuxOut> muxCodeFor(MuxButton button)
{
    for (const MuxChoice& choice : kMuxChoices) {
        if (choice.button == button)
            return choice.code;
    }
    return std::nullopt;
}

std::optional<MuxButton> muxButtonFor(std::uint32_t code)
{
    for (const MuxChoice& choice : kMuxChoices) {
        if (static_cast<std::uint32_t>(choice.code) == code)
            return choice.button;
    }
    return std::nullopt;
}

std::optional<MuxButton> muxButtonNamed(std::string_view option)
{
    for (const MuxChoice& choice : kMuxChoices) {
        if (choice.option == option)
            return choice.button;
    }
    return std::nullopt;
}

} // namespace vantrel
