// What the first worked register set (10 MHz reference, 2320.5 MHz out,
// 2500 Hz steps, MUXOUT lock detect, charge pump 7, mute off) shows: the
// results listing and the EE data listing, as built, with CR LF.
#pragma once

#include <string>
#include <string_view>

namespace worked {

inline constexpr std::string_view kFirstResultsListing =
    "Fcomp  10.00MHz\r\nR  1\r\nN  232\r\nF  200\r\nD  4000     \r\nError =  0.0Hz\r\n\r\n"
    "Reg 0   0x 00740640\r\nReg 1   0x 0800FD01\r\nReg 2   0x 18004E42\r\n"
    "Reg 3   0x 00000003\r\nReg 4   0x 0085003C\r\nReg 5   0x 00580005\r\n";

inline constexpr std::string_view kFirstEeListing =
    ";  R = 1    N = 232    D =  4000   F = 0200    Odiv = 1\r\n"
    ";  Fout = 2320.5MHz      Ref = 10MHz\r\n"
    "   de 0x00, 0x58, 0x00, 0x05    ;Reg 5\r\n"
    "   de 0x00, 0x85, 0x00, 0x3C    ;Reg 4\r\n"
    "   de 0x00, 0x00, 0x00, 0x03    ;Reg 3\r\n"
    "   de 0x18, 0x00, 0x4E, 0x42    ;Reg 2\r\n"
    "   de 0x08, 0x00, 0xFD, 0x01    ;Reg 1\r\n"
    "   de 0x00, 0x74, 0x06, 0x40    ;Reg 0\r\n";

// The same text with LF line breaks, as a terminal or a Qt text box shows it.
inline std::string withLf(std::string_view text)
{
    std::string lines;
    for (const char c : text) {
        if (c != '\r')
            lines.push_back(c);
    }
    return lines;
}

} // namespace worked
