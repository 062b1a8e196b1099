// Which viewers are sent to a named destination, and how.
#include <gtest/gtest.h>

#include "document/PdfViewer.h"

namespace {

using ovro::CPdfViewer;

TEST(PdfViewer, EvinceAndOkularJumpOthersOpenTheFile)
{
    auto evince = CPdfViewer::JumpCommand("org.gnome.Evince.desktop", "/h/K315_CAN.pdf", "MotionProfile_ProfileVelocity");
    ASSERT_TRUE(evince.has_value());
    EXPECT_EQ(evince->program, "evince");
    EXPECT_EQ(evince->arguments, (std::vector<std::string>{"--named-dest=MotionProfile_ProfileVelocity", "/h/K315_CAN.pdf"}));

    auto okular = CPdfViewer::JumpCommand("okularApplication_pdf.desktop", "/h/K315_CAN.pdf", "Homing");
    ASSERT_TRUE(okular.has_value());
    EXPECT_EQ(okular->program, "okular");
    EXPECT_EQ(okular->arguments, (std::vector<std::string>{"/h/K315_CAN.pdf#Homing"}));

    EXPECT_FALSE(CPdfViewer::JumpCommand("firefox.desktop", "/h/K315_CAN.pdf", "Homing").has_value());
    EXPECT_FALSE(CPdfViewer::JumpCommand("", "/h/K315_CAN.pdf", "Homing").has_value());
    EXPECT_FALSE(CPdfViewer::JumpCommand("org.gnome.Evince.desktop", "/h/K315_CAN.pdf", "").has_value());
}

}  // namespace
