#include "document/ParameterMemory.h"

#include <cstdint>

#include "canopen/CANopenDrive.h"
#include "canopen/CANopenMaster.h"
#include "canopen/CANopenNode.h"
#include "description/QVTDevice.h"
#include "document/DocMessage.h"
#include "document/DocumentEnvironment.h"
#include "document/DocumentWindows.h"
#include "document/QVTDoc.h"
#include "ui/MessageIds.h"
#include "ui/MessageTexts.h"

namespace ovro {

namespace {
constexpr std::uint16_t kStoreRestoreTimeout = 2500;  // ms, the drive writes its EEPROM
constexpr std::chrono::milliseconds kResetWait(2000);  // the drive boots after an NMT reset
constexpr std::uint32_t kSaveSignature = 0x65766173;   // "save"
constexpr std::uint32_t kLoadSignature = 0x64616F6C;   // "load"
constexpr std::uint8_t kStoreSubIndex = 3;             // all parameters
constexpr std::uint8_t kRestoreSubIndex = 1;           // all parameters

// The master's SDO timeout for the life of the object.
class SdoTimeout {
public:
    SdoTimeout(CCANopenMaster& master, std::uint16_t timeout) : master_(master), old_(master.SetSDOTimeout(timeout)) {}
    ~SdoTimeout() { master_.SetSDOTimeout(old_); }
    SdoTimeout(const SdoTimeout&) = delete;
    SdoTimeout& operator=(const SdoTimeout&) = delete;

private:
    CCANopenMaster& master_;
    std::uint16_t old_;
};
}  // namespace

void CParameterMemory::ShowFailure(unsigned message)
{
    CDocMessage::Show(*env_.ui, MessageIcon::Exclamation,
                      FormatMessage(message, static_cast<int>(doc_.NodeId()), doc_.NodeErrorText().c_str()));
}

bool CParameterMemory::MayRun(unsigned question, unsigned failed, unsigned incompatible)
{
    if (!doc_.IsNodeConnected(true) || !doc_.IsDescriptionAttached(true))
        return false;
    if (!env_.ui->AskYesNo(MessageIcon::Question, MessageText(question), true))
        return false;
    if (doc_.CheckModel(doc_.Device()->model, false))
        return true;
    if (doc_.Node()->LastError() != 0)
        ShowFailure(failed);
    else
        CDocMessage::Show(*env_.ui, MessageIcon::Exclamation,
                          FormatMessage(incompatible, static_cast<int>(doc_.NodeId())));
    return false;
}

void CParameterMemory::ClearIdentity()
{
    CQVTDevice& device = *doc_.Device();
    device.name = device.typeName;
    device.text.clear();
    device.date.clear();
}

bool CParameterMemory::UploadAndTell(unsigned prompt)
{
    if (!doc_.Upload())
        return false;
    const CQVTDoc::UploadCount& count = doc_.LastUpload();
    doc_.ShowPrompt(FormatMessage(prompt, static_cast<int>(doc_.NodeId()), count.read, count.total));
    return true;
}

bool CParameterMemory::StoreEeprom()
{
    bool stored = false;
    {
        const SdoTimeout timeout(*env_.master, kStoreRestoreTimeout);
        stored = doc_.Node()->WriteU32(CANopen::Object::StoreParameters, kStoreSubIndex, kSaveSignature);
    }
    if (!stored) {
        ShowFailure(kMsgCantStore);
        return false;
    }
    return UploadAndTell(kMsgPromptStored);
}

bool CParameterMemory::Store()
{
    if (!MayRun(kMsgAskStore, kMsgCantStore, kMsgCantStoreIncompatible))
        return false;
    return StoreEeprom();
}

bool CParameterMemory::Reset()
{
    if (!MayRun(kMsgAskReset, kMsgCantReset, kMsgCantResetIncompatible))
        return false;
    if (env_.windows != nullptr)
        env_.windows->CloseOscilloscope();
    if (!doc_.Node()->ResetNode()) {
        ShowFailure(kMsgCantReset);
        return false;
    }
    env_.Pause(kResetWait);
    ClearIdentity();
    return UploadAndTell(kMsgPromptReset);
}

bool CParameterMemory::Restore()
{
    if (!MayRun(kMsgAskRestore, kMsgCantRestore, kMsgCantRestoreIncompatible))
        return false;
    if (env_.windows != nullptr)
        env_.windows->CloseOscilloscope();
    CCANopenNode& node = *doc_.Node();
    node.EnterPreOperational();
    bool done = false;
    {
        // The longer timeout holds until the drive has booted again; it is
        // back before any message, whose box lets the status poll run.
        const SdoTimeout timeout(*env_.master, kStoreRestoreTimeout);
        done = node.WriteU8(CANopen::Object::ModesOfOperation, 0,
                            static_cast<std::uint8_t>(ModeOfOperation::Configuration)) &&
               node.WriteU32(CANopen::Object::RestoreParameters, kRestoreSubIndex, kLoadSignature) &&
               node.ResetNode();
        if (done)
            env_.Pause(kResetWait);
    }
    if (!done) {
        ShowFailure(kMsgCantRestore);
        return false;
    }
    ClearIdentity();
    return UploadAndTell(kMsgPromptRestored);
}

}  // namespace ovro
