// Numbers of the messages that report the file errors of a download; the
// texts are in the program's message table.
#pragma once

// Message of a ScanFile error: the loader file and the application file
// have their own texts for some codes.
int ScanErrorMessage(long code, bool loaderFile);

// Message of a ReadHexRecord error (the same for both files).
int RecordErrorMessage(int code);
