// The exports of one driver library: KDI3_GetBoardParameter,
// KDI3_CreateBspInstance and KDI3_CreateKdiInstance, and the KDIX_
// diagnostics. Compiled once per library with KDI_DRIVER_NAME ("kdi_usb"),
// KDI_DRIVER (orx::Driver::Usb, ...) and KDI_PCAN_TYPE (the PCAN-Light type
// its boards' CAN controller is) defined. Nothing is thrown across the
// boundary.
#include "Board.h"
#include "Journal.h"
#include "MessageInterface.h"
#include "RegistryAccess.h"

#include <orxboard/kdi3.h>
#include <orxboard/orx_protocol.h>

#include <cstdio>
#include <cstring>
#include <new>

#define KDI_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using namespace orx;

const DriverConfig kConfig = {KDI_DRIVER_NAME, KDI_DRIVER, KDI_PCAN_TYPE};

constexpr std::uint16_t kQueueDepth = 1024;
constexpr std::uint16_t kCommTimeout = 5000;
constexpr std::uint16_t kSdoTimeout = 400;
constexpr std::uint16_t kTimeInterval = 3;

struct BspObject {
    KdiBsp face;
    Board* board;
};

struct KdiObject {
    KdiMsgIf face;
    MessageInterface* messages;
};

template <class F>
KDI_RESULT guarded(F f) noexcept
{
    try {
        return f();
    } catch (...) {
        return KDI_ERR_RESOURCE;
    }
}

Board* boardOf(KdiBsp* self)
{
    return self ? static_cast<Board*>(self->impl) : nullptr;
}

MessageInterface* messagesOf(KdiMsgIf* self)
{
    return self ? static_cast<MessageInterface*>(self->impl) : nullptr;
}

void note(const char* call, KDI_RESULT r)
{
    Journal::add(std::string(call) + " " + std::to_string(r));
}

KDI_RESULT bspOpen(KdiBsp* self)
{
    Board* b = boardOf(self);
    KDI_RESULT r = b ? guarded([&] { return b->open(); }) : KDI_ERR_PARAMETER;
    note("bsp.open", r);
    return r;
}

KDI_RESULT bspDownload(KdiBsp* self, const void* image, uint32_t size, uint32_t mode)
{
    Board* b = boardOf(self);
    KDI_RESULT r = b ? guarded([&] { return b->download(image, size, mode); }) : KDI_ERR_PARAMETER;
    note("bsp.download", r);
    return r;
}

KDI_RESULT bspConfigure(KdiBsp* self, const KdiBoardParameter* parameter)
{
    Board* b = boardOf(self);
    KDI_RESULT r = b ? guarded([&] { return b->configure(parameter); }) : KDI_ERR_PARAMETER;
    note("bsp.configure", r);
    return r;
}

KDI_RESULT bspInfo(KdiBsp* self, KdiBoardInfo* info)
{
    Board* b = boardOf(self);
    return b ? guarded([&] { return b->info(info); }) : KDI_ERR_PARAMETER;
}

KDI_RESULT bspClose(KdiBsp* self)
{
    Board* b = boardOf(self);
    KDI_RESULT r = b ? guarded([&] { return b->close(); }) : KDI_ERR_PARAMETER;
    note("bsp.close", r);
    return r;
}

void bspRelease(KdiBsp* self)
{
    if (!self)
        return;
    auto* object = reinterpret_cast<BspObject*>(self);
    delete object->board;
    delete object;
    Journal::add("bsp.release");
}

#define KDI_CALL(expr) \
    MessageInterface* m = messagesOf(self); \
    return m ? guarded([&] { return expr; }) : KDI_ERR_PARAMETER

KDI_RESULT kdiOpenQueues(KdiMsgIf* self, uint16_t tx, uint16_t rx)
{
    MessageInterface* m = messagesOf(self);
    KDI_RESULT r = m ? guarded([&] { return m->openQueues(tx, rx); }) : KDI_ERR_PARAMETER;
    note("kdi.open-queues", r);
    return r;
}

KDI_RESULT kdiCloseQueues(KdiMsgIf* self)
{
    MessageInterface* m = messagesOf(self);
    KDI_RESULT r = m ? guarded([&] { return m->closeQueues(); }) : KDI_ERR_PARAMETER;
    note("kdi.close-queues", r);
    return r;
}

KDI_RESULT kdiTxFree(KdiMsgIf* self, uint16_t q, uint32_t* free) { KDI_CALL(m->txFree(q, free)); }
KDI_RESULT kdiSend(KdiMsgIf* self, uint16_t q, const void* b, uint32_t n) { KDI_CALL(m->send(q, b, n)); }
KDI_RESULT kdiRxLevel(KdiMsgIf* self, uint16_t q, uint32_t* count) { KDI_CALL(m->rxLevel(q, count)); }
KDI_RESULT kdiReceive(KdiMsgIf* self, uint16_t q, void* b, uint32_t cap, uint32_t* n)
{
    KDI_CALL(m->receive(q, b, cap, n));
}
KDI_RESULT kdiWaitEvent(KdiMsgIf* self, uint16_t q, uint32_t ms) { KDI_CALL(m->waitEvent(q, ms)); }
KDI_RESULT kdiSetEvent(KdiMsgIf* self, uint16_t q) { KDI_CALL(m->setEvent(q)); }

void kdiRelease(KdiMsgIf* self)
{
    if (!self)
        return;
    auto* object = reinterpret_cast<KdiObject*>(self);
    delete object->messages;
    delete object;
    Journal::add("kdi.release");
}

const BoardModel* ownModel(uint32_t boardType)
{
    const BoardModel* model = BoardModels::find(boardType);
    return model && model->driver == kConfig.driver ? model : nullptr;
}

}  // namespace

KDI_EXPORT KDI_RESULT KDI3_GetBoardParameter(uint32_t boardType, KdiBoardParameter* parameter)
{
    if (!parameter)
        return KDI_ERR_PARAMETER;
    const BoardModel* model = ownModel(boardType);
    if (!model)
        return KDI_ERR_NOT_FOUND;
    std::memset(parameter, 0, sizeof *parameter);
    parameter->boardType = model->type;
    parameter->txQueues = ORX_TX_QUEUES;
    parameter->rxQueues = ORX_RX_QUEUES;
    parameter->queueDepth = kQueueDepth;
    parameter->maxBlock = KDI_MAX_BLOCK;
    parameter->commTimeout = kCommTimeout;
    parameter->sdoTimeout = kSdoTimeout;
    parameter->timeInterval = kTimeInterval;
    return KDI_OK;
}

KDI_EXPORT KdiBsp* KDI3_CreateBspInstance(uint32_t boardType, uint32_t hwEntry)
{
    try {
        const BoardModel* model = ownModel(boardType);
        if (!model) {
            Journal::add("bsp.create none");
            return nullptr;
        }
        FaultSet faults;
        {
            RegistryAccess registry;
            faults = FaultSet::parse(registry.text(hwEntry, "FAULT").value_or(""));
        }
        if (faults.bsp) {
            Journal::add("bsp.create fault");
            return nullptr;
        }
        auto* object = new BspObject;
        object->board = new Board(kConfig, *model, hwEntry, faults);
        object->face = KdiBsp{object->board, bspOpen, bspDownload, bspConfigure, bspInfo, bspClose, bspRelease};
        char line[64];
        std::snprintf(line, sizeof line, "bsp.create 0x%08X %u", model->type, hwEntry);
        Journal::add(line);
        return &object->face;
    } catch (...) {
        return nullptr;
    }
}

KDI_EXPORT KdiMsgIf* KDI3_CreateKdiInstance(KdiBsp* bsp)
{
    try {
        Board* board = boardOf(bsp);
        if (!board || !board->queues() || board->faults().kdi) {
            Journal::add("kdi.create none");
            return nullptr;
        }
        auto* object = new KdiObject;
        object->messages = new MessageInterface(board->queues(), board->faults());
        object->face = KdiMsgIf{object->messages, kdiOpenQueues, kdiCloseQueues, kdiTxFree, kdiSend,
                                kdiRxLevel,       kdiReceive,    kdiWaitEvent,   kdiSetEvent, kdiRelease};
        Journal::add("kdi.create");
        return &object->face;
    } catch (...) {
        return nullptr;
    }
}

KDI_EXPORT uint32_t KDIX_Journal(char* text, uint32_t size)
{
    try {
        std::string j = Journal::text();
        if (text && size > 0) {
            std::size_t n = j.size() < size - 1 ? j.size() : size - 1;
            std::memcpy(text, j.data(), n);
            text[n] = '\0';
        }
        return static_cast<uint32_t>(j.size());
    } catch (...) {
        return 0;
    }
}

KDI_EXPORT void KDIX_ClearJournal(void)
{
    try {
        Journal::clear();
    } catch (...) {
    }
}
