#include "MasterEngine.h"

#include "RegistryAccess.h"

#include <pcan_ctrl.h>
#include <softmaster.h>

#include <pcanlight/pcan_light.h>

#include <dlfcn.h>

namespace orx {

namespace {

// The controller runs on the PCAN channel the board's hardware offers;
// the ISA type needs its port and interrupt, which the channel ignores.
CopHwParam kIsaPort = {0x300, 10};

}  // namespace

MasterEngine::MasterEngine(std::uint32_t pcanType, std::string channel)
    : m_pcanType(pcanType), m_channel(std::move(channel))
{
    m_driver = loadBeside(COP_PcanLibraryFile(pcanType), reinterpret_cast<const void*>(&boardResult));
    if (m_driver) {
        m_setChannel = dlsym(m_driver, "CAN_SetChannel");
        m_waitRead = dlsym(m_driver, "CAN_WaitRead");
    }
}

MasterEngine::~MasterEngine()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    terminate();
    if (m_driver) {
        if (m_setChannel)
            reinterpret_cast<PCAN_SetChannel_t>(m_setChannel)(nullptr);
        dlclose(m_driver);
    }
}

std::int8_t MasterEngine::boardResult(std::int32_t e)
{
    switch (e) {
    case COP_OK: return ORX_RESULT_OK;
    case COP_ERR_ABORTED: return ORX_RESULT_ABORTED;
    case COP_ERR_TIMEOUT: return ORX_RESULT_TIMEOUT;
    case COP_ERR_LENGTH:
    case COP_ERR_FORMAT: return ORX_RESULT_PROTOCOL;
    case COP_ERR_NODE_ID: return ORX_RESULT_NO_NODE;
    case COP_ERR_ILLEGAL_PARAM:
    case COP_ERR_NULL_POINTER:
    case COP_ERR_FATAL:
    case COP_ERR_BAUDRATE: return ORX_RESULT_PARAMETER;
    case COP_ERR_NOT_INIT:
    case COP_ERR_NOT_STARTED: return ORX_RESULT_NOT_STARTED;
    default: return ORX_RESULT_GENERAL;
    }
}

std::int8_t MasterEngine::transfer(int ok, std::uint32_t* abortCode)
{
    if (ok)
        return ORX_RESULT_OK;
    std::int32_t e = COP_GetLastError();
    if (e == COP_ERR_ABORTED && abortCode)
        *abortCode = COP_GetLastAbort();
    return boardResult(e);
}

std::int8_t MasterEngine::initInterface(std::uint8_t baud)
{
    if (!m_driver)
        return ORX_RESULT_GENERAL;
    if (m_setChannel &&
        reinterpret_cast<PCAN_SetChannel_t>(m_setChannel)(m_channel.empty() ? nullptr : m_channel.c_str()) !=
            PCAN_ERR_OK)
        return ORX_RESULT_GENERAL;
    m_started = false;
    m_running = false;
    CopHwParam* hw = m_pcanType == COP_BOARD_PCAN_ISA ? &kIsaPort : nullptr;
    std::int8_t r = transfer(COP_Initialize(m_pcanType, hw, baud), nullptr);
    m_started = r == ORX_RESULT_OK;
    m_running = m_started;
    return r;
}

void MasterEngine::terminate()
{
    if (m_started)
        COP_Terminate();
    m_started = false;
    m_running = false;
}

std::uint8_t MasterEngine::controllerStatus() const
{
    return m_started ? ctrl_status() : CTRL_ST_STOPPED;
}

std::int8_t MasterEngine::addNode(std::uint8_t node)
{
    std::int8_t r = transfer(COP_AddNode(node), nullptr);
    // A node that is already there is a request the master does not allow.
    return r == ORX_RESULT_NO_NODE ? ORX_RESULT_PARAMETER : r;
}

std::int8_t MasterEngine::deleteNode(std::uint8_t node)
{
    return transfer(COP_DeleteNode(node), nullptr);
}

std::int8_t MasterEngine::searchNode(std::uint8_t node, std::uint32_t* abortCode)
{
    return transfer(COP_SearchNode(node), abortCode);
}

std::int8_t MasterEngine::nmt(std::uint16_t command, std::uint8_t node)
{
    switch (command) {
    case ORX_CMD_START_NODE: return transfer(COP_StartRemoteNode(node), nullptr);
    case ORX_CMD_STOP_NODE: return transfer(COP_StopRemoteNode(node), nullptr);
    case ORX_CMD_PRE_OPERATIONAL: return transfer(COP_EnterPreOperationalState(node), nullptr);
    case ORX_CMD_RESET_NODE: return transfer(COP_ResetNode(node), nullptr);
    case ORX_CMD_RESET_COMM: return transfer(COP_ResetCommunication(node), nullptr);
    default: return ORX_RESULT_UNKNOWN;
    }
}

std::int8_t MasterEngine::setSdoTimeout(std::uint16_t timeout)
{
    return transfer(COP_SetSDOTimeout(timeout), nullptr);
}

std::int8_t MasterEngine::readSdo(std::uint8_t node, std::uint16_t index, std::uint8_t sub, std::uint8_t* data,
                                  std::int16_t capacity, std::int16_t* length, std::uint32_t* abortCode)
{
    return transfer(COP_ReadSDO(node, index, sub, length, data, capacity), abortCode);
}

std::int8_t MasterEngine::writeSdo(std::uint8_t node, std::uint16_t index, std::uint8_t sub,
                                   const std::uint8_t* data, std::int16_t length, std::uint32_t* abortCode)
{
    return transfer(COP_WriteSDO(node, index, sub, length, data), abortCode);
}

std::int8_t MasterEngine::createPdo(std::uint8_t node, std::uint8_t pdo, std::uint8_t transmit, std::uint16_t cobId,
                                    std::uint8_t length)
{
    return transfer(COP_CreatePDO(node, pdo, transmit, cobId, length), nullptr);
}

std::int8_t MasterEngine::writePdo(std::uint8_t node, std::uint8_t pdo, const std::uint8_t* data)
{
    return transfer(COP_WritePDO(node, pdo, data), nullptr);
}

std::int8_t MasterEngine::requestPdo(std::uint8_t node, std::uint8_t pdo)
{
    return transfer(COP_RequestPDO(node, pdo), nullptr);
}

int MasterEngine::readPdo(std::uint8_t* node, std::uint8_t* pdo, std::uint8_t* data, std::uint8_t* length)
{
    return m_started && COP_ReadPDO(node, pdo, data, length) ? 1 : 0;
}

int MasterEngine::readEmergency(std::uint8_t* node, std::uint8_t* data)
{
    return m_started && COP_GetEmergency(node, data) ? 1 : 0;
}

std::int8_t MasterEngine::sendSync()
{
    return transfer(COP_SendSync(), nullptr);
}

std::int8_t MasterEngine::lmtAddress(char* manufacturer, char* product, char* serial)
{
    return transfer(COP_GetLMTAddress(manufacturer, product, serial), nullptr);
}

std::int8_t MasterEngine::lmtConfigure(const char* manufacturer, const char* product, const char* serial,
                                       std::uint8_t node, std::uint8_t baud, std::uint32_t* abortCode)
{
    return transfer(COP_ConfigureNode(manufacturer, product, serial, node, baud), abortCode);
}

bool MasterEngine::waitForFrame(std::uint32_t microseconds)
{
    if (!m_waitRead || !m_running.load())
        return false;
    return reinterpret_cast<PCAN_WaitRead_t>(m_waitRead)(microseconds) == PCAN_ERR_OK;
}

}  // namespace orx
