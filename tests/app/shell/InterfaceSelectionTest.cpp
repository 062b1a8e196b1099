// The "CAN Interface" dialog's logic: list, fields and the check of the
// address and IRQ texts.
#include "shell/InterfaceSelection.h"

#include <gtest/gtest.h>

namespace {

std::vector<BoardEntry> Boards()
{
    return {
        {"PEAK PCAN-ISA", 200, 0x00000001u, false},
        {"", 200, 0x00000005u, false},
        {"PEAK PCAN-USB", 200, 0x00010000u, true},
        {"Orvax Applet", 100, 0xFFFFFFFFu, true},
    };
}

InterfaceChoice Present(std::uint32_t boardType)
{
    InterfaceChoice c;
    c.library = 200;
    c.boardType = boardType;
    c.plugAndPlay = false;
    c.address = 0x2A0;
    c.irq = 5;
    return c;
}

TEST(InterfaceSelection, ListsNamesAndSelectsThePresentBoardElseTheFirst)
{
    CInterfaceSelection s(Boards(), Present(0x00010000u));
    EXPECT_EQ(s.BoardNames(), (std::vector<std::string>{"PEAK PCAN-ISA", "???", "PEAK PCAN-USB", "Orvax Applet"}));
    EXPECT_EQ(s.InitialIndex(), 2);
    EXPECT_EQ(CInterfaceSelection(Boards(), Present(0x12345678u)).InitialIndex(), 0);
    EXPECT_EQ(CInterfaceSelection({}, Present(1)).InitialIndex(), -1);
}

TEST(InterfaceSelection, PlugAndPlayEmptiesAndDisablesTheFieldsOthersShowThePresentValues)
{
    CInterfaceSelection s(Boards(), Present(0x00010000u));
    const auto pnp = s.FieldsFor(2);
    EXPECT_FALSE(pnp.enabled);
    EXPECT_EQ(pnp.address, "");
    EXPECT_EQ(pnp.irq, "");
    const auto isa = s.FieldsFor(0);
    EXPECT_TRUE(isa.enabled);
    EXPECT_EQ(isa.address, "02A0");
    EXPECT_EQ(isa.irq, "5");
    EXPECT_FALSE(s.FieldsFor(-1).enabled);
    EXPECT_FALSE(s.FieldsFor(9).enabled);
}

TEST(InterfaceSelection, AcceptTakesTheBoardAndReadsHexAddressAndDecimalIrq)
{
    CInterfaceSelection s(Boards(), Present(0x00010000u));
    EXPECT_EQ(s.Accept(0, "D000", " 11 "), 0u);
    EXPECT_EQ(s.Choice().boardType, 0x00000001u);
    EXPECT_EQ(s.Choice().library, 200);
    EXPECT_FALSE(s.Choice().plugAndPlay);
    EXPECT_EQ(s.Choice().address, 0xD000u);
    EXPECT_EQ(s.Choice().irq, 11u);
    EXPECT_EQ(s.Accept(0, "0x378", "0"), 0u);
    EXPECT_EQ(s.Choice().address, 0x378u);
}

TEST(InterfaceSelection, BadAddressOrIrqTextsNameTheirMessageAndKeepTheChoice)
{
    CInterfaceSelection s(Boards(), Present(0x00010000u));
    EXPECT_EQ(s.Accept(0, "xyz", "5"), 63606u);
    EXPECT_EQ(s.Accept(0, "", "5"), 63606u);
    EXPECT_EQ(s.Accept(0, "12zz", "5"), 63606u);
    EXPECT_EQ(s.Accept(0, "100000000", "5"), 63606u); // wider than 32 bits
    EXPECT_EQ(s.Accept(0, "300", "abc"), 63607u);
    EXPECT_EQ(s.Accept(0, "300", "-1"), 63607u);
    EXPECT_EQ(s.Accept(0, "300", "65536"), 63607u); // wider than the interrupt word
    EXPECT_EQ(s.Choice().boardType, 0x00010000u);
    EXPECT_EQ(s.Choice().address, 0x2A0u);
}

TEST(InterfaceSelection, PlugAndPlayIgnoresTheTextsAndNoSelectionGivesBoardTypeMinusOne)
{
    CInterfaceSelection s(Boards(), Present(0x00000001u));
    EXPECT_EQ(s.Accept(2, "garbage", "garbage"), 0u);
    EXPECT_EQ(s.Choice().boardType, 0x00010000u);
    EXPECT_TRUE(s.Choice().plugAndPlay);
    EXPECT_EQ(s.Accept(-1, "", ""), 0u);
    EXPECT_EQ(s.Choice().boardType, 0xFFFFFFFFu);
}

} // namespace
