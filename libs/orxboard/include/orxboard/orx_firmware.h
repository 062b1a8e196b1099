/*
 * orx_firmware.h - the firmware images of the Orvax boards: a 36-byte
 * header and the program bytes. The master library carries the images as
 * opaque resources and hands them to the driver unread; the driver checks
 * the header and the check sum before the board boots from an image.
 *
 * Image kinds are the resource numbers the master library files them under:
 * 101 PC Card, 102 and 103 USB sticks, 105 PCI, 106 and 107 dual-ported
 * memory boards.
 */
#ifndef ORXBOARD_ORX_FIRMWARE_H
#define ORXBOARD_ORX_FIRMWARE_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define ORX_IMAGE_MAGIC "ORXF"
#define ORX_IMAGE_FORMAT 1
#define ORX_IMAGE_HEADER_SIZE 36

/* Firmware version of the images built here: major 4, minor 0x14 ("V4.20"). */
#define ORX_FIRMWARE_VERSION 0x0414u

/* Header, little-endian, at the start of the image:
 *   0  char[4]  magic "ORXF"
 *   4  uint16   format (1)
 *   6  uint16   kind (the resource number)
 *   8  uint16   firmware version (major in the high byte)
 *  10  uint16   0
 *  12  uint32   program size in bytes
 *  16  uint32   CRC-32 (IEEE) of the program bytes
 *  20  char[16] title, zero-padded
 * 36...         program bytes */
#define ORX_IMAGE_KIND_OFFSET 6
#define ORX_IMAGE_VERSION_OFFSET 8
#define ORX_IMAGE_SIZE_OFFSET 12
#define ORX_IMAGE_CRC_OFFSET 16
#define ORX_IMAGE_TITLE_OFFSET 20

/* CRC-32 (IEEE 802.3, reflected, initial and final value 0xFFFFFFFF). */
static inline uint32_t orx_crc32(const uint8_t* data, size_t size)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

#ifdef __cplusplus
}
#endif

#endif /* ORXBOARD_ORX_FIRMWARE_H */
