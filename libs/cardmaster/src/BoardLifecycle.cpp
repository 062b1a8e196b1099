#include "BoardLifecycle.h"

#include "BoardTable.h"
#include "BoardTypes.h"
#include "CommandChannel.h"
#include "FirmwareResources.h"
#include "RegistryLibrary.h"

#include <mutex>
#include <new>

namespace cardmaster {

namespace {

// The steps of an open, each undone in reverse order when a later one fails.
class Opening {
public:
    Opening(std::uint16_t* handle, std::uint32_t* boardType, std::uint32_t* entry)
        : m_handle(handle), m_boardType(boardType), m_entry(entry)
    {
    }
    ~Opening() { undo(); }

    COP_CM_RESULT run();

private:
    COP_CM_RESULT chooseBoard(std::uint32_t& type, std::uint32_t& entry, bool& entryKnown);
    COP_CM_RESULT startBoard(std::uint32_t type, std::uint32_t entry);
    COP_CM_RESULT checkFirmware();
    void undo();

    std::uint16_t* m_handle;
    std::uint32_t* m_boardType;
    std::uint32_t* m_entry;
    RegistryLibrary* m_registry = nullptr;
    SharedSlotTable* m_table = nullptr;
    bool m_flag = false;
    BoardSlot* m_slot = nullptr;
    bool m_bspOpen = false;
    bool m_queuesOpen = false;
    bool m_done = false;
};

COP_CM_RESULT Opening::run()
{
    *m_handle = 0;
    m_registry = RegistryLibrary::acquire();
    if (!m_registry)
        return CM_ERR_BOARD_TYPE;
    m_table = SharedSlotTable::attach(m_registry->key());
    if (!m_table)
        return CM_ERR_RESOURCE;

    // 1. the open flag and a free slot
    if (!m_table->takeOpenFlag())
        return CM_ERR_NO_SLOT;
    m_flag = true;
    int index = m_table->claimFreeSlot(BoardTable::busyMask());
    if (index < 0)
        return CM_ERR_NO_SLOT;
    m_slot = &BoardTable::slot(index);
    m_slot->table = m_table;
    m_slot->phase = BoardSlot::kOpening;

    // 2./3. which board
    std::uint32_t type = *m_boardType & 0xFFFFFF00u;
    std::uint32_t entry = 0;
    bool entryKnown = false;
    COP_CM_RESULT r = chooseBoard(type, entry, entryKnown);
    if (r != CM_OK)
        return r;
    m_table->setEntry(index, type, entry);

    r = startBoard(type, entry);
    if (r != CM_OK)
        return r;

    // 9. the firmware's version; 10. the SDO handler
    r = checkFirmware();
    if (r != CM_OK)
        return r;
    try {
        m_slot->sdo = std::make_unique<SdoHandler>(*m_slot->queues, m_slot->sdoTimeout);
    } catch (const std::bad_alloc&) {
        return CM_ERR_SDO_INSTALL;
    }
    if (m_slot->sdo->start() != CM_OK)
        return CM_ERR_SDO_INSTALL;

    m_slot->registry = m_registry;
    m_slot->boardType = type;
    m_slot->entry = entry;
    m_table->publish(index);
    m_slot->phase = BoardSlot::kOpen;
    *m_handle = m_slot->handle();
    *m_boardType = type;
    *m_entry = entry;
    m_done = true;
    return CM_OK;
}

COP_CM_RESULT Opening::chooseBoard(std::uint32_t& type, std::uint32_t& entry, bool& entryKnown)
{
    const int index = m_slot->index;
    if (type == CM_BOARD_SELECT) {
        if (m_registry->SelectHardware(&entry) != ORX_OK)
            return CM_ERR_SELECTION_CANCELLED;
        if (m_table->entryInUse(entry, index))
            return CM_ERR_IN_USE;
        if (m_registry->GetConfig(entry, &type) != ORX_OK)
            return CM_ERR_BOARD_TYPE;
        type &= 0xFFFFFF00u;
        entryKnown = true;
    } else if (type == CM_BOARD_DEFAULT) {
        if (m_registry->GetDefaultHwEntry(&entry) != ORX_OK || m_registry->GetConfig(entry, &type) != ORX_OK)
            return CM_ERR_BOARD_TYPE;
        type &= 0xFFFFFF00u;
        if (m_table->entryInUse(entry, index))
            return CM_ERR_IN_USE;
        entryKnown = true;
    }
    if (!findBoardType(type))
        return CM_ERR_NOT_SUPPORTED;
    std::uint32_t configured = 0;
    if (!entryKnown || m_registry->GetConfig(entry, &configured) != ORX_OK ||
        (configured & 0xFFFFFF00u) != type) {
        if (m_registry->FindHwEntry(type, &entry) != ORX_OK)
            return CM_ERR_BOARD_NOT_FOUND;
    }
    if (m_table->entryInUse(entry, index))
        return CM_ERR_IN_USE;
    return CM_OK;
}

COP_CM_RESULT Opening::startBoard(std::uint32_t type, std::uint32_t entry)
{
    BoardSlot& s = *m_slot;
    const BoardType* row = findBoardType(type);

    // 4. load the firmware unless DOWNLOAD is there and 0
    std::uint32_t download = 1;
    if (m_registry->dword(entry, "DOWNLOAD", download) < 0)
        return CM_ERR_DOWNLOAD;

    // 5. the driver, the board object, the board
    s.driver = DriverLibrary::acquire(row->driver);
    if (!s.driver)
        return CM_ERR_KDI;
    s.bsp = s.driver->CreateBspInstance(type, entry);
    if (!s.bsp)
        return CM_ERR_KDI;
    KDI_RESULT k = s.bsp->Open(s.bsp);
    if (k == KDI_ERR_IN_USE)
        return CM_ERR_OTHER_PROCESS;
    if (k != KDI_OK)
        return CM_ERR_GENERAL;
    m_bspOpen = true;

    // 6. the firmware image
    if (download != 0) {
        FirmwareResource image;
        if (!findFirmware(row->resource, image))
            return CM_ERR_NOT_SUPPORTED;
        std::uint32_t verify = 0;
        std::uint32_t mode = m_registry->dword(entry, "VERIFY", verify) > 0 && verify ? KDI_DOWNLOAD_VERIFY
                                                                                       : KDI_DOWNLOAD_LOAD;
        if (s.bsp->Download(s.bsp, image.data, static_cast<std::uint32_t>(image.size), mode) != KDI_OK)
            return CM_ERR_DOWNLOAD;
    }

    // 7. configuration, message interface, queues
    KdiBoardParameter p;
    if (s.driver->GetBoardParameter(type, &p) != KDI_OK)
        return CM_ERR_BOARD_TYPE;
    s.commTimeout = 5000;
    s.sdoTimeout = 400;
    s.forgetPdos();
    s.thirdSetting = 3;
    s.sendWaits = 0;
    p.commTimeout = s.commTimeout;
    p.sdoTimeout = s.sdoTimeout;
    p.timeInterval = s.thirdSetting;
    if (s.bsp->Configure(s.bsp, &p) != KDI_OK)
        return CM_ERR_BOARD_TYPE;
    s.kdi = s.driver->CreateKdiInstance(s.bsp);
    if (!s.kdi)
        return CM_ERR_KDI;
    try {
        s.queues = std::make_unique<QueManager>(s.kdi, s.handle());
    } catch (const std::bad_alloc&) {
        return CM_ERR_KDI;
    }
    if (s.queues->open() != CM_OK)
        return CM_ERR_KDI;
    m_queuesOpen = true;
    return CM_OK;
}

COP_CM_RESULT Opening::checkFirmware()
{
    std::uint8_t block[ORX_COMMAND_BLOCK_MAX];
    orx_block_begin(block, ORX_CMD_VERSION, 0);
    COP_CM_RESULT r = CommandChannel::exchange(*m_slot, block);
    if (r != CM_OK || orx_block_length(block) < 3)
        return CM_ERR_COMMUNICATION;
    m_slot->firmwareVersion = orx_get_u16(block + ORX_ANSWER_DATA);
    if ((m_slot->firmwareVersion & 0xFFF0u) < CM_MIN_FIRMWARE)
        return CM_ERR_FIRMWARE_VERSION;
    return CM_OK;
}

void Opening::undo()
{
    if (!m_done && m_slot) {
        BoardSlot& s = *m_slot;
        if (s.sdo)
            s.sdo->stop();
        s.sdo.reset();
        if (s.queues) {
            s.queues->stop();
            if (m_queuesOpen)
                s.queues->close();
        }
        s.queues.reset();
        if (s.kdi)
            s.kdi->Release(s.kdi);
        s.kdi = nullptr;
        if (s.bsp) {
            if (m_bspOpen)
                s.bsp->Close(s.bsp);
            s.bsp->Release(s.bsp);
        }
        s.bsp = nullptr;
        s.driver.reset();
        m_table->release(s.index);
        s.table = nullptr;
        s.phase = BoardSlot::kClosed;
        *m_handle = 0;
    }
    if (m_flag)
        m_table->releaseOpenFlag();
    if (!m_done && m_registry)
        RegistryLibrary::release();
}

}  // namespace

COP_CM_RESULT BoardLifecycle::open(std::uint16_t* handle, std::uint32_t* boardType, std::uint32_t* entry)
{
    if (!handle || !boardType || !entry)
        return CM_ERR_PARAMETER;
    Opening opening(handle, boardType, entry);
    return opening.run();
}

COP_CM_RESULT BoardLifecycle::release(std::uint16_t handle)
{
    BoardSlot* s = nullptr;
    {
        BoardTable::Use use(handle);
        if (!use)
            return CM_ERR_GENERAL;
        int open = BoardSlot::kOpen;
        if (!use->phase.compare_exchange_strong(open, BoardSlot::kClosing))
            return CM_ERR_GENERAL;  // another thread releases it
        s = &*use;
    }
    // The firmware lets the board go; then the threads stop, and the calls
    // still in flight end before the objects go.
    std::uint8_t block[ORX_COMMAND_BLOCK_MAX];
    orx_block_begin(block, ORX_CMD_RELEASE, 0);
    (void)CommandChannel::exchange(*s, block);  // the board goes either way
    s->sdo->stop();
    s->queues->stop();
    std::unique_lock<std::shared_mutex> exclusive(s->access);
    s->sdo.reset();
    s->queues->close();
    s->queues.reset();
    s->kdi->Release(s->kdi);
    s->kdi = nullptr;
    s->bsp->Close(s->bsp);
    s->bsp->Release(s->bsp);
    s->bsp = nullptr;
    s->driver.reset();  // unloaded unless another slot uses it
    s->table->release(s->index);
    s->table = nullptr;
    s->registry = nullptr;
    s->phase = BoardSlot::kClosed;
    RegistryLibrary::release();
    return CM_OK;
}

}  // namespace cardmaster
