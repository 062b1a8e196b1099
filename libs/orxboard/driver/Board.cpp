#include "Board.h"

#include "Firmware.h"
#include "FirmwareCheck.h"
#include "Journal.h"

#include <orxboard/orx_firmware.h>
#include <orxboard/orx_protocol.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/file.h>
#include <unistd.h>

namespace orx {

namespace {

// The one board of this driver library that runs in this process.
std::atomic<bool> g_running{false};

}  // namespace

Board::Board(const DriverConfig& config, const BoardModel& model, std::uint32_t entry, FaultSet faults)
    : m_config(config), m_model(model), m_entry(entry), m_faults(std::move(faults))
{
}

Board::~Board()
{
    close();
}

std::string Board::flashFile() const
{
    std::string folder = m_registry.folder();
    return folder.empty() ? "" : folder + "/Board" + std::to_string(m_entry) + ".flash";
}

KDI_RESULT Board::open()
{
    if (m_open)
        return KDI_ERR_STATE;
    if (m_faults.inUse)
        return KDI_ERR_IN_USE;
    if (m_faults.open)
        return KDI_ERR_FAULT;
    bool expected = false;
    if (!g_running.compare_exchange_strong(expected, true))
        return KDI_ERR_BUSY;
    std::string folder = m_registry.folder();
    if (!folder.empty()) {
        std::string lock = folder + "/Board" + std::to_string(m_entry) + ".lock";
        m_lockFd = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_lockFd >= 0 && ::flock(m_lockFd, LOCK_EX | LOCK_NB) != 0) {
            int error = errno;
            ::close(m_lockFd);
            m_lockFd = -1;
            g_running = false;
            return error == EWOULDBLOCK ? KDI_ERR_IN_USE : KDI_ERR_RESOURCE;
        }
    }
    m_open = true;
    return KDI_OK;
}

KDI_RESULT Board::download(const void* image, std::uint32_t size, std::uint32_t mode)
{
    if (!m_open || m_queues)
        return KDI_ERR_STATE;
    if (mode != KDI_DOWNLOAD_LOAD && mode != KDI_DOWNLOAD_VERIFY)
        return KDI_ERR_PARAMETER;
    if (m_faults.download)
        return KDI_ERR_FAULT;
    const auto* bytes = static_cast<const std::uint8_t*>(image);
    if (!FirmwareCheck::valid(bytes, size, m_model.imageKind, nullptr))
        return KDI_ERR_IMAGE;
    m_image.assign(bytes, bytes + size);
    if (mode == KDI_DOWNLOAD_VERIFY && std::memcmp(m_image.data(), bytes, size) != 0)
        return KDI_ERR_VERIFY;
    // The board keeps what it was given for the next time it is opened
    // without a download.
    std::string flash = flashFile();
    if (!flash.empty()) {
        std::string temp = flash + ".new";
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes), size);
        out.close();
        if (!out || std::rename(temp.c_str(), flash.c_str()) != 0)
            std::remove(temp.c_str());
    }
    return KDI_OK;
}

bool Board::bootImage(std::uint16_t* version)
{
    if (m_image.empty()) {
        std::string flash = flashFile();
        if (flash.empty())
            return false;
        std::ifstream in(flash, std::ios::binary);
        m_image.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return FirmwareCheck::valid(m_image.data(), m_image.size(), m_model.imageKind, version);
}

KDI_RESULT Board::configure(const KdiBoardParameter* p)
{
    if (!m_open || m_queues)
        return KDI_ERR_STATE;
    if (!p || (p->boardType & 0xFFFFFF00u) != m_model.type || p->txQueues == 0 || p->txQueues > ORX_TX_QUEUES ||
        p->rxQueues == 0 || p->rxQueues > ORX_RX_QUEUES || p->maxBlock > KDI_MAX_BLOCK)
        return KDI_ERR_PARAMETER;
    if (m_faults.configure)
        return KDI_ERR_FAULT;
    m_queues = std::make_shared<BoardQueues>(p->txQueues, p->rxQueues, p->queueDepth);
    std::uint16_t version = 0;
    if (!bootImage(&version)) {
        Journal::add("firmware.none");
        return KDI_OK;  // configured, but nothing runs: the host hears nothing
    }
    FirmwareSettings settings;
    settings.pcanType = m_config.pcanType;
    settings.channel = m_registry.text(m_entry, "CHANNEL").value_or("");
    settings.version = m_faults.version.value_or(version);
    settings.sdoTimeout = p->sdoTimeout ? p->sdoTimeout : 400;
    settings.timeInterval = p->timeInterval;
    settings.silent = m_faults.silent;
    settings.silentSdo = m_faults.silentSdo;
    auto firmware = std::make_unique<Firmware>(m_queues, std::move(settings));
    if (!firmware->start()) {
        m_queues.reset();
        return KDI_ERR_RESOURCE;
    }
    m_firmware = std::move(firmware);
    Journal::add("firmware.boot");
    return KDI_OK;
}

KDI_RESULT Board::info(KdiBoardInfo* info) const
{
    if (!info)
        return KDI_ERR_PARAMETER;
    std::memset(info, 0, sizeof *info);
    info->hardwareVersion = m_model.hardwareVersion;
    std::string serial = m_registry.text(m_entry, "SERIAL").value_or("");
    std::snprintf(info->serialNumber, sizeof info->serialNumber, "%s", serial.c_str());
    std::snprintf(info->boardName, sizeof info->boardName, "%s", m_model.name);
    return KDI_OK;
}

KDI_RESULT Board::close()
{
    if (!m_open)
        return KDI_ERR_STATE;
    if (m_firmware) {
        m_firmware.reset();
        Journal::add("firmware.stop");
    }
    if (m_queues)
        m_queues->stop();
    m_queues.reset();
    if (m_lockFd >= 0)
        ::close(m_lockFd);
    m_lockFd = -1;
    m_open = false;
    g_running = false;
    return KDI_OK;
}

}  // namespace orx
