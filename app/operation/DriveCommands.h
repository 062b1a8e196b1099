// CDriveCommands: the single writes of the operation windows whose result
// does not count - the quick stop of the position and homing pages and of
// the Device Status window's red button, the halt of the velocity page and
// of a released jog button, and "Clear List" of the error list.
#pragma once

namespace ovro {

class IDriveDocument;

class CDriveCommands {
public:
    // Controlword 2.
    static void QuickStop(IDriveDocument& doc);
    // Controlword 271: enable operation with the halt bit.
    static void Halt(IDriveDocument& doc);
    // 0x1003:00 = 0: the drive clears its error history.
    static void ClearErrorList(IDriveDocument& doc);
};

} // namespace ovro
