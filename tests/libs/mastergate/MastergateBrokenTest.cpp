// Tests of libmastergate.so with master libraries it cannot use: a board
// library without all entry points and a software master that is no
// library at all.
#include <cop/cop.h>

#include <gtest/gtest.h>

#include <cerrno>

namespace {

TEST(MastergateBrokenTest, MissingEntryPointFailsTheBinding)
{
    EXPECT_EQ(COP_Initialize(COP_LIBRARY_CARDMASTER, 0x01050F00u, nullptr, COP_BAUD_250), 0);
    EXPECT_EQ(COP_GetLastError(), COP_ERR_SYSTEM - ENOSYS);
    EXPECT_EQ(ORX_Library(), 0);
    EXPECT_STREQ(COP_GetLibraryName(), "(null)");
    EXPECT_EQ(COP_AddNode(1), 0);
    EXPECT_EQ(COP_GetLastError(), COP_ERR_NO_DLL);
    // the file is there, so the probe finds it
    EXPECT_EQ(COP_Installed(COP_LIBRARY_CARDMASTER, 0x01050F00u), 1);
}

TEST(MastergateBrokenTest, FileThatIsNoLibraryGivesExecFormatError)
{
    EXPECT_EQ(COP_Initialize(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB, nullptr, COP_BAUD_250), 0);
    EXPECT_EQ(COP_GetLastError(), COP_ERR_SYSTEM - ENOEXEC);
    EXPECT_STREQ(COP_GetLibraryName(), "(null)");
    EXPECT_EQ(COP_SendSync(), 0);
    EXPECT_EQ(COP_GetLastError(), COP_ERR_NO_DLL);
}

} // namespace
