// The SDO client's state machine on its own: answers and time-outs go in,
// requests and results come out, without a bus or a clock.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#define COP_NO_PROTOTYPES
#include <cop/cop.h>

#include "sdo_client.h"
#include "sm_service.h"

namespace {

using Bytes = std::vector<uint8_t>;

// One exchange: the request the client must send, then what comes back
// (nullopt: the deadline passes).
struct Exchange {
    Bytes request;
    std::optional<Bytes> answer;
    int16_t answerLength = 8;
};

struct TransferRow {
    const char* name;
    enum Kind { Upload, DownloadExpedited, DownloadSegmented } kind;
    Bytes data;       // download source
    int32_t size;     // upload buffer size
    std::vector<Exchange> script;
    Bytes finalRequest; // a client abort sent at the end; empty: none
    int32_t result;
    uint32_t abortCode; // SM_ABORTED only
    Bytes uploaded;     // upload: the buffer's first bytes after the end
    int16_t length = -1; // upload: bytes reported, when not all of `uploaded`
};

Bytes frameOf(const uint8_t* p)
{
    return Bytes(p, p + 8);
}

class SdoTransferRows : public ::testing::TestWithParam<TransferRow> {};

TEST_P(SdoTransferRows, FollowsTheProtocol)
{
    const TransferRow& row = GetParam();
    SdoTransfer t;
    uint8_t buffer[64];
    std::memset(buffer, 0xAA, sizeof buffer);
    SdoStep step = SDO_STEP_END;
    switch (row.kind) {
    case TransferRow::Upload: step = sdo_begin_upload(&t, 0x2000, 0x01, buffer, row.size); break;
    case TransferRow::DownloadExpedited:
        step = sdo_begin_download_expedited(&t, 0x2000, 0x01, row.data.data(), int32_t(row.data.size()));
        break;
    case TransferRow::DownloadSegmented:
        step = sdo_begin_download_segmented(&t, 0x2000, 0x01, row.data.data(), int32_t(row.data.size()));
        break;
    }
    for (size_t i = 0; i < row.script.size(); ++i) {
        const Exchange& x = row.script[i];
        ASSERT_EQ(step, SDO_STEP_AWAIT) << "exchange " << i;
        EXPECT_EQ(frameOf(t.request), x.request) << "request " << i;
        if (x.answer) {
            Bytes answer = *x.answer;
            answer.resize(8);
            step = sdo_on_answer(&t, answer.data(), x.answerLength);
        } else {
            step = sdo_on_timeout(&t);
        }
    }
    if (row.finalRequest.empty()) {
        ASSERT_EQ(step, SDO_STEP_END);
    } else {
        ASSERT_EQ(step, SDO_STEP_FINISH);
        EXPECT_EQ(frameOf(t.request), row.finalRequest);
    }
    EXPECT_EQ(t.result, row.result);
    if (row.result == SM_ABORTED) {
        EXPECT_EQ(t.abortCode, row.abortCode);
    }
    if (row.kind == TransferRow::Upload && row.result == 0) {
        EXPECT_EQ(sdo_uploaded(&t), row.length < 0 ? int16_t(row.uploaded.size()) : row.length);
        EXPECT_EQ(Bytes(buffer, buffer + row.uploaded.size()), row.uploaded);
    }
}

const Bytes kInitUpload = {0x40, 0x00, 0x20, 0x01, 0, 0, 0, 0};

INSTANTIATE_TEST_SUITE_P(
    Rows, SdoTransferRows,
    ::testing::Values(
        TransferRow{"ExpeditedOneByte", TransferRow::Upload, {}, 8,
                    {{kInitUpload, Bytes{0x4F, 0x00, 0x20, 0x01, 0x11, 0x22, 0x33, 0x44}}},
                    {}, 0, 0, {0x11}},
        TransferRow{"ExpeditedSizeNotIndicated", TransferRow::Upload, {}, 8,
                    {{kInitUpload, Bytes{0x42, 0x00, 0x20, 0x01, 0x11, 0x22, 0x33, 0x44}}},
                    {}, 0, 0, {0x11, 0x22, 0x33, 0x44}},
        TransferRow{"SegmentedIntoASmallBufferRunsToTheEnd", TransferRow::Upload, {}, 4,
                    {{kInitUpload, Bytes{0x41, 0x00, 0x20, 0x01, 10, 0, 0, 0}},
                     {Bytes{0x60, 0, 0, 0, 0, 0, 0, 0}, Bytes{0x00, 1, 2, 3, 4, 5, 6, 7}},
                     {Bytes{0x70, 0, 0, 0, 0, 0, 0, 0}, Bytes{0x19, 8, 9, 10}}},
                    {}, 0, 0, {1, 2, 3, 4}},
        TransferRow{"SegmentedShortGetsATerminator", TransferRow::Upload, {}, 10,
                    {{kInitUpload, Bytes{0x41, 0x00, 0x20, 0x01, 3, 0, 0, 0}},
                     {Bytes{0x60, 0, 0, 0, 0, 0, 0, 0}, Bytes{0x09, 'a', 'b', 'c'}}},
                    {}, 0, 0, {'a', 'b', 'c', 0}, 3},
        TransferRow{"WrongToggleAborts", TransferRow::Upload, {}, 8,
                    {{kInitUpload, Bytes{0x41, 0x00, 0x20, 0x01, 10, 0, 0, 0}},
                     {Bytes{0x60, 0, 0, 0, 0, 0, 0, 0}, Bytes{0x10, 1, 2, 3, 4, 5, 6, 7}}},
                    {0x80, 0x00, 0x20, 0x01, 0x00, 0x00, 0x03, 0x05}, COP_ERR_FORMAT, 0, {}},
        TransferRow{"WrongCommandAborts", TransferRow::Upload, {}, 8,
                    {{kInitUpload, Bytes{0x60, 0x00, 0x20, 0x01}}},
                    {0x80, 0x00, 0x20, 0x01, 0x01, 0x00, 0x04, 0x05}, COP_ERR_FORMAT, 0, {}},
        TransferRow{"ShortAnswerAborts", TransferRow::Upload, {}, 8,
                    {{kInitUpload, Bytes{0x4F, 0x00, 0x20, 0x01, 1}, 5}},
                    {0x80, 0x00, 0x20, 0x01, 0x00, 0x00, 0x00, 0x08}, COP_ERR_LENGTH, 0, {}},
        TransferRow{"SilenceAborts", TransferRow::Upload, {}, 8,
                    {{kInitUpload, std::nullopt}},
                    {0x80, 0x00, 0x20, 0x01, 0x00, 0x00, 0x04, 0x05}, COP_ERR_TIMEOUT, 0, {}},
        TransferRow{"ServerAbortEndsWithoutReply", TransferRow::Upload, {}, 8,
                    {{kInitUpload, Bytes{0x80, 0x00, 0x20, 0x01, 0x20, 0x00, 0x00, 0x08}}},
                    {}, SM_ABORTED, 0x08000020, {}},
        TransferRow{"ExpeditedDownloadOfFour", TransferRow::DownloadExpedited, {1, 2, 3, 4}, 0,
                    {{Bytes{0x23, 0x00, 0x20, 0x01, 1, 2, 3, 4}, Bytes{0x60, 0x00, 0x20, 0x01}}},
                    {}, 0, 0, {}},
        TransferRow{"ExpeditedDownloadOfOne", TransferRow::DownloadExpedited, {9}, 0,
                    {{Bytes{0x2F, 0x00, 0x20, 0x01, 9, 0, 0, 0}, Bytes{0x80, 0x00, 0x20, 0x01, 0x02, 0x00, 0x01, 0x06}}},
                    {}, SM_ABORTED, 0x06010002, {}},
        TransferRow{"SegmentedDownloadOfFive", TransferRow::DownloadSegmented, {1, 2, 3, 4, 5}, 0,
                    {{Bytes{0x21, 0x00, 0x20, 0x01, 5, 0, 0, 0}, Bytes{0x60, 0x00, 0x20, 0x01}},
                     {Bytes{0x05, 1, 2, 3, 4, 5, 0, 0}, Bytes{0x20}}},
                    {}, 0, 0, {}},
        TransferRow{"SegmentedDownloadOfFourteen", TransferRow::DownloadSegmented,
                    {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}, 0,
                    {{Bytes{0x21, 0x00, 0x20, 0x01, 14, 0, 0, 0}, Bytes{0x60, 0x00, 0x20, 0x01}},
                     {Bytes{0x00, 1, 2, 3, 4, 5, 6, 7}, Bytes{0x20}},
                     {Bytes{0x11, 8, 9, 10, 11, 12, 13, 14}, Bytes{0x30}}},
                    {}, 0, 0, {}},
        TransferRow{"DownloadSegmentWithOldToggleAborts", TransferRow::DownloadSegmented,
                    {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}, 0,
                    {{Bytes{0x21, 0x00, 0x20, 0x01, 14, 0, 0, 0}, Bytes{0x60, 0x00, 0x20, 0x01}},
                     {Bytes{0x00, 1, 2, 3, 4, 5, 6, 7}, Bytes{0x20}},
                     {Bytes{0x11, 8, 9, 10, 11, 12, 13, 14}, Bytes{0x20}}},
                    {0x80, 0x00, 0x20, 0x01, 0x00, 0x00, 0x03, 0x05}, COP_ERR_FORMAT, 0, {}},
        TransferRow{"InitiateDownloadAnsweredWrongly", TransferRow::DownloadSegmented, {1, 2, 3, 4, 5}, 0,
                    {{Bytes{0x21, 0x00, 0x20, 0x01, 5, 0, 0, 0}, Bytes{0x61, 0x00, 0x20, 0x01}}},
                    {0x80, 0x00, 0x20, 0x01, 0x01, 0x00, 0x04, 0x05}, COP_ERR_FORMAT, 0, {}}),
    [](const ::testing::TestParamInfo<TransferRow>& info) { return std::string(info.param.name); });

TEST(SdoTransfer, DriverErrorWhileWaitingAbortsWithTheDriversCode)
{
    SdoTransfer t;
    uint8_t buffer[4];
    ASSERT_EQ(sdo_begin_upload(&t, 0x1000, 0, buffer, sizeof buffer), SDO_STEP_AWAIT);
    ASSERT_EQ(sdo_on_error(&t, COP_ERR_PCAN_ILLHW), SDO_STEP_FINISH);
    EXPECT_EQ(frameOf(t.request), (Bytes{0x80, 0x00, 0x10, 0x00, 0x00, 0x00, 0x00, 0x08}));
    EXPECT_EQ(t.result, COP_ERR_PCAN_ILLHW);
}

}  // namespace
