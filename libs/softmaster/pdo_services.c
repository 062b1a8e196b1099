/*
 * pdo_services.c - PDO definitions, sending and reception, SYNC and
 * emergency reception of the software master.
 */
#include "pdo_services.h"

#include <string.h>

#include "frame_queue.h"
#include "pcan_ctrl.h"
#include "sm_service.h"

typedef struct PdoEntry {
    uint16_t cobId; /* 0: not defined */
    uint16_t length;
} PdoEntry;

static PdoEntry TxPdoTable[PDO_NODES][PDOS];
static PdoEntry RxPdoTable[PDO_NODES][PDOS];

static QueuedFrame PdoSlots[16385];
static QueuedFrame EmcySlots[1025];
static FrameQueue PdoQueue = {PdoSlots, 16385, 0, 0};
static FrameQueue EmcyQueue = {EmcySlots, 1025, 0, 0};

void pdo_clear(void)
{
    for (int n = 0; n < PDO_NODES; ++n)
        for (int p = 0; p < PDOS; ++p)
            TxPdoTable[n][p].cobId = RxPdoTable[n][p].cobId = 0;
    fq_clear(&PdoQueue);
    fq_clear(&EmcyQueue);
}

int32_t pdo_check_number(uint8_t pdoNumber)
{
    return pdoNumber < 1 || pdoNumber > PDOS ? COP_ERR_ILLEGAL_PARAM : 0;
}

int32_t pdo_create(uint8_t node, uint8_t pdoNumber, uint8_t transmit, uint16_t cobId, uint8_t length)
{
    if (pdo_check_number(pdoNumber) || length > 8 || node >= PDO_NODES)
        return COP_ERR_ILLEGAL_PARAM;
    PdoEntry* e = transmit ? &TxPdoTable[node][pdoNumber - 1] : &RxPdoTable[node][pdoNumber - 1];
    e->cobId = cobId; /* no range check: ctrl_define refuses 2048 and above */
    e->length = length;
    return 0;
}

int32_t pdo_write(uint8_t node, uint8_t pdoNumber, const uint8_t* data)
{
    if (pdo_check_number(pdoNumber) || node >= PDO_NODES)
        return COP_ERR_ILLEGAL_PARAM;
    const PdoEntry* e = &TxPdoTable[node][pdoNumber - 1];
    if (e->cobId == 0)
        return COP_ERR_ILLEGAL_PARAM;
    if (!data)
        return COP_ERR_FATAL;
    return send_once(e->cobId, e->length, data);
}

int32_t pdo_request(uint8_t node, uint8_t pdoNumber)
{
    if (pdo_check_number(pdoNumber) || node >= PDO_NODES)
        return COP_ERR_ILLEGAL_PARAM;
    const PdoEntry* e = &RxPdoTable[node][pdoNumber - 1];
    if (e->cobId == 0)
        return COP_ERR_ILLEGAL_PARAM;
    /* The remote request goes out as the object is defined; the PDO itself
     * arrives later through the catch-all ring. */
    int32_t r = ctrl_define(SM_OBJ_ANSWER, e->cobId, (uint16_t)(CTRL_KIND_REMOTE | e->length << 8));
    ctrl_delete(SM_OBJ_ANSWER);
    return r;
}

/* The receive PDO of a present node that a frame belongs to. */
static int find_rx_pdo(const uint8_t* present, uint32_t identifier, uint8_t* node, uint8_t* pdoNumber)
{
    if (identifier == 0)
        return 0;
    for (int n = 0; n < PDO_NODES; ++n) {
        if (!present[n])
            continue;
        for (int p = 0; p < PDOS; ++p) {
            if (RxPdoTable[n][p].cobId == identifier) {
                *node = (uint8_t)n;
                *pdoNumber = (uint8_t)(p + 1);
                return 1;
            }
        }
    }
    return 0;
}

static int is_emergency(uint32_t identifier)
{
    return identifier >= EMCY_FIRST && identifier <= EMCY_LAST;
}

static int deliver_pdo(const uint8_t* present, uint32_t identifier, int16_t length, const uint8_t* frame,
                       uint8_t* node, uint8_t* pdoNumber, uint8_t* data, uint8_t* outLength)
{
    if (!find_rx_pdo(present, identifier, node, pdoNumber))
        return 0;
    if (length < 0)
        length = 0;
    if (length > 8)
        length = 8;
    memcpy(data, frame, (size_t)length);
    *outLength = (uint8_t)length;
    return 1;
}

int32_t pdo_read(const uint8_t* present, uint8_t* node, uint8_t* pdoNumber, uint8_t* data, uint8_t* length)
{
    /* One set-aside frame per call, then the ring. */
    QueuedFrame q;
    if (fq_take(&PdoQueue, &q) && deliver_pdo(present, q.identifier, q.length, q.data, node, pdoNumber, data, length))
        return 0;
    for (;;) {
        uint32_t id = 0;
        int16_t n = 0;
        uint8_t frame[8] = {0};
        int16_t r = ctrl_read_ring(&id, &n, frame);
        if (r == COP_ERR_RX_EMPTY)
            return COP_ERR_QUEUE_EMPTY;
        if (r)
            return r;
        if (is_emergency(id))
            fq_put(&EmcyQueue, (uint16_t)id, n, frame);
        else if (deliver_pdo(present, id, n, frame, node, pdoNumber, data, length))
            return 0;
    }
}

static int deliver_emergency(const uint8_t* present, uint32_t identifier, int16_t length, const uint8_t* frame,
                             uint8_t* node, uint8_t* data)
{
    uint32_t n = identifier - EMCY_BASE;
    if (!is_emergency(identifier) || !present[n])
        return 0; /* an absent node's emergency is dropped */
    if (length < 0)
        length = 0;
    if (length > 8)
        length = 8;
    *node = (uint8_t)n;
    memset(data, 0, 8);
    memcpy(data, frame, (size_t)length);
    return 1;
}

int32_t emcy_read(const uint8_t* present, uint8_t* node, uint8_t* data)
{
    QueuedFrame q;
    if (fq_take(&EmcyQueue, &q) && deliver_emergency(present, q.identifier, q.length, q.data, node, data))
        return 0;
    for (;;) {
        uint32_t id = 0;
        int16_t n = 0;
        uint8_t frame[8] = {0};
        int16_t r = ctrl_read_ring(&id, &n, frame);
        if (r == COP_ERR_RX_EMPTY)
            return COP_ERR_QUEUE_EMPTY;
        if (r)
            return r;
        if (!is_emergency(id))
            fq_put(&PdoQueue, (uint16_t)id, n, frame);
        else if (deliver_emergency(present, id, n, frame, node, data))
            return 0;
    }
}

int32_t sync_send(void)
{
    return send_once(SYNC_ID, 0, NULL);
}
