// MessageIds.h - the name of every number of the message table
// (MessageTexts.cpp) that is not a command number (CommandIds.h, whose
// numbers key the menu hints). Each number stands here and nowhere else.
#pragma once

// ---- The document and the program --------------------------------------------
inline constexpr unsigned kMsgDocumentTemplate = 129; // QVT new Ovro-QVT Files (*.31x) .31x...
inline constexpr unsigned kMsgProgramTitle = 57344; // Ovro-QVT
inline constexpr unsigned kMsgIdleStatus = 59143; // Ovro-QVT (the status line without a document)
inline constexpr unsigned kMsgAskToSave = 61442; // Save changes to %1?
inline constexpr unsigned kMsgEnterInteger = 61715; // Please enter an integer between %1 and %2.

// ---- Start-up, interface and node --------------------------------------------
inline constexpr unsigned kMsgDescriptionFileCorrupted = 63500; // file '%s' corrupted or not found...
inline constexpr unsigned kMsgInterfaceFailed = 63501; // %s Try again. Use command 'Interface.Initialize'.
inline constexpr unsigned kMsgNodeIdentity = 63502; // read from node #%i: %s
inline constexpr unsigned kMsgOnlyOneNode = 63503; // To change the Node-Id. and/or the Baudrate there...
inline constexpr unsigned kMsgK315Only = 63504; // this function is only possible with the 'Ovro K315'...
inline constexpr unsigned kMsgChangingNodeSettings = 63505; // Changing Node-Id. and/or Baudrate...
inline constexpr unsigned kMsgCheckHardware = 63536; // %s Check your harware and try again.
inline constexpr unsigned kMsgNoBoardPresent = 63538; // %s Probably no board present.

// ---- Parameter download log --------------------------------------------------
inline constexpr unsigned kMsgParameterStep = 63506; // %s...
inline constexpr unsigned kMsgStepOk = 63507; // OK!
inline constexpr unsigned kMsgStepError = 63508; // ERROR!
inline constexpr unsigned kMsgFinishedNoError = 63511; // +++ Finished: no error occurred!
inline constexpr unsigned kMsgFinishedWithErrors = 63512; // +++ Finished: error(s) occurred!
inline constexpr unsigned kMsgSdoAborted = 63513; // +++ SDO-Transfer aborted (%08lXh): %s

// ---- Document commands -------------------------------------------------------
inline constexpr unsigned kMsgNodeNotAdded = 63514; // node #%i not added to the CAN interface board...
inline constexpr unsigned kMsgNodeNotAttached = 63515; // node #%i not attached to the parameter list...
inline constexpr unsigned kMsgDeviceTypeMismatch = 63516; // the device type of node #%i does not match...
inline constexpr unsigned kMsgCantReadDeviceType = 63517; // can't read device type of node #%i! %s
inline constexpr unsigned kMsgCantReadFile = 63518; // while reading file '%s'! Incompatible device type...
inline constexpr unsigned kMsgCantWriteDetached = 63519; // while writing file '%s'! Document not...
inline constexpr unsigned kMsgCantWriteFile = 63520; // while writing file '%s'! File not written to disk.
inline constexpr unsigned kMsgCantReadDeviceInfo = 63521; // can't read device information of node #%i! %s
inline constexpr unsigned kMsgCantUpload = 63522; // can't upload parameters from node #%i! %s
inline constexpr unsigned kMsgNothingToDownload = 63523; // can't download parameters into node #%i! No...
inline constexpr unsigned kMsgCantDownloadIncompatible = 63524; // can't download parameters into node...
inline constexpr unsigned kMsgCantDownload = 63525; // can't download parameters into node #%i! %s
inline constexpr unsigned kMsgNodeLost = 63526; // can't configure node settings. Node #%i was lost! %s
inline constexpr unsigned kMsgNotAllWritten = 63527; // not all parameters could be written to node #%i...
inline constexpr unsigned kMsgCantStoreIncompatible = 63528; // can't store parameters of node #%i...
inline constexpr unsigned kMsgCantStore = 63529; // can't store parameters of node #%i! %s
inline constexpr unsigned kMsgCantResetIncompatible = 63530; // can't reset parameters of node #%i...
inline constexpr unsigned kMsgCantReset = 63531; // can't reset parameters of node #%i! %s
inline constexpr unsigned kMsgCantRestoreIncompatible = 63532; // can't restore parameters of node #%i...
inline constexpr unsigned kMsgCantRestore = 63533; // can't restore parameters of node #%i! %s
inline constexpr unsigned kMsgFileNodeMismatch = 63534; // while reading file '%s'! Incompatible device...
inline constexpr unsigned kMsgCantUploadIncompatible = 63535; // can't upload parameters from node #%i...

// ---- Firmware files ----------------------------------------------------------
inline constexpr unsigned kMsgLoaderNotFound = 63543; // while scaning file '%s'! Second-Level-Loader...
inline constexpr unsigned kMsgLoaderAccessDenied = 63544; // while scaning file '%s'! Access to...
inline constexpr unsigned kMsgLoaderBad = 63545; // while scaning file '%s'! Error in...
inline constexpr unsigned kMsgSfvNotFound = 63546; // while scaning file '%s'! Check-sum file (.sfv) not...
inline constexpr unsigned kMsgSfvAccessDenied = 63547; // while scaning file '%s'! Access to check-sum...
inline constexpr unsigned kMsgSfvBad = 63548; // while scaning file '%s'! Error in check-sum file (.sfv).
inline constexpr unsigned kMsgLoaderChecksum = 63549; // while scaning file '%s'! Check-sum error in...
inline constexpr unsigned kMsgScanUnknownError = 63550; // while scaning file '%s'! An unknown error...
inline constexpr unsigned kMsgHexNotFound = 63551; // while scaning file '%s'! Intel-Hex-File not found.
inline constexpr unsigned kMsgHexAccessDenied = 63552; // while scaning file '%s'! Access to...
inline constexpr unsigned kMsgHexBad = 63553; // while scaning file '%s'! Error in Intel-Hex-File.
inline constexpr unsigned kMsgHexChecksum = 63554; // while scaning file '%s'! Check-sum error in...
inline constexpr unsigned kMsgHexRecordUnknown = 63558; // while reading file '%s'! Unknown...
inline constexpr unsigned kMsgHexRecordChecksum = 63559; // while reading file '%s'! Check-sum error in...
inline constexpr unsigned kMsgHexRecordBad = 63560; // while reading file '%s'! Error in...
inline constexpr unsigned kMsgHexRecordUnknownError = 63561; // while reading file '%s'! An unknown...

// ---- Firmware download ------------------------------------------------------
inline constexpr unsigned kMsgDownloadSucceeded = 63539; // application loaded and started! %li byte(s) %s...
inline constexpr unsigned kMsgAskCancelDownload = 63540; // Do you really want to cancel the download?
inline constexpr unsigned kMsgNoNode = 63541; // no valid node-pointer given!
inline constexpr unsigned kMsgBadPageSize = 63542; // invalid page size given!
inline constexpr unsigned kMsgLoaderIntoFlash = 63555; // while scaning file '%s'! You try to load the...
inline constexpr unsigned kMsgCantStartFirstLevel = 63556; // can't start the First-Level-Loader of node #%i! %s
inline constexpr unsigned kMsgCantLoadSecondLevel = 63557; // can't load the Second-Level-Loader of node #%i! %s
inline constexpr unsigned kMsgLoaderReadDenied = 63562; // while reading file '%s'! Access to...
inline constexpr unsigned kMsgCantStartSecondLevel = 63563; // can't start the Second-Level-Loader of node #%i! %s
inline constexpr unsigned kMsgCantLoadApplication = 63564; // can't load the Intel-Hex-File of node #%i! %s
inline constexpr unsigned kMsgHexReadDenied = 63565; // while reading file '%s'! Access to Intel-Hex-File...
inline constexpr unsigned kMsgCantStartApplication = 63566; // can't start the application of node #%i! %s
inline constexpr unsigned kMsgProgressCaption = 63567; // %.1f%% of %s loaded
inline constexpr unsigned kMsgStepInitialize = 63568; // Initialize
inline constexpr unsigned kMsgStepStartFirstLevel = 63569; // Start First-Level-Loader
inline constexpr unsigned kMsgStepLoadSecondLevel = 63570; // Load Second-Level-Loader into RAM
inline constexpr unsigned kMsgStepStartSecondLevel = 63571; // Start Second-Level-Loader
inline constexpr unsigned kMsgStepLoadApplication = 63572; // Load Intel-Hex-File into FLASH
inline constexpr unsigned kMsgStepStartApplication = 63573; // Start Application/Reset Microcontroller
inline constexpr unsigned kMsgStepApplicationRunning = 63574; // Application running!
inline constexpr unsigned kMsgProgressTime = 63575; // %li:%02li min  (%li of %li bytes loaded)
inline constexpr unsigned kMsgProgressNode = 63576; // node #%i
inline constexpr unsigned kMsgProgressRate = 63577; // %.1f KB/sec

// ---- Motion pages: the steps of each page's Start ---------------------------
// The manual page shows the drive profile's own messages (63600...63605).
inline constexpr unsigned kMsgPositionReadStatusword = 63578; // can't read the statusword of the drive! %s
inline constexpr unsigned kMsgPositionSwitchState = 63579; // can't switch the drive to state '%s'! %s
inline constexpr unsigned kMsgPositionNotEnabled = 63580; // can't switch the drive to state 'Operation...
inline constexpr unsigned kMsgPositionReadMode = 63581; // can't read the operation mode of the drive! %s
inline constexpr unsigned kMsgPositionSwitchMode = 63582; // can't switch the drive to mode '%s'! %s
inline constexpr unsigned kMsgPositionWriteParameter = 63583; // can't write the parameter '%s' to the...
inline constexpr unsigned kMsgPositionStart = 63584; // can't start the drive! %s
inline constexpr unsigned kMsgVelocityReadStatusword = 63585; // can't read the statusword of the drive! %s
inline constexpr unsigned kMsgVelocitySwitchState = 63586; // can't switch the drive to state '%s'! %s
inline constexpr unsigned kMsgVelocityNotEnabled = 63587; // can't switch the drive to state 'Operation...
inline constexpr unsigned kMsgVelocityReadMode = 63588; // can't read the operation mode of the drive! %s
inline constexpr unsigned kMsgVelocitySwitchMode = 63589; // can't switch the drive to mode '%s'! %s
inline constexpr unsigned kMsgVelocityWriteParameter = 63590; // can't write the parameter '%s' to the...
inline constexpr unsigned kMsgVelocityStart = 63591; // can't start the drive! %s
inline constexpr unsigned kMsgHomingReadStatusword = 63592; // can't read the statusword of the drive! %s
inline constexpr unsigned kMsgHomingSwitchState = 63593; // can't switch the drive to state '%s'! %s
inline constexpr unsigned kMsgHomingNotEnabled = 63594; // can't switch the drive to state 'Operation...
inline constexpr unsigned kMsgHomingReadMode = 63595; // can't read the operation mode of the drive! %s
inline constexpr unsigned kMsgHomingSwitchMode = 63596; // can't switch the drive to mode '%s'! %s
inline constexpr unsigned kMsgHomingWriteParameter = 63597; // can't write the parameter '%s' to the drive! %s
inline constexpr unsigned kMsgHomingStart = 63598; // can't start the drive! %s
inline constexpr unsigned kMsgHomingAssign = 63599; // can't assign the reference position of the drive! %s

// ---- Drive profile -----------------------------------------------------------
inline constexpr unsigned kMsgCantReadStatusword = 63600; // can't read the statusword of the drive! %s
inline constexpr unsigned kMsgCantSwitchState = 63601; // can't switch the drive to state '%s'! %s
inline constexpr unsigned kMsgCantEnableOperation = 63602; // can't switch the drive to state 'Operation...
inline constexpr unsigned kMsgCantReadOperationMode = 63603; // can't read the operation mode of the...
inline constexpr unsigned kMsgCantSwitchMode = 63604; // can't switch the drive to mode '%s'! %s
inline constexpr unsigned kMsgCantStartDrive = 63605; // can't start the drive! %s

// ---- Interface dialog and node search ----------------------------------------
inline constexpr unsigned kMsgInvalidAddress = 63606; // Please enter a valid address!
inline constexpr unsigned kMsgInvalidIrq = 63607; // Please enter a valid IRQ number!
inline constexpr unsigned kMsgNoNodeFound = 63608; // no node was found in the network! The device may...
inline constexpr unsigned kMsgSearchFailed = 63609; // an error occurred while searching a node! %s
inline constexpr unsigned kMsgCantWriteExport = 63614; // can't write to file '%s'! May be locked by...

// ---- Print-out ---------------------------------------------------------------
inline constexpr unsigned kMsgPrintUnknown = 63625; // (unknown)
inline constexpr unsigned kMsgPrintManufacturer = 63626; // Manufacturer:
inline constexpr unsigned kMsgPrintDeviceName = 63627; // Device name:
inline constexpr unsigned kMsgPrintIdentNo = 63628; // Ident. no.:
inline constexpr unsigned kMsgPrintSerialNo = 63629; // Serial no.:
inline constexpr unsigned kMsgPrintVersion = 63630; // Prog. version:
inline constexpr unsigned kMsgPrintNodeSettings = 63631; // Node settings:

// ---- Status bar --------------------------------------------------------------
inline constexpr unsigned kMsgStatusConnected = 63632; // Connected: CAN,#%u,%s,%s,%s
inline constexpr unsigned kMsgStatusOffline = 63633; // Offline: CAN,#%u,%s,%s,%s
inline constexpr unsigned kMsgStatusUnknownName = 63634; // (unknown)
inline constexpr unsigned kMsgStatusUnknownVersion = 63635; // v?.???

// ---- Status bar prompts after commands that end without a message ---------------
inline constexpr unsigned kMsgPromptUploaded = 63700; // %i of %i parameters read from node #%i.
inline constexpr unsigned kMsgPromptStored = 63701; // Parameters of node #%i stored into the EEPROM...
inline constexpr unsigned kMsgPromptReset = 63702; // Parameters of node #%i reset to their power-on...
inline constexpr unsigned kMsgPromptRestored = 63703; // Factory settings of node #%i restored...

// ---- The firmware download's own ---------------------------------------------
inline constexpr unsigned kMsgCantCreateLog = 63720; // can't create the download log '%s'! ... (the program's own)

// ---- Parameter table ---------------------------------------------------------
inline constexpr unsigned kMsgColumnParameter = 63636; // Parameter
inline constexpr unsigned kMsgColumnValue = 63637; // Value
inline constexpr unsigned kMsgColumnUnit = 63638; // Unit
inline constexpr unsigned kMsgColumnMin = 63639; // Min
inline constexpr unsigned kMsgColumnMax = 63640; // Max
inline constexpr unsigned kMsgColumnDescription = 63641; // Description
inline constexpr unsigned kMsgHeaderType = 63642; // Type
inline constexpr unsigned kMsgHeaderTypeHelp = 63643; // Device type.
inline constexpr unsigned kMsgHeaderName = 63644; // Name
inline constexpr unsigned kMsgHeaderNameHelp = 63645; // Device name.
inline constexpr unsigned kMsgHeaderText = 63646; // Text
inline constexpr unsigned kMsgHeaderTextHelp = 63647; // A brief description.
inline constexpr unsigned kMsgHeaderDate = 63648; // Date
inline constexpr unsigned kMsgHeaderDateHelp = 63649; // Last update of the file.
inline constexpr unsigned kMsgHeaderNodeId = 63650; // Node-Id.
inline constexpr unsigned kMsgHeaderNodeIdHelp = 63651; // Node-Id. of the device.
inline constexpr unsigned kMsgHeaderBaudRate = 63652; // Baud rate
inline constexpr unsigned kMsgHeaderBaudRateHelp = 63653; // Baud rate of the device.

// ---- Drive-status fields of the Motion Control and Device Status windows ----
inline constexpr unsigned kMsgNo = 63654; // No
inline constexpr unsigned kMsgYes = 63655; // Yes
inline constexpr unsigned kMsgMotionOffline = 63656; // Offline! (Motion Control)
inline constexpr unsigned kMsgMotionNoDevice = 63657; // No device connected. (Motion Control)
inline constexpr unsigned kMsgDeviceStatusOffline = 63658; // Offline! (Device Status)
inline constexpr unsigned kMsgDeviceStatusNoDevice = 63659; // No device connected. (Device Status)

// ---- File dialogs and questions ----------------------------------------------
inline constexpr unsigned kMsgDocumentFilter = 63660; // Ovro-QVT Files (*.31x)|*.31x|All Files (*.*)|*.*||
inline constexpr unsigned kMsgDocumentExtension = 63661; // 31x
inline constexpr unsigned kMsgAskStore = 63662; // Do you want to save the configuration into the EEPROM?
inline constexpr unsigned kMsgAskReset = 63663; // Reset all parameters of the device to their power-on...
inline constexpr unsigned kMsgAskRestore = 63664; // Restore the factory settings of the device. The...
inline constexpr unsigned kMsgAskDisconnectAndClose = 63665; // Do you really want to disconnect the...
inline constexpr unsigned kMsgAskDisconnectAndInitialize = 63666; // Do you really want to disconnect the...
inline constexpr unsigned kMsgAskDisconnectAndExit = 63667; // Do you really want to disconnect the...

// ---- Oscilloscope ------------------------------------------------------------
inline constexpr unsigned kMsgActualPosition = 63668; // Actual Position
inline constexpr unsigned kMsgActualVelocity = 63669; // Actual Velocity
inline constexpr unsigned kMsgActualCurrent = 63670; // Actual Current
inline constexpr unsigned kMsgDemandedVelocity = 63671; // Demanded Velocity
inline constexpr unsigned kMsgSelectSignal = 63672; // <select a signal>
inline constexpr unsigned kMsgNoTrigger = 63673; // No trigger
inline constexpr unsigned kMsgDigitalInputs = 63674; // Digital Inputs
inline constexpr unsigned kMsgStatusword = 63675; // Statusword
inline constexpr unsigned kMsgKindNone = 63676; // (none); the seven kinds follow in their order
inline constexpr unsigned kMsgKindRising = 63677; // rising edge
inline constexpr unsigned kMsgKindFalling = 63678; // falling edge
inline constexpr unsigned kMsgKindAny = 63679; // any edge
inline constexpr unsigned kMsgKindInWindow = 63680; // in window
inline constexpr unsigned kMsgKindOutWindow = 63681; // out window
inline constexpr unsigned kMsgKindBinaryAnd = 63682; // binary AND
inline constexpr unsigned kMsgKindBinaryOr = 63683; // binary OR
inline constexpr unsigned kMsgClipboardBusy = 63684; // Clipboard is busy. Unable to copy result to clipboard.
// The oscilloscope's texts that have no number of their own get these.
inline constexpr unsigned kMsgNoSignalSelected = 63740; // SORRY, no signal selected!
inline constexpr unsigned kMsgCantConfigurePdo2 = 63741; // Error, can't configure PDO2! (0x1801)
inline constexpr unsigned kMsgCantConfigurePdo34 = 63742; // Error, can't configure PDO34! (0x1821)
inline constexpr unsigned kMsgCantConfigurePdo33 = 63743; // Error, can't configure PDO33! (0x1820)
inline constexpr unsigned kMsgCantConfigurePdo7 = 63744; // Error, can't configure PDO7! (0x1806)
inline constexpr unsigned kMsgCantConfigurePdo1 = 63745; // Error, can't configure PDO1! (0x1800)
inline constexpr unsigned kMsgTriggerError = 63746; // ERROR
inline constexpr unsigned kMsgIllegalTimeBase = 63747; // Illegal value for time base entered!
inline constexpr unsigned kMsgIllegalLevel = 63748; // Illegal value for slope level entered!
inline constexpr unsigned kMsgIllegalMinimum = 63749; // Illegal value for minimum level entered!
inline constexpr unsigned kMsgIllegalMaximum = 63750; // Illegal value for maximum level entered!
inline constexpr unsigned kMsgIllegalMask = 63751; // Illegal value for binary mask entered!
inline constexpr unsigned kMsgIllegalValue = 63752; // Illegal value for binary value entered!
inline constexpr unsigned kMsgIllegalDelay = 63753; // Illegal value for delay time entered!
inline constexpr unsigned kMsgIllegalFilter = 63754; // Illegal value for delay filter entered!
inline constexpr unsigned kMsgExportFilter = 63755; // Comma Separated Values Files (*.csv)|*.csv|...
