// Saving a commissioning document while the disk refuses one of the calls
// of the safe replace: the document shows its message, stays unsaved, and
// the file saved before is kept byte for byte.
#include "DocTestSupport.h"

#include <cerrno>
#include <fstream>
#include <sstream>

#include "FailingWrites.h"
#include "description/QVTDevice.h"
#include "document/CommissioningFile.h"
#include "document/ParameterValue.h"
#include "ui/MessageTexts.h"
#include "FileText.h"

using namespace doctest;
using ovro::test::FailingWrites;
using ovro::test::WriteCall;

using ovro::test::ReadFile;

namespace {

struct SaveFailure {
    const char* name;
    WriteCall call;
    int error;
};

const SaveFailure kSaveFailures[] = {
    {"Open", WriteCall::Open, EACCES},
    {"Write", WriteCall::Write, ENOSPC},
    {"Fsync", WriteCall::Fsync, EIO},
    {"Close", WriteCall::Close, EIO},
    {"Rename", WriteCall::Rename, EACCES},
};

class DocSaveFailureTest : public SimBusTest, public ::testing::WithParamInterface<SaveFailure> {};

TEST_P(DocSaveFailureTest, ShowsFileNotWrittenAndKeepsTheSavedFile)
{
    // A document saved once, opened offline and edited.
    ovro::CQVTDevice* device = commissioning_.SelectDevice(2);
    ASSERT_NE(device, nullptr);
    const std::string path = bus_.path("drive.31x");
    ASSERT_TRUE(ovro::CCommissioningFile::Write(commissioning_, path, true));
    commissioning_.ResetDevice();
    const std::string saved = ReadFile(path);

    ovro::CQVTDoc& doc = MakeDocument();
    chooser_.Push(ovro::ConnectDeviceChoice::Offline);
    ASSERT_TRUE(doc.OnOpenDocument(path));
    ovro::CQVTParameter* speed = doc.Device()->FindParameter(0x6410, 2);
    ASSERT_NE(speed, nullptr);
    ASSERT_TRUE(ovro::CParameterValue::SetValueText(*speed, "1234"));
    doc.SetModified(true);
    ui_.messages.clear();

    {
        FailingWrites fail(GetParam().call, 1, GetParam().error);
        EXPECT_FALSE(doc.OnSaveDocument(path));
        EXPECT_TRUE(fail.failed());
    }
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, FormatMessage(63520, path.c_str()));
    EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(ReadFile(path), saved);

    // Saved again once the disk works, the file holds the edit.
    EXPECT_TRUE(doc.OnSaveDocument(path));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_NE(ReadFile(path).find("=1234\r\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Calls, DocSaveFailureTest, ::testing::ValuesIn(kSaveFailures),
                         [](const ::testing::TestParamInfo<SaveFailure>& info) { return info.param.name; });

}  // namespace
