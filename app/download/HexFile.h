// Intel-HEX firmware files: the scan before a download and the record
// reader during it.
#pragma once

#include "download/HexRecord.h"

#include <cstdio>
#include <string>

// ScanFile results below zero.
enum ScanError : long {
    kScanNotFound = -1,        // the HEX file does not exist
    kScanAccessDenied = -2,    // it cannot be read
    kScanBadLine = -3,         // a line is no HEX record (or the file is empty)
    kScanSfvNotFound = -4,
    kScanSfvAccessDenied = -5,
    kScanSfvBad = -6,
    kScanCrcMismatch = -7,
};

// ReadHexRecord results below zero.
enum RecordError : int {
    kRecordUnknownType = -1,
    kRecordChecksum = -2,
    kRecordBad = -3,
};

// The path with its extension (after the last dot of the file name)
// replaced by ext ("sfv", "log"), or ext appended when there is none.
std::string ReplaceExtension(const std::string& path, const char* ext);

// Checks a HEX file before anything is sent: every line a record, the
// CRC-32 of the file equal to the one of its ".sfv" file. Returns the
// number of data bytes the file delivers, or a ScanError. logPath, when
// given, receives the path of the download log beside the file.
long ScanFile(const std::string& path, std::string* logPath = nullptr);

// Reads records from a file opened with OpenForReading until a data
// record: returns its length (1..32) with the record in record, 0 at the
// end of the data, or a RecordError. record.line counts the lines read.
int ReadHexRecord(std::FILE* file, HexRecord& record);
