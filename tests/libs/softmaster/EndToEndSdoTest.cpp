// End-to-end SDO transfers through both masters (see EndToEndTest.cpp):
// every size, server aborts, misbehaving servers and every error 4.
#include "EndToEnd.h"

namespace e2e {

TEST_P(EndToEnd, UploadsExpeditedSegmentedAndIntoSmallBuffers)
{
    peer->setObject(0x2000, 1, {0x42});
    peer->setObject(0x2000, 2, {1, 2, 3, 4});
    peer->setObject(0x1008, 0, {'O', 'v', 'r', 'o', ' ', 'K', '3', '1', '5', '!'});
    EXPECT_EQ(read(0x2000, 1), std::vector<uint8_t>{0x42});
    EXPECT_EQ(read(0x2000, 2), (std::vector<uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(read(0x2000, 2, 2), (std::vector<uint8_t>{1, 2}));
    EXPECT_EQ(lastLength, code(2, 4)) << "the board reports what the node sent";
    auto text = read(0x1008, 0);
    EXPECT_EQ(std::string(text.begin(), text.end()), "Ovro K315!");
    EXPECT_EQ(read(0x1008, 0, 4), (std::vector<uint8_t>{'O', 'v', 'r', 'o'}));
    // The small read ran to its end: the next one works.
    EXPECT_EQ(read(0x2000, 1), std::vector<uint8_t>{0x42});

    std::vector<uint8_t> big(1000);
    std::iota(big.begin(), big.end(), 0);
    peer->setObject(0x2F50, 1, big);
    EXPECT_EQ(read(0x2F50, 1), std::vector<uint8_t>(big.begin(), big.begin() + 256));
    EXPECT_EQ(lastLength, code(256, 1000));

    peer->setSegmentedUploads(true);
    std::vector<uint8_t> buf(16, 0xEE);
    int16_t len = 0;
    ASSERT_TRUE(cop->ReadSDO(kNode, 0x2000, 2, &len, buf.data(), 16));
    EXPECT_EQ(len, 4);
    if (!board()) {
        EXPECT_EQ(buf[4], 0) << "a segmented upload is terminated inside the buffer";
    } else {
        EXPECT_EQ(buf[4], 0xEE) << "the board copies the data, nothing more";
    }

    EXPECT_TRUE(cop->SearchNode(kNode));
    EXPECT_FALSE(cop->SearchNode(kNode + 2));
    EXPECT_EQ(cop->GetLastError(), code(COP_ERR_TIMEOUT, COP_ERR_TIMEOUT_CAN));
}

TEST_P(EndToEnd, DownloadsOfEverySize)
{
    for (int size : {1, 2, 3, 4, 5, 6, 7, 8, 13, 14, 15, 100, 1000, 32767}) {
        SCOPED_TRACE(size);
        std::vector<uint8_t> data(static_cast<size_t>(size));
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = uint8_t(i * 7 + size);
        peer->setObject(0x2F50, 2, {});
        ASSERT_TRUE(cop->WriteSDO(kNode, 0x2F50, 2, int16_t(size), data.data())) << cop->GetLastError();
        EXPECT_EQ(cop->GetLastError(), 0);
        EXPECT_EQ(peer->object(0x2F50, 2), data);
    }
    auto initiates = peer->receivedWithId(0x600 + kNode);
    ASSERT_FALSE(initiates.empty());
    EXPECT_EQ(initiates[0].data[0], 0x2F) << "1 byte expedited";
}

TEST_P(EndToEnd, ServerAbortsAreError4WithTheirCode)
{
    int16_t len = 0;
    uint8_t buf[8];
    EXPECT_FALSE(cop->ReadSDO(kNode, 0x3000, 0, &len, buf, 8));
    EXPECT_EQ(cop->GetLastError(), COP_ERR_ABORTED);
    EXPECT_EQ(cop->GetLastAbort(), 0x06020000u);
    const uint8_t data[20] = {1, 2, 3};
    EXPECT_FALSE(cop->WriteSDO(kNode, 0x1000, 0, 4, data));
    EXPECT_EQ(cop->GetLastError(), COP_ERR_ABORTED);
    EXPECT_EQ(cop->GetLastAbort(), 0x06010002u);

    peer->setObject(0x2F50, 1, std::vector<uint8_t>(30, 1));
    for (uint32_t code : {0u, 0x80000000u, 0xFFFFFFFFu, 0x08000022u}) {
        SCOPED_TRACE(code);
        peer->injectSdoFault({ScriptedPeer::Fault::Abort, 0, code});
        EXPECT_FALSE(cop->ReadSDO(kNode, 0x2F50, 1, &len, buf, 8));
        EXPECT_EQ(cop->GetLastError(), COP_ERR_ABORTED);
        EXPECT_EQ(cop->GetLastAbort(), code);
        peer->injectSdoFault({ScriptedPeer::Fault::Abort, 2, code});
        EXPECT_FALSE(cop->ReadSDO(kNode, 0x2F50, 1, &len, buf, 8));
        EXPECT_EQ(cop->GetLastError(), COP_ERR_ABORTED);
        EXPECT_EQ(cop->GetLastAbort(), code);
        peer->injectSdoFault({ScriptedPeer::Fault::Abort, 1, code});
        EXPECT_FALSE(cop->WriteSDO(kNode, 0x2F50, 1, 20, data));
        EXPECT_EQ(cop->GetLastError(), COP_ERR_ABORTED);
        EXPECT_EQ(cop->GetLastAbort(), code);
    }
    EXPECT_EQ(peer->clientAborts(), 0u) << "a server abort is not answered";
}

TEST_P(EndToEnd, MisbehavingServersEndWithTheClientAbort)
{
    using F = ScriptedPeer::Fault;
    struct Case {
        F fault;
        unsigned step;
        bool upload;
        int32_t error;
        uint32_t clientAbort;
    };
    const Case cases[] = {
        {F::NoAnswer, 0, true, code(COP_ERR_TIMEOUT, COP_ERR_TIMEOUT_CAN), 0x05040000},
        {F::NoAnswer, 2, true, code(COP_ERR_TIMEOUT, COP_ERR_TIMEOUT_CAN), 0x05040000},
        {F::NoAnswer, 1, false, code(COP_ERR_TIMEOUT, COP_ERR_TIMEOUT_CAN), 0x05040000},
        {F::WrongToggle, 1, true, code(COP_ERR_FORMAT, COP_ERR_CAL), 0x05030000},
        {F::WrongToggle, 2, false, code(COP_ERR_FORMAT, COP_ERR_CAL), 0x05030000},
        {F::WrongCommand, 0, true, code(COP_ERR_FORMAT, COP_ERR_CAL), 0x05040001},
        {F::WrongCommand, 1, true, code(COP_ERR_FORMAT, COP_ERR_CAL), 0x05040001},
        {F::WrongCommand, 0, false, code(COP_ERR_FORMAT, COP_ERR_CAL), 0x05040001},
        {F::WrongLength, 0, true, code(COP_ERR_LENGTH, COP_ERR_CAL), 0x08000000},
        {F::WrongLength, 3, false, code(COP_ERR_LENGTH, COP_ERR_CAL), 0x08000000},
    };
    std::vector<uint8_t> object(30);
    std::iota(object.begin(), object.end(), 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << int(c.fault) << " step " << c.step << (c.upload ? " upload" : " download"));
        peer->setObject(0x2F50, 1, object);
        presetAbort();
        peer->clearReceived();
        peer->injectSdoFault({c.fault, c.step, 0, 5});
        int16_t len = 99;
        uint8_t buf[64];
        bool ok = c.upload ? cop->ReadSDO(kNode, 0x2F50, 1, &len, buf, 64)
                           : cop->WriteSDO(kNode, 0x2F50, 1, 30, object.data());
        EXPECT_FALSE(ok);
        EXPECT_EQ(cop->GetLastError(), c.error);
        // The generic library fetches the abort code only with error 4.
        EXPECT_EQ(cop->GetLastAbort(), 0x0BADC0DEu);
        if (!board()) {
            EXPECT_EQ(cop->smGetLastAbort(), 0u);
        }
        if (c.upload) {
            EXPECT_EQ(len, code(0, 99)) << "the board path leaves the length of a failed upload";
        }
        EXPECT_TRUE(peer->waitForFrame([](const canbus_frame& f) { return f.id == 0x600 + kNode && f.data[0] == 0x80; }, kArrival));
        EXPECT_TRUE(hasClientAbort(*peer, c.clientAbort));
        peer->clearSdoFaults();
    }
    // The server is free again afterwards.
    EXPECT_EQ(read(0x2F50, 1), object);
}

TEST_P(EndToEnd, EveryError4CarriesItsCodeThroughTheStack)
{
    presetAbort();
    peer->injectSdoFault({ScriptedPeer::Fault::Abort, 0, 0x80000001});
    EXPECT_FALSE(cop->SearchNode(kNode));
    EXPECT_EQ(cop->GetLastError(), COP_ERR_ABORTED);
    EXPECT_EQ(cop->GetLastAbort(), code(0x80000001, 0x0BADC0DE));

    peer->setLmtAddress("Kelvane", "OvroK31", "20061234567890");
    ScriptedPeer::LmtScript refuse;
    refuse.errorCode = 2;
    peer->setLmtScript(0x11, refuse);
    EXPECT_FALSE(cop->ConfigureNode("Kelvane", "OvroK31", "20061234567890", 9, COP_BAUD_125));
    EXPECT_EQ(cop->GetLastError(), COP_ERR_ABORTED);
    EXPECT_EQ(cop->GetLastAbort(), code(2, 0x0BADC0DE));
}


}  // namespace e2e
