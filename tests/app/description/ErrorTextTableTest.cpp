// The texts of the COP error codes, pinned one by one: the program shows
// them from two places - the API header's table (the master's board
// information) and the error list of the shipped description (every other
// message) - and both must hold exactly these texts, byte for byte ("µ" is
// the Latin-1 byte 0xB5, the typos are the system's own).
#include <gtest/gtest.h>

#include <cop/cop.h>

#include <cstdint>
#include <set>
#include <string>

#include "description/Commissioning.h"

namespace {

struct ErrorRow {
    std::int32_t code;
    const char* text;
};

const ErrorRow kErrorTexts[] = {
        {0, "Success, no error."},
        {-1, "Busoff status."},
        {-2, "Error warning status."},
        {-3, "Bus error."},
        {-8, "Already started."},
        {-9, "Not started yet."},
        {-10, "Message lost (overrun)."},
        {-11, "Stuff error."},
        {-12, "Form error."},
        {-13, "Acknowledge error."},
        {-14, "Recessive bit error."},
        {-15, "Dominant bit error."},
        {-16, "Checksum error."},
        {-20, "Transmitter busy."},
        {-30, "Receiver empty."},
        {-40, "Queue overrun."},
        {-50, "Time-out error."},
        {-60, "Invalid lenght."},
        {-70, "Format error."},
        {-80, "Illegal status."},
        {-90, "Illegal node-id."},
        {-91, "Illegal baud rate."},
        {-93, "Illegal parameter."},
        {-94, "Illegal parameter (NULL-Pointer)."},
        {-95, "Not initialized."},
        {-96, "Already initialized."},
        {-97, "Node already connected."},
        {-98, "Function not supported!"},
        {-99, "Fatal error!"},
        {1, "General error or failure."},
        {2, "Failure in CAL."},
        {3, "Invalid parameter or service not allowed."},
        {4, "Transfer aborted."},
        {5, "Node not found."},
        {6, "CANopen-Master not initialised."},
        {7, "CANopen-Master already initialised."},
        {9, "No objects in queue."},
        {10, "Timeout in CAN communication."},
        {16, "SDO transfer is running."},
        {32, "Unknown command."},
        {-120, "SDO thread execution cancelled."},
        {-121, "SDO installation error."},
        {-122, "KDI installation error  (internal)."},
        {-123, "Memory allocation error (internal)\ndata or OS object couldn't be created."},
        {-124, "Unknown board type or couldn't locate board type."},
        {-128, "A callbackpointer is invalid."},
        {-129, "An error occured during firmware download\nmemory used by another HW (first 4k)?"},
        {-130, "Communication error PC to \xB5" "C."},
        {-131, "Board is used by another process."},
        {-132, "Wrong firmware version."},
        {-133, "Orvax hardware selection dialog cancelled by user."},
        {-134, "The board wasn't found."},
        {-135, "The given board is not supported by this API."},
        {-136, "No free entry in DLL."},
        {-137, "Given board is already in use."},
        {-138, "Timeout (communication error PC to \xB5" "C)."},
        {-140, "Msg not sent, try again."},
        {-201, "Test of the CAN controller hardware registers failed (no hardware found)."},
        {-203, "Hardware is in use by another Net."},
        {-204, "A Client is already connected to the Net."},
        {-220, "Hardware handle is wrong."},
        {-224, "Net handle is wrong."},
        {-228, "Client handle is wrong."},
        {-232, "Resource (FIFO, Client, timeout) cannot be created."},
        {-264, "Invalid parameter."},
        {-265, "Invalid parameter value."},
        {-290, "Unknown board type, or not supported."},
        {-299, "An unknown PCAN-Light error occurred!"},
        {-9998, "CAN Interface DLL already loaded!"},
        {-9999, "No CAN Interface DLL loaded!"},
        {-10000, "A system error occurred!"},
};

TEST(ErrorTextTable, TheApiTableHoldsEveryCodeWithItsText)
{
    ASSERT_EQ(sizeof kErrorTexts / sizeof kErrorTexts[0], 71u);
    std::size_t count = 0;
    const std::int32_t* codes = COP_ErrorCodes(&count);
    EXPECT_EQ(count, 71u);
    std::set<std::int32_t> listed(codes, codes + count);
    for (const ErrorRow& row : kErrorTexts) {
        SCOPED_TRACE(row.code);
        EXPECT_EQ(listed.count(row.code), 1u);
        const char* text = COP_ErrorText(row.code);
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(std::string(text), row.text);
    }
    EXPECT_EQ(COP_ErrorText(-4), nullptr);
    EXPECT_EQ(COP_ErrorText(-10001), nullptr);
}

TEST(ErrorTextTable, TheShippedDescriptionGivesTheSameTexts)
{
    ovro::CCommissioning description;
    ASSERT_TRUE(description.LoadDescription(OVRO_DESCRIPTION_FILE));
    const std::map<std::int32_t, std::string> list = description.ErrorList();
    for (const ErrorRow& row : kErrorTexts) {
        SCOPED_TRACE(row.code);
        EXPECT_EQ(list.count(row.code), 1u);
        EXPECT_EQ(description.GetErrorText(row.code), row.text);
    }
}

}  // namespace
