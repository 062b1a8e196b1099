// InterfaceSelection.h - what the "CAN Interface" dialog shows and accepts:
// the boards of the device description, the address and IRQ fields of a
// board that is not plug and play, and the check of their texts.
#pragma once

#include "ui/MessageIds.h"

#include <cstdint>
#include <string>
#include <vector>

// The interface the program opens: library, board type, and the I/O
// address and interrupt of a board that is not plug and play.
struct InterfaceChoice {
    std::int16_t library = 100;
    std::uint32_t boardType = 0xFFFFFFFFu;
    bool plugAndPlay = true;
    std::uint32_t address = 0;
    std::uint32_t irq = 0;
    std::string channel;  // PCAN-Light types: the Linux channel chosen; empty: as it is
};

// One selectable board, as the description lists it.
struct BoardEntry {
    std::string name;
    std::int16_t library = 0;
    std::uint32_t boardType = 0;
    bool plugAndPlay = true;
};

class CInterfaceSelection {
public:
    // The address and IRQ fields for one board.
    struct Fields {
        bool enabled = false;
        std::string address; // "%04lX"
        std::string irq;     // "%lu"
    };

    CInterfaceSelection(std::vector<BoardEntry> boards, const InterfaceChoice& present);

    // The board names as listed ("???" for an empty name).
    std::vector<std::string> BoardNames() const;
    // The entry whose board type is the present one, else the first; -1
    // for an empty list.
    int InitialIndex() const;
    // Disabled and empty for a plug-and-play board, else the present
    // address and IRQ.
    Fields FieldsFor(int index) const;

    // "&OK": 0 when accepted (Choice() then holds the selection), else the
    // number of the message to show, the dialog staying open.
    unsigned Accept(int index, const std::string& addressText, const std::string& irqText);
    const InterfaceChoice& Choice() const { return choice_; }

    // "%lx" and "%lu" with the limits of the hardware parameters: blanks
    // around the number are allowed, nothing else.
    static bool ParseAddress(const std::string& text, std::uint32_t& value);
    static bool ParseIrq(const std::string& text, std::uint32_t& value);

    static constexpr unsigned kInvalidAddressMessage = kMsgInvalidAddress;
    static constexpr unsigned kInvalidIrqMessage = kMsgInvalidIrq;
    static constexpr std::uint32_t kMaxIrq = 0xFFFF;

private:
    std::vector<BoardEntry> boards_;
    InterfaceChoice present_;
    InterfaceChoice choice_;
};
