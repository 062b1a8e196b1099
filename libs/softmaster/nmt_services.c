/*
 * nmt_services.c - NMT commands of the software master.
 */
#include "nmt_services.h"

#include "sm_service.h"

void nmt_frame(uint8_t command, uint8_t node, uint8_t frame[2])
{
    frame[0] = command;
    frame[1] = node;
}

int32_t nmt_send(uint8_t command, uint8_t node)
{
    uint8_t frame[2];
    nmt_frame(command, node, frame);
    return send_once(NMT_ID, 2, frame);
}
