#include "download/Download.h"

#include "download/DownloadMessages.h"
#include "ui/MessageIds.h"
#include "download/HexFile.h"
#include "download/TextLine.h"
#include "canopen/CANopenNode.h"
#include "canopen/CANopenTypes.h"
#include "ui/MessageTexts.h"

#include <cstring>

namespace {
constexpr std::uint16_t kDownloadObject = CANopen::Object::FirmwareDownload;
}  // namespace

CDownload::CDownload(IUserInterface& ui, IDownloadView& view, Clock clock)
    : ui_(ui),
      view_(view),
      clock_(clock ? std::move(clock) : Clock([] { return std::time(nullptr); })),
      packer_([this](PageBlock& block) {
          // Every page sent is followed by a progress update and a look at Cancel.
          if (SendPage(block) == 0)
              return false;
          UpdateProgress();
          if (CancelConfirmed()) {
              cancelled_ = true;
              return false;
          }
          return true;
      })
{
}

CDownload::~CDownload() = default;

std::string CDownload::FileName(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

CDownload::ProgressTexts CDownload::ProgressOf(std::uint64_t loaded, std::uint64_t total, long seconds,
                                               const std::string& appName)
{
    ProgressTexts texts;
    // A download of less than a second counts as one.
    const long t = seconds > 0 ? seconds : 1;
    texts.kbPerSecond = static_cast<float>(loaded) / static_cast<float>(t) / 1024.0f;
    const double percentage = total > 0 ? static_cast<double>(loaded) * 100.0 / static_cast<double>(total) : 100.0;
    texts.caption = FormatMessage(kMsgProgressCaption, percentage, appName.c_str());
    texts.time = FormatMessage(kMsgProgressTime, seconds / 60, seconds % 60, static_cast<long>(loaded),
                               static_cast<long>(total));
    texts.rate = FormatMessage(kMsgProgressRate, static_cast<double>(texts.kbPerSecond));
    return texts;
}

bool CDownload::Refuse(MessageSeverity severity, const std::string& text)
{
    ui_.ShowMessage(severity, MessageIcon::Stop, text);
    return false;
}

bool CDownload::Download(const std::string& loaderPath, const std::string& appPath, long pageSize,
                         CCANopenNode* node)
{
    // ---- checks before anything is sent
    if (node == nullptr)
        return Refuse(MessageSeverity::FatalError, MessageText(kMsgNoNode));
    if (pageSize != kPageSize)
        return Refuse(MessageSeverity::FatalError, MessageText(kMsgBadPageSize));
    node_ = node;
    loaderBytes_ = ScanFile(loaderPath, &logPath_);
    if (loaderBytes_ < 0)
        return Refuse(MessageSeverity::Error, FormatMessage(ScanErrorMessage(loaderBytes_, true), loaderPath.c_str()));
    appBytes_ = ScanFile(appPath, &logPath_);
    if (appBytes_ < 0)
        return Refuse(MessageSeverity::Error, FormatMessage(ScanErrorMessage(appBytes_, false), appPath.c_str()));
    if (loaderBytes_ == appBytes_ && loaderPath == appPath)
        return Refuse(MessageSeverity::Error, FormatMessage(kMsgLoaderIntoFlash, appPath.c_str()));
    total_ = static_cast<std::uint64_t>(loaderBytes_) + static_cast<std::uint64_t>(appBytes_);
    const int nodeId = node->NodeId();

    // ---- the progress box and the log
    appName_ = FileName(appPath);
    box_ = view_.OpenProgressBox();
    box_->StartAnimation();
    box_->SetRange(static_cast<std::int32_t>(total_));
    box_->SetPosition(0);
    box_->SetCaption(FormatMessage(kMsgProgressCaption, 0.0, appName_.c_str()));
    box_->SetStep(MessageText(kMsgStepInitialize));
    box_->SetFile(std::string());
    box_->SetNode(FormatMessage(kMsgProgressNode, nodeId));
    box_->SetTime(FormatMessage(kMsgProgressTime, 0L, 0L, 0L, static_cast<long>(total_)));
    box_->SetRate(FormatMessage(kMsgProgressRate, 0.0));
    box_->ProcessMessages();
    std::string reason;
    if (!log_.Create(logPath_, reason)) {
        box_.reset();
        return Refuse(MessageSeverity::Error, FormatMessage(kMsgCantCreateLog, logPath_.c_str(), reason.c_str()));
    }
    log_.WriteHeader(clock_(), loaderPath, appPath, pageSize, static_cast<unsigned>(nodeId));
    start_ = clock_();

    // ---- 1. the resident First-Level-Loader
    SetStep(kMsgStepStartFirstLevel, std::string());
    log_.Write("1. Start First-Level-Loader...");
    if (!SendCommand(kStartFirstLevelLoader))
        return StepFailed(kMsgCantStartFirstLevel);
    log_.Write("OK!\n");

    // ---- 2. the Second-Level-Loader into RAM
    SetStep(kMsgStepLoadSecondLevel, loaderPath);
    log_.Write("2. Load Second-Level-Loader into RAM:\n");
    if (LoadFile(loaderPath, true, loaderBytes_) != Outcome::Done)
        return false;

    // ---- 3. start it
    SetStep(kMsgStepStartSecondLevel, std::string());
    log_.Write("3. Start Second-Level-Loader...");
    const std::uint8_t start[kStartSecondLevelLength] = {};
    if (!node_->WriteSDO(kDownloadObject, kPageSubIndex, start, kStartSecondLevelLength))
        return StepFailed(kMsgCantStartSecondLevel);
    log_.Write("OK!\n");

    // ---- 4. the application into FLASH
    SetStep(kMsgStepLoadApplication, appPath);
    log_.Write("4. Load Intel-Hex-File into FLASH:\n");
    record_.line = 0;
    if (LoadFile(appPath, false, appBytes_) != Outcome::Done)
        return false;

    // ---- 5. start the application
    SetStep(kMsgStepStartApplication, std::string());
    log_.Write("5. Start Application/Reset Microcontroller...");
    if (!SendCommand(kStartApplication))
        return StepFailed(kMsgCantStartApplication);
    log_.Write("OK!\n");
    box_->SetStep(MessageText(kMsgStepApplicationRunning));
    box_->SetFile(appPath);
    box_->SetPosition(static_cast<std::int32_t>(total_));
    box_->StopAnimation();
    box_->ProcessMessages();

    if (!box_->AutoClose()) {
        ui_.ShowMessage(MessageSeverity::Success, MessageIcon::Information,
                        FormatMessage(kMsgDownloadSucceeded, loaderBytes_, loaderPath.c_str(), appBytes_,
                                      appPath.c_str(), seconds_ / 60, seconds_ % 60, static_cast<double>(rate_)));
    }
    Close();
    return true;
}

bool CDownload::SendCommand(std::uint32_t command)
{
    return node_->WriteU32(kDownloadObject, kCommandSubIndex, command);
}

void CDownload::SetStep(unsigned stepMessage, const std::string& file)
{
    box_->SetStep(MessageText(stepMessage));
    box_->SetFile(file);
    box_->ProcessMessages();
}

CDownload::Outcome CDownload::LoadFile(const std::string& path, bool loaderFile, long count)
{
    FilePtr file = OpenForReading(path);
    if (!file) {
        Failed(FormatMessage(loaderFile ? kMsgLoaderReadDenied : kMsgHexReadDenied, path.c_str()));
        return Outcome::Failed;
    }
    const unsigned sendFailure = loaderFile ? kMsgCantLoadSecondLevel : kMsgCantLoadApplication;
    // A packing result: the drive refused a page, the user cancelled, or a
    // record goes back behind bytes already packed.
    const auto settle = [&](CPagePacker::Status status) {
        if (status == CPagePacker::Status::Ok)
            return Outcome::Done;
        if (cancelled_) {
            Cancelled();
            return Outcome::Cancelled;
        }
        if (status == CPagePacker::Status::SendFailed)
            Failed(FormatMessage(sendFailure, static_cast<int>(node_->NodeId()), node_->ErrorText().c_str()));
        else
            Failed(FormatMessage(kMsgHexRecordBad, path.c_str(), static_cast<long>(record_.line)));
        return Outcome::Failed;
    };

    packer_.BeginFile();
    for (;;) {
        const int n = ReadHexRecord(file.get(), record_);
        if (n < 0) {
            Failed(FormatMessage(RecordErrorMessage(n), path.c_str(), static_cast<long>(record_.line)));
            return Outcome::Failed;
        }
        if (n == 0)
            break;
        const Outcome added = settle(packer_.Add(record_));
        if (added != Outcome::Done)
            return added;
    }
    const Outcome finished = settle(packer_.Finish());
    if (finished != Outcome::Done)
        return finished;
    UpdateProgress();
    if (CancelConfirmed()) {
        Cancelled();
        return Outcome::Cancelled;
    }
    file.reset();
    log_.Write(StringPrintf("   File=%s, %li byte(s) loaded\n", path.c_str(), count));
    return Outcome::Done;
}

long CDownload::SendPage(PageBlock& block)
{
    const std::uint16_t checksum = block.Seal();
    log_.WritePage(block, checksum);
    // One repeat: the drive takes the same page again.
    if (!node_->WriteSDO(kDownloadObject, kPageSubIndex, block.Wire(), PageBlock::kWireLength) &&
        !node_->WriteSDO(kDownloadObject, kPageSubIndex, block.Wire(), PageBlock::kWireLength))
        return 0;
    return static_cast<long>(block.FillPosition());
}

void CDownload::UpdateProgress()
{
    seconds_ = static_cast<long>(clock_() - start_);
    const ProgressTexts texts = ProgressOf(packer_.BytesLoaded(), total_, seconds_, appName_);
    rate_ = texts.kbPerSecond;
    box_->SetCaption(texts.caption);
    box_->SetPosition(static_cast<std::int32_t>(packer_.BytesLoaded()));
    box_->SetTime(texts.time);
    box_->SetRate(texts.rate);
    box_->ProcessMessages();
}

bool CDownload::CancelConfirmed()
{
    if (!box_->TakeCancel())
        return false;
    return ui_.AskYesNo(MessageIcon::Question, MessageText(kMsgAskCancelDownload), false);
}

bool CDownload::StepFailed(unsigned message)
{
    const std::string text = FormatMessage(message, static_cast<int>(node_->NodeId()), node_->ErrorText().c_str());
    log_.Write("failed!\n");
    return Failed(text);
}

bool CDownload::Failed(const std::string& text)
{
    log_.Write(StringPrintf("+++ %s\n", text.c_str()));
    box_.reset();
    ui_.ShowMessage(MessageSeverity::Error, MessageIcon::Exclamation, text);
    Close();
    return false;
}

bool CDownload::Cancelled()
{
    box_.reset();
    log_.Write("+++ Download cancelled by user!!!\n");
    Close();
    return false;
}

void CDownload::Close()
{
    box_.reset();
    log_.Close();
}
