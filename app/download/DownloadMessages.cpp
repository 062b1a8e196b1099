#include "download/DownloadMessages.h"

#include "download/HexFile.h"

int ScanErrorMessage(long code, bool loaderFile)
{
    switch (code) {
    case kScanNotFound: return loaderFile ? 63543 : 63551;
    case kScanAccessDenied: return loaderFile ? 63544 : 63552;
    case kScanBadLine: return loaderFile ? 63545 : 63553;
    case kScanSfvNotFound: return 63546;
    case kScanSfvAccessDenied: return 63547;
    case kScanSfvBad: return 63548;
    case kScanCrcMismatch: return loaderFile ? 63549 : 63554;
    default: return 63550;
    }
}

int RecordErrorMessage(int code)
{
    switch (code) {
    case kRecordUnknownType: return 63558;
    case kRecordChecksum: return 63559;
    case kRecordBad: return 63560;
    default: return 63561;
    }
}
