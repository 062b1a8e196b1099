#include "download/DownloadMessages.h"

#include "download/HexFile.h"
#include "ui/MessageIds.h"

int ScanErrorMessage(long code, bool loaderFile)
{
    switch (code) {
    case kScanNotFound: return loaderFile ? kMsgLoaderNotFound : kMsgHexNotFound;
    case kScanAccessDenied: return loaderFile ? kMsgLoaderAccessDenied : kMsgHexAccessDenied;
    case kScanBadLine: return loaderFile ? kMsgLoaderBad : kMsgHexBad;
    case kScanSfvNotFound: return kMsgSfvNotFound;
    case kScanSfvAccessDenied: return kMsgSfvAccessDenied;
    case kScanSfvBad: return kMsgSfvBad;
    case kScanCrcMismatch: return loaderFile ? kMsgLoaderChecksum : kMsgHexChecksum;
    default: return kMsgScanUnknownError;
    }
}

int RecordErrorMessage(int code)
{
    switch (code) {
    case kRecordUnknownType: return kMsgHexRecordUnknown;
    case kRecordChecksum: return kMsgHexRecordChecksum;
    case kRecordBad: return kMsgHexRecordBad;
    default: return kMsgHexRecordUnknownError;
    }
}
