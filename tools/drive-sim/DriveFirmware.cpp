#include "DriveFirmware.h"

#include "DriveObjects.h"
#include "NumberArgument.h"
#include "ObjectIndex.h"

#include <cstdio>

DriveFirmware::DriveFirmware(DriveContext& context, std::function<void()> stopApplication)
    : m_ctx(context), m_stopApplication(std::move(stopApplication)), m_loader(context.flashFile())
{
}

bool DriveFirmware::servedByLoader(uint16_t index)
{
    using namespace ObjectIndex;
    return index == DeviceType || index == DeviceName || index == HardwareVersion || index == SoftwareVersion ||
           index == Identity || index == ModelProbe || index == DriveObjects::FirmwareDownload;
}

bool DriveFirmware::prepare(std::string& error)
{
    // The factory application reports the version of the description.
    const std::string factory = m_ctx.dictionary().getString(ObjectIndex::SoftwareVersion, 0);
    if (!m_loader.loadFlash(factory, error)) {
        error = "FLASH file unusable: " + error;
        return false;
    }
    return true;
}

void DriveFirmware::boot()
{
    m_loader.boot();
    publish();
}

void DriveFirmware::publish()
{
    // The version text is the running firmware's own: a reset keeps it.
    if (ObjectEntry* e = m_ctx.dictionary().find(ObjectIndex::SoftwareVersion, 0)) {
        const std::string& v = m_loader.runningVersion();
        e->factoryValue.assign(v.begin(), v.end());
        e->value = e->factoryValue;
    }
    const bool loader = m_loader.stage() != FirmwareLoader::Stage::Application;
    m_ctx.setLoaderRunning(loader, loader ? std::function<bool(uint16_t)>(servedByLoader)
                                          : std::function<bool(uint16_t)>());
}

uint32_t DriveFirmware::command(uint32_t value)
{
    if (m_ctx.takeInjectedFailure(InjectedFailure::RefuseFirmware))
        m_loader.refuseNext();
    if (value == FirmwareLoader::kStartLoader) {
        if (m_refuseStart) {
            m_refuseStart = false;
            return SdoAbortCode::CannotStore;
        }
        if (m_ctx.nmtState() == NmtState::Operational && m_loader.stage() == FirmwareLoader::Stage::Application)
            return SdoAbortCode::CannotStoreState;  // not while the application runs its PDOs
    }
    const FirmwareLoader::Stage before = m_loader.stage();
    FirmwareLoader::Action action = FirmwareLoader::Action::None;
    const uint32_t abort = m_loader.command(value, action);
    if (action == FirmwareLoader::Action::StopApplication && m_stopApplication)
        m_stopApplication();
    if (action == FirmwareLoader::Action::Restart)
        m_ctx.requestResetNode();  // after the answer: the boot-up follows
    else if (m_loader.stage() != before)
        publish();
    return abort;
}

uint32_t DriveFirmware::block(const std::vector<uint8_t>& data)
{
    if (m_ctx.takeInjectedFailure(InjectedFailure::RefuseFirmware))
        m_loader.refuseNext();
    if (data.size() != FirmwareLoader::kHeaderSize) {
        ++m_pageWrites;
        if (m_silentAt != 0 && m_pageWrites == m_silentAt) {
            m_silentAt = 0;
            m_ctx.fallSilent();
        }
        if (m_refuseFrom != 0 && m_pageWrites >= m_refuseFrom && m_pageWrites < m_refuseFrom + m_refuseCount) {
            ++m_pagesRefused;
            return SdoAbortCode::CannotStore;
        }
    }
    const FirmwareLoader::Stage before = m_loader.stage();
    const uint32_t abort = m_loader.block(data.data(), data.size());
    if (m_loader.stage() != before)
        publish();
    return abort;
}

bool DriveFirmware::onControl(const std::vector<std::string>& words, std::string& reply)
{
    if (words.empty() || words[0] != "loader")
        return false;
    uint64_t n = 0, k = 1;
    const size_t argc = words.size() - 1;
    if (argc == 1 && words[1] == "refuse-start") {
        m_refuseStart = true;
    } else if (argc >= 2 && argc <= 3 && words[1] == "refuse-page" && NumberArgument::parse(words[2], 1000000, n) &&
               n >= 1 && (argc == 2 || (NumberArgument::parse(words[3], 1000, k) && k >= 1))) {
        m_refuseFrom = m_pageWrites + n;
        m_refuseCount = k;
    } else if (argc == 2 && words[1] == "silent-at" && NumberArgument::parse(words[2], 1000000, n) && n >= 1) {
        m_silentAt = m_pageWrites + n;
    } else {
        reply = "error usage: loader refuse-start | refuse-page N [TIMES] | silent-at N";
        return true;
    }
    reply = "ok";
    return true;
}

void DriveFirmware::describeState(std::string& out) const
{
    char line[256];
    std::snprintf(line, sizeof line, "firmware.stage=%d\nfirmware.pages=%u\nfirmware.version=%s\nfirmware.application=%d\n",
                  int(m_loader.stage()), unsigned(m_loader.flashedPages()), m_loader.runningVersion().c_str(),
                  m_loader.applicationValid() ? 1 : 0);
    out += line;
    std::snprintf(line, sizeof line, "firmware.page-writes=%llu\nfirmware.pages-refused=%llu\n",
                  static_cast<unsigned long long>(m_pageWrites), static_cast<unsigned long long>(m_pagesRefused));
    out += line;
}
