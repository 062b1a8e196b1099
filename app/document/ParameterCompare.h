// CParameterCompare: the three-way comparison of a drive's parameters -
// the value in the drive, in the document and the device description's
// default - as the Compare view and "ovro-qvt-cli diff" show it.
//
//   CParameterCompare compare;
//   compare.ReadDrive(*device, node);       // the drive's values, by SDO
//   for (const CParameterCompare::Row& row : compare.Rows(*device)) ...
//   compare.InStep(*device);                // drive and document agree
//
// Marks of a row (D drive, C document, F factory default):
// - changed from factory: C differs from F;
// - not yet downloaded: D differs from C and the drive still holds F (or F
//   is not known) - the document's value was never written;
// - changed in the drive: D differs from C and from F - someone changed
//   the drive behind the document's back.
// Read-only parameters (accessible 0: identity, counters, actual values)
// are shown but never count; a download writes only the others.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "description/QVTDevice.h"

class CCANopenNode;

namespace ovro {

class CParameterCompare {
public:
    enum class Mark {
        Same,            // drive and document agree
        NotDownloaded,   // the drive holds the factory value, the document another
        ChangedInDrive,  // the drive holds neither the document's nor the factory value
        NotRead,         // the drive refused the object
        ReadOnly,        // shown, not counted
    };

    struct Row {
        const CQVTSection* section = nullptr;
        const CQVTParameter* parameter = nullptr;
        std::string drive;     // value texts; empty when not known
        std::string document;
        std::string factory;
        bool factoryKnown = false;
        bool changedFromFactory = false;  // document differs from the default
        Mark mark = Mark::Same;
        bool Counts() const { return mark != Mark::ReadOnly; }
    };

    struct Summary {
        int compared = 0;  // parameters a download writes
        int notDownloaded = 0;
        int changedInDrive = 0;
        int notRead = 0;
        int changedFromFactory = 0;
    };

    // Reads every parameter of the device from the drive, without touching
    // the device's values. False when the drive fails in a way other than
    // refusing an object (then the node's LastError tells why).
    bool ReadDrive(const CQVTDevice& device, CCANopenNode& node);
    // Takes the drive's values from a device that holds them (a fresh
    // upload), every parameter counting as read.
    void TakeDrive(const CQVTDevice& drive);

    // The rows in description order, against the document's values.
    std::vector<Row> Rows(const CQVTDevice& document) const;
    static Summary Summarize(const std::vector<Row>& rows);
    // True when every parameter a download writes agrees.
    bool InStep(const CQVTDevice& document) const;

    // The text of a mark: "", "not yet downloaded", "changed in drive",
    // "not readable", "read only".
    static const char* MarkText(Mark mark);

    // Whether two values of a parameter are the same (by the type's value;
    // other types byte for byte).
    static bool SameValue(const CQVTParameter& parameter, const CQVTParameter::Value& a,
                          const CQVTParameter::Value& b);

private:
    struct DriveValue {
        bool read = false;
        CQVTParameter::Value value{};
    };
    std::vector<DriveValue> drive_;  // description order
};

}  // namespace ovro
