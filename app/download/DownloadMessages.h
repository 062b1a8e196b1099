// Numbers of the messages of the firmware download; the texts are in the
// program's message table.
#pragma once

enum DownloadMessage : unsigned {
    kMsgDownloadSucceeded = 63539,     // SUCCESS: application loaded and started
    kMsgAskCancelDownload = 63540,
    kMsgNoNode = 63541,
    kMsgBadPageSize = 63542,
    kMsgLoaderIntoFlash = 63555,       // the Second-Level-Loader chosen as application
    kMsgCantStartFirstLevel = 63556,
    kMsgCantLoadSecondLevel = 63557,
    kMsgLoaderAccessDenied = 63562,
    kMsgCantStartSecondLevel = 63563,
    kMsgCantLoadApplication = 63564,
    kMsgApplicationAccessDenied = 63565,
    kMsgCantStartApplication = 63566,
    kMsgProgressCaption = 63567,       // "%.1f%% of %s loaded"
    kMsgStepInitialize = 63568,
    kMsgStepStartFirstLevel = 63569,
    kMsgStepLoadSecondLevel = 63570,
    kMsgStepStartSecondLevel = 63571,
    kMsgStepLoadApplication = 63572,
    kMsgStepStartApplication = 63573,
    kMsgStepApplicationRunning = 63574,
    kMsgProgressTime = 63575,          // "%li:%02li min  (%li of %li bytes loaded)"
    kMsgProgressNode = 63576,          // "node #%i"
    kMsgProgressRate = 63577,          // "%.1f KB/sec"
    kMsgCantCreateLog = 63578,
};

// Message of a ScanFile error: the loader file and the application file
// have their own texts for some codes.
int ScanErrorMessage(long code, bool loaderFile);

// Message of a ReadHexRecord error (the same for both files).
int RecordErrorMessage(int code);
